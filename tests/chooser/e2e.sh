#!/usr/bin/env bash
# Chooser's end-to-end scenarios on the sample CD, and what they must leave.
#
#   e2e.sh NAME CD_DIR OUT_DIR
#       runs NAME.scn with scripts/scenario (TT_ROBOT: the robot;
#       TT_STAGE_EXE: ttstage.exe, handed to the scenario as %TT_STAGE%) and
#       compares the transcript with NAME.expected. For the road: the CD's
#       autorun entry, Outfitter's relaunch copies in the temporary
#       directory, the game directory against the CD's expect tree and the
#       install record.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# = 3 ] || { echo "usage: e2e.sh NAME CD_DIR OUT_DIR" >&2; exit 2; }
name=$1 cd_dir=$2 out=$3
failed=0
fail() { echo "check chooser $name: $*" >&2; failed=1; }

if [ -n "${TT_STAGE_EXE:-}" ]; then
  TT_STAGE="Z:${TT_STAGE_EXE//\//\\}"
  export TT_STAGE
fi

bash "$root/scripts/scenario" "$cd_dir" "$here/$name.scn" "$out" || fail "the scenario did not pass"
diff -u "$here/$name.expected" "$out/transcript.txt" >&2 || fail "the transcript differs from $name.expected"

if [ "$name" = road ]; then
  # What Windows 95 starts when the CD goes in.
  tr -d '\r' < "$cd_dir/AUTORUN.INF" | grep -qx 'open=CHOOSER.EXE AUTORUN' || fail "AUTORUN.INF does not open CHOOSER.EXE AUTORUN"
  [ -f "$cd_dir/CHOOSER.EXE" ] || fail "no CHOOSER.EXE at the CD's root"

  # The first Outfitter copied itself and the five libraries to Temp.
  temp=$(find "$out/drive_c/users" -maxdepth 3 -type d -name Temp | head -n 1)
  for f in OUTFIT.EXE DSETUP.DLL DSETUP6E.DLL DSETUP6J.DLL DSETUPE.DLL DSETUPJ.DLL; do
    [ -f "$temp/$f" ] || fail "no $f in the temporary directory"
  done
  cmp -s "$temp/OUTFIT.EXE" "$cd_dir/DATA1/SPANISH/OUTFIT.EXE" || fail "the relaunched OUTFIT.EXE is not the Spanish one"

  dir=$out/drive_c/ZEPH
  [ -d "$dir" ] || { fail "no game directory C:\\ZEPH"; exit 1; }
  diff -r -x QVX.INF -x SETSOUND.LOG -x G2 -x G3 -x G4 -x G5 "$cd_dir-expect" "$dir" >&2 ||
    fail "the game directory differs from the CD's expect tree"
  [ -f "$dir/QVX.INF" ] || fail "no QVX.INF in the game directory"
  grep -qxF '"Tinfoil Tango"="C:\\ZEPH\\"' "$out/registry.txt" || fail "no install record for C:\\ZEPH\\"
  for shot in language first-question copying final installed; do
    [ -s "$out/$shot.png" ] || fail "no screenshot $shot.png"
  done
fi

[ "$failed" = 0 ] && echo "check chooser $name: passed"
exit "$failed"
