#!/usr/bin/env bash
# Runs one libFuzzer target under AddressSanitizer and UndefinedBehaviorSanitizer for a number of
# seconds, on one core, from the seed corpus the build makes (fixture writers and ffmpeg) plus the
# inputs earlier runs found (build/fuzz/work/TARGET). Exits non-zero on a finding; the input that
# caused it is left in build/fuzz/findings/ and its hex dump is printed, to be stored under
# tests/fuzz/inputs/TARGET/ as a regression input.
#
#   scripts/fuzz.sh fuzz_analysis|fuzz_wav|fuzz_texts SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
  echo "usage: $0 fuzz_analysis|fuzz_wav|fuzz_texts SECONDS" >&2
  exit 2
fi
target="$1"
seconds="$2"
case "$target" in
  fuzz_analysis) max_len=262144 ;;
  fuzz_wav) max_len=16384 ;;
  fuzz_texts) max_len=4096 ;;
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac

export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}"
cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target "$target" tavrin_fuzz_corpus -j2 >/dev/null

work="build/fuzz/work/$target"
findings="build/fuzz/findings"
mkdir -p "$work" "$findings"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
"build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
  "$work" "build/fuzz/fuzz/corpus/$target" || status=$?
if [ "$status" -ne 0 ]; then
  for f in "$findings/$target"-*; do
    [ -f "$f" ] || continue
    echo "finding: $f ($(stat -c %s "$f") bytes)" >&2
    od -An -tx1 -v "$f" | head -c 4000 >&2
  done
fi
exit "$status"
