#!/usr/bin/env bash
# Unattended runs of Outfitter (SILENT on its command line), without the
# robot, one case a row of the table below, in one fresh prefix:
#   nodrive    onto a drive that does not exist
#   damaged    from a CD whose SECTOR1.CFL has a damaged chunk header
#   afile      into a directory whose place a file takes: refused unwritten
#   install    the English Outfitter from the CD, as a user starts it by
#              hand: relaunch, copy, group, QVX.INF, records, into C:\GAMES\ZEPH
#   stale      an uninstallation whose record names a directory without the
#              game: no search for another copy, nothing removed
#   nogame     from a batch file (the program path unquoted), an
#              uninstallation whose DIR: holds no game: nothing removed
#   uninstall  the uninstall record's command line with SILENT, with a saved
#              game and another file in the game directory
# Each case checks its exit status, lines of its log, and what it left; the
# installation must leave what the interactive English road does (the CD's
# expect tree, qvx.expected, the records, the group's folder), and its log
# must name every file of the tree. An X client watches the screen from the
# start to the end: no window of OUTFIT.EXE may ever be mapped.
#
#   silent.sh CD_DIR OUT_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/common.sh"
name=silent
failed=0
fail() { echo "check $name: $*" >&2; failed=1; }

[ $# = 2 ] || { echo "usage: silent.sh CD_DIR OUT_DIR" >&2; exit 2; }
cd_dir=$(cd "$1" && pwd) || exit 2
mkdir -p "$2" && out=$(cd "$2" && pwd) || exit 2
work=$(mktemp -d "${TMPDIR:-/tmp}/tt-silent.XXXXXX")
own_xvfb=0 xev_pid=
cleanup() {
  [ -n "$xev_pid" ] && kill "$xev_pid" 2>/dev/null
  tt_end_prefix
  [ "$own_xvfb" = 1 ] && tt_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
rm -f "$out"/*.log "$out"/*.txt

# The damaged CD: the sample CD with the first chunk header of SECTOR1.CFL
# announcing 2 GB of expanded bytes.
damaged_cd=$work/damaged-cd
cp -al "$cd_dir" "$damaged_cd"
rm "$damaged_cd/DATA1/SECTOR1.CFL"
cp "$cd_dir/DATA1/SECTOR1.CFL" "$damaged_cd/DATA1/SECTOR1.CFL"
printf '\xff\xff\xff\x7f' | dd of="$damaged_cd/DATA1/SECTOR1.CFL" bs=1 seek=8 conv=notrunc status=none

tt_make_prefix "$work/prefix" "$cd_dir" || exit 2
if [ -z "${DISPLAY:-}" ]; then
  TT_SCREEN=800x600x24 tt_start_xvfb || exit 2
  own_xvfb=1
fi
# Every window mapped on the screen from now on, as the X server reports it.
stdbuf -oL xev -display "$DISPLAY" -root -event substructure > "$out/xev.txt" 2>&1 &
xev_pid=$!
tt_start_wineserver
c=$WINEPREFIX/drive_c

# insert CD: drive D: shows another directory.
insert() { rm -f "$WINEPREFIX/dosdevices/d:"; ln -s "$1" "$WINEPREFIX/dosdevices/d:"; }

# Every X window mapped since the watch began that belongs to OUTFIT.EXE or
# that can no longer be asked whose it is (Wine names the program in the
# WM_CLASS of each of its windows; a window that is gone already was short).
# xev writes a MapNotify as two lines, the mapped window on the second.
mapped_windows() {
  local id class
  for id in $(awk '/^MapNotify/ { getline; if (match($0, /window 0x[0-9a-f]+/)) print substr($0, RSTART + 7, RLENGTH - 7) }' \
              "$out/xev.txt" | sort -u); do
    class=$(xprop -display "$DISPLAY" -id "$id" WM_CLASS 2>/dev/null) || class="(gone)"
    case $class in
      *'"explorer.exe"'*) explorer_windows=$((explorer_windows + 1)) ;;   # the program group's folder
      *) echo "$id $class" ;;
    esac
  done
}
explorer_windows=0

# case NAME EXPECTED_STATUS LOG_LINE COMMAND...: runs the command line
# (Windows words) with LOG:C:\NAME.LOG, checks the status and that the log
# holds LOG_LINE.
run_case() {
  local case=$1 want=$2 line=$3; shift 3
  tt_log "silent: $case"
  rm -f "$c/$case.LOG"
  timeout 300 "$(tt_wine_loader)" "$@" "LOG:C:\\$case.LOG" </dev/null >"$out/$case.out" 2>&1
  local rc=$?
  tr -d '\r' < "$c/$case.LOG" 2>/dev/null | iconv -f CP1252 -t UTF-8 > "$out/$case.log"
  [ "$rc" = "$want" ] || fail "$case: exit status $rc, not $want"
  grep -qF -- "$line" "$out/$case.log" || fail "$case: the log has no line with: $line"
  tail -n 2 "$out/$case.log" | grep -qxF "exit status: $want" || fail "$case: the log does not end with exit status $want"
  kill -0 "$xev_pid" 2>/dev/null || fail "$case: the window watch ended"
  mapped_windows > "$work/windows.txt"
  [ ! -s "$work/windows.txt" ] || fail "$case: windows were mapped: $(cat "$work/windows.txt")"
}

registry() {
  local key
  for key in 'HKLM\Software' 'HKCU\Software'; do
    rm -f "$work/export.reg"
    tt_wine reg export "$key" "$(tt_winpath "$work/export.reg")" /y >/dev/null 2>&1 &&
      iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r'
  done
}

english='D:\DATA1\ENGLISH\OUTFIT.EXE'
#        case       status  log line                                        command line
run_case NODRIVE    4 'free space: no answer for the drive Q:\'   "$english" SILENT 'DIR:Q:\ZEPH'
insert "$damaged_cd"
run_case DAMAGED    5 'SECTOR1.CFL'                               "$english" SILENT 'DIR:C:\DAMAGED'
insert "$cd_dir"
: > "$c/AFILE"
run_case AFILE      4 'a file where the directory would be made: C:\AFILE' "$english" SILENT 'DIR:C:\AFILE'
grep -q '^file written' "$out/AFILE.log" && fail "afile: files were written"
registry > "$out/registry-failed.txt"
records='^\[HKEY_LOCAL_MACHINE\\Software\\(Vornhollow Entertainment|Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tinfoil Tango)\]$'
grep -qE "$records" "$out/registry-failed.txt" && fail "a failed installation wrote registry records"
[ -e "$c/ZEPH" ] && fail "a failed installation made C:\\ZEPH"
run_case INSTALL    0 'registry: HKEY_LOCAL_MACHINE\SOFTWARE\Vornhollow Entertainment "Tinfoil Tango" = C:\GAMES\ZEPH\' \
                                                                  "$english" SILENT 'DIR:C:\GAMES\ZEPH'

# ---- the installation: the interactive English road's result --------------------
game=$c/GAMES/ZEPH
diff -r -x QVX.INF -x README.TXT -x G2 -x G3 -x G4 -x G5 "$cd_dir-expect" "$game" >&2 ||
  fail "install: the game directory differs from the CD's expect tree"
cmp -s "$cd_dir/DATA1/ENGLISH/README.TXT" "$game/README.TXT" || fail "install: README.TXT is not the English one"
for n in 0 1 2 3 4 5 6 7 8 9 10; do [ -d "$game/G$n" ] || fail "install: no G$n"; done
for n in 2 3 4 5; do [ -z "$(ls -A "$game/G$n")" ] || fail "install: G$n is not empty"; done
sed -e 's/\r$//' -e 's/^EXTENDED,[0-9][0-9]*$/EXTENDED,<memory>/' "$game/QVX.INF" |
  diff -u <(sed -e 's/<directory>/C:\\GAMES\\ZEPH/' -e 's/^LANGUAGE,6$/LANGUAGE,1/' "$here/qvx.expected") - >&2 ||
  fail "install: QVX.INF differs from qvx.expected"
registry > "$out/registry.txt"
for want in '[HKEY_LOCAL_MACHINE\Software\Vornhollow Entertainment]' '"Tinfoil Tango"="C:\\GAMES\\ZEPH\\"' \
            '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tinfoil Tango]' \
            '"DisplayName"="Tinfoil Tango"' '"UninstallString"="\"D:\\DATA1\\ENGLISH\\OUTFIT.EXE\" UNINSTALL D:\\"'; do
  grep -qxF "$want" "$out/registry.txt" || fail "install: the registry has no line $want"
done
group=$(find "$c/users" -type d -path '*Start Menu/Programs/Tinfoil Tango' | head -n 1)
if [ -z "$group" ]; then
  fail "install: no program group folder"
else
  [ "$(cd "$group" && ls | sort | tr '\n' '|')" = 'Latest Information.lnk|Setup.lnk|Tinfoil Tango.lnk|' ] ||
    fail "install: the program group holds $(ls "$group")"
fi
# Every file of the game directory is named in the log with its size.
(cd "$game" && find . -type f ! -name QVX.INF -printf '%P %s\n') | sort > "$out/tree.txt"
sed -n 's/^file written: C:\\GAMES\\ZEPH\\\(.*\), \([0-9]*\) bytes$/\1 \2/p' "$out/INSTALL.log" | tr '\\' '/' |
  sort | diff -u "$out/tree.txt" - >&2 || fail "install: the log does not name every file with its size"
grep -qxF 'directory made: C:\GAMES' "$out/INSTALL.log" || fail "install: the log does not name C:\\GAMES as made"
grep -qxF '  QVX.INF: LANGUAGE,1' "$out/INSTALL.log" || fail "install: the log does not show QVX.INF"
grep -qF 'program group: [AddItem(' "$out/INSTALL.log" || fail "install: the log does not show the group commands"
grep -qxF 'relaunch: "C:\users\'"$(basename "$(dirname "$(find "$c/users" -mindepth 2 -maxdepth 2 -type d -iname temp | head -n1)")")"'\Temp\OUTFIT.EXE" FROM:D SILENT DIR:C:\GAMES\ZEPH LOG:C:\INSTALL.LOG' \
  "$out/INSTALL.log" || fail "install: the relaunch did not pass the words on"
# The watch sees windows: the program group's folder window was one.
[ "$explorer_windows" -gt 0 ] || fail "install: the window watch saw not even the program group's folder window"

# ---- uninstallations refused: the game and its records stay ---------------------
record() { tt_wine reg add 'HKLM\Software\Vornhollow Entertainment' /v 'Tinfoil Tango' /d "$1" /f >/dev/null 2>&1; }
record 'C:\OLD\'
run_case STALE      4 'the recorded directory does not hold the game: give the game directory with DIR:' \
                                                                  "$english" UNINSTALL 'D:\' SILENT
record 'C:\GAMES\ZEPH\'
run_case NOGAME     4 "neither the game's marker file nor QVX.INF is in the directory: nothing is removed" \
                                                                  cmd /c "$english" UNINSTALL 'D:\' SILENT 'DIR:C:\GAMES'
diff -r -x QVX.INF -x README.TXT -x G2 -x G3 -x G4 -x G5 "$cd_dir-expect" "$game" >/dev/null ||
  fail "stale, nogame: files of the game were deleted"
registry > "$out/registry-kept.txt"
[ "$(grep -cE "$records" "$out/registry-kept.txt")" = 2 ] || fail "stale, nogame: the records were removed"

# ---- the uninstallation: what the interactive one leaves ------------------------
printf 'partida' > "$game/PARTIDA1.SAV"
printf 'mio' > "$game/G1/MIO.DAT"
run_case UNINSTALL  0 'file deleted: C:\GAMES\ZEPH\ZEPH4W95.EXE'  "$english" UNINSTALL 'D:\' SILENT
left=$(cd "$c/GAMES" && find . | sort | tr '\n' ' ')
[ "$left" = '. ./ZEPH ./ZEPH/G1 ./ZEPH/G1/MIO.DAT ./ZEPH/PARTIDA1.SAV ' ] ||
  fail "uninstall: C:\\GAMES holds $left"
registry > "$out/registry-uninstalled.txt"
grep -qE "$records" "$out/registry-uninstalled.txt" && fail "uninstall: registry records are left"
[ -z "$(find "$c/users" -type d -path '*Start Menu/Programs/Tinfoil Tango')" ] || fail "uninstall: the program group is left"

[ "$failed" = 0 ] && echo "check $name: passed"
exit "$failed"
