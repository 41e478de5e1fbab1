#!/usr/bin/env bash
# Runs every benchmark; each prints its figures as "name: value" lines.
set -euo pipefail

build_dir=${1:-build}
status=0
for bench in "$build_dir"/bench/bench_*; do
    [[ -x "$bench" ]] || continue
    "$bench" || status=1
done
exit $status
