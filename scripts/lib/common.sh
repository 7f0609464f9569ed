# Shared shell helpers for scripts/test, scripts/demo, scripts/scenario and friends.
# Source it; it defines functions only (plus TT_ROOT and TT_BUILD).

TT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TT_BUILD=${TT_BUILD:-$TT_ROOT/build}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine must never ask to install Mono or Gecko, and never touch ~/.wine.
# Its menu builder would write menu entries, icons and file associations for
# the throwaway prefixes into the real home (~/.config/menus, ~/.local/share);
# the prefix template turns it off too, for whoever sets the overrides.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
# DirectDraw under 32-bit Wine draws through OpenGL, and Mesa would keep its
# compiled shaders in ~/.cache/mesa_shader_cache.
export MESA_SHADER_CACHE_DISABLE=${MESA_SHADER_CACHE_DISABLE:-true}
# Wine's sound driver probes ALSA's default device; on a machine without a
# sound card the stock configuration prints a dozen error lines for it. A
# machine with one keeps its own configuration.
if [ -z "${ALSA_CONFIG_PATH:-}" ] && ! grep -qs '^ *[0-9]' /proc/asound/cards; then
  export ALSA_CONFIG_PATH=$TT_ROOT/scripts/lib/asound.conf
fi

tt_log() { printf '== %s\n' "$*" >&2; }

# Can this machine run 32-bit x86 code? Some virtual machines (paravirtualised
# ones among them) cannot switch to 32-bit code segments at all, which rules
# out 32-bit Wine and Wine's WoW64 alike. A nine-instruction i386 ELF that
# only calls exit(0) answers the question without any package installed.
tt_can_run_i386() {
  local f=${TMPDIR:-/tmp}/tt-i386-probe.$$
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' > "$f"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >> "$f"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >> "$f"
  printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' >> "$f"
  printf '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' >> "$f"
  printf '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >> "$f"
  chmod +x "$f"
  local ok=1
  "$f" >/dev/null 2>&1 && ok=0
  rm -f "$f"
  return $ok
}

# The architecture whose EXEs the tests run under Wine: i686, the shipped one,
# where the machine runs 32-bit code; x86_64 builds of the same sources elsewhere.
# TT_TEST_ARCH may be set by hand to force one.
tt_test_arch() {
  if [ -z "${TT_TEST_ARCH:-}" ]; then
    if tt_can_run_i386; then TT_TEST_ARCH=i686; else TT_TEST_ARCH=x86_64; fi
    export TT_TEST_ARCH
  fi
  echo "$TT_TEST_ARCH"
}

# Installs what the build and the tests need, when something is missing.
# Quick when everything is there already.
tt_install_deps() {
  local arch need=0 cmd
  arch=$(tt_test_arch)
  for cmd in cmake i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix i686-w64-mingw32-windres \
            Xvfb xwd convert clang g++ python3 xorriso nasm dosbox \
             lintian dpkg-shlibdeps dpkg-buildflags groff; do
    command -v "$cmd" >/dev/null 2>&1 || need=1
  done
  if [ "$arch" = i686 ]; then [ -x /usr/lib/wine/wine ] || need=1
  else [ -x /usr/lib/wine/wine64 ] || need=1; fi
  [ -d /usr/src/googletest ] || need=1
  [ -f /usr/include/gtest/gtest.h ] || need=1
  [ -f /usr/share/wine/fonts/marlett.ttf ] || need=1
  /usr/bin/python3 -c 'import PIL' >/dev/null 2>&1 || need=1
  dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || need=1
  [ -f /usr/include/archive.h ] || need=1
  [ -f /usr/include/fuse3/fuse.h ] && command -v fusermount3 >/dev/null 2>&1 || need=1
  [ "$need" = 1 ] || return 0
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages; run as root once so that apt-get can install them" >&2
    return 1
  fi
  tt_log "installing packages (a few minutes on a fresh machine)"
  export DEBIAN_FRONTEND=noninteractive
  local winepkgs="wine64"
  if [ "$arch" = i686 ]; then
    dpkg --add-architecture i386
    winepkgs="wine wine32:i386"
  fi
  apt-get update -q >/dev/null
  # Wine with what it recommends: OpenGL for DirectDraw, its own fonts, XRender.
  apt-get install -y -q $winepkgs fonts-wine libgl1-mesa-dri >/dev/null
  apt-get install -y -q --no-install-recommends \
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev \
    xvfb x11-apps x11-utils imagemagick python3 python3-pil fonts-dejavu-core \
   xauth procps xorriso libarchive-dev nasm dosbox libfuse3-dev fuse3 pkg-config \
    dpkg-dev lintian groff-base >/dev/null
}

