# Shared by the tests that load saves damaged in each of the ways
# `save damage` knows, through the program: the arguments, the runs of the
# sample game in a player's folder of their own, and the comparison of a
# run's snapshots with the reviewed pictures. Sourced with the test's own
# arguments:
#   PROGRAM SAVE_TOOL GAME_FOLDER SCRIPTED_FOLDER WORK_FOLDER GOLDEN_FOLDER
set -u
command -v compare >/dev/null 2>&1 || { echo "ImageMagick's compare is not installed"; exit 77; }
program=$1 savetool=$2 game=$3 scripted=$4 work=$5 golden=$6
damage_kinds="state-cut checksum unpacked-size history-flag bytes-after text-cut snapshot-size frame-missing
              frame-cut frame-history-flag variable-retyped"
failed=0
rm -rf "$work"
mkdir -p "$work/data" || exit 1

# Runs the sample game headless on an input file; a run that does not end
# well ends the test with its output.
play() {
  : >"$work/run.log"
  (cd "$work" && XDG_DATA_HOME="$work/data" "$program" --headless --input "$1" "/L$game") >>"$work/run.log" 2>&1
  status=$?
  [ $status -eq 0 ] || { echo "the run of $1 ended with status $status:"; cat "$work/run.log"; exit 1; }
}

# Each run of the table starts from the player's folder as the first run
# left it (the same settings and read pages), with no snapshots.
keep_first_run() {
  cp -R "$work/data" "$work/data-after-save" || exit 1
}
start_from_first_run() {
  rm -rf "$work/data" "$work"/*.png && cp -R "$work/data-after-save" "$work/data" || exit 1
}

# check_shot KIND SHOT PICTURE: the run's SHOT.png must equal the reviewed
# PICTURE.png; a different one is kept under failed/ to be looked at.
check_shot() {
  if [ ! -s "$work/$2.png" ]; then
    echo "$1: the run wrote no $2.png"; failed=1
  elif ! compare -metric AE "$golden/$3.png" "$work/$2.png" null: >/dev/null 2>&1; then
    mkdir -p "$work/failed" && cp "$work/$2.png" "$work/failed/$1-$2.png"
    echo "$1: $2.png differs from $3.png ($work/failed/$1-$2.png)"; failed=1
  fi
}
