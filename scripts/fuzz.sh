#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) into build-fuzz/ and runs them one
# after the other, sharing TOTAL seconds (default 180) evenly: `scripts/fuzz.sh [TOTAL [TARGET...]]`
# runs the named targets only. Each starts from its seed corpus in fuzz/corpus/ and the inputs of
# past crashes in fuzz/regressions/; new interesting inputs collect in build-fuzz/corpus/. A crash
# fails the run; its input is copied into fuzz/regressions/<target>/, where every test build
# replays it from then on: commit it with the fix.
set -euo pipefail
cd "$(dirname "$0")/.."
total="${1:-180}"
shift $(($# > 0 ? 1 : 0))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(framer settings utf8 control trace receipt dump)
fi
seconds=$((total / ${#targets[@]}))
if [ "$seconds" -lt 1 ]; then
    seconds=1
fi
scripts/install-deps.sh fuzz
dir=build-fuzz
if [ ! -f "$dir/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQX44_FUZZ=ON -DQX44_BUILD_UI=OFF -DQX44_BUILD_TESTS=OFF -DQX44_BUILD_BENCH=OFF >&2
fi
cmake --build "$dir" --parallel "$(nproc)" --target "${targets[@]/%/_fuzzer}" >&2

root="$PWD"
failed=()
summary=()
for target in "${targets[@]}"; do
    work="$root/$dir/corpus/$target"
    crashes="$root/$dir/crashes/$target"
    # Each target runs in an empty folder of its own: the host's media list names the files of
    # the working folder, which here stays small and the same from run to run.
    folder="$root/$dir/work/$target"
    mkdir -p "$work" "$crashes" "$folder" "fuzz/regressions/$target"
    log="$root/$dir/$target.log"
    echo "== $target: $seconds s" >&2
    status=0
    # Inputs of 1 KiB hold dozens of messages or lines and keep the runs fast; a receipt needs
    # 4 KiB to outgrow its bound. -timeout catches hangs.
    max_len=1024
    if [ "$target" = receipt ]; then
        max_len=4096
    fi
    (cd "$folder" && "$root/$dir/fuzz/${target}_fuzzer" -max_total_time="$seconds" \
        -max_len="$max_len" -timeout=10 -print_final_stats=1 -artifact_prefix="$crashes/" \
        "$work" "$root/fuzz/corpus/$target" "$root/fuzz/regressions/$target") >"$log" 2>&1 ||
        status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1)
    summary+=("$target: ${runs:-?} executions, ${rate:-?} per second, ${coverage:-cov: ?}")
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
