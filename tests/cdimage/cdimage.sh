#!/usr/bin/env bash
# tests/cdimage/cdimage.sh CASE ARGS...
#   programs PECHECK CD_DIR [MAPS]
#                            every OUTFIT.EXE, CHOOSER.EXE and VIDCHECK.EXE on
#                            the CD passes the Windows 95 check: imports and
#                            instructions (MAPS: the build's linker maps)
#   image ISO CD_DIR         the image holds a Joliet tree, and both its
#                            Joliet and its ISO 9660 tree read back as the
#                            CD directory, byte for byte
#   cue CUECHECK TTINSTALL CUE ISO CD_DIR
#                            the BIN/CUE image reads back (cuecheck) with the
#                            tracks that the CD's QVX.INF expects, and
#                            ttinstall lists and tests the same CD from the
#                            cue, the bare BIN, and a cue naming the ISO and
#                            WAVE files, as from the ISO
#   refused PECHECK PROGRAM [CPUPROGRAM]
#                            the check refuses PROGRAM, naming exactly its
#                            two imports that Windows 95 lacks, and
#                            CPUPROGRAM, naming each instruction of its probe
#                            functions that the i386 lacks
# Exits 77 (skipped) when the CD or its image was not made.
set -u
case_name=$1; shift

case $case_name in
programs)
  pecheck=$1 cd=$2 maps=${3:-}
  [ -d "$cd" ] || { echo "no sample CD in $cd"; exit 77; }
  mapfile -t programs < <(find "$cd" -type f \( -name OUTFIT.EXE -o -name CHOOSER.EXE -o -name VIDCHECK.EXE \) | sort)
  [ "${#programs[@]}" -gt 0 ] || { echo "the sample CD in $cd carries no programs"; exit 77; }
  for name in OUTFIT.EXE CHOOSER.EXE VIDCHECK.EXE; do
    printf '%s\n' "${programs[@]}" | grep -q "/$name\$" || { echo "FAIL: no $name on the CD"; exit 1; }
  done
  [ -d "$maps" ] && set -- --maps "$maps" || set --
  python3 "$pecheck" "$@" "${programs[@]}"
  ;;
image)
  iso=$1 cd=$2
  [ -f "$iso" ] || { echo "no CD image $iso"; exit 77; }
  command -v xorriso >/dev/null || { echo "FAIL: xorriso is not installed"; exit 1; }
  failures=0
  # Volume descriptors from sector 16 on: a supplementary one (type 2) with
  # a UCS-2 escape sequence is the Joliet tree.
  joliet=0
  for sector in 17 18 19 20; do
    head=$(dd if="$iso" bs=2048 skip=$sector count=1 2>/dev/null | head -c 91 | od -An -c | tr -d ' \n')
    case $head in 002CD001*%/[@CE]) joliet=1 ;; esac
  done
  [ "$joliet" = 1 ] && echo "ok: Joliet volume descriptor" || { echo "FAIL: no Joliet tree"; failures=1; }
  work=$(mktemp -d "${TMPDIR:-/tmp}/tt-cdimage.XXXXXX")
  trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
  for tree in norock ecma119; do
    xorriso -read_fs $tree -osirrox on -indev "$iso" -extract / "$work/$tree" >/dev/null 2>"$work/$tree.log" \
      || { cat "$work/$tree.log"; echo "FAIL: xorriso could not read the $tree tree"; failures=1; continue; }
    [ -f "$work/$tree/AUTORUN.INF" ] || { echo "FAIL: no AUTORUN.INF at the root ($tree)"; failures=1; }
    if diff -r "$work/$tree" "$cd"; then
      echo "ok: the $tree tree reads back as the CD: $(find "$cd" -type f | wc -l) files, $(du -sb "$cd" | cut -f1) bytes"
    else
      echo "FAIL: the $tree tree differs from the CD"; failures=1
    fi
  done
  [ "$failures" = 0 ]
  ;;
