#!/usr/bin/env bash
# Runs every fuzz target for a bounded time and fails on the first finding.
# Usage: fuzz/run.sh BUILD_DIR [SECONDS_PER_TARGET] (BUILD_DIR configured with -DWARBLET_FUZZ=ON
# and built with the target warblet_fuzz). Each target starts from its seeds in fuzz/corpus/, the
# archives that warblet_fuzz_seeds writes, and for the mappings the documents captured from the
# service under ../shared when they are there; what a run adds goes to BUILD_DIR/fuzz-corpus/.
# A finding leaves its reproducer in BUILD_DIR/fuzz-findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "$1")
seconds=${2:-30}
captured=$(realpath -m ../shared/fixtures/v1-responses)

"$build/fuzz/warblet_fuzz_seeds" "$build/fuzz-seeds"
mkdir -p "$build/fuzz-findings"

run() {
    local name=$1 max_len=$2
    shift 2
    local corpus="$build/fuzz-corpus/$name" log="$build/fuzz-findings/$name.log"
    mkdir -p "$corpus"
    if ! "$build/fuzz/fuzz_$name" "$corpus" "$@" -max_total_time="$seconds" -max_len="$max_len" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-findings/$name-" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz_$name: finding; reproducer and log in $build/fuzz-findings/"
        return 1
    fi
    awk -v name="fuzz_$name" '/stat::number_of_executed_units/ { runs = $2 }
        /stat::average_exec_per_sec/ { rate = $2 }
        END { print name ": " runs " runs, " rate " per second" }' "$log"
}

documents=()
[ -d "$captured" ] && documents=("$captured")

run daylist 4096 "$PWD/fuzz/corpus/daylist" "$build/fuzz-seeds/daylist"
run settings 1024 "$PWD/fuzz/corpus/settings" "$build/fuzz-seeds/settings"
run response 4096 "$PWD/fuzz/corpus/response"
run response_tls 4096 "$PWD/fuzz/corpus/response"
run conversions 1024 "$PWD/fuzz/corpus/conversions"
for mapping in statuses directmessages searchentries lists savedsearches; do
    run "$mapping" 8192 "$PWD/fuzz/corpus/$mapping" "${documents[@]}"
done
