#!/usr/bin/env bash
# One machine's life with Tinfoil Tango, in one prefix, driven by the GUI test
# robot scenario after scenario:
#   flows-relaunch         the CD's OUTFIT.EXE without arguments relaunches
#                          from the temporary directory; the copy installs
#   flows-reconfigure-dos  reconfigure that DOS installation
#   flows-reconfigure-win  the same installation made a Windows one (ZEPH.BAT
#                          deleted) and moved: found on C:, sound, CD music
#                          and DirectX pages against the stand-ins
#   flows-directx-missing  the same from the CD's OUTFIT.EXE with FROM:, where
#                          no DSETUP.DLL lies beside it: the DirectX failure
#                          question, no crash
#   flows-notfound         the game moved off every disk, links on C: back
#                          to its root: Configurar finds nothing and offers
#                          to install again, "No" and then "Sí"
#   flows-sysinfo          SYSTEMINFO with the driver files in the game directory
#   flows-uninstall        UNINSTALL D:\ with saved games, a G11 and a game
#                          file made read-only by the test; the driver files
#                          the game's programs wrote are not the installation's
#                          and stay
# Between the scenarios this script prepares the game directory and checks
# what each left: files, WININIT.INI, QVX.INF, registry, program group, the
# stand-ins' logs, and every transcript against its .expected.
#
#   flows.sh CD_DIR OUT_DIR      (TT_ROBOT: robot.exe; ttmcicd.dll beside it)
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/common.sh"
name=flows
failed=0
fail() { echo "check $name: $*" >&2; failed=1; }

tt_scenario_begin flows "$@"
mcicd=${TT_MCICD:-$(dirname "$robot")/ttmcicd.dll}
[ -f "$mcicd" ] || { echo "flows.sh: no ttmcicd.dll at $mcicd" >&2; exit 2; }

