#!/usr/bin/env bash
# Runs a command with pcscd up: starts one unless one is running, and stops the one it started
# by its PID when the command ends, whatever its outcome.
set -euo pipefail

pcscd_socket=/run/pcscd/pcscd.comm
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

"$@"
