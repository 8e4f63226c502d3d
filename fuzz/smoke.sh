#!/usr/bin/env bash
# The short fuzzer runs of `make test`: the library, KiCad footprint and library text fuzzers
# side by side, each for its own seconds, so that together they take as long as the longest.
# A run that finds a fault shows the end of its log and fails the whole.
# Usage: smoke.sh FUZZ_BIN_DIR CORPUS_PARENT LIBRARY_SECONDS SEXPR_SECONDS TEXT_SECONDS
set -euo pipefail
bin=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
declare -A pids
run() {
    local name=$1
    shift
    "$here/run.sh" "$@" > "$out/fuzz-smoke-$name.log" 2>&1 &
    pids[$name]=$!
}
run library "$bin/library_fuzzer" "$out/fuzz-corpus" "$3"
run sexpr "$bin/sexpr_fuzzer" "$out/fuzz-corpus-sexpr" "$4" "$here/sexpr_seeds"
run text "$bin/library_text_fuzzer" "$out/fuzz-corpus-text" "$5" "$here/library_text_seeds"
failed=0
for name in library sexpr text; do
    if wait "${pids[$name]}"; then
        echo "fuzzer $name: $(grep -m1 -o 'Done [0-9]* runs in [0-9]* second(s)' \
            "$out/fuzz-smoke-$name.log" || echo done)"
    else
        failed=1
        echo "fuzzer $name failed:"
        tail -n 40 "$out/fuzz-smoke-$name.log"
    fi
done
exit $failed
