#!/bin/sh
# The settings sheet drawn by the real window back end on a virtual X
# display equals the sheet drawn headless: the same input file's snapshots
# of the sheet agree pixel for pixel, and so does a capture of the X
# screen itself while the sheet is open. Skipped (status 77) where
# xvfb-run or ImageMagick is not installed.
#   sheet-on-xvfb.sh PROGRAM GAME_FOLDER INPUT_FILE OPEN_INPUT_FILE WORK_FOLDER
set -u
program=$1 game=$2 input=$3 openInput=$4 work=$5
for tool in xvfb-run compare convert import; do
  command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done
rm -rf "$work"
mkdir -p "$work/headless/data" "$work/xvfb/data" "$work/screen/data" || exit 1
# The sheet on the game's 1280 x 720 window, its client area and frame.
sheet=420x400+430+160
same() {
  differing=$(compare -metric AE "$1" "$2" null: 2>&1)
  [ "$differing" = "0" ] || { echo "$1 and $2 differ in $differing pixels"; exit 1; }
}

(cd "$work/headless" && XDG_DATA_HOME="$work/headless/data" "$program" --headless --input "$input" "/L$game") \
  >"$work/headless.log" 2>&1 || { echo "the headless run failed:"; cat "$work/headless.log"; exit 1; }
(cd "$work/xvfb" && XDG_DATA_HOME="$work/xvfb/data" SDL_AUDIODRIVER=dummy \
  xvfb-run -a -s "-screen 0 1280x720x24" "$program" --input "$input" "/L$game") \
  >"$work/xvfb.log" 2>&1 || { echo "the run on the virtual display failed:"; cat "$work/xvfb.log"; exit 1; }
grep -q "headless" "$work/xvfb.log" && { echo "the run did not open the virtual display:"; cat "$work/xvfb.log"; exit 1; }
# The file's Esc cancelled the sheet on its last page; the run says so.
grep -q "\[dialog 138\] 入力・その他設定 -> Cancel" "$work/headless.log" ||
  { echo "the headless run did not report the sheet:"; cat "$work/headless.log"; exit 1; }
for name in sheet-keyboard sheet-input sheet-other sheet-window sheet-list-open; do
  for run in headless xvfb; do
    [ -s "$work/$run/$name.png" ] || { echo "the $run run wrote no $name.png"; cat "$work/$run.log"; exit 1; }
  done
  convert "$work/headless/$name.png" -crop $sheet +repage "$work/headless-$name.png"
  convert "$work/xvfb/$name.png" -crop $sheet +repage "$work/xvfb-$name.png"
  same "$work/headless-$name.png" "$work/xvfb-$name.png"
done

# The X screen itself: the game's window fills the virtual screen; once the
# sheet waits for the player, the screen is captured and the program asked
# to stop.
cat >"$work/screen/capture.sh" <<'CAPTURE'
"$1" --input "$2" "/L$3" >"$4/screen.log" 2>&1 &
pid=$!
tries=0
while [ ! -s "$4/screen/sheet-other.png" ] && [ $tries -lt 600 ]; do sleep 0.1; tries=$((tries + 1)); done
sleep 1
import -window root "$4/screen/root.png"
kill $pid
wait $pid
CAPTURE
(cd "$work/screen" && XDG_DATA_HOME="$work/screen/data" SDL_AUDIODRIVER=dummy \
  xvfb-run -a -s "-screen 0 1280x720x24" sh "$work/screen/capture.sh" "$program" "$openInput" "$game" "$work") \
  >"$work/capture.log" 2>&1
[ -s "$work/screen/root.png" ] || { echo "no capture of the screen:"; cat "$work/capture.log" "$work/screen.log"; exit 1; }
convert "$work/screen/root.png" -crop $sheet +repage "$work/screen-sheet-other.png"
same "$work/headless-sheet-other.png" "$work/screen-sheet-other.png"
exit 0
