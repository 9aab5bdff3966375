#!/bin/sh
# Plays the input file into the real window back end on a virtual X
# display, through the window system's own event queue, and requires the
# snapshots. Skipped (status 77) where xvfb-run is not installed.
#   replay-on-xvfb.sh PROGRAM GAME_FOLDER INPUT_FILE WORK_FOLDER SNAPSHOT...
set -u
program=$1 game=$2 input=$3 work=$4
shift 4
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run is not installed"; exit 77; }
rm -rf "$work"
mkdir -p "$work" || exit 1
(cd "$work" && SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1920x1080x24" "$program" --input "$input" "/L$game") \
  >"$work/run.log" 2>&1
status=$?
grep -q "headless" "$work/run.log" && { echo "the run did not open the virtual display:"; cat "$work/run.log"; exit 1; }
[ $status -eq 0 ] || { echo "the run ended with status $status:"; cat "$work/run.log"; exit 1; }
for name in "$@"; do
  [ -s "$work/$name.png" ] || { echo "the run wrote no $name.png"; cat "$work/run.log"; exit 1; }
done
exit 0
