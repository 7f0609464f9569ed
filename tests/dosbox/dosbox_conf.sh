#!/usr/bin/env bash
# tests/dosbox/dosbox_conf.sh TTINSTALL CD WORK
#
# The road a player takes: ttinstall install --dosbox from the CD's image,
# then DOSBox on the configuration it wrote, and nothing typed by hand. The
# game stand-in's report must say that every check passed: the configuration
# mounted the game's drive and the CD (with its audio tracks) where QVX.INF
# says they are and gave DOSBox the memory of EXTENDED. The image and the game
# directory lie under paths with blanks, non-ASCII letters and a %, which the
# configuration must quote for DOSBox; given the .bin, the configuration must
# mount the cue sheet beside it. WORK is cleared first. Exits 77 (skipped)
# where DOSBox, the images or the stand-in are missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
ttinstall=$1 cd=$2 work=$3

skip() { echo "skipped: $*"; exit 77; }
command -v dosbox >/dev/null 2>&1 || skip "dosbox is not installed"
[ -f "$cd.cue" ] && [ -f "${cd}.bin" ] || skip "no CD image $cd.cue (scripts/build makes it)"
grep -q "ZEPHDOS FILE LIST" "$cd/DATA1/ZEPHDOS.EXE" 2>/dev/null ||
  skip "the sample CD carries no ZEPHDOS.EXE stand-in (nasm was missing when it was mastered)"

rm -rf "$work"
images="$work/Imágenes de CD 100%"
mkdir -p "$images" || exit 1
cp "$cd.cue" "$images/" && { ln "$cd.bin" "$images/" 2>/dev/null || cp "$cd.bin" "$images/"; } || exit 1

failures=0
for image in samplecd.cue samplecd.bin; do
  home="$work/$image/Mes jeux à moi"
  if ! "$ttinstall" install --dosbox "$home/tango.conf" "$images/$image" "$home/zeph" >"$work/ttinstall.log" 2>&1; then
    echo "FAIL $image: ttinstall failed:"; cat "$work/ttinstall.log"; failures=$((failures + 1)); continue
  fi
  bash "$here/run-dosbox.sh" --timeout 60 "$home/tango.conf" "$work/$image/dosbox.log"
  status=$?
  report=$home/zeph/ZEPHDOS.LOG
  if [ "$status" = 0 ] && [ -f "$report" ] && tr -d '\r' <"$report" | grep -qxF "ZEPHDOS: ok, every check passed"; then
    echo "ok   $image"
  else
    echo "FAIL $image: DOSBox (status $status) on this configuration:"; cat "$home/tango.conf"
    echo "left this report:"; tr -d '\r' <"$report" 2>/dev/null
    failures=$((failures + 1))
  fi
done
[ "$failures" = 0 ] && rm -rf "$work"
[ "$failures" = 0 ]
