#!/bin/sh
# Seeded campaign of the natives fuzzer without libFuzzer:
#   fuzz/run_natives_campaign.sh <fuzz_NativesFuzz> <out folder> <first seed> <chunks> <inputs per chunk>
# Each chunk runs in a world of its own under <out folder>/<seed>: HOME, the
# XDG folders, TMPDIR (where the game folder with its save folder is made)
# and the working folder. A chunk is clean when the program says it ran all
# its inputs and nothing was reported; a clean chunk whose world holds
# anything besides the run's own files and the empty HOME and XDG folders
# wrote outside the game and save folders. Failed chunks are kept, with
# every input their process ran up to its end (natives-run.bin, replayable by
# the program as a fuzz input: the groups run in order, as they ran); the
# tally goes to <out folder>/campaign.log. Run two of these side by side at
# most.
set -u
program=$1; out=$2; seed=$3; chunks=$4; runs=$5
mkdir -p "$out"
i=0
while [ "$i" -lt "$chunks" ]; do
  s=$((seed + i)); d=$out/$s
  rm -rf "$d"
  mkdir -p "$d/home" "$d/tmp" "$d/xdg/config" "$d/xdg/data" "$d/xdg/cache" "$d/xdg/state" "$d/xdg/runtime"
  chmod 700 "$d/xdg/runtime"
  (cd "$d" && env HOME="$d/home" TMPDIR="$d/tmp" XDG_CONFIG_HOME="$d/xdg/config" XDG_DATA_HOME="$d/xdg/data" \
    XDG_CACHE_HOME="$d/xdg/cache" XDG_STATE_HOME="$d/xdg/state" XDG_RUNTIME_DIR="$d/xdg/runtime" \
    ORRIVEL_NATIVES_FUZZ_RUNS="$runs:$s" ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$program" >out.txt 2>err.txt)
  if grep -q "random inputs of seed $s ran" "$d/out.txt" &&
     ! grep -q "runtime error\|Sanitizer\|past its time" "$d/err.txt"; then
    extra=$(cd "$d" && find . -mindepth 1 |
            grep -v -E '^\./(out\.txt|err\.txt|natives-(run|group)\.bin|home|tmp|xdg|xdg/(config|data|cache|state|runtime))$')
    if [ -n "$extra" ]; then
      echo "OUTSIDE seed $s: $extra" >>"$out/campaign.log"
    else
      grep "random inputs" "$d/out.txt" >>"$out/campaign.log"
      rm -rf "$d"
    fi
  else
    echo "FAILED seed $s" >>"$out/campaign.log"
  fi
  i=$((i + 1))
done
