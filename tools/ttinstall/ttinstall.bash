# bash completion for ttinstall                              -*- shell-script -*-
# shellcheck disable=SC2034,SC2207  # prev is _init_completion's; the words have no blanks

# The words of the line with those COMP_WORDBREAKS split at = and : put back
# together ("--language=French", "D:"), as _init_completion -n =: gives them
# where bash-completion is not installed.
_ttinstall_words()
{
    local line=${COMP_LINE:0:${COMP_POINT:-${#COMP_LINE}}} i w before
    words=() cword=0
    for ((i = 0; i < ${#COMP_WORDS[@]}; i++)); do
        w=${COMP_WORDS[i]}
        before=$line
        [[ $w ]] && before=${line%%"$w"*} line=${line#*"$w"}
        if ((i > 1)) && [[ $COMP_LINE && -z $before ]] &&
            [[ $w == [=:]* || ${words[${#words[@]} - 1]} == *[=:] ]]; then
            words[${#words[@]} - 1]+=$w
        else
            words+=("$w")
        fi
        ((i == COMP_CWORD)) && cword=$((${#words[@]} - 1))
    done
    cur=${words[cword]}
}

# Files and directories for $cur: "cd" the CD's forms (directories and
# images), "dir" directories only, "any" every file.
_ttinstall_files()
{
    local name
    compopt -o filenames 2>/dev/null
    while IFS= read -r name; do
        if [[ -d $name || $1 == any ]]; then
            COMPREPLY+=("$name")
        elif [[ $1 == cd ]]; then
            case ${name,,} in
                *.iso | *.cue | *.bin) COMPREPLY+=("$name") ;;
            esac
        fi
    done < <(compgen -f -- "$cur")
}

_ttinstall()
{
    local cur prev words cword
    COMPREPLY=()
    if declare -F _init_completion >/dev/null; then
        _init_completion -n =: || return
    else
        _ttinstall_words
    fi

    local valued="--language --cd-drive --install-path --memory --dosbox --mapfile"
    local option=${words[cword - 1]} prefix=
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*} cur=${cur#*=}
        # Bash replaces only what follows the = when it breaks words there.
        [[ $COMP_WORDBREAKS == *=* ]] || prefix=$option=
    elif [[ $cur == -* || " $valued " != *" $option "* ]]; then
        option=
    fi

    case $option in
        --language)
            local name
            for name in English French German Italian Spanish; do
                [[ ${name,,} == "${cur,,}"* ]] && COMPREPLY+=("$prefix$name")
            done
            return ;;
        --cd-drive)
            [[ $cur == *:* ]] || COMPREPLY=($(compgen -P "$prefix" -W "D: E: F: G: H:" -- "$cur"))
            return ;;
        --dosbox | --mapfile)
            _ttinstall_files any
            return ;;
        ?*)
            return ;;   # --install-path, --memory: nothing to offer
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$valued --keep-damaged -q --quiet -V --version -h --help" -- "$cur"))
        return
    fi

    # The command, the CD, install's directory: counted past the options.
    local i count=0 command=
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --*=*) ;;
            --language | --cd-drive | --install-path | --memory | --dosbox | --mapfile) ((i++)) ;;
            -?*) ;;
            *) ((count++ == 0)) && command=${words[i]} ;;
        esac
    done
    case $count in
        0) COMPREPLY=($(compgen -W "list test install" -- "$cur")) ;;
        1) _ttinstall_files cd ;;
        2) [[ $command == install ]] && _ttinstall_files dir ;;
    esac
} &&
    complete -F _ttinstall ttinstall

# ex: filetype=sh
