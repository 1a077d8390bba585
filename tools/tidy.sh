#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source file of the program, its
# tests and benchmarks; exits non-zero on any finding. Uses (and configures, when missing) the
# build folder build/tidy.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=build/tidy
if [[ ! -f $build/compile_commands.json ]]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DVELLORA_BENCHMARKS=ON >/dev/null
fi
# The generated Qt sources (moc, rcc) are not ours to tidy, but they must exist to compile.
cmake --build "$build" -j"$(nproc)" >/dev/null
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "$(pwd)/(src|tests|bench|fuzz)/.*\.cpp$"
