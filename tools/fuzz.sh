#!/usr/bin/env bash
# Runs one fuzz target of build-fuzz (built by tools/check.sh): first its
# committed regression inputs (fuzz/regressions/TARGET/*.gz, unpacked), then
# libFuzzer for SECONDS from the committed seeds (fuzz/corpus/TARGET, read
# only; new inputs go to build-fuzz/fuzz-work/TARGET/corpus). Fails on a
# crash, a leak, a sanitizer report or an input that takes over a second.
# Usage: tools/fuzz.sh TARGET SECONDS    (TARGET as in fuzz/TARGET_fuzz.cpp)
#        tools/fuzz.sh --list            the targets, one a line
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --list ]; then
  for f in fuzz/*_fuzz.cpp; do basename "$f" _fuzz.cpp; done
  exit 0
fi
[ $# -eq 2 ] || { echo "usage: tools/fuzz.sh TARGET SECONDS | --list" >&2; exit 2; }
target=$1 seconds=$2
bin=build-fuzz/fuzz/${target}_fuzz
[ -x "$bin" ] || { echo "fuzz: no $bin; tools/check.sh builds it" >&2; exit 2; }
work=build-fuzz/fuzz-work/$target
mkdir -p "$work/corpus" "$work/artifacts" "$work/regressions"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
limits=(-timeout=1 -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/")

regressions=()
for gz in fuzz/regressions/"$target"/*.gz; do
  [ -e "$gz" ] || continue
  out="$work/regressions/$(basename "${gz%.gz}")"
  gunzip -c "$gz" >"$out"
  regressions+=("$out")
done
if [ ${#regressions[@]} -gt 0 ]; then
  "$bin" "${limits[@]}" "${regressions[@]}"
fi
"$bin" "${limits[@]}" -max_total_time="$seconds" -print_final_stats=1 \
  "$work/corpus" "fuzz/corpus/$target"
