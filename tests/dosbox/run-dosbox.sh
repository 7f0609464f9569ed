#!/usr/bin/env bash
# tests/dosbox/run-dosbox.sh [--timeout SECONDS] CONF [LOG]
#
# Runs Debian's DOSBox (0.74) on CONF without a screen or sound: SDL's dummy
# video and audio drivers, HOME in a scratch directory (so nothing lands in
# ~/.dosbox), the settings that 0.74 needs for that laid over CONF's, and
# -exit, so DOSBox ends when CONF's [autoexec] does even without an exit
# line. DOSBox's console output goes to LOG (default: discarded).
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
CONF
HOME=$scratch SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  timeout --kill-after=5 "$timeout" dosbox -conf "$conf" -conf "$scratch/headless.conf" -exit \
  >"$log" 2>&1 </dev/null
