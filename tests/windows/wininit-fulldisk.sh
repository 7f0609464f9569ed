#!/usr/bin/env bash
# WININIT.INI on a full disk: the Windows directory of a throwaway prefix on
# a small tmpfs of its own, filled up, with an old WININIT.INI of 141 lines
# (more than 8 KB). The rewrite must fail and leave the old file byte for
# byte, with nothing left beside it.
#
#   wininit-fulldisk.sh TEST_EXE
#       TEST_EXE: windows_test.exe, whose disabled case
#       WininitOnAFullDisk.DISABLED_TheOldFileStaysAsItWas does the rewrite.
#
# The tmpfs lives in a private mount namespace of an unprivileged user
# namespace (unshare), so nothing outside sees it; the entries of the
# prefix's Windows directory are bound back into it. Without user
# namespaces the test is skipped (exit 77).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# = 1 ] || { echo "usage: wininit-fulldisk.sh TEST_EXE" >&2; exit 2; }
exe=$1

if [ -z "${TT_FULLDISK_INSIDE:-}" ]; then
  unshare --user --map-root-user --mount true 2>/dev/null || { echo "no user namespaces here: skipped"; exit 77; }
  . "$root/scripts/lib/common.sh"
  run=$(mktemp -d "${TMPDIR:-/tmp}/tt-fulldisk.XXXXXX")
  trap 'rm -rf "$run"' EXIT
  mkdir -p "$run/cd"
  tt_make_prefix "$run/prefix" "$run/cd" || exit 1
  # The namespace's root is the caller mapped; the prefix must belong to it.
  TT_FULLDISK_INSIDE=1 TT_RUN="$run" unshare --user --map-root-user --mount bash "$0" "$exe"
  exit $?
fi

. "$root/scripts/lib/common.sh"
run=$TT_RUN
export WINEPREFIX=$run/prefix WINELOADER=$(tt_wine_loader) WINEDEBUG=-all
win=$WINEPREFIX/drive_c/windows
failed=0
fail() { echo "check wininit full disk: $*" >&2; failed=1; }

rm -f "$win/WININIT.INI"
mkdir -p "$run/hidden"
mount --bind "$win" "$run/hidden" || exit 1
mount -t tmpfs -o size=256k tmpfs "$win" || exit 1
for entry in "$run/hidden"/*; do
  name=$(basename "$entry")
  if [ -d "$entry" ]; then mkdir "$win/$name"; else : > "$win/$name"; fi
  mount --bind "$entry" "$win/$name" || exit 1
done

# Wine, like Windows, works through WININIT.INI when it boots: boot first.
tt_wineserver -p >/dev/null 2>&1
tt_wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
rm -f "$win"/[Ww][Ii][Nn][Ii][Nn][Ii][Tt].*

# 141 lines of 80 characters and more: 11 KB.
{
  printf '[rename]\r\n'
  for i in $(seq 1 140); do printf 'C:\\WINDOWS\\SYSTEM\\OLDDRV%03d.VXD=C:\\WINDOWS\\SYSTEM\\NEWDRV%03d.VXD ; kept\r\n' "$i" "$i"; done
} > "$win/WININIT.INI"
cp "$win/WININIT.INI" "$run/WININIT.before"
[ "$(wc -l < "$run/WININIT.before")" = 141 ] || fail "the old file is not 141 lines"
dd if=/dev/zero of="$win/FILLER" bs=4096 2>/dev/null
dd if=/dev/zero of="$win/FILLER2" bs=1 2>/dev/null
df -k "$win" | tail -n 1 >&2

tt_wine "$exe" --gtest_also_run_disabled_tests \
  --gtest_filter=WininitOnAFullDisk.DISABLED_TheOldFileStaysAsItWas >"$run/test.log" 2>&1 ||
  { cat "$run/test.log" >&2; fail "the test case failed"; }
grep -q '\[  PASSED  \] 1 test' "$run/test.log" || { cat "$run/test.log" >&2; fail "the test case did not run"; }
tt_wineserver -k >/dev/null 2>&1
tt_wineserver -w >/dev/null 2>&1

cmp "$run/WININIT.before" "$win/WININIT.INI" >&2 || fail "WININIT.INI changed"
ls "$win" | grep -qi '^WININIT\.\(NEW\|OLD\)$' && fail "a WININIT.NEW or .OLD was left beside it"
[ "$failed" = 0 ] && echo "check wininit full disk: passed ($(wc -c < "$win/WININIT.INI") bytes kept)"
exit "$failed"
