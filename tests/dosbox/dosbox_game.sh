#!/usr/bin/env bash
# tests/dosbox/dosbox_game.sh TTINSTALL CD WORK
#
# The DOS game's stand-in (ZEPHDOS.EXE) started by ZEPH.BAT in DOSBox, on a
# game directory that ttinstall wrote from the sample CD (CD: its directory,
# with CD.iso and CD.cue beside it; ttinstall installs from CD.cue): with
# that image, the one with the audio tracks, every check passes; each broken
# case below makes the report name what is wrong, and the errorlevel is not
# 0. WORK is cleared first.
# Exits 77 (skipped) where DOSBox, the images or the stand-in are missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
ttinstall=$1 cd=$2 work=$3

skip() { echo "skipped: $*"; exit 77; }
command -v dosbox >/dev/null 2>&1 || skip "dosbox is not installed"
[ -f "$cd.iso" ] && [ -f "$cd.cue" ] || skip "no CD images $cd.iso and $cd.cue (scripts/build makes them)"
grep -q "ZEPHDOS FILE LIST" "$cd/DATA1/ZEPHDOS.EXE" 2>/dev/null ||
  skip "the sample CD carries no ZEPHDOS.EXE stand-in (nasm was missing when it was mastered)"

rm -rf "$work"
mkdir -p "$work" || exit 1
# The CD without SECTOR2.CFL, as a directory that DOSBox shows as a CD.
mkdir -p "$work/nosector2"
cp -al "$cd/." "$work/nosector2/" 2>/dev/null || cp -as "$(cd "$cd" && pwd)/." "$work/nosector2/" || exit 1
rm -f "$work/nosector2/DATA1/SECTOR2.CFL"

# name | ttinstall options | D: | change after installing | the line the report must hold
cases=(
  'passes   | --install-path C:\ZEPH --memory 15360        | cue       |                   | ZEPHDOS: ok, every check passed'
  'fixed    | --install-path C:\JUEGOS\ZEPH --memory 15360 | cue       |                   | FIXED: FAILED: C:\JUEGOS\ZEPH is not the directory C:\ZEPH'
  'sector2  | --install-path C:\ZEPH --memory 15360        | nosector2 |                   | CDROM: FAILED: D:\DATA1\SECTOR2.CFL cannot be opened'
  'file     | --install-path C:\ZEPH --memory 15360        | cue       | G1/MAPA01.DAT     | FILES: FAILED: G1\MAPA01.DAT is missing (1 of 33 files wrong)'
  'noaudio  | --install-path C:\ZEPH --memory 15360        | iso       |                   | TRACKS: FAILED: the CD has 1 track(s), TRACKS_EXPECTED is 10'
  'memory   | --install-path C:\ZEPH --memory 15361        | cue       |                   | EXTENDED: FAILED: EXTENDED is 15361 KB, DOS reports 15360 KB (XMS)'
)

trim() { local s=$1; s=${s#"${s%%[! ]*}"}; printf '%s' "${s%"${s##*[! ]}"}"; }
failures=0
for row in "${cases[@]}"; do
  IFS='|' read -r name options drive remove expected <<<"$row"
  name=$(trim "$name") drive=$(trim "$drive") remove=$(trim "$remove") expected=$(trim "$expected")
  c=$work/$name/c
  mkdir -p "$c"
  # shellcheck disable=SC2086
  if ! "$ttinstall" install $options "$cd.cue" "$c/ZEPH" >"$work/$name/ttinstall.log" 2>&1; then
    echo "FAIL $name: ttinstall failed:"; cat "$work/$name/ttinstall.log"; failures=$((failures + 1)); continue
  fi
  [ -z "$remove" ] || rm -f "$c/ZEPH/$remove"
  case $drive in
    cue|iso) mount_d="imgmount d \"$cd.$drive\" -t iso" ;;
    *) mount_d="mount d \"$work/$drive\" -t cdrom" ;;
  esac
  # (DOSBox redirects a line's output before IF decides, so the errorlevel
  # shows as a directory rather than a file.)
  cat >"$work/$name/dosbox.conf" <<CONF
[dosbox]
memsize=16
[cpu]
cycles=max
[dos]
ems=false
[autoexec]
mount c "$c"
$mount_d
c:
cd \\ZEPH
call ZEPH.BAT
if errorlevel 1 md C:\\FAILED
exit
CONF
  bash "$here/run-dosbox.sh" --timeout 60 "$work/$name/dosbox.conf" "$work/$name/dosbox.log"
  status=$?
  report=$c/ZEPH/ZEPHDOS.LOG
  if [ "$status" != 0 ] || [ ! -f "$report" ]; then
    echo "FAIL $name: DOSBox (status $status) left no report $report"; failures=$((failures + 1)); continue
  fi
  text=$(tr -d '\r' <"$report")
  problem=
  if ! grep -qxF -- "$expected" <<<"$text"; then
    problem="the report lacks the line: $expected"
  elif [ "$name" = passes ]; then
    [ "$(grep -c ': ok' <<<"$text")" = 8 ] || problem="not every check says ok"
    [ ! -d "$c/FAILED" ] || problem="errorlevel not 0"
  else
    [ -d "$c/FAILED" ] || problem="errorlevel 0"
  fi
  if [ -n "$problem" ]; then
    echo "FAIL $name: $problem; the report:"; printf '%s\n' "$text"; failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
done
[ "$failures" = 0 ] && rm -rf "$work"
[ "$failures" = 0 ]
