#!/usr/bin/env bash
# Set up, build and run every test: the plain build, then (unless
# ZELM_SANITIZE=0) the same suite under AddressSanitizer + UBSan, which also
# builds the libFuzzer targets and runs each for a short time.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$here/scripts/setup.sh" "$here/build"
(cd "$here/build" && ctest --output-on-failure -j"$jobs" --timeout 600)

if [ "${ZELM_SANITIZE:-1}" != "0" ]; then
  CC=clang CXX=clang++ BUILD_TYPE=Debug "$here/scripts/setup.sh" "$here/build-asan" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZELM_SANITIZE=ON -DZELM_FUZZ=ON
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$here/scripts/lsan.supp
  (cd "$here/build-asan" && ctest --output-on-failure -j"$jobs" --timeout 900)
fi