cue)
  cuecheck=$1 ttinstall=$2 cue=$3 iso=$4 cd=$5
  [ -f "$cue" ] && [ -f "$iso" ] || { echo "no CD image $cue"; exit 77; }
  tracks=$(sed -n 's/^TRACKS_EXPECTED,\([0-9]*\).*/\1/p' "$cd/DATA1/QVX.INF" | head -n 1)
  "$cuecheck" "$cue" "$iso" "${tracks:-1}" || exit 1
  work=$(mktemp -d "${TMPDIR:-/tmp}/tt-cdimage.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  ln -s "$(realpath "$iso")" "$work/game.iso"
  printf 'FILE "game.iso" BINARY\r\n  TRACK 01 MODE1/2048\r\n    INDEX 01 00:00:00\r\n' >"$work/game.cue"
  for ((t = 2; t <= ${tracks:-1}; t++)); do
    # A WAVE header of one second of silence; ttinstall only finds it.
    printf 'RIFF\x24\xb1\x02\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x02\x00\x44\xac\x00\x00\x10\xb1\x02\x00\x04\x00\x10\x00data\x00\xb1\x02\x00' >"$work/$t.wav"
    head -c 176400 /dev/zero >>"$work/$t.wav"
    printf 'FILE "%d.wav" WAVE\r\n  TRACK %02d AUDIO\r\n    INDEX 01 00:00:00\r\n' "$t" "$t" >>"$work/game.cue"
  done
  failures=0
  for verb in list test; do
    "$ttinstall" $verb "$iso" >"$work/iso.$verb" 2>&1 || { cat "$work/iso.$verb"; echo "FAIL: $verb of the ISO"; exit 1; }
    for image in "$cue" "${cue%.cue}.bin" "$work/game.cue"; do
      if "$ttinstall" $verb "$image" >"$work/image.$verb" 2>&1 && cmp -s "$work/iso.$verb" "$work/image.$verb"; then
        echo "ok: $verb of $(basename "$image") as of the ISO"
      else
        diff "$work/iso.$verb" "$work/image.$verb"; echo "FAIL: $verb of $image"; failures=1
      fi
    done
  done
  # A mapfile's positions would be bytes of raw sectors: refused as bad usage.
  "$ttinstall" --mapfile /dev/null test "$cue" >"$work/mapfile.test" 2>&1; status=$?
  if [ "$status" = 2 ] && grep -q 'BIN/CUE image' "$work/mapfile.test"; then
    echo "ok: --mapfile with the cue refused"
  else
    cat "$work/mapfile.test"; echo "FAIL: --mapfile with the cue answered $status"; failures=1
  fi
  [ "$failures" = 0 ]
  ;;
refused)
  pecheck=$1 program=$2
  output=$(python3 "$pecheck" "$program"); status=$?
  echo "$output"
  expected=$(printf '%s\n' "importprobe.exe: imports KERNEL32.dll!GetFileAttributesExA, which is not in the Windows 95 list" \
                           "importprobe.exe: imports msvcrt.dll!strtok, which is not in the Windows 95 list")
  [ "$status" = 1 ] || { echo "FAIL: the check answered $status"; exit 1; }
  # The x86_64 test build also has the wrong machine; only the imports count.
  got=$(echo "$output" | grep ': imports ' | sort)
  [ "$got" = "$expected" ] || { echo "FAIL: expected exactly these faults:"; echo "$expected"; exit 1; }
  echo "ok: refused, naming both imports"
  [ $# -gt 2 ] || exit 0
  cpuprobe=$3
  output=$(python3 "$pecheck" --maps "$(dirname "$cpuprobe")" "$cpuprobe"); status=$?
  echo "$output"
  [ "$status" = 1 ] || { echo "FAIL: the check answered $status for the processor probe"; exit 1; }
  # The instruction and the function it lies in, without the address.
  got=$(echo "$output" | sed -n 's/^cpuprobe.exe: instruction \([a-z0-9]*\) (.*) at 0x[0-9A-F]* in \([A-Za-z_]*\).*/\1 \2/p' | sort -u)
  expected=$(printf '%s\n' "bswap ProbeNewer" "cmpxchg ProbeNewer" "xadd ProbeNewer" "cpuid ProbeNewer" \
                           "rdtsc ProbeNewer" "cmpxchg8b ProbeNewer" "emms ProbeNewer" "movaps ProbeNewer" \
                           "nop ProbeNewer" | sort)
  missing=$(comm -23 <(echo "$expected") <(echo "$got"))
  [ -z "$missing" ] || { echo "FAIL: not refused:"; echo "$missing"; exit 1; }
  echo "$got" | grep -q '^cmov[a-z]* ProbeLarger$' || { echo "FAIL: no cmov refused in ProbeLarger"; exit 1; }
  echo "$got" | grep -q '^fu\?comip\? ProbeBelow$' || { echo "FAIL: no fcomi refused in ProbeBelow"; exit 1; }
  echo "ok: refused, naming each newer instruction and its function"
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac
