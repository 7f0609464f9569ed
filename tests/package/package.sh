#!/usr/bin/env bash
# tests/package/package.sh SOURCE BUILD TTINSTALL CUE DIR
#
# The package as a player gets it: scripts/package builds it (lintian must
# report no error), dpkg -x unpacks it into a scratch root, which must hold
# the program, its manual page, its completion and its Debian documents and
# nothing else, with the dependencies dpkg-shlibdeps found; the program from
# there must write the same game directory from the image CUE as this
# build's TTINSTALL does. Then cmake --install of BUILD must honour DESTDIR
# and --prefix. Everything goes under DIR: the package's build tree, kept
# between runs, and DIR/work, cleared first (HOME too, for lintian). Exits
# 77 (skipped) where the Debian tools are missing or, with every other
# check passed, where CUE is (scripts/build makes it).
set -u
src=$1 build=$2 ttinstall=$3 cue=$4 dir=$5
work=$dir/work

skip() { echo "skipped: $*"; exit 77; }
for cmd in dpkg-deb dpkg-shlibdeps lintian; do
  command -v "$cmd" >/dev/null 2>&1 || skip "$cmd is not installed"
done
rm -rf "$work"
mkdir -p "$work/home" || exit 1
export HOME=$work/home

failures=0
check() {  # check WHAT COMMAND...: one row of the table
  local what=$1; shift
  if "$@" >"$work/check.log" 2>&1; then echo "ok   $what"
  else echo "FAIL $what"; sed 's/^/     /' "$work/check.log"; failures=$((failures + 1)); fi
}

TT_PACKAGE_BUILD=$dir/package-build "$src/scripts/package" "$work/out" >"$work/package.out" 2>"$work/package.log"
status=$?
cat "$work/package.log"
deb=$(tail -n 1 "$work/package.out")
if [ "$status" != 0 ] || [ ! -f "$deb" ]; then echo "FAIL scripts/package (status $status)"; exit 1; fi
root=$work/root
dpkg -x "$deb" "$root" || exit 1
version=$("$ttinstall" --version)

files() { (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort); }
expected="usr/bin/ttinstall
usr/share/bash-completion/completions/ttinstall
usr/share/doc/ttinstall/changelog.gz
usr/share/doc/ttinstall/copyright
usr/share/man/man1/ttinstall.1.gz"
same_game() {
  "$root/usr/bin/ttinstall" -q install "$cue" "$work/game-deb" &&
    "$ttinstall" -q install "$cue" "$work/game-build" && diff -r "$work/game-deb" "$work/game-build"
}

check "lintian reports no error" bash -c "! grep '^E:' '$work/package.log'"
check "the package holds its files, no others" diff <(echo "$expected") <(files "$root")
check "Depends names libarchive13" bash -c "dpkg-deb -f '$deb' Depends | grep -w libarchive13"
check "Version is the program's" test "ttinstall $(dpkg-deb -f "$deb" Version)" = "$version"
check "the installed ttinstall --version" test "$("$root/usr/bin/ttinstall" --version)" = "$version"
if [ -f "$cue" ]; then
  check "the installed ttinstall installs the image as the build's" same_game
fi
DESTDIR=$work/dest cmake --install "$build" --prefix /opt/tt >"$work/install.log" 2>&1 || cat "$work/install.log"
for f in bin/ttinstall share/man/man1/ttinstall.1 share/bash-completion/completions/ttinstall; do
  check "cmake --install with DESTDIR and --prefix: $f" test -f "$work/dest/opt/tt/$f"
done

[ "$failures" = 0 ] || exit 1
[ -f "$cue" ] || skip "no CD image $cue (scripts/build makes it)"
