#!/bin/sh
# Plays the input file headless into a fresh player folder (so that no
# page counts as read from an earlier run) and requires each snapshot to
# equal its reviewed golden picture pixel for pixel (the goldens are kept
# compressed; ImageMagick's compare reads both).
#   play-story.sh PROGRAM GAME_FOLDER INPUT_FILE[:INPUT_FILE...] WORK_FOLDER GOLDEN_FOLDER SNAPSHOT...
set -u
command -v compare >/dev/null 2>&1 || { echo "ImageMagick's compare is not installed"; exit 77; }
program=$1 game=$2 input=$3 work=$4 golden=$5
shift 5
rm -rf "$work"
mkdir -p "$work/data" || exit 1
# Several input files (separated by ":") are played one after the other,
# each a new start of the program on the same player folder.
: >"$work/run.log"
saved_ifs=$IFS
IFS=:
for one in $input; do
  IFS=$saved_ifs
  (cd "$work" && XDG_DATA_HOME="$work/data" "$program" --headless --input "$one" "/L$game") >>"$work/run.log" 2>&1
  status=$?
  [ $status -eq 0 ] || { echo "the run of $one ended with status $status:"; cat "$work/run.log"; exit 1; }
done
IFS=$saved_ifs
failed=0
for name in "$@"; do
  if [ ! -s "$work/$name.png" ]; then
    echo "the run wrote no $name.png"; failed=1
  elif ! compare -metric AE "$golden/$name.png" "$work/$name.png" null: >/dev/null 2>&1; then
    echo "$name.png differs from its golden picture ($work/$name.png)"; failed=1
  fi
done
[ $failed -eq 0 ] || cat "$work/run.log"
exit $failed
