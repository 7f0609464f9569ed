#!/usr/bin/env bash
# tests/dosbox/run-dosbox.sh [--timeout SECONDS] CONF [LOG]
#
# Runs Debian's DOSBox (0.74) on CONF without a screen or sound: SDL's dummy
# video and audio drivers, HOME in a scratch directory (so nothing lands in
# ~/.dosbox), the settings that 0.74 needs for that laid over CONF's, and an
# exit after CONF's [autoexec] (DOSBox runs the [autoexec] lines of every
# -conf in turn), so DOSBox ends when that does even without an exit line.
# DOSBox's console output goes to LOG (default: discarded).
#
# Memory as DOS programs see it in 0.74: with memsize=M (at most 63) and
# [dos] ems=false, XMS reports (M-1)*1024 KB of extended memory with its HMA
# (memsize=16: 15360 KB); with EMS on (DOSBox's default) 128 KB less.
# Batch lines: DOSBox opens a line's redirection before IF decides, so
# "if errorlevel 1 echo x>F" creates F whatever the errorlevel (use md).
#
# DOSBox's own exit status is 0 whatever the DOS programs did: read what they
# wrote. Exit status: 0 DOSBox ran and ended; 77 DOSBox is not installed;
# 124 it did not end within SECONDS (default 60) and was stopped; else
# DOSBox's own failure.
set -u
timeout=60
if [ "${1:-}" = --timeout ]; then timeout=$2; shift 2; fi
conf=${1:?usage: run-dosbox.sh [--timeout SECONDS] CONF [LOG]}
log=${2:-/dev/null}
command -v dosbox >/dev/null 2>&1 || { echo "run-dosbox.sh: dosbox is not installed" >&2; exit 77; }
[ -f "$conf" ] || { echo "run-dosbox.sh: no configuration $conf" >&2; exit 2; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tt-dosbox.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT
# Later -conf files override earlier ones, setting by setting.
cat >"$scratch/headless.conf" <<'CONF'
[sdl]
fullscreen=false
output=surface
[mixer]
nosound=true
[midi]
mpu401=none
mididevice=none
[autoexec]
exit
CONF
HOME=$scratch SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  timeout --kill-after=5 "$timeout" dosbox -conf "$conf" -conf "$scratch/headless.conf" \
  >"$log" 2>&1 </dev/null
