#!/usr/bin/env bash
# Every row of the performance table in one command: wrapping (8 mono tracks and a stereo pair,
# by mapping and by file I/O, with and without the undo journal), BWF export of 8 tracks, the
# analysis with the timecode check, and the peak memory of the file-I/O engines, all on the
# 50 Mb/s delivery file at 2 minutes (and with --long at 10 minutes too), each against its floor
# and ffmpeg where there is a peer.
#
#   scripts/bench.sh [--long] [--rounds N] [--dir DIR] [--build DIR]
#
# --build is an optimised build folder (default build/release; configured and built here when it
# lacks the benchmarks). --dir is where the big files go (default $TMPDIR, else /tmp): 2 minutes
# need about 2 GB free, 10 minutes about 8 GB (the wrap's re-mux writes a second copy). Each
# program's whole output is kept in the results folder it names at the end; the summary below it
# repeats the ratio lines.
set -euo pipefail

cd "$(dirname "$0")/.."
build=build/release
dir="${TMPDIR:-/tmp}"
rounds=3
minutes=(2)
while [[ $# -gt 0 ]]; do
  case "$1" in
    --long) minutes=(2 10) ;;
    --rounds) rounds="$2"; shift ;;
    --dir) dir="$2"; shift ;;
    --build) build="$2"; shift ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

programs=(bench_wrap bench_export bench_verify)
unset TAVRIN_BENCH_LONG  # each length is asked for here, one run per length
if [[ ! -f "$build/build.ninja" ]]; then
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_WERROR=ON \
        -DTAVRIN_BUILD_UI=OFF -DTAVRIN_BUILD_TESTS=ON
fi
cmake --build "$build" --target "${programs[@]}"

results="$(mktemp -d "${dir}/tavrin-bench-results-XXXXXX")"
for m in "${minutes[@]}"; do
  for p in "${programs[@]}"; do
    args=(--minutes "$m" --rounds "$rounds" --dir "$dir")
    [[ "$p" == bench_verify ]] && args+=(--delivery)
    out="$results/${p}_${m}min.txt"
    echo "== $p ${args[*]}"
    "$build/bench/$p" "${args[@]}" | tee "$out"
    echo
  done
done

echo "==================== summary (whole outputs in $results) ===================="
for m in "${minutes[@]}"; do
  echo "---- ${m}-minute file ----"
  for p in "${programs[@]}"; do
    grep -E '^file:|^[A-Za-z0-9 ,-]+:$|[0-9]x( |$)|^ +(undo journal|memory bound)|[Gg]oals?:' \
      "$results/${p}_${m}min.txt" | grep -vE '^(The|Each|the|an idle|index)' || true
  done
done
