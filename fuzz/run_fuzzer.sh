#!/usr/bin/env bash
# Runs one libFuzzer target for a short time over a copy of its seed corpus.
set -euo pipefail
fuzzer=$1 corpus=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
[ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
exec "$fuzzer" -max_total_time="${ZELM_FUZZ_SECONDS:-30}" -rss_limit_mb=2048 -timeout=10 "$work"
