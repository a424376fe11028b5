#!/usr/bin/env bash
# Builds everything with warnings as errors and runs the tests; then again under
# AddressSanitizer and UndefinedBehaviorSanitizer (skip that part with --quick). --tsan instead
# builds the core, unit, gateway and page history tests under ThreadSanitizer (build-tsan) and runs only them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
# The print tests send jobs through CUPS to queues of their own; they need the scheduler.
if ! lpstat -r 2>/dev/null | grep -q "scheduler is running"; then
    if [ "$(id -u)" -eq 0 ]; then /usr/sbin/cupsd; else sudo -n /usr/sbin/cupsd || true; fi
fi
jobs=$(nproc)

run_suite() {
    local dir=$1; shift
    cmake -S "$root" -B "$dir" -G Ninja -DTAVOLUX_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300
}

# The workers (block transfers, the firmware loader), the command line that waits for them, and
# the gateway's listeners with the pages they wait for, and the page history's writing thread.
# Both of Qt's event dispatchers run: the plain one (QT_NO_GLIB) wakes the receiving thread once
# for many posted events, which leaves the most to the ordering the sanitizer must see.
if [ "${1:-}" = "--tsan" ]; then
    dir="$root/build-tsan"
    cmake -S "$root" -B "$dir" -G Ninja -DTAVOLUX_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAVOLUX_SANITIZE=thread >/dev/null
    cmake --build "$dir" -j "$jobs" --target tavolux_core_tests tavolux_unit_tests \
        tavolux_gateway_tests tavolux_history_tests
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
    "$dir/tests/tavolux_core_tests"
    "$dir/tests/tavolux_unit_tests"
    QT_NO_GLIB=1 "$dir/tests/tavolux_unit_tests"
    # Not the login commands' terminal tests: the command is one thread, and the sanitizer holds a
    # signal that lands as the command enters poll() until poll() returns.
    "$dir/tests/tavolux_gateway_tests" --gtest_filter='-CliGatewayTest.*'
    "$dir/tests/tavolux_history_tests"
    exit 0
fi

run_suite "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${1:-}" != "--quick" ]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    run_suite "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTAVOLUX_SANITIZE=address,undefined
fi