winpath() { tt_winpath "$@"; }
crlf_free() { tr -d '\r' < "$1"; }
rm -rf "$out"/flows-* "$out"/*.log

tt_make_prefix "$work/prefix" "$cd_dir" || exit 2
printf '\n[Software\\\\Wine\\\\X11 Driver] 0\n"Managed"="N"\n' >> "$WINEPREFIX/user.reg"
tt_scenario_display
# A wave device for the Windows sound test: ALSA's null device as the
# default PCM, from a home directory of this run.
mkdir -p "$work/home"
echo 'pcm.!default { type null }' > "$work/home/.asoundrc"
export HOME=$work/home
tt_start_wineserver

# The stand-in CD audio driver, found in the system directory.
c=$WINEPREFIX/drive_c
cp "$mcicd" "$c/windows/system32/ttmcicd.dll"
tt_wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\MCI' /v CDAudio /d ttmcicd.dll /f >/dev/null 2>&1
export TT_MCICD_LOG=$(winpath "$out/mcicd.log") TT_DSETUP_LOG=$(winpath "$out/dsetup.log") TT_DSETUP_ANSWERS=0

# run_scenario NAME: the robot, its screenshots as PNG, the transcript
# against NAME.expected (the memory row of the system information is this
# machine's and is written as <memory>).
run_scenario() {
  local scn=$1 dir=$out/$1
  mkdir -p "$dir"
  tt_log "flows: $scn"
  tt_wine "$robot" "$(winpath "$here/$scn.scn")" "$(winpath "$dir")" || fail "$scn did not pass"
  for bmp in "$dir"/*.bmp; do
    [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  sed -e 's/^static 1030: [0-9][0-9]*$/static 1030: <memory>/' "$dir/transcript.txt" > "$dir/transcript.cmp"
  diff -u "$here/$scn.expected" "$dir/transcript.cmp" >&2 || fail "$scn: the transcript differs from $scn.expected"
}

reg_has() { tt_wine reg query "$1" >/dev/null 2>&1; }

# ---- (a) relaunch and installation ------------------------------------------
run_scenario flows-relaunch
temp=$(find "$c/users" -mindepth 2 -maxdepth 2 -type d -iname temp | head -n 1)
user=$(basename "$(dirname "$temp")")
wintemp="C:\\users\\$user\\Temp\\"
for f in OUTFIT.EXE:DATA1/SPANISH/OUTFIT.EXE DSETUP.DLL:DATA1/DSETUP.DLL DSETUP6E.DLL:DATA1/DSETUP6E.DLL \
         DSETUP6J.DLL:DATA1/DSETUP6J.DLL DSETUPE.DLL:DATA1/DSETUPE.DLL DSETUPJ.DLL:DATA1/DSETUPJ.DLL; do
  cmp -s "$temp/${f%%:*}" "$cd_dir/${f#*:}" || fail "the temporary directory has no copy of ${f#*:}"
done
nul_lines() {
  local i
  for i in $(seq 1 "$1"); do
    for f in OUTFIT.EXE DSETUP.DLL DSETUP6E.DLL DSETUP6J.DLL DSETUPE.DLL DSETUPJ.DLL; do
      printf 'NUL=%s%s\n' "$wintemp" "$f"
    done
  done
}
wininit=$c/windows/WININIT.INI
{ echo '[Rename]'; nul_lines 1; } | diff -u - <(crlf_free "$wininit") >&2 ||
  fail "WININIT.INI after the relaunch is not [Rename] and the six NUL= lines"

game=$c/ZEPH
diff -r -x QVX.INF -x G2 -x G3 -x G4 -x G5 "$cd_dir-expect" "$game" >&2 ||
  fail "the game directory differs from the CD's expect tree"
qvx_expected() {
  sed -e "s/<directory>/${1//\\/\\\\}/" -e "s/^SHADOWS,8000,75,OFF$/SHADOWS,8000,75,$2/" \
      -e "s/^SOUND,$/SOUND,$3/" "$here/qvx.expected"
}
qvx_check() {
  sed -e 's/\r$//' -e 's/^EXTENDED,[0-9][0-9]*$/EXTENDED,<memory>/' "$1/QVX.INF" |
    diff -u <(qvx_expected "$2" "$3" "$4") - >&2 || fail "$5: QVX.INF differs from qvx.expected"
}
# The run has a wave device (ALSA's null device), whose name SOUND records.
qvx_check "$game" 'C:\ZEPH' OFF 'Out: default' "installation"
reg_has 'HKLM\Software\Vornhollow Entertainment' || fail "no install record"
group=$(find "$c/users" -type d -path '*Start Menu/Programs/Tinfoil Tango' | head -n 1)
[ -n "$group" ] || fail "no program group folder"

# ---- (b) reconfiguring the DOS installation ---------------------------------
# An option the player switched on and a stale FIXED line: the option must
# survive, the line be rewritten.
sed -i -e 's/^SHADOWS,8000,75,OFF/SHADOWS,8000,75,ON/' -e 's/^FIXED,[^\r]*/FIXED,C:\\VIEJO/' "$game/QVX.INF"
run_scenario flows-reconfigure-dos
qvx_check "$game" 'C:\ZEPH' ON 'Out: default' "DOS reconfiguration"
starts=$(grep -c '^SETSOUND ran in C:\\ZEPH show 3 ' "$game/SETSOUND.LOG" 2>/dev/null)
[ "${starts:-0}" = 1 ] || fail "SETSOUND.EXE started ${starts:-0} times in the DOS reconfiguration, not once"
{ echo '[Rename]'; nul_lines 2; } | diff -u - <(crlf_free "$wininit") >&2 ||
  fail "the second relaunch did not add six more NUL= lines"
[ ! -e "$out/mcicd.log" ] && [ ! -e "$out/dsetup.log" ] || fail "the DOS road reached the CD audio or DirectX"