# The Wine loader and server for the test architecture. Debian's /usr/bin/wine
# prefers the 32-bit loader whenever it is installed, so call them directly.
tt_wine_loader() {
  if [ "$(tt_test_arch)" = i686 ]; then echo /usr/lib/wine/wine; else echo /usr/lib/wine/wine64; fi
}
tt_wineserver_bin() {
  # TT_WINESERVER names another: an emulated 32-bit Wine is served by the
  # native 64-bit server (scripts/test-i686).
  [ -n "${TT_WINESERVER:-}" ] && { echo "$TT_WINESERVER"; return; }
  if [ "$(tt_test_arch)" = i686 ]; then
    [ -x /usr/lib/wine/wineserver32 ] && { echo /usr/lib/wine/wineserver32; return; }
    echo /usr/lib/wine/wineserver
  else
    echo /usr/lib/wine/wineserver64
  fi
}
tt_wine() {
  WINELOADER=$(tt_wine_loader) "$(tt_wine_loader)" "$@"
}
tt_wineserver() {
  "$(tt_wineserver_bin)" "$@"
}

# Starts a private X server for windows that the tests open, and exports DISPLAY.
# TT_XVFB_PID holds its process so that the caller can end it. Xvfb picks a
# free display itself and names it once it serves it (-displayfd): runs that
# start together never pick the same one, and the number comes from the
# process started here, which must still be running when it has come.
tt_start_xvfb() {
  local file n i
  file=$(mktemp "${TMPDIR:-/tmp}/tt-xvfb.XXXXXX") || return 1
  Xvfb -displayfd 3 -screen 0 "${TT_SCREEN:-800x600x24}" -nolisten tcp 3>"$file" >/dev/null 2>&1 &
  TT_XVFB_PID=$!
  for i in $(seq 1 300); do
    n=$(sed -n '1{/^[0-9][0-9]*$/p}' "$file" 2>/dev/null)
    [ -n "$n" ] && [ "$(wc -l < "$file")" -ge 1 ] && break
    n=
    kill -0 "$TT_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$file"
  if [ -n "$n" ] && kill -0 "$TT_XVFB_PID" 2>/dev/null; then
    export DISPLAY=:$n
    return 0
  fi
  kill "$TT_XVFB_PID" 2>/dev/null
  TT_XVFB_PID=
  echo "could not start Xvfb" >&2
  return 1
}

tt_stop_xvfb() {
  [ -n "${TT_XVFB_PID:-}" ] && kill "$TT_XVFB_PID" 2>/dev/null
  TT_XVFB_PID=
}

# A template prefix is made once per build tree and copied for every run:
# wineboot costs many seconds, a copy a fraction of one.
tt_template_prefix() {
  local tpl=$TT_BUILD/wine-template-v6-$(tt_test_arch)
  if [ ! -f "$tpl/.ready" ]; then
    rm -rf "$tpl"
    mkdir -p "$TT_BUILD"
    tt_log "making a Windows 95 Wine prefix template"
    local winearch=win64
    [ "$(tt_test_arch)" = i686 ] && winearch=win32
    WINEARCH=$winearch WINEPREFIX=$tpl tt_wine wineboot -i >/dev/null 2>&1 || return 1
    # No menu builder: the program group's shortcuts stay inside the prefix.
    WINEPREFIX=$tpl tt_wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null 2>&1
    # What winecfg -v win95 writes; reg.exe does it the same on every Wine.
    WINEPREFIX=$tpl tt_wine reg add 'HKCU\Software\Wine' /v Version /d win95 /f >/dev/null 2>&1
    WINEPREFIX=$tpl tt_wine reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null 2>&1
    # Windows 95 has no visual styles: its controls are drawn the classic
    # way. Wine's prefixes come with its light theme on, whose progress bar
    # takes over 5 ms to paint where the classic one takes half of one.
    WINEPREFIX=$tpl tt_wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f >/dev/null 2>&1
    # Without a window manager, Wine waits up to two seconds whenever a
    # managed window is hidden; unmanaged windows don't wait.
    WINEPREFIX=$tpl tt_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A program that crashes gets winedbg, which would wait for a click on
    # its crash dialog for ever; without the dialog it prints the backtrace
    # to the program's error output and ends the program.
    WINEPREFIX=$tpl tt_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Wine draws the caption buttons with Marlett's glyphs. Debian's Wine 8
    # looks for its own fonts at \??\Z:\usr\share\wine\../fonts\, a path
    # that its file system layer refuses, so none of fonts-wine is found and
    # the close box shows the letter "r". The prefix's Fonts folder is
    # always read.
    cp /usr/share/wine/fonts/marlett.ttf "$tpl/drive_c/windows/Fonts/" || return 1
    WINEPREFIX=$tpl tt_wineserver -w
    touch "$tpl/.ready"
  fi
  echo "$tpl"
}

# tt_make_prefix DIR CD_DIR: a throwaway 32-bit Windows 95 prefix at DIR, with
# CD_DIR as drive D: of type CD-ROM. Exports WINEPREFIX and WINEARCH.
tt_make_prefix() {
  local dir=$1 cd=$2 tpl
  tpl=$(tt_template_prefix) || return 1
  rm -rf "$dir"
  mkdir -p "$(dirname "$dir")"
  cp -a "$tpl" "$dir"
  rm -f "$dir/.ready" "$dir/dosdevices/d:" "$dir/dosdevices/d::"
  ln -s "$(cd "$cd" && pwd)" "$dir/dosdevices/d:"
  export WINEPREFIX=$dir
  export WINELOADER=$(tt_wine_loader)
}

