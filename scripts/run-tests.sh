#!/usr/bin/env bash
# Runs the whole test suite: the formatting check, every test of the normal build (the PC/SC tests
# against a pcscd started for them), then the unit, fuzz and window tests again and the soak test in
# a build with AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer. Every stage runs; the
# script fails at the end if any failed.
set -uo pipefail

build_dir=${1:-build}
sanitize_dir=${2:-build-sanitize}
jobs=$(nproc)
here=$(dirname "$0")
failed=0

echo "== Formatting =="
"$here/check-format.sh" || failed=1

ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" -LE "pcsc|soak" || failed=1

echo "== PC/SC tests against pcscd =="
# They fail instead of skipping when pcscd is missing.
QUILLET_REQUIRE_PCSCD=1 "$here/with-pcscd.sh" ctest --test-dir "$build_dir" --output-on-failure -L pcsc || failed=1

echo "== Sanitizer build of the unit, fuzz, window and soak tests =="
if cmake -S . -B "$sanitize_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON -DQUILLET_BUILD_BENCH=OFF > /dev/null &&
    cmake --build "$sanitize_dir" -j "$jobs"; then
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir "$sanitize_dir" --output-on-failure -j "$jobs" -L "unit|fuzz|ui|soak" || failed=1
else
    failed=1
fi
exit $failed