# ---- (c) the Windows variant, moved --------------------------------------------
rm -f "$game/ZEPH.BAT"
mkdir -p "$c/JUEGOS"
mv "$game" "$c/JUEGOS/MOVIDO"
run_scenario flows-reconfigure-win
qvx_check "$c/JUEGOS/MOVIDO" 'C:\JUEGOS\MOVIDO' ON 'Out: default' "Windows reconfiguration"
# INTERIM,4 asks for track 5; the stand-in's tracks last 3:00:00.
printf '%s\n' 'open flags=0x00003000 type=516' 'set flags=0x00000402 timeformat=10' \
  'status flags=0x00000110 item=1 track=5 return=0x00000003' 'play flags=0x0000000C from=0x00000005 to=0x00000305' \
  'stop flags=0x00000002' 'close flags=0x00000002' | diff -u - <(crlf_free "$out/mcicd.log") >&2 ||
  fail "the CD audio commands differ"
echo 'DirectXSetupA owner=window class="MyMainWindow" caption="Configuración" path="D:\DirectX" flags=0x10000A3F answer=0' |
  diff -u - <(crlf_free "$out/dsetup.log" | iconv -f CP1252 -t UTF-8) >&2 || fail "the DirectX setup call differs"
run_scenario flows-directx-missing
[ "$(crlf_free "$out/dsetup.log" | wc -l)" = 1 ] || fail "a DSETUP.DLL was found beside the CD's OUTFIT.EXE"

# ---- (c') the installation on no disk ---------------------------------------------
# The search must neither walk Wine's Z:, the host's root, nor enter links:
# two back to C:\ make a walk that enters them branch at every level, as
# the host's /proc does.
mv "$c/JUEGOS/MOVIDO" "$work/aparte"
ln -s "$c" "$c/JUEGOS/LAZO"
ln -s "$c" "$c/JUEGOS/BUCLE"
run_scenario flows-notfound
[ -s "$out/flows-notfound/notfound.png" ] || fail "no screenshot notfound.png"
rm "$c/JUEGOS/LAZO" "$c/JUEGOS/BUCLE" && rmdir "$c/JUEGOS"
mv "$work/aparte" "$game"

# ---- (d) system information ------------------------------------------------------
printf '; Sonido\r\nDEVICE Sound Blaster 16\r\n' > "$game/DIG.INI"
python3 -c "import sys; d=bytearray(b' '*21100); n=b'VESA VBE 2.0 Lineal\0'; d[21009:21009+len(n)]=n; open(sys.argv[1],'wb').write(d)" \
  "$game/UVCONFIG.DAT"
run_scenario flows-sysinfo

# ---- (e) uninstallation ---------------------------------------------------------------
mkdir -p "$game/G3/SAVE" "$game/G11"
echo partida > "$game/G3/SAVE/PARTIDA.DAT"
echo solo > "$game/G5/SOLO.DAT"
chmod a-w "$game/G1/MAPA01.DAT"
run_scenario flows-uninstall
left=$(cd "$game" 2>/dev/null && find . | LC_ALL=C sort | tr '\n' ' ')
[ "$left" = '. ./DIG.INI ./G11 ./G3 ./G3/SAVE ./G3/SAVE/PARTIDA.DAT ./G5 ./G5/SOLO.DAT ./SETSOUND.LOG ./UVCONFIG.DAT ' ] ||
  fail "the game directory holds: $left"
[ -z "$(find "$c/users" -type d -path '*Start Menu/Programs/Tinfoil Tango')" ] || fail "the program group folder stays"
reg_has 'HKLM\Software\Vornhollow Entertainment' && fail "the publisher key stays"
reg_has 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tinfoil Tango' && fail "the uninstall key stays"

for shot in flows-reconfigure-win/directx flows-directx-missing/directx-missing flows-sysinfo/sysinfo flows-uninstall/uninstalled; do
  [ -s "$out/$shot.png" ] || fail "no screenshot $shot.png"
done

[ "$failed" = 0 ] && echo "check $name: passed"
exit "$failed"
