#!/usr/bin/env bash
# Builds the fuzz targets with clang in build/fuzz and runs each in turn for FUZZ_SECONDS
# (default 300). The corpora grow in build/fuzz/corpus, seeded from fuzz/seeds; a crash
# leaves its input in build/fuzz/artifacts. Prints what each target survived; exits 1 if
# any target crashed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j "${FUZZ_JOBS:-2}" >/dev/null || exit 1
failed=0
for target in ${FUZZ_TARGETS:-switches dump render inventory}; do
    log=$build/fuzz_$target.log
    mkdir -p "$build/corpus/$target" "$build/artifacts"
    "$build/fuzz_$target" -max_total_time="${FUZZ_SECONDS:-300}" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" "$root/fuzz/seeds/$target" >"$log" 2>&1
    if [ $? -eq 0 ] && done_line=$(grep -E '^Done [0-9]+ runs' "$log"); then
        echo "fuzz: $target: ${done_line#Done }, 0 crashes, corpus $(ls "$build/corpus/$target" | wc -l) inputs"
    else
        failed=1
        echo "fuzz: $target CRASHED, see $log and $build/artifacts/" >&2
    fi
done
exit $failed
