#!/usr/bin/env bash
# Checks of the robot's own tests.
#   check.sh transcript OUT_DIR EXPECTED   the demo's run left the expected
#                                          transcript, screenshots, registry and files
#   check.sh failing CD SCENARIO OUT_DIR   a scenario whose line 11 must fail does
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "check: $*" >&2; exit 1; }

case ${1:-} in
transcript)
  out=$2 expected=$3
  [ -f "$out/transcript.txt" ] || fail "no transcript in $out"
  diff -u "$expected" "$out/transcript.txt" || fail "the transcript differs from $expected"
  for shot in first-page warning; do
    [ -s "$out/$shot.png" ] || fail "no screenshot $shot.png"
  done
  # The screenshot shows the real box: a black screen has one colour.
  colours=$(convert "$out/warning.png" -format %k info:)
  [ "$colours" -gt 8 ] || fail "warning.png shows $colours colours only"
  grep -q '^\[HKEY_CURRENT_USER\\Software\\Vornhollow Entertainment\\Robot Demo\]$' "$out/registry.txt" ||
    fail "registry.txt lacks the demo's key"
  grep -qxF '"Directory"="C:\\TANGO"' "$out/registry.txt" || fail "registry.txt lacks the demo's value"
  [ "$(cat "$out/drive_c/TANGO/ROBOT.TXT" 2>/dev/null)" = 'C:\TANGO' ] || fail "drive_c lacks TANGO/ROBOT.TXT"
  [ -d "$out/drive_c/users" ] || fail "drive_c lacks users/"
  [ ! -e "$out/drive_c/windows" ] || fail "drive_c holds windows/"
  ;;
failing)
  cd_dir=$2 scenario=$3 out=$4
  bash "$root/scripts/scenario" "$cd_dir" "$scenario" "$out" 2>/dev/null
  rc=$?
  [ "$rc" = 1 ] || fail "the scenario ended with $rc, not 1"
  t=$out/transcript.txt
  grep -qF '! line 11: button 1002 in the window chosen by the last expect stays disabled (waited 1 s)' "$t" ||
    fail "no reason for the failure in $t"
  grep -qxF '> click 1002 "Siguiente >"' "$t" || fail "the steps before the failure are missing"
  grep -q '^(window) #32770 "Configuración"' "$t" || fail "the open windows were not listed"
  ! grep -q '^> click 1002 "Siguiente >"$' <(sed -n '/^! line 11/,$p' "$t") || fail "the disabled button was clicked"
  grep -qx '\[end\] failed at line 11' "$t" || fail "no end line"
  [ -s "$out/failure.png" ] || fail "no failure.png"
  ;;
*)
  echo "usage: check.sh transcript OUT_DIR EXPECTED | failing CD SCENARIO OUT_DIR" >&2
  exit 2
  ;;
esac
echo "check: $1 passed"
