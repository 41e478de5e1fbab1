#!/usr/bin/env bash
# Runs every benchmark (those through PC/SC against a pcscd started for them); each prints its
# figures as "name: value" lines.
set -euo pipefail

build_dir=${1:-build}
run_all() {
    local status=0
    for bench in "$build_dir"/bench/bench_*; do
        [[ -x "$bench" ]] || continue
        "$bench" || status=1
    done
    return $status
}
export -f run_all
export build_dir
"$(dirname "$0")/with-pcscd.sh" bash -c run_all
