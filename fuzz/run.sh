#!/usr/bin/env bash
# Builds the fuzz targets with clang in build/fuzz and runs each in turn for FUZZ_SECONDS
# (default 300). The corpora grow in build/fuzz/corpus, seeded from fuzz/seeds; a crash
# leaves its input in build/fuzz/artifacts. Prints what each target survived; exits 1 if
# any target crashed.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
seconds=${FUZZ_SECONDS:-300}
targets=${FUZZ_TARGETS:-switches dump probe render}

if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ not found (scripts/setup.sh installs it)" >&2
    exit 1
fi
CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j "${FUZZ_JOBS:-2}" >/dev/null || exit 1
mkdir -p "$build/artifacts"

max_len() {
    case $1 in
        dump) echo 4096 ;;
        *) echo 2048 ;;
    esac
}

failed=0
report=()
for target in $targets; do
    corpus=$build/corpus/$target
    log=$build/fuzz_$target.log
    mkdir -p "$corpus"
    echo "fuzz: $target for ${seconds}s (log: $log)"
    "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="$(max_len "$target")" -artifact_prefix="$build/artifacts/$target-" \
        "$corpus" "$root/fuzz/seeds/$target" >"$log" 2>&1
    code=$?
    done_line=$(grep -E '^Done [0-9]+ runs in [0-9]+ second' "$log" | tail -n 1)
    if [ $code -ne 0 ] || [ -z "$done_line" ]; then
        failed=1
        report+=("$target: CRASHED (exit $code), see $log and $build/artifacts/")
        grep -E 'invariant broken|ERROR:|runtime error|SUMMARY' "$log" | head -n 5 >&2
    else
        runs=$(echo "$done_line" | awk '{print $2}')
        secs=$(echo "$done_line" | awk '{print $5}')
        corpus_size=$(find "$corpus" -type f | wc -l)
        report+=("$target: $runs executions in ${secs}s, 0 crashes, corpus $corpus_size inputs")
    fi
done

echo "fuzz: summary"
for line in "${report[@]}"; do echo "  $line"; done
exit $failed
