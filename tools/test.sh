#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test; then builds again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs every test once more, unless
# VELLORA_SANITIZE_PASS=0.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
started=$SECONDS

tools/install-deps.sh
# A font cache that is out of date (a fresh machine, fonts just installed) makes every program
# that starts rescan the fonts, the window managers of the end-to-end tests included.
fc-cache >/dev/null 2>&1 || true

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLORA_WERROR=ON -DVELLORA_BENCHMARKS=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j2

if [[ ${VELLORA_SANITIZE_PASS:-1} != 0 ]]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELLORA_WERROR=ON -DVELLORA_SANITIZE=ON \
    -DVELLORA_BENCHMARKS=OFF
  cmake --build build-asan -j"$(nproc)"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # Leaks inside third-party libraries (never the program's own) may be listed there.
  if [[ -f tools/lsan.supp ]]; then
    export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
  fi
  ctest --test-dir build-asan --output-on-failure -j2
fi

echo "all tests passed ($((SECONDS - started)) s)"
