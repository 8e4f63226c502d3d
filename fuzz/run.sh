#!/usr/bin/env bash
# Runs the library fuzzer for a number of seconds on a corpus seeded from the sample libraries.
# Usage: run.sh FUZZER CORPUS_DIR SECONDS
set -euo pipefail
fuzzer=$1 corpus=$2 seconds=$3
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$corpus"
cp -n "$here"/samples/*.LIB "$corpus"/ 2>/dev/null || true
"$fuzzer" "$corpus" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$(dirname "$corpus")/"
