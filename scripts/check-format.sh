#!/usr/bin/env bash
# Fails, naming each file, when a C++ file of the tree is not as clang-format (.clang-format at the
# root) writes it. `make format` rewrites them.
set -uo pipefail
cd "$(dirname "$0")/.."

mode=${1:-check}
mapfile -t files < <(find src tests bench \( -name '*.h' -o -name '*.cpp' \) -type f | sort)
if [[ $mode == fix ]]; then
    clang-format -i "${files[@]}"
    exit 0
fi

unformatted=0
for file in "${files[@]}"; do
    if ! clang-format "$file" | cmp -s - "$file"; then
        echo "not formatted: $file (run make format)"
        unformatted=1
    fi
done
[[ $unformatted == 0 ]] && echo "all ${#files[@]} C++ files are formatted"
exit $unformatted
