#!/usr/bin/env bash
# Runs a fuzzer for a number of seconds on a corpus seeded from the sample libraries, or from the
# files of SEED_DIR when one is given.
# Usage: run.sh FUZZER CORPUS_DIR SECONDS [SEED_DIR]
set -euo pipefail
fuzzer=$1 corpus=$2 seconds=$3
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$corpus"
if [ $# -ge 4 ]; then
    cp -n "$4"/* "$corpus"/ 2>/dev/null || true
else
    cp -n "$here"/samples/*.LIB "$corpus"/ 2>/dev/null || true
fi
"$fuzzer" "$corpus" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$(dirname "$corpus")/"
