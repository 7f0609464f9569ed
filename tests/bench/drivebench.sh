#!/usr/bin/env bash
# The installations where the user waits for them: Outfitter (SILENT, in
# Wine) and ttinstall from the sample CD in the test CD drive at 24x, and
# ttinstall from the CD's image on the drive. The drive's limit for an
# installation is the bytes the minimal installation reads (the listed files
# and the indexes and data of the containers it copies, FILELIST.WD aside),
# read once, at the drive's speed, plus one access time per file; the figure
# is that limit against the time from the first to the last byte of them read,
# from the drive's log. Outfitter's time left at 25, 50 and 75% of the copy
# is set against the time that then really remained.
#
#   drivebench.sh CD_DIR CD_IMAGE WORK_DIR
# Needs WINEPREFIX (drive D: a link to WORK_DIR/drive) and its wineserver,
# and the native build in TT_NATIVE_BUILD. Prints two lines of figures, or
# one saying why it could not measure.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
cd_dir=$1 image=$2 work=$3
native=${TT_NATIVE_BUILD:-$TT_BUILD/native}
speed=$((24 * 75 * 2048)) access=100
mnt=$work/drive
trap 'tt_cddrive_unmount "$mnt"' EXIT

# The CD's files that the minimal installation reads, one "/PATH SIZE" a line.
needed() {
  local src
  tr -d '\r' < "$cd_dir/DATA1/FILELIST.WD" | cut -d, -f1 | while IFS= read -r src; do
    [ -n "$src" ] || continue
    src=${src//\\//}
    case $src in
      SECTOR[2-5].CFL) ;;
      *.CFL) echo "/DATA1/${src%L}I"; echo "/DATA1/$src" ;;
      LANGUAGE/*) echo "/DATA1/$1/${src#LANGUAGE/}" ;;
      *) echo "/DATA1/$src" ;;
    esac
  done | while IFS= read -r f; do echo "$f $(stat -c %s "$cd_dir$f")"; done
}

# figure NEEDED READS [PREFIX]: limit against the time taken, in per cent;
# with PREFIX, reads of PREFIX/... count for the file /... (an image's files
# are read through the image itself: every read of it counts).
figure() {
  awk -v speed="$speed" -v access="$access" -v image="${3:-}" '
    FNR == NR { size[$1] = $2; bytes += $2; files++; next }
    $2 != "read" || $4 == 0 { next }
    image == "" && !($6 in size) { next }
    { if (first == "" || $1 < first) first = $1; if ($1 + $5 > last) last = $1 + $5 }
    END {
      limit = bytes * 1000 / speed + files * access
      if (last <= first) { print "?"; exit }
      printf "%d\n", limit * 100 / (last - first) + 0.5
    }' "$1" "$2"
}

why=$(tt_cddrive_mount "$cd_dir" "$mnt" --speed $speed --access $access --log "$work/outfit.reads") ||
  { echo "24x CD: could not measure: $why"; exit 0; }
needed ENGLISH > "$work/needed-english"
needed SPANISH > "$work/needed-spanish"
rm -rf "$WINEPREFIX/drive_c/DRIVE"
tt_wine 'D:\DATA1\ENGLISH\OUTFIT.EXE' SILENT 'DIR:C:\DRIVE\ZEPH' 'LOG:C:\DRIVE.LOG' </dev/null >/dev/null 2>&1
status=$?
tt_cddrive_unmount "$mnt"
log=$WINEPREFIX/drive_c/DRIVE.LOG
[ "$status" = 0 ] || { echo "24x CD: could not measure: Outfitter ended with status $status"; exit 0; }
outfit=$(figure "$work/needed-english" "$work/outfit.reads")

# The time left shown at 25, 50 and 75% against the time that remained.
left=$(tr -d '\r' < "$log" | awk '
  /^copy ended after / { done = $4 }
  /^time left at (25|50|75)%: [0-9]/ { split($5, t, ":"); sub(",", "", t[2]); shown[$4] = t[1] * 60 + t[2]; at[$4] = $7 }
  END {
    for (m = 25; m <= 75; m += 25) {
      k = m "%:"
      if (!(k in shown) || !done) { printf " %d%%: none", m; continue }
      printf " %d%%: %+d%%", m, (shown[k] * 1000 / (done - at[k]) - 1) * 100
    }
  }')

rm -rf "$work/tt-dir" "$work/tt-image"
tt_cddrive_mount "$cd_dir" "$mnt" --speed $speed --access $access --log "$work/tt.reads" >/dev/null &&
  "$native/bin/ttinstall" install "$mnt" "$work/tt-dir" >/dev/null
tt_cddrive_unmount "$mnt"
tt=$(figure "$work/needed-spanish" "$work/tt.reads")
tt_cddrive_mount "$image" "$mnt" --speed $speed --access $access --log "$work/tti.reads" >/dev/null &&
  "$native/bin/ttinstall" install "$mnt/$(basename "$image")" "$work/tt-image" >/dev/null
tt_cddrive_unmount "$mnt"
tti=$(figure "$work/needed-spanish" "$work/tti.reads" image)
rm -rf "$work/tt-dir" "$work/tt-image" "$WINEPREFIX/drive_c/DRIVE"
echo "24x CD: Outfitter's time left off by$left of the time that remained"
echo "24x CD: Outfitter ${outfit}% of the drive's limit, ttinstall ${tt}% (from its image ${tti}%)"
