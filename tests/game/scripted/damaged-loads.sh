#!/bin/sh
# The quick save and the load screen's save, damaged in each of the ways
# `save damage` knows, loaded by the title's "つづきから" and by F8 on the
# story's first page: each route says the save is damaged before anything
# is left, and the title (or the page) stays and goes on. The sound saves
# are made by a first run; each damaged pair takes their place for a run
# of its own, whose snapshots must equal the reviewed pictures.
#   damaged-loads.sh PROGRAM SAVE_TOOL GAME_FOLDER SCRIPTED_FOLDER WORK_FOLDER GOLDEN_FOLDER
. "$4/damaged-runs.sh"
play "$scripted/make-saves.input"
quick=$(ls "$work"/data/*/DATA11*.SAV 2>/dev/null | head -n 1)
chosen=$(ls "$work"/data/*/DATA0000.SAV 2>/dev/null | head -n 1)
[ -n "$quick" ] && [ -n "$chosen" ] || { echo "the first run did not write both saves"; exit 1; }
cp "$quick" "$work/quick.sav" && cp "$chosen" "$work/chosen.sav" || exit 1
keep_first_run
for kind in $damage_kinds; do
  start_from_first_run
  "$savetool" damage "$work/quick.sav" "$quick" "$kind" && "$savetool" damage "$work/chosen.sav" "$chosen" "$kind" ||
    { echo "$kind: no damaged copies"; failed=1; continue; }
  play "$scripted/load-damaged-saves.input"
  # The page after the notice is the page as it was before the load.
  for pair in title-notice:title-notice title-after-notice:title-after-notice page-before-load:page-before-load \
              page-notice:page-notice page-after-notice:page-before-load page-next:page-next; do
    check_shot "$kind" "${pair%%:*}" "${pair#*:}"
  done
done
exit $failed
