#!/usr/bin/env bash
# Set up, build and run every test: the plain build, then (unless
# ZELM_SANITIZE=0) the same suite under AddressSanitizer + UBSan, which also
# builds the libFuzzer targets and runs each for a short time.
#
# The window tests run on a real X server (Xvfb) with the xcb platform, so
# that focus, shortcuts, context menus and drags behave as on a desktop.
# ZELM_TEST_PLATFORM=offscreen runs them without one (quicker, less real).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
export ZELM_TEST_PLATFORM=${ZELM_TEST_PLATFORM:-xcb}

# ctest in the current folder, under a private Xvfb when the tests want xcb.
run_ctest() {
  if [ "$ZELM_TEST_PLATFORM" = xcb ]; then
    xvfb-run -a -s "-screen 0 1600x1200x24 -nolisten tcp" ctest "$@"
  else
    ctest "$@"
  fi
}

"$here/scripts/setup.sh" "$here/build"
(cd "$here/build" && run_ctest --output-on-failure -j"$jobs" --timeout 600)

if [ "${ZELM_SANITIZE:-1}" != "0" ]; then
  CC=clang CXX=clang++ BUILD_TYPE=Debug "$here/scripts/setup.sh" "$here/build-asan" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZELM_SANITIZE=ON -DZELM_FUZZ=ON
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export LSAN_OPTIONS=suppressions=$here/tests/lsan.supp
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd "$here/build-asan" && run_ctest --output-on-failure -j"$jobs" --timeout 900)
fi
