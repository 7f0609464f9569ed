#!/usr/bin/env bash
# Uninstalling takes only what the installation wrote, wherever the game went.
# In one prefix, driven by the GUI test robot:
#   C:\JUEGOS   a directory that already holds another game: files at its top,
#               a saved game, a G1 of its own with a saved game in it, G2 a
#               symbolic link to C:\OTRO (which holds files) and G4 one to the
#               empty C:\VACIO; the game is installed into it, then uninstalled
#   C:\WINDOWS  the game installed into it, then uninstalled
# After each uninstallation the tree is as it was before the installation,
# byte for byte, links as links: every other file stays, nothing of the game
# is left. Only WININIT.INI, which every start from the CD extends, changes.
#
#   uninstall.sh CD_DIR OUT_DIR      (TT_ROBOT: robot.exe)
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/common.sh"
name=uninstall
failed=0
fail() { echo "check $name: $*" >&2; failed=1; }

tt_scenario_begin uninstall "$@"
winpath() { tt_winpath "$@"; }
rm -rf "$out"/juegos-* "$out"/windows-*

tt_make_prefix "$work/prefix" "$cd_dir" || exit 2
tt_scenario_display
tt_start_wineserver
c=$WINEPREFIX/drive_c

# run_scenario SCENARIO OUT_NAME: the robot with TT_TARGET in its environment.
run_scenario() {
  local dir=$out/$2
  mkdir -p "$dir"
  tt_log "uninstall: $2"
  tt_wine "$robot" "$(winpath "$here/$1.scn")" "$(winpath "$dir")" || fail "$2 did not pass"
  for bmp in "$dir"/*.bmp; do
    [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
}

# Every directory, link (with its target) and file (with its hash) below the
# given directories of drive C:, WININIT.INI left out.
snapshot() {
  local d
  for d in "$@"; do
    (cd "$c" && find "$d" \( -type l -printf 'link %p -> %l\n' \) -o \( -type d -printf 'dir %p\n' \)
     find "$d" -type f ! -iname WININIT.INI -print0 | xargs -0 -r sha256sum | sed 's/^/file /')
  done | LC_ALL=C sort
}

# install_and_remove DIR WINDOWS_NAME TAG SNAPSHOT_DIRS...: DIR is the game
# directory below drive C: as Linux names it.
install_and_remove() {
  local target=$1 win=$2 tag=$3; shift 3
  snapshot "$@" > "$out/$tag-before.txt"
  export TT_TARGET=$win
  run_scenario uninstall-install "$tag-install"
  [ -f "$c/$target/ZEPH4W95.EXE" ] && [ -f "$c/$target/G1/MAPA01.DAT" ] && [ -f "$c/$target/QVX.INF" ] ||
    fail "$tag: the game was not installed into $win"
  run_scenario uninstall-remove "$tag-remove"
  grep -qixF "edit 1001 \"$win\"" "$out/$tag-remove/transcript.txt" ||
    fail "$tag: the uninstallation did not propose $win"
  snapshot "$@" > "$out/$tag-after.txt"
  diff -u "$out/$tag-before.txt" "$out/$tag-after.txt" >&2 ||
    fail "$tag: the uninstallation did not leave $* as they were before the installation"
}

# ---- C:\JUEGOS, holding another game ------------------------------------------
mkdir -p "$c/JUEGOS/G1" "$c/JUEGOS/G7/MAS" "$c/OTRO" "$c/VACIO"
printf 'otro juego\r\n' > "$c/JUEGOS/OTRO.EXE"
printf 'partida 1' > "$c/JUEGOS/PARTIDA1.SAV"
printf 'de otro' > "$c/JUEGOS/G1/OTRO.DAT"
printf 'mi partida' > "$c/JUEGOS/G1/MISAVE.DAT"
printf 'mas' > "$c/JUEGOS/G7/MAS/MAS.DAT"
printf 'fuera' > "$c/OTRO/FUERA.DAT"
printf 'tambien' > "$c/OTRO/MAPA03.DAT"   # a name SECTOR2.CFL installs in G2
chmod a-w "$c/JUEGOS/PARTIDA1.SAV"
ln -s ../OTRO "$c/JUEGOS/G2"
ln -s ../VACIO "$c/JUEGOS/G4"
install_and_remove JUEGOS 'C:\JUEGOS' juegos JUEGOS OTRO VACIO

# ---- C:\WINDOWS ------------------------------------------------------------------
install_and_remove windows 'C:\WINDOWS' windows windows

[ -s "$out/windows-remove/uninstalled.png" ] || fail "no screenshot windows-remove/uninstalled.png"

[ "$failed" = 0 ] && echo "check $name: passed"
exit "$failed"
