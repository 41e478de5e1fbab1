#!/usr/bin/env bash
# Runs the layer check on small planted trees: a tree that keeps the layers must pass, and each
# planted breach must fail with the file and line that break the rule named.
# Usage: check-layers-test.sh PATH/TO/check-layers.sh
set -uo pipefail

check=${1:?usage: check-layers-test.sh CHECK_SCRIPT}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# A small tree that keeps every rule, with one library per layer.
plant_clean_tree() {
    local tree=$1
    for layer in resources files reader card phonebook sms backup sim app ui cli main; do
        mkdir -p "$tree/src/$layer"
        printf 'add_library(quillet_%s STATIC A.cpp)\n' "$layer" > "$tree/src/$layer/CMakeLists.txt"
        printf '#pragma once\n' > "$tree/src/$layer/A.h"
        printf '#include "%s/A.h"\n' "$layer" > "$tree/src/$layer/A.cpp"
    done
    printf 'target_link_libraries(quillet_card PUBLIC quillet_reader PRIVATE quillet_resources)\n' \
        >> "$tree/src/card/CMakeLists.txt"
    printf '#include "reader/A.h"\n#include "resources/A.h"\n' >> "$tree/src/card/A.cpp"
    printf '#include "card/A.h"\n#include "files/A.h"\n#include <vector>\n' >> "$tree/src/sms/A.cpp"
    # The virtual card: its engine and, listed by the build, its tools.
    cat > "$tree/src/sim/CMakeLists.txt" <<'EOF'
add_library(quillet_sim STATIC A.cpp Engine.cpp)
target_link_libraries(quillet_sim PUBLIC quillet_reader PRIVATE quillet_files)
add_library(quillet_sim_tools STATIC
    Tool.cpp
)
target_link_libraries(quillet_sim_tools PUBLIC quillet_sim)
EOF
    printf '#pragma once\n#include "reader/A.h"\n' > "$tree/src/sim/Engine.h"
    printf '#pragma once\n#include "sim/Engine.h"\n' > "$tree/src/sim/Tool.h"
    printf '#include "sim/Tool.h"\n#include "files/A.h"\n' > "$tree/src/sim/Tool.cpp"
    printf 'target_link_libraries(quillet_app PUBLIC quillet_card\n    PRIVATE quillet_sim quillet_backup)\n' \
        >> "$tree/src/app/CMakeLists.txt"
    printf '#include "sim/Engine.h"\n#include "backup/A.h"\n' >> "$tree/src/app/A.cpp"
    printf 'target_link_libraries(quillet_ui PUBLIC quillet_app Qt6::Widgets)\n' >> "$tree/src/ui/CMakeLists.txt"
    printf '#include <QWidget>\n#include "app/A.h"\n' >> "$tree/src/ui/A.cpp"
    printf '#include "sim/Tool.h"\n#include "ui/A.h"\n#include "cli/A.h"\n#include <QApplication>\n' \
        >> "$tree/src/main/A.cpp"
    printf 'add_executable(tool A.cpp)\ntarget_link_libraries(tool PRIVATE quillet_sim_tools quillet_ui)\n' \
        >> "$tree/src/main/CMakeLists.txt"
}

# case name | file to append to | line appended | expected exit | text the output must hold
cases=(
    "clean tree|src/card/A.cpp|// nothing wrong|0|every include and link points down"
    "upward include|src/card/A.cpp|#include \"sms/A.h\"|1|src/card/A.cpp:4: card may not include sms/A.h"
    "reader reaches card|src/reader/A.h|#include \"card/A.h\"|1|src/reader/A.h:2:"
    "sideways include|src/phonebook/A.cpp|#include \"sms/A.h\"|1|src/phonebook/A.cpp:2:"
    "ui includes cli|src/ui/A.cpp|#include \"cli/A.h\"|1|src/ui/A.cpp:4: ui may not include cli/A.h"
    "engine includes a codec|src/sim/Engine.h|#include \"phonebook/A.h\"|1|src/sim/Engine.h:3:"
    "engine includes a tool|src/sim/A.cpp|#include \"sim/Tool.h\"|1|src/sim/A.cpp:2: sim may not include sim/Tool.h"
    "app includes a tool|src/app/A.cpp|#include \"sim/Tool.h\"|1|src/app/A.cpp:4:"
    "qt outside ui|src/app/A.h|#include <QString>|1|src/app/A.h:2: app may not include Qt (QString)"
    "qt module header|src/card/A.h|#include <QtCore/QObject>|1|src/card/A.h:2: card may not include Qt"
    "sideways link|src/sms/CMakeLists.txt|target_link_libraries(quillet_sms PRIVATE quillet_phonebook)|1|src/sms/CMakeLists.txt:2: quillet_sms (sms) may not link quillet_phonebook"
    "upward link on a later line|src/card/CMakeLists.txt|target_link_libraries(quillet_card PRIVATE\n    quillet_files\n    quillet_app)|1|src/card/CMakeLists.txt:3: quillet_card (card) may not link quillet_app"
    "engine links tools|src/sim/CMakeLists.txt|target_link_libraries(quillet_sim PRIVATE quillet_sim_tools)|1|quillet_sim (sim) may not link quillet_sim_tools"
    "cli links ui|src/cli/CMakeLists.txt|target_link_libraries(quillet_cli PRIVATE quillet_ui)|1|src/cli/CMakeLists.txt:2:"
    "qt linked outside ui|src/app/CMakeLists.txt|target_link_libraries(quillet_app PRIVATE Qt6::Core)|1|src/app/CMakeLists.txt:4:"
)

for entry in "${cases[@]}"; do
    IFS='|' read -r name file addition expectedExit expectedText <<< "$entry"
    tree=$work/${name// /-}
    plant_clean_tree "$tree"
    printf '%b\n' "$addition" >> "$tree/$file"
    output=$(bash "$check" "$tree" 2>&1)
    exitCode=$?
    if [[ "$exitCode" != "$expectedExit" || "$output" != *"$expectedText"* ]]; then
        echo "FAILED: $name: exit $exitCode (wanted $expectedExit), output:"
        echo "$output" | sed 's/^/    /'
        echo "    wanted it to hold: $expectedText"
        failed=1
    fi
done

# A folder the layers do not know is a breach until it is given its place.
tree=$work/unknown-folder
plant_clean_tree "$tree"
mkdir -p "$tree/src/extra"
output=$(bash "$check" "$tree" 2>&1)
if [[ $? -ne 1 || "$output" != *"src/extra: not a known layer"* ]]; then
    echo "FAILED: unknown folder: $output"
    failed=1
fi

# Each breach is reported, not only the first.
tree=$work/two-breaches
plant_clean_tree "$tree"
printf '#include "app/A.h"\n' >> "$tree/src/card/A.cpp"
printf '#include "backup/A.h"\n' >> "$tree/src/sms/A.h"
output=$(bash "$check" "$tree" 2>&1)
if [[ "$output" != *"src/card/A.cpp:4:"* || "$output" != *"src/sms/A.h:2:"* || "$output" != *"2 breach"* ]]; then
    echo "FAILED: two breaches: $output"
    failed=1
fi

((failed == 0)) && echo "layer check: every planted tree judged as expected"
exit $failed
