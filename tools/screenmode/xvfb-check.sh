#!/bin/sh
# Switches a real window to full screen and back under a virtual X server with
# a window manager (full screen is the window manager's job), and shows the
# X server's own view of the window at each stage.
#   tools/screenmode/xvfb-check.sh BUILD_DIR
# Needs xvfb-run, openbox and xwininfo (.ci/packages.txt).
set -eu
build=${1:?build folder}
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
  rc=0
  ASAN_OPTIONS=detect_leaks=0 "$0/bin/screenmode" --hold 800 \
    --probe "xwininfo -name \"Screen mode check\" | grep -E \"Absolute|Width|Height\"" || rc=$?
  kill $wm
  exit $rc' "$build"
