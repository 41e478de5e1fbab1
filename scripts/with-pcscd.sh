#!/usr/bin/env bash
# Runs a command with pcscd up: starts one unless one is running, and stops the one it started
# by its PID when the command ends, whatever its outcome.
set -euo pipefail

run_dir=/run/pcscd
pcscd_socket=$run_dir/pcscd.comm
pcscd_pid=""
pcscd_log=""
stop_pcscd() {
    if [[ -n "$pcscd_pid" ]]; then
        kill "$pcscd_pid" 2>/dev/null || true
        # A pcscd that does not go within five seconds is killed.
        for _ in $(seq 1 50); do
            kill -0 "$pcscd_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pcscd_pid" 2>/dev/null || true
        wait "$pcscd_pid" 2>/dev/null || true
    fi
    [[ -n "$pcscd_log" ]] && rm -f "$pcscd_log"
}
trap stop_pcscd EXIT

pcscd_running() {
    local pid
    [[ -S "$pcscd_socket" && -r "$run_dir/pcscd.pid" ]] || return 1
    pid=$(cat "$run_dir/pcscd.pid")
    [[ -n "$pid" ]] && [[ "$(ps -o comm=,stat= -p "$pid" 2>/dev/null)" =~ ^pcscd[[:space:]]+[^Z] ]]
}

if ! pcscd_running; then
    # Files left by a pcscd that died keep a new one from starting.
    rm -f "$pcscd_socket" "$run_dir/pcscd.pid"
    pcscd_log=$(mktemp -t quillet-pcscd.XXXXXX.log)
    /usr/sbin/pcscd --foreground > "$pcscd_log" 2>&1 &
    pcscd_pid=$!
    for _ in $(seq 1 50); do
        [[ -S "$pcscd_socket" ]] && kill -0 "$pcscd_pid" 2>/dev/null && break
        sleep 0.1
    done
    if [[ ! -S "$pcscd_socket" ]] || ! kill -0 "$pcscd_pid" 2>/dev/null; then
        echo "pcscd did not start; its log:" >&2
        cat "$pcscd_log" >&2
        exit 1
    fi
fi

"$@"
