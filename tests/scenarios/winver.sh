#!/usr/bin/env bash
# The English installation and uninstallation on Windows 95, 98, XP, 7 and
# 10, one prefix each, made from the one template with the version set by
# reg.exe as winecfg sets it:
#   install-english.scn    checked by run.sh as in scenario_install_english:
#                          the same pages, files, QVX.INF, registry records,
#                          program group and screenshots
#   uninstall-english.scn  the uninstall record's command line; its pages
#                          against uninstall-english.expected, and then no
#                          game directory, program group or registry record
# Before the installation, cmd's "ver" shows that the prefix answers as the
# version of the table.
#
#   winver.sh CD_DIR OUT_DIR      (TT_ROBOT: robot.exe; TT_WINVERS: the table)
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/common.sh"
name=winver
failed=0
fail() { echo "check $name: $*" >&2; failed=1; }

tt_scenario_begin winver "$@"
tt_scenario_display
winpath() { tt_winpath "$@"; }
reg_has() { tt_wine reg query "$1" >/dev/null 2>&1; }

# Windows version, and what "ver" prints for it.
versions=${TT_WINVERS:-win95 win98 winxp win7 win10}
ver_of() {
  case $1 in
    win95) echo 'Windows 4.0.' ;; win98) echo 'Windows 4.10.' ;; winxp) echo 'Windows 5.1.' ;;
    win7) echo 'Windows 6.1.' ;; win10) echo 'Windows 10.0.' ;; *) echo "Windows " ;;
  esac
}

# run_scenario NAME DIR: the robot, its screenshots as PNG.
run_scenario() {
  local dir=$2
  mkdir -p "$dir"
  rm -f "$dir"/transcript.txt "$dir"/*.png "$dir"/*.bmp
  tt_wine "$robot" "$(winpath "$here/$1.scn")" "$(winpath "$dir")" || fail "$v: $1 did not pass"
  for bmp in "$dir"/*.bmp; do
    [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
}

for v in $versions; do
  tt_log "winver: $v"
  vout=$out/$v
  rm -rf "$vout"
  mkdir -p "$vout"
  tt_make_prefix "$work/prefix" "$cd_dir" || exit 2
  tt_start_wineserver
  tt_wine reg add 'HKCU\Software\Wine' /v Version /d "$v" /f >/dev/null 2>&1 || fail "$v: could not set the version"
  c=$WINEPREFIX/drive_c

  said=$(tt_wine cmd.exe /c ver 2>/dev/null </dev/null | tr -d '\r')
  case $said in
    *"$(ver_of "$v")"*) ;;
    *) fail "$v: the prefix says it is \"$said\"" ;;
  esac

  # The installation, and run.sh's checks on what it left.
  run_scenario install-english "$vout"
  : > "$vout/registry.txt"
  for key in 'HKLM\Software' 'HKCU\Software'; do
    rm -f "$work/export.reg"
    tt_wine reg export "$key" "$(winpath "$work/export.reg")" /y >/dev/null 2>&1 &&
      iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' >> "$vout/registry.txt"
  done
  ln -s "$c" "$vout/drive_c"
  bash "$here/run.sh" check install-english "$cd_dir" "$vout" || fail "$v: the installation's checks failed"
  files=$(find "$c/ZEPH" -type f | wc -l)
  tt_log "winver: $v: $files files in C:\\ZEPH"

  # The uninstallation.
  run_scenario uninstall-english "$vout/uninstall"
  diff -u "$here/uninstall-english.expected" "$vout/uninstall/transcript.txt" >&2 ||
    fail "$v: the uninstallation's transcript differs from uninstall-english.expected"
  [ -s "$vout/uninstall/uninstalled.png" ] || fail "$v: no screenshot uninstall/uninstalled.png"
  # SETSOUND.LOG is the stand-in's, not the installation's.
  left=$(cd "$c/ZEPH" 2>/dev/null && find . | LC_ALL=C sort | tr '\n' ' ')
  [ "$left" = '. ./SETSOUND.LOG ' ] || fail "$v: C:\\ZEPH holds: $left"
  [ -z "$(find "$c/users" -type d -path '*Start Menu/Programs/Tinfoil Tango')" ] || fail "$v: the program group folder stays"
  reg_has 'HKLM\Software\Vornhollow Entertainment' && fail "$v: the publisher key stays"
  reg_has 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tinfoil Tango' && fail "$v: the uninstall key stays"

  rm -f "$vout/drive_c"
  tt_end_prefix
done

[ "$failed" = 0 ] && echo "check $name: passed"
exit "$failed"
