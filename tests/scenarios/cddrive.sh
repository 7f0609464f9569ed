#!/usr/bin/env bash
# Unattended installations of Outfitter (SILENT) from the sample CD in the
# test CD drive (tools/cddrive), one row of the table below each, in one
# prefix whose drive D: is the drive's mount point:
#   whole     a sound disc at 24x: the installation is done, and the drive
#             read each byte it needed once and nothing that stays on the CD
#   chunk     an unreadable sector inside a chunk of SECTOR1.CFL
#   plain     one inside ZEPH4W95.EXE, a plain listed file
#   list      one in FILELIST.WD, named by a ddrescue mapfile
#   full      a sound disc, and a disk that fills during the copy
# A scratched disc ends with status 5 and a full disk with 6; both leave the
# runtime library's box and, in the log, the file (and for the CD the byte),
# no file that looks complete and is not, no QVX.INF, no records, and the
# bad area read a few times, not hundreds. Where FUSE cannot mount, the test
# says so in one line and skips (status 77).
#
#   cddrive.sh CD_DIR OUT_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/common.sh"
name=cddrive
failed=0
fail() { echo "check $name: $*" >&2; failed=1; }

[ $# = 2 ] || { echo "usage: cddrive.sh CD_DIR OUT_DIR" >&2; exit 2; }
cd_dir=$(cd "$1" && pwd) || exit 2
mkdir -p "$2" && out=$(cd "$2" && pwd) || exit 2
work=$(mktemp -d "${TMPDIR:-/tmp}/tt-cddrive.XXXXXX")
mnt=$work/drive own_xvfb=0 filler=
cleanup() {
  [ -n "$filler" ] && kill "$filler" 2>/dev/null
  [ -n "${c:-}" ] && umount "$c/FULL" 2>/dev/null
  umount "$work/full" 2>/dev/null
  tt_end_prefix
  tt_cddrive_unmount "$mnt"
  [ "$own_xvfb" = 1 ] && tt_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
rm -f "$out"/*.log "$out"/*.txt

why=$(tt_cddrive_mount "$cd_dir" "$mnt" --layout "$work/layout.txt") || { echo "check $name: skipped: $why"; exit 77; }
tt_cddrive_unmount "$mnt"

tt_make_prefix "$work/prefix" "$mnt" || exit 2
if [ -z "${DISPLAY:-}" ]; then
  TT_SCREEN=800x600x24 tt_start_xvfb || exit 2
  own_xvfb=1
fi
tt_start_wineserver
c=$WINEPREFIX/drive_c
english='D:\DATA1\ENGLISH\OUTFIT.EXE'

registry() {
  local key
  for key in 'HKLM\Software' 'HKCU\Software'; do
    rm -f "$work/export.reg"
    tt_wine reg export "$key" "$(tt_winpath "$work/export.reg")" /y >/dev/null 2>&1 &&
      iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r'
  done
}

# A mapfile as ddrescue writes it: the sector that holds FILELIST.WD is bad.
list_sector=$(awk '$3 == "DATA1/FILELIST.WD" { print $1 }' "$work/layout.txt")
{
  echo '# Mapfile. Created by GNU ddrescue version 1.27'
  echo '# current_pos  current_status  current_pass'
  printf '0x%08X     +               1\n' 0
  echo '#      pos        size  status'
  printf '0x%08X  0x%08X  +\n' 0 $((list_sector * 2048))
  printf '0x%08X  0x%08X  -\n' $((list_sector * 2048)) 2048
  printf '0x%08X  0x%08X  +\n' $(((list_sector + 1) * 2048)) 0x10000000
} > "$work/scratch.map"

# A disk that fills during the copy: a tmpfs with room for the whole
# installation when Outfitter looks, filled once the copy has begun.
full_disk() {
  mkdir -p "$work/full" "$c/FULL"
  mount -t tmpfs -o size=80m tmpfs "$work/full" || { fail "full: cannot mount a tmpfs"; return 1; }
  mount --bind "$work/full" "$c/FULL"
  ( for _ in $(seq 600); do
      [ -e "$c/FULL/ZEPH/ZEPH4W95.EXE" ] && break
      sleep 0.05
    done
    fallocate -l "$(( $(df --output=avail -B1 "$work/full" | tail -n 1) - 6000000 ))" "$work/full/FILLER" ) &
  filler=$!
}

# row CASE STATUS LOG_LINE BAD_FILE DRIVE_OPTION...: installs into C:\CASE
# from the drive mounted with those options (BAD_FILE: the file of the CD
# whose reads must fail, or -).
row() {
  local case=$1 want=$2 line=$3 bad=$4; shift 4
  tt_log "cddrive: $case"
  local dir=C:\\${case^^} game=$c/${case^^}
  [ "$case" = full ] && { full_disk || return; dir='C:\FULL\ZEPH' game=$c/FULL/ZEPH; }
  rm -f "$work/$case.reads"
  why=$(tt_cddrive_mount "$cd_dir" "$mnt" --log "$work/$case.reads" "$@") || { fail "$case: $why"; return; }
  timeout 300 "$(tt_wine_loader)" "$english" SILENT "DIR:$dir" "LOG:C:\\$case.LOG" </dev/null >"$out/$case.out" 2>&1
  local rc=$?
  [ -n "$filler" ] && { wait "$filler"; filler=; }
  tt_cddrive_unmount "$mnt"
  cp "$work/$case.reads" "$out/$case.reads.txt"
  tr -d '\r' < "$c/$case.LOG" 2>/dev/null | iconv -f CP1252 -t UTF-8 > "$out/$case.log"
  [ "$rc" = "$want" ] || fail "$case: exit status $rc, not $want"
  grep -qF -- "$line" "$out/$case.log" || fail "$case: the log has no line with: $line"

  # What the drive read: the bad area a few times at most; each byte of a
  # listed file and container once; nothing of what stays on the CD.
  local eio
  eio=$(awk '$2 == "eio"' "$out/$case.reads.txt" | wc -l)
  if [ "$bad" = - ]; then
    [ "$eio" = 0 ] || fail "$case: $eio reads failed on a sound disc"
  else
    [ "$eio" -ge 1 ] && [ "$eio" -le 3 ] || fail "$case: the bad area of $bad was read $eio times"
    awk -v f="/$bad" '$2 == "eio" && $6 != f { bad = 1 } END { exit bad }' "$out/$case.reads.txt" ||
      fail "$case: reads of other files than $bad failed"
  fi
  awk '$6 !~ /^\/DATA1\/([^\/]*\.(CFL|CFI|EXE|BAT|ICO|WD)|[A-Z]*\/README\.TXT)$/ || $6 ~ /OUTFIT\.EXE$/ { next }
       $2 == "open" { size[$6] = $4 }
       $2 == "read" { got[$6] += $4 }
       $6 ~ /SECTOR[2-5]\.CF[LI]$/ && $2 == "read" && $4 > 0 { left[$6] = 1 }
       END {
         for (f in got) if (got[f] > size[f]) { print "read " got[f] " bytes of " f " (" size[f] ")"; bad = 1 }
         for (f in left) { print "read though left on the CD: " f; bad = 1 }
         exit bad
       }' "$out/$case.reads.txt" >&2 || fail "$case: the drive read bytes it need not have"

  if [ "$want" = 0 ]; then
    registry | grep -qiF "${dir//\\/\\\\}" || fail "$case: no registry record names $dir"
    diff -r -x QVX.INF -x README.TXT -x G2 -x G3 -x G4 -x G5 "$cd_dir-expect" "$game" >&2 ||
      fail "$case: the game directory differs from the CD's expect tree"
    return
  fi
  grep -qxF 'exit status: '"$want" <(tail -n 2 "$out/$case.log") || fail "$case: the log does not end with status $want"
  [ -e "$game/QVX.INF" ] && fail "$case: a failed installation wrote QVX.INF"
  registry | grep -qiF "${dir//\\/\\\\}" && fail "$case: a failed installation wrote registry records"
  # Every file left is whole: as the CD's expect tree has it (README.TXT:
  # the English one).
  local f
  while IFS= read -r f; do
    if [ "$f" = README.TXT ]; then cmp -s "$cd_dir/DATA1/ENGLISH/README.TXT" "$game/$f"
    else cmp -s "$cd_dir-expect/$f" "$game/$f"; fi || fail "$case: $f is left and differs from the CD's"
  done < <(cd "$game" 2>/dev/null && find . -type f ! -name FILLER -printf '%P\n')
}

bad_chunk=3000000 bad_plain=800000
#   case   status log line                                                     bad file
row whole  0 'exit status: 0'                                                  - --speed 24x
row chunk  5 "unreadable: D:\\DATA1\\SECTOR1.CFL at byte "                     DATA1/SECTOR1.CFL --bad "DATA1/SECTOR1.CFL:$bad_chunk"
row plain  5 "unreadable: D:\\DATA1\\ZEPH4W95.EXE at byte "                    DATA1/ZEPH4W95.EXE --bad "DATA1/ZEPH4W95.EXE:$bad_plain"
row list   5 "unreadable: D:\\DATA1\\FILELIST.WD at byte 0"                    DATA1/FILELIST.WD --mapfile "$work/scratch.map"
row full   6 'file removed, incomplete: C:\FULL\ZEPH\'                         - --speed 24x

# The byte named lies in the read that failed, at or before the bad sector.
for pair in "chunk SECTOR1.CFL $bad_chunk" "plain ZEPH4W95.EXE $bad_plain"; do
  set -- $pair
  read -r at len < <(sed -n "s/^unreadable: .*\\\\$2 at byte \\([0-9]*\\) (a read of \\([0-9]*\\) bytes)\$/\\1 \\2/p" "$out/$1.log")
  [ -n "${len:-}" ] && [ "$at" -le "$3" ] && [ "$((at + len))" -gt "$3" ] ||
    fail "$1: the log names bytes ${at:-none}+${len:-none} of $2, which do not hold the bad byte $3"
  grep -qF 'box (' "$out/$1.log" && grep -qF 'Could not open/read from a file that was asked for.' "$out/$1.log" ||
    fail "$1: no read-failure box in the log"
done
grep -qF 'file removed, incomplete: C:\CHUNK\' "$out/chunk.log" || fail "chunk: the entry being written was not removed"
grep -qF 'file removed, incomplete: C:\PLAIN\ZEPH4W95.EXE' "$out/plain.log" || fail "plain: ZEPH4W95.EXE was not removed"

[ "$failed" = 0 ] && echo "check $name: passed"
exit "$failed"
