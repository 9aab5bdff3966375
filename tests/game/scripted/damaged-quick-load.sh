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
. "$4/damaged-runs.sh"
play "$scripted/make-quick-save.input"
save=$(ls "$work"/data/*/DATA1100.SAV 2>/dev/null | head -n 1)
[ -n "$save" ] || { echo "the first run wrote no quick save"; exit 1; }
cp "$save" "$work/sound.sav" || exit 1
keep_first_run
for kind in $damage_kinds; do
  start_from_first_run
  "$savetool" damage "$work/sound.sav" "$save" "$kind" || { echo "$kind: no damaged copy"; failed=1; continue; }
  play "$scripted/load-damaged-save.input"
  for pair in before-load:damaged-before-load damaged-notice:damaged-notice after-notice:damaged-after-notice \
              next-page:damaged-next-page; do
    check_shot "$kind" "${pair%%:*}" "${pair#*:}"
  done
done
exit $failed
