#!/usr/bin/env bash
# Runs the fuzz targets, each for SECONDS, on a working copy of its corpus, and prints each
# target's runs, runs per second and coverage. An input that breaks a target is saved into
# tests/fuzz/corpus/<target>/ (crash-*, leak-*, timeout-*, oom-*), where the corpus replay of
# the ordinary tests picks it up: commit it with its fix.
#
#   bash tools/fuzz.sh SECONDS [TARGET...]     targets: the folders of tests/fuzz/corpus (default all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]] || [ "$1" -eq 0 ]; then
    echo "usage: bash tools/fuzz.sh SECONDS [TARGET...]" >&2
    exit 2
fi
seconds=$1; shift
corpus=$root/tests/fuzz/corpus
all=()
for dir in "$corpus"/*/; do all+=("$(basename "$dir")"); done
targets=("${@:-${all[@]}}")
for target in "${targets[@]}"; do
    if [ ! -d "$corpus/$target" ]; then
        echo "unknown target: $target (known: ${all[*]})" >&2
        exit 2
    fi
done

bash "$root/tools/install-deps.sh" clang-14 libclang-rt-14-dev
build=$root/build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DTAVOLUX_FUZZ=ON \
    -DTAVOLUX_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" --target "${targets[@]/#/tavolux_fuzz_}"

summary=()
for target in "${targets[@]}"; do
    work=$build/corpus/$target
    log=$build/$target.log
    mkdir -p "$work"
    cp -n "$corpus/$target"/* "$work"/ 2>/dev/null || true
    options=()
    [ -f "$root/tests/fuzz/$target.options" ] && read -r -a options <"$root/tests/fuzz/$target.options"
    echo "== $target: $seconds s (log: $log)"
    status=0
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} "$build/tests/fuzz/tavolux_fuzz_$target" \
        -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$corpus/$target/" \
        "${options[@]}" "$work" >"$log" 2>&1 || status=$?
    # The last status line carries the coverage; the final stats the runs and their rate.
    line=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$line")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$line")
    result="runs ${runs:-?}  runs/s ${rate:-?}  cov ${cov:-?}  ft ${ft:-?}"
    if [ "$status" -ne 0 ]; then
        result+="  FAULT (exit $status), see $log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*invariant broken|artifact_prefix.*Test unit written)' \
            "$log" | head -5 || true
    fi
    summary+=("$(printf '%-16s %s' "$target" "$result")")
done

echo
printf '%s\n' "${summary[@]}"
for line in "${summary[@]}"; do
    [[ $line == *FAULT* ]] && exit 1
done
exit 0
