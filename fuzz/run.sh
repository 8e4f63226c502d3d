#!/usr/bin/env bash
# Runs a fuzzer for a number of seconds. Without SEED_DIR the corpus is seeded from the sample
# libraries and, where they are present, the team's shared library files (beside the checkout, or
# where COBBLESTACK_SHARED_LIBRARIES says); the library fuzzer lets its inputs grow to the largest
# useful file size itself. With SEED_DIR the corpus is seeded from its files, inputs up to 64 KiB.
# Usage: run.sh FUZZER CORPUS_DIR SECONDS [SEED_DIR]
set -euo pipefail
fuzzer=$1 corpus=$2 seconds=$3
here=$(cd "$(dirname "$0")/.." && pwd)
shared=${COBBLESTACK_SHARED_LIBRARIES:-$here/../shared/libraries}
mkdir -p "$corpus"
seed() {
    local file
    for file in "$@"; do
        [ -f "$file" ] || continue
        # The shared files are read-only; the corpus copies must not be.
        [ -e "$corpus/$(basename "$file")" ] || install -m 644 "$file" "$corpus/"
    done
}
limits=()
if [ $# -ge 4 ]; then
    seed "$4"/*
    limits=(-max_len=65536)
else
    seed "$here"/samples/*.LIB
    if [ -d "$shared" ]; then
        seed "$shared"/*.LIB
    else
        echo "note: no shared libraries at $shared; seeding from the samples only" >&2
    fi
fi
"$fuzzer" "$corpus" -max_total_time="$seconds" "${limits[@]}" -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$(dirname "$corpus")/"
