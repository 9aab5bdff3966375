#!/bin/sh
# The program's own processor time while it waits on a page of the sample
# game in a real window: the program runs on a virtual X display (Xvfb) of
# its own; after SETTLE seconds (5) its threads' processor time (the
# scheduler's figures in /proc, all threads) is taken over SPAN seconds (10)
# and printed as a share of one core, beside the ideal of 0 %.
#   bench/IdleCpuOnXvfb.sh [PROGRAM [GAME_FOLDER]]
# (defaults: build/bin/orrivel and build/sample-game)
set -u
program=${1:-build/bin/orrivel}
game=${2:-build/sample-game}
settle=${SETTLE:-5}
span=${SPAN:-10}
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed"; exit 77; }
work=$(mktemp -d /tmp/orrivel-idle-XXXXXX) || exit 1
trap 'kill $xvfb $run 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/data"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
DISPLAY=:$(cat "$work/display") XDG_RUNTIME_DIR="$work" XDG_DATA_HOME="$work/data" SDL_AUDIODRIVER=dummy \
  "$program" "/L$(cd "$game" && pwd)" >"$work/run.log" 2>&1 &
run=$!
sleep "$settle"
grep -q headless "$work/run.log" && { echo "the program did not open the X display"; cat "$work/run.log"; exit 1; }
cpu_ns() { cat /proc/$run/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d", s }'; }
a=$(cpu_ns); t0=$(date +%s%N)
sleep "$span"
b=$(cpu_ns); t1=$(date +%s%N)
echo "idle on a page in a window: $(echo "scale=2; ($b - $a) * 100 / ($t1 - $t0)" | bc) % of a core over $span s (peer: 0 %)"
