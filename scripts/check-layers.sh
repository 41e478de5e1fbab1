#!/usr/bin/env bash
# Checks that every include and every library link under src/ points down the layers:
#   resources <- reader <- card <- phonebook/sms <- backup <- app <- ui/cli
# with files (saving and text files) beside them, the virtual card's engine (sim) under app, and
# the virtual card's tools (the sources of quillet_sim_tools in src/sim/CMakeLists.txt) above
# the engine. Qt headers and libraries belong to ui and main only.
# Usage: check-layers.sh [SOURCE_ROOT]; prints each breach as FILE:LINE: reason and exits 1.
set -uo pipefail

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
src=$root/src
if [[ ! -d "$src" ]]; then
    echo "check-layers: no src folder in $root" >&2
    exit 2
fi

# What each layer may use besides itself; "*" is anything.
declare -A allowed=(
    [resources]=""
    [files]=""
    [reader]="resources"
    [card]="reader resources"
    [phonebook]="card reader resources files"
    [sms]="card reader resources files"
    [backup]="phonebook sms card reader resources files"
    [sim]="reader resources files"
    [simtools]="sim reader resources files"
    [app]="backup phonebook sms card reader resources files sim"
    [ui]="app backup phonebook sms card reader resources files sim qt"
    [cli]="app backup phonebook sms card reader resources files sim"
    [main]="*"
)

# The names (without extension) of the virtual card's tool sources.
declare -A simTools=()
if [[ -f "$src/sim/CMakeLists.txt" ]]; then
    while read -r stem; do
        [[ -n "$stem" ]] && simTools[$stem]=1
    done < <(awk '
        /add_library\(quillet_sim_tools/ { inside = 1 }
        inside {
            for (i = 1; i <= NF; ++i) if ($i ~ /\.(cpp|h)$/) { sub(/\.(cpp|h)$/, "", $i); print $i }
            if ($0 ~ /\)/) inside = 0
        }' "$src/sim/CMakeLists.txt")
fi

failures=0
fail() {
    echo "$1"
    failures=$((failures + 1))
}

# The layer of a file or header below src/, given as "folder/name.ext".
layer_of() {
    local path=$1
    local folder=${path%%/*}
    if [[ "$folder" == sim ]]; then
        local stem=${path##*/}
        stem=${stem%.*}
        [[ -n "${simTools[$stem]:-}" ]] && folder=simtools
    fi
    echo "$folder"
}

# The layer a library target stands for; empty for targets that are not the project's layers.
layer_of_target() {
    case $1 in
        quillet_sim_tools) echo simtools ;;
        quillet_*) echo "${1#quillet_}" ;;
        Qt6::* | Qt::*) echo qt ;;
        *) echo "" ;;
    esac
}

may_use() {
    local from=$1 to=$2
    [[ "$from" == "$to" ]] && return 0
    local list=" ${allowed[$from]} "
    [[ "$list" == " * " || "$list" == *" $to "* ]]
}

for folder in "$src"/*/; do
    name=$(basename "$folder")
    [[ -v "allowed[$name]" ]] || fail "src/$name: not a known layer; add it to the layers of $(basename "$0")"
done

# Includes: one awk over every source file prints FILE:LINE:KIND:TARGET.
mapfile -t sources < <(cd "$src" && find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)
if ((${#sources[@]} > 0)); then
    while IFS=: read -r file line kind target; do
        from=$(layer_of "$file")
        [[ -v "allowed[$from]" ]] || continue
        if [[ "$kind" == qt ]]; then
            may_use "$from" qt || fail "src/$file:$line: $from may not include Qt ($target)"
            continue
        fi
        to=$(layer_of "$target")
        [[ -v "allowed[$to]" ]] || continue  # not a header of the project's layers
        may_use "$from" "$to" || fail "src/$file:$line: $from may not include $target (a $to header)"
    done < <(cd "$src" && awk '
        match($0, /^[ \t]*#[ \t]*include[ \t]*"[^"\/]+\/[^"]*"/) {
            header = $0; sub(/^[^"]*"/, "", header); sub(/".*$/, "", header)
            print FILENAME ":" FNR ":project:" header
        }
        match($0, /^[ \t]*#[ \t]*include[ \t]*<Q[A-Za-z]*[>\/]/) {
            header = $0; sub(/^[^<]*</, "", header); sub(/>.*$/, "", header)
            print FILENAME ":" FNR ":qt:" header
        }' "${sources[@]}")
fi

# Links: every target_link_libraries, joined over its lines, prints FILE:LINE:TARGET:ITEMS.
for cmakeFile in "$src"/*/CMakeLists.txt; do
    [[ -f "$cmakeFile" ]] || continue
    folder=$(basename "$(dirname "$cmakeFile")")
    while IFS=: read -r line target items; do
        from=$(layer_of_target "$target")
        [[ -z "$from" || "$from" == qt ]] && from=$folder
        [[ -v "allowed[$from]" ]] || continue
        for item in $items; do
            to=$(layer_of_target "$item")
            [[ -z "$to" ]] && continue
            if ! may_use "$from" "$to"; then
                fail "src/$folder/CMakeLists.txt:$line: $target ($from) may not link $item ($to)"
            fi
        done
    done < <(awk '
        !inside && /target_link_libraries[ \t]*\(/ {
            inside = 1; start = FNR; text = $0; sub(/^.*target_link_libraries[ \t]*\(/, "", text)
        }
        inside && FNR > start { text = text " " $0 }
        inside && text ~ /\)/ {
            sub(/\).*$/, "", text); gsub(/[ \t]+/, " ", text); sub(/^ /, "", text)
            target = text; sub(/ .*$/, "", target)
            items = text; sub(/^[^ ]*/, "", items)
            print start ":" target ":" items
            inside = 0
        }' "$cmakeFile")
done

if ((failures > 0)); then
    echo "check-layers: $failures breach(es) of the layers"
    exit 1
fi
echo "check-layers: every include and link points down the layers"
