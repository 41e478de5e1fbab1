#!/usr/bin/env bash
# Runs the whole test suite: every test of the normal build (the PC/SC tests against a pcscd
# started here), then the core tests again in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail

build_dir=${1:-build}
sanitize_dir=${2:-build-sanitize}
jobs=$(nproc)
pcscd_socket=/run/pcscd/pcscd.comm

# One pcscd per machine: start ours unless one is running, and stop it by its PID on the way
# out, whatever the tests did.
pcscd_pid=""
stop_pcscd() {
    if [[ -n "$pcscd_pid" ]]; then
        kill "$pcscd_pid" 2>/dev/null || true
        wait "$pcscd_pid" 2>/dev/null || true
    fi
}
trap stop_pcscd EXIT
pcscd_running() {
    local pid
    [[ -S "$pcscd_socket" && -r /run/pcscd/pcscd.pid ]] || return 1
    pid=$(cat /run/pcscd/pcscd.pid)
    [[ -n "$pid" ]] && [[ "$(ps -o stat= -p "$pid" 2>/dev/null)" =~ ^[^Z] ]]
}
if ! pcscd_running; then
    pcscd_log=$(mktemp -t quillet-pcscd.XXXXXX.log)
    /usr/sbin/pcscd --foreground > "$pcscd_log" 2>&1 &
    pcscd_pid=$!
    for _ in $(seq 1 50); do
        [[ -S "$pcscd_socket" ]] && break
        sleep 0.1
    done
    if [[ ! -S "$pcscd_socket" ]]; then
        echo "pcscd did not start; its log:" >&2
        cat "$pcscd_log" >&2
        exit 1
    fi
fi

# The PC/SC tests fail instead of skipping when pcscd is missing.
QUILLET_REQUIRE_PCSCD=1 ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"

echo "== Sanitizer build of the core tests =="
cmake -S . -B "$sanitize_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON -DQUILLET_BUILD_BENCH=OFF > /dev/null
cmake --build "$sanitize_dir" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$sanitize_dir" --output-on-failure -j "$jobs" -L unit
