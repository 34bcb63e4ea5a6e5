#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) into build-fuzz/ and runs each for
# SECONDS (default 60), one after the other, on the seed corpora in fuzz/corpus/ and the inputs of
# past crashes in fuzz/regressions/. New interesting inputs collect in build-fuzz/corpus/. A crash
# fails the run; its input is copied into fuzz/regressions/<target>/, where every test build
# replays it from then on: commit it with the fix.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/install-deps.sh fuzz
dir=build-fuzz
if [ ! -f "$dir/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQX44_FUZZ=ON -DQX44_BUILD_UI=OFF -DQX44_BUILD_TESTS=OFF -DQX44_BUILD_BENCH=OFF >&2
fi
targets=(framer settings utf8)
cmake --build "$dir" --parallel "$(nproc)" --target "${targets[@]/%/_fuzzer}" >&2

failed=()
summary=()
for target in "${targets[@]}"; do
    work="$dir/corpus/$target"
    crashes="$dir/crashes/$target"
    mkdir -p "$work" "$crashes" "fuzz/regressions/$target"
    log="$dir/$target.log"
    echo "== $target: $seconds s" >&2
    status=0
    # Inputs of 1 KiB hold dozens of messages and keep the runs fast; -timeout catches hangs.
    "$dir/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len=1024 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$crashes/" \
        "$work" "fuzz/corpus/$target" "fuzz/regressions/$target" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    summary+=("$target: ${runs:-?} executions, ${rate:-?} per second")
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        for artifact in "$crashes"/*; do
            [ -e "$artifact" ] && cp "$artifact" "fuzz/regressions/$target/"
        done
        failed+=("$target")
    fi
done
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found crashes in: ${failed[*]} (inputs copied to fuzz/regressions/)" >&2
    exit 1
fi
