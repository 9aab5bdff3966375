#!/bin/sh
# Runs the program twice on the same game and input file, each run in a
# folder of its own, and requires byte-identical snapshots from both.
#   replay-twice.sh PROGRAM GAME_FOLDER INPUT_FILE WORK_FOLDER SNAPSHOT...
set -u
program=$1 game=$2 input=$3 work=$4
shift 4
rm -rf "$work"
mkdir -p "$work/first" "$work/second" || exit 1
for run in first second; do
  # Each run starts with a player who has read nothing.
  mkdir -p "$work/$run/data" || exit 1
  (cd "$work/$run" && XDG_DATA_HOME="$work/$run/data" "$program" --headless --input "$input" "/L$game") \
    >"$work/$run.log" 2>&1
  status=$?
  if [ $status -ne 0 ]; then
    echo "the $run run ended with status $status:"; cat "$work/$run.log"; exit 1
  fi
done
for name in "$@"; do
  for run in first second; do
    [ -s "$work/$run/$name.png" ] || { echo "the $run run wrote no $name.png"; cat "$work/$run.log"; exit 1; }
  done
  cmp "$work/first/$name.png" "$work/second/$name.png" || { echo "$name.png differs between runs"; exit 1; }
done
exit 0
