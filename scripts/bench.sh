#!/usr/bin/env bash
# Builds every benchmark (bench/*_bench.cpp) in a Release tree of its own and
# runs each one, printing the median of several repetitions.
#   scripts/bench.sh [BUILD_DIR] [extra benchmark arguments...]
# BUILD_DIR defaults to build-bench beside the sources; REPETITIONS (default
# 5) sets the number of repetitions. Then, where ImageMagick or vipsthumbnail
# is installed, the side-by-side comparison of scripts/bench-compare.sh
# (COMPARE=0 leaves it out, COMPARE=only runs nothing else).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-bench}
[ $# -gt 0 ] && shift

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null

targets=()
if [ "${COMPARE:-1}" != only ]; then
  for src in "$here"/bench/*_bench.cpp; do
    [ -e "$src" ] || continue
    targets+=("$(basename "$src" .cpp)")
  done
fi
[ "${COMPARE:-1}" != 0 ] && targets+=(zelm benchinputs)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no benchmarks in $here/bench" >&2
  exit 1
fi
log="$build/bench-build.log"
if ! cmake --build "$build" --target "${targets[@]}" -j"${JOBS:-2}" >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi

status=0
for t in "${targets[@]}"; do
  case $t in zelm | benchinputs) continue ;; esac
  echo "== $t"
  QT_QPA_PLATFORM=offscreen "$build/bin/$t" \
    --benchmark_repetitions="${REPETITIONS:-5}" \
    --benchmark_report_aggregates_only=true \
    --benchmark_filter="${BENCH_FILTER:-.}" "$@" 2>&1 |
    grep -E '^(-|Benchmark|[A-Za-z_/:0-9=.]+_median)' || status=1
done
if [ "${COMPARE:-1}" != 0 ]; then
  "$here/scripts/bench-compare.sh" "$build" || status=1
fi
exit $status