# tt_cddrive_mount SOURCE MOUNTPOINT [OPTION]...: presents SOURCE (a CD
# directory or an image) through the test CD drive (build/native/bin/cddrive,
# see its --help); returns once mounted. 1 with one line saying why the drive
# cannot mount here (not built, no /dev/fuse, not root, the mount refused).
tt_cddrive_mount() {
  local bin=$TT_BUILD/native/bin/cddrive err
  [ -x "$bin" ] || { echo "no CD drive: cddrive is not built (libfuse3-dev)"; return 1; }
  [ -c /dev/fuse ] || { echo "no CD drive: no /dev/fuse here"; return 1; }
  [ "$(id -u)" = 0 ] || { echo "no CD drive: FUSE mounts need root here"; return 1; }
  mkdir -p "$2"
  err=$("$bin" "$@" 2>&1) || { echo "no CD drive: ${err%%$'\n'*}"; return 1; }
}

tt_cddrive_unmount() { fusermount3 -u "$1" 2>/dev/null || umount -l "$1" 2>/dev/null; return 0; }

# Starts the wineserver that every program of the run shares, and Wine's own
# system processes with it. They must not be started by a program under test:
# they would inherit its output pipes and keep them open, and whoever reads
# that output (ctest) would wait for its end for ever. A console that reads
# a FIFO whose writing end this shell holds keeps them alive until the shell
# ends.
tt_start_wineserver() {
  tt_wineserver -p >/dev/null 2>&1
  local fifo=$WINEPREFIX/.tt-keepalive
  rm -f "$fifo"
  mkfifo "$fifo"
  tt_wine cmd.exe <"$fifo" >/dev/null 2>&1 &
  exec {TT_KEEPALIVE_FD}>"$fifo"
  tt_wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
  # The desktop process (explorer.exe /desktop) starts with the first
  # program that asks for the desktop window and inherits its output. With
  # the menu builder off, no program of the start-up asks for it any more,
  # so ask now rather than leave it to the first test.
  tt_wine rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null
}

# Ends every Wine process of the current prefix and removes the prefix.
tt_end_prefix() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  tt_wineserver -k >/dev/null 2>&1
  tt_wineserver -w >/dev/null 2>&1
  if [ -n "${TT_KEEPALIVE_FD:-}" ]; then exec {TT_KEEPALIVE_FD}>&-; TT_KEEPALIVE_FD=; fi
  case "$WINEPREFIX" in
    "$HOME/.wine"|"") ;;
    *) rm -rf "$WINEPREFIX" ;;
  esac
}

# What Wine could write into the home directory: the names at its top (a
# ~/.wine among them) and, file by file with size and time, the places of
# Wine's menu builder (menus, desktop entries, icons, file types, the
# desktop). Two listings that differ mean a run wrote outside its prefix.
tt_host_listing() {
  local data=${XDG_DATA_HOME:-$HOME/.local/share} config=${XDG_CONFIG_HOME:-$HOME/.config}
  find "$HOME" -mindepth 1 -maxdepth 1 -printf '%p\n' 2>/dev/null
  find "$HOME/.wine" "$config/menus" "$data/applications" "$data/desktop-directories" \
    "$data/icons" "$data/mime" "$HOME/Desktop" -printf '%p %s %T@\n' 2>/dev/null
  return 0
}

# tt_screenshot FILE.png: what the private X server shows now.
tt_screenshot() {
  xwd -root -silent -display "$DISPLAY" | convert xwd:- "$1"
}

# A Linux path as Wine's Z: drive names it.
tt_winpath() { printf 'Z:%s' "${1//\//\\}"; }

# tt_scenario_begin NAME CD_DIR OUT_DIR, for the scripts that drive several
# robot scenarios in one prefix: sets cd_dir, out, robot (TT_ROBOT, else the
# build's robot.exe) and work, a directory that goes, with the prefix and an
# X server of the script's own, when the script ends.
tt_scenario_begin() {
  [ $# = 3 ] || { echo "usage: $1.sh CD_DIR OUT_DIR" >&2; exit 2; }
  cd_dir=$(cd "$2" && pwd) || exit 2
  mkdir -p "$3" && out=$(cd "$3" && pwd) || exit 2
  robot=${TT_ROBOT:-$TT_BUILD/win-$(tt_test_arch)/bin/robot.exe}
  [ -f "$robot" ] || { echo "$1.sh: no robot at $robot" >&2; exit 2; }
  work=$(mktemp -d "${TMPDIR:-/tmp}/tt-$1.XXXXXX")
  TT_SCENARIO_OWN_XVFB=0
  trap tt_scenario_end EXIT
  trap 'exit 130' INT TERM
}

tt_scenario_end() {
  tt_end_prefix
  [ "$TT_SCENARIO_OWN_XVFB" = 1 ] && tt_stop_xvfb
  rm -rf "$work"
}

# An 800x600 X server of the script's own, unless DISPLAY names one.
tt_scenario_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  TT_SCREEN=800x600x24 tt_start_xvfb || exit 2
  TT_SCENARIO_OWN_XVFB=1
}

tt_test_arch >/dev/null
