#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with clang-14, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz/, replays the committed inputs in fuzz/corpus/<target>/,
# then fuzzes each target for SECONDS (default 60), starting from the committed inputs and the
# seeds that the tests' own file makers write. A finding stops the script; the input that broke
# the target is kept in build/fuzz/findings/<target>/.
#
# Usage: tools/fuzz.sh [SECONDS]
#
# The committed inputs are kept small: a new finding's input goes there as it is; to shrink a
# folder, run the target with -merge=1 NEW OLD under ASAN_OPTIONS=detect_leaks=0 (in merge mode
# LeakSanitizer's check at exit crashes here, and libFuzzer reports the empty input as a crash).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-60}
targets=(data_file picture)

tools/install-deps.sh test

cmake --preset fuzz
cmake --build --preset fuzz -j"$(nproc)" --target fuzz_seeds "${targets[@]/%/_fuzzer}"

seeds=build/fuzz/fuzz/seeds
rm -rf "$seeds"
build/fuzz/fuzz/fuzz_seeds "$seeds"

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  fuzzer=build/fuzz/fuzz/${target}_fuzzer
  committed=fuzz/corpus/$target
  findings=build/fuzz/findings/$target
  work=build/fuzz/corpus/$target
  mkdir -p "$findings" "$work"

  # Every committed input once: the regressions of earlier findings among them.
  corpora=("$work" "$seeds/$target")
  committed_files=("$committed"/*)
  if [[ -e ${committed_files[0]} ]]; then
    corpora+=("$committed")
    echo "fuzz: replaying ${#committed_files[@]} committed input(s) of $target" >&2
    "$fuzzer" -artifact_prefix="$findings/" "${committed_files[@]}" 2>"$findings/replay.log" || {
      cat "$findings/replay.log" >&2
      exit 1
    }
  fi

  options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/")
  if [[ -f fuzz/$target.dict ]]; then
    options+=(-dict="fuzz/$target.dict")
  fi
  echo "fuzz: $target for $seconds s" >&2
  # New inputs go into the first folder, which stays in build/fuzz between runs.
  "$fuzzer" "${options[@]}" "${corpora[@]}" 2>"$findings/fuzz.log" || {
    tail -n 60 "$findings/fuzz.log" >&2
    exit 1
  }
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb|^Done" "$findings/fuzz.log" \
    | sed "s/^/fuzz: $target: /" >&2
done
echo "fuzz: no findings" >&2
