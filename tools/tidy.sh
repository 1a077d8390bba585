#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source file of the program, its
# tests and benchmarks; exits non-zero on any finding.
#   tools/tidy.sh [BUILD_FOLDER]
# BUILD_FOLDER is a built folder with compile_commands.json (tools/test.sh passes build/test);
# without one, build/tidy is configured and built for it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-}
if [[ -z $build ]]; then
  build=build/tidy
  if [[ ! -f $build/compile_commands.json ]]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
      -DVELLORA_BENCHMARKS=ON >/dev/null
  fi
  # The generated Qt sources (moc, rcc) are not ours to tidy, but they must exist to compile.
  cmake --build "$build" -j"$(nproc)" >/dev/null
fi
log=$build/clang-tidy.log
if ! run-clang-tidy -quiet -p "$build" -j "$(nproc)" "$(pwd)/(src|tests|bench|fuzz)/.*\.cpp$" \
  >"$log" 2>&1; then
  { grep -E '(warning|error):' -A3 "$log" || tail -n 20 "$log"; } | head -n 150
  echo "clang-tidy: findings above (whole output in $log)" >&2
  exit 1
fi
echo "clang-tidy: no findings"
