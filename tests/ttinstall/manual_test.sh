#!/usr/bin/env bash
# tests/ttinstall/manual_test.sh TTINSTALL MANPAGE COMPLETION WORK
#
# The usage text, the manual page and the bash completion describe one
# program: the same options in all three (--help, the page's OPTIONS, what
# the completion offers for "ttinstall -"), exit statuses 0-4 in the help and
# the page, the page's version that of --version, a page groff reads without
# a warning, and completion of languages and of the CD's forms. WORK, a
# scratch directory, is cleared first; nothing is written elsewhere.
set -u
ttinstall=$1 page=$2 completion=$3 work=$4
rm -rf "$work" && mkdir -p "$work/cds/sub" && cd "$work/cds" || exit 1
touch a.cue B.ISO notes.txt
export HOME=$work LC_ALL=C
failures=0
same() {   # what, expected, actual (one word a line)
  [ "$2" = "$3" ] && return
  echo "FAIL: $1"; diff <(echo "$2") <(echo "$3") | sed -n 's/^[<>]/  &/p'
  failures=$((failures + 1))
}
words() { tr ' ' '\n' | sed '/^$/d' | sort -u; }

# What the completion offers for the line before the cursor, one word a line.
complete_line() {
  bash --norc --noprofile -c '
    source "$1"
    COMP_LINE=$2 COMP_POINT=${#2}
    read -ra COMP_WORDS <<< "${2//=/ = }"   # bash breaks words at =
    [[ $2 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _ttinstall
    printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$1" | sed '/^$/d' | sort
}

help=$("$ttinstall" --help)
# The options: the help's lines "  -q, --quiet  ...", the tags of the page's
# OPTIONS (".BR \-q \", \" \-\-quiet"), and the completion.
help_options=$(sed -n 's/^  \(-[^ ,]*\(, -[^ ,]*\)*\) .*/\1/p' <<< "$help" | tr -d , | words)
page_options=$(sed -n '/^\.SH OPTIONS/,/^\.SH/{/^\.TP/{n;p}}' "$page" | tr -d '\\' |
  grep -oE '(^| )--?[A-Za-z][-a-z]*' | words)
same "options of --help (<) and of the manual page (>)" "$help_options" "$page_options"
same "options of --help (<) and of the completion (>)" "$help_options" "$(complete_line "ttinstall -")"

# Exit statuses: "Exit status: 0 done; 1 ...; 2 ..." and the page's ".TP" ".B 0".
help_status=$(sed -n '/^Exit status:/,$p' <<< "$help" | grep -oE '(^|: |; )[0-9] ' | tr -dc '0-9\n' | words)
page_status=$(sed -n '/^\.SH "\{0,1\}EXIT STATUS/,/^\.SH/{/^\.TP/{n;p}}' "$page" | sed -n 's/^\.B \([0-9]\)$/\1/p' | words)
same "exit statuses of --help" "$(seq 0 4)" "$help_status"
same "exit statuses of the manual page" "$(seq 0 4)" "$page_status"

same "the manual page's version" "$("$ttinstall" --version)" \
  "$(sed -n 's/^\.TH [^"]*"[^"]*" "\([^"]*\)".*/\1/p' "$page")"
same "groff's warnings on the manual page" "" "$(groff -man -ww -z -Tutf8 "$page" 2>&1)"

same "languages offered" "$(words <<< "English French German Italian Spanish")" \
  "$(complete_line "ttinstall --language ")"
same "languages offered after --language=" "French" "$(complete_line "ttinstall --language=fr")"
same "the CD's forms offered" "$(words <<< "B.ISO a.cue sub")" "$(complete_line "ttinstall test ")"
same "install's directory offered" "sub" "$(complete_line "ttinstall -q install a.cue ")"

[ "$failures" = 0 ] && echo "the usage text, the manual page and the completion agree"
[ "$failures" = 0 ]
