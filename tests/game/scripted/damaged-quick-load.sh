#!/bin/sh
# A quick save damaged in each of the ways `save damage` knows, loaded from
# the story's first page: each is refused with the notice that it is
# damaged before the story is left, and the story goes on as it was. The
# sound save is made by a first run; each damaged copy takes its place for
# a run of its own, whose snapshots must equal the reviewed pictures: the
# first page before the load, the notice that the save is damaged over the
# same page (as it comes and as it stands), and the next page after a
# click.
#   damaged-quick-load.sh PROGRAM SAVE_TOOL GAME_FOLDER SCRIPTED_FOLDER WORK_FOLDER GOLDEN_FOLDER
set -u
command -v compare >/dev/null 2>&1 || { echo "ImageMagick's compare is not installed"; exit 77; }
program=$1 savetool=$2 game=$3 scripted=$4 work=$5 golden=$6
rm -rf "$work"
mkdir -p "$work/data" || exit 1
play() {
  : >"$work/run.log"
  (cd "$work" && XDG_DATA_HOME="$work/data" "$program" --headless --input "$1" "/L$game") >>"$work/run.log" 2>&1
  status=$?
  [ $status -eq 0 ] || { echo "the run of $1 ended with status $status:"; cat "$work/run.log"; exit 1; }
}
play "$scripted/make-quick-save.input"
save=$(ls "$work"/data/*/DATA1100.SAV 2>/dev/null | head -n 1)
[ -n "$save" ] || { echo "the first run wrote no quick save"; exit 1; }
cp "$save" "$work/sound.sav" || exit 1
# Each run of the table starts from the player's folder as the first run
# left it (the same settings and read pages).
cp -R "$work/data" "$work/data-after-save" || exit 1
failed=0
for kind in state-cut checksum unpacked-size history-flag bytes-after text-cut snapshot-size frame-missing \
            frame-cut frame-history-flag variable-retyped; do
  rm -rf "$work/data" && cp -R "$work/data-after-save" "$work/data" || exit 1
  "$savetool" damage "$work/sound.sav" "$save" "$kind" || { echo "$kind: no damaged copy"; failed=1; continue; }
  rm -f "$work"/*.png
  play "$scripted/load-damaged-save.input"
  for pair in before-load:damaged-before-load damaged-notice:damaged-notice after-notice:damaged-after-notice \
              next-page:damaged-next-page; do
    shot=${pair%%:*} picture=${pair#*:}
    if [ ! -s "$work/$shot.png" ]; then
      echo "$kind: the run wrote no $shot.png"; failed=1
    elif ! compare -metric AE "$golden/$picture.png" "$work/$shot.png" null: >/dev/null 2>&1; then
      mkdir -p "$work/failed" && cp "$work/$shot.png" "$work/failed/$kind-$shot.png"
      echo "$kind: $shot.png differs from $picture.png ($work/failed/$kind-$shot.png)"; failed=1
    fi
  done
done
exit $failed
