#!/usr/bin/env bash
# Runs the transfer benchmark against the simulated unit (see tests/bench/TransferBench.cpp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake --build "$root/build" --target tavolux_bench_transfer tavolux-unitsim >/dev/null
"$root/build/tests/bench/tavolux_bench_transfer" "$root/build/tools/unitsim/tavolux-unitsim"
