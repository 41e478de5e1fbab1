#!/usr/bin/env bash
# Plants each fault of the list below in the source, one at a time, rebuilds the unit tests, runs
# them and says whether they caught it ("killed") or let it through ("SURVIVED"). A fault the tests
# let through is a hole in them: add a test until it is killed. Run by hand, not by CI:
#
#   scripts/mutate.sh BUILD_FOLDER [FAULT ...]     only the named faults when given
#   scripts/mutate.sh --list                       the faults and why each matters
#   scripts/mutate.sh --check                      only whether every text is still found once
#
# BUILD_FOLDER is a configured build folder of this tree (UI off is enough). Each fault names a file,
# a text that must occur exactly once in it, the faulty text that replaces it, and why a user would
# suffer from it. Every file is restored on exit, also after Ctrl+C or a failed build. Exit status:
# 0 all killed, 1 a fault survived, 2 usage, baseline or setup failure.
set -euo pipefail

readonly ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# ---- The planned faults: name, file, text, faulty text, why. ----
FAULT_NAMES=() FAULT_FILES=() FAULT_TEXTS=() FAULT_REPLACEMENTS=() FAULT_REASONS=()
fault() {
    FAULT_NAMES+=("$1") FAULT_FILES+=("$2") FAULT_TEXTS+=("$3") FAULT_REPLACEMENTS+=("$4") FAULT_REASONS+=("$5")
}

fault extension-records-never-freed src/phonebook/PhoneBookWritePlan.cpp \
    'if (m_allocated.contains(e) || IsFreeExtension(extension)) continue;' 'continue;' \
    'extension records a write gives up stay in use: the card runs out of EXT1 space'
fault released-extension-reused-early src/phonebook/PhoneBookWritePlan.cpp \
    'if (lastNamer < m_position[number] &&' 'if (lastNamer <= m_position[number] &&' \
    'a record reuses its own extension chain in place: a stop mid-write mixes two numbers'
fault read-back-skipped src/card/WritePlanExecutor.cpp \
    'const bool verify = session.Host().VerifyWrites();' 'const bool verify = false;' \
    'a write the card did not keep is reported as written'
fault forgotten-pin-not-wiped src/card/SecretString.cpp \
    'reader::SecureWipe(m_text.data(), m_text.capacity());' '' \
    'a forgotten or replaced PIN lingers in memory'
fault driver-error-6-wrong src/reader/DriverErrorMap.cpp \
    'case 6:' 'case 6000:' \
    'driver error 6 reads "Non-specific error" instead of "COM port operation error"'
fault caches-kept-for-another-card src/card/CardSession.cpp \
    'if (m_iccidCopy && *m_iccidCopy != iccid) ClearCache();' '' \
    'a card inserted between two sessions shows the first card'"'"'s names'
fault reserved-archive-length-accepted src/backup/ArchiveString.cpp \
    'if (mediumLength == kReservedLength) return Fail(ArchiveError::kMalformed);' '' \
    'a damaged backup with the reserved length form is read as if it were whole'
fault plmn-digit-9-not-a-third-digit src/backup/PlmnEntry.cpp \
    'if (High(slot[1]) <= 9) {' 'if (High(slot[1]) < 9) {' \
    'a network code whose third digit is 9 loses that digit'
fault archive-length-255-in-one-byte src/backup/ArchiveString.cpp \
    'if (length < kLongLengthMark) {' 'if (length <= kLongLengthMark) {' \
    'a 255-byte text is written with the long-form mark as its length: the backup cannot be read back'
fault plmn-two-digit-code-without-filler src/backup/PlmnEntry.cpp \
    'kFillerNibble << 4 | Digit(entry.mcc, 1)' 'Digit(entry.mnc, 100) << 4 | Digit(entry.mcc, 1)' \
    'a two-digit network code is written as a three-digit one: the phone sees another network'
fault dialling-length-drops-odd-digit src/phonebook/DiallingRecord.cpp \
    '1 + (inRecord + 1) / 2' '1 + inRecord / 2' \
    'a number with an odd count of digits loses its last digit on the card'
fault last-extension-record-unreachable src/phonebook/DiallingRecord.cpp \
    'if (next > extensions.Count() || visited[next]) break;' \
    'if (next >= extensions.Count() || visited[next]) break;' \
    'digits kept in the last EXT1 record are not read'
fault extension-chain-cut-after-first-link src/phonebook/DiallingRecord.cpp \
    'record[12] = chunk + 1 < numbers.size() ? numbers[chunk + 1] : 0xFF;' 'record[12] = 0xFF;' \
    'a number of more than 40 digits loses its last 20 on the card'
fault unchanged-records-rewritten src/card/CardSessionFiles.cpp \
    'if (std::equal(bytes.begin(), bytes.end(), cached.begin(), cached.end())) return RecordWrite::Unchanged;' '' \
    'every record is rewritten on each write: slow, and wears the card'
fault network-beyond-file-dropped src/backup/NetworkList.cpp \
    'if (ValidNetworkCount(list.subspan(count)) != 0) return Fail(session, result::kPositionOverflow);' '' \
    'networks that do not fit the card file are dropped without a word'
fault sms-centre-length-12-accepted src/sms/SmsRecordCodec.cpp \
    'centreLength > kMaxCentreLength) return;' 'centreLength > kMaxCentreLength + 1) return;' \
    'a service-centre address longer than the field is read past its end'

# ---- Helpers ----

usage() {
    echo "usage: scripts/mutate.sh BUILD_FOLDER [FAULT ...] | --list | --check" >&2
    exit 2
}

list_faults() {
    for i in "${!FAULT_NAMES[@]}"; do
        printf '%-38s %s\n    %s\n' "${FAULT_NAMES[$i]}" "${FAULT_FILES[$i]}" "${FAULT_REASONS[$i]}"
    done
}

# `apply FILE TEXT FAULTY`: replaces the one occurrence of TEXT by FAULTY between two markers;
# fails loudly when TEXT does not occur exactly once. `restore FILE TEXT`: puts TEXT back in place
# of the marked part, so edits made to the rest of the file meanwhile are kept.
mutation() {
    /usr/bin/python3 - "$@" <<'PYTHON'
import sys
mode, path, text = sys.argv[1:4]
begin, end = "/*mutate.sh{*/", "/*}mutate.sh*/"
with open(path, encoding="utf-8") as f:
    source = f.read()
if mode == "apply":
    count = source.count(text)
    if count != 1:
        sys.exit(f"{path}: the text to replace occurs {count} times, not once: {text}")
    source = source.replace(text, begin + sys.argv[4] + end)
else:
    start, stop = source.find(begin), source.find(end)
    if start < 0 or stop < start:
        sys.exit(f"{path}: the planted fault is no longer marked; check the file by hand")
    source = source[:start] + text + source[stop + len(end):]
with open(path, "w", encoding="utf-8") as f:
    f.write(source)
PYTHON
}

# The unit-test binaries: every quillet_add_test(<name> unit ...) of the test folders.
unit_targets() {
    sed -n 's/^quillet_add_test(\([a-z_]*\) unit.*/\1/p' "$ROOT"/tests/*/CMakeLists.txt | sort
}

# Builds the given test binaries, all unit-test binaries when none is given.
build() {
    local targets=("$@")
    [[ ${#targets[@]} -gt 0 ]] || targets=("${TARGETS[@]}")
    cmake --build "$BUILD" -j2 --target "${targets[@]}" >>"$LOG" 2>&1
}

# The binary of the mutated file's own folder runs first: it is the likeliest to catch the fault.
order_targets() {
    local own
    own="$(basename "$(dirname "$1")")_tests"
    mapfile -t TARGETS < <(unit_targets | awk -v own="$own" '$0 == own { print; next } { rest[n++] = $0 }
        END { for (i = 0; i < n; ++i) print rest[i] }')
}

# Runs the given test binaries (all unit-test binaries when none is given) until one fails; true
# when all pass.
tests_pass() {
    local targets=("$@") target binary
    [[ ${#targets[@]} -gt 0 ]] || targets=("${TARGETS[@]}")
    for target in "${targets[@]}"; do
        binary="$(find "$BUILD/tests" -type f -name "$target" -perm -u+x | head -n 1)"
        [[ -n "$binary" ]] || { echo "no binary for $target in $BUILD" >&2; return 2; }
        (cd "$(dirname "$binary")" && QUILLET_FUZZ_RUNS=0 timeout 600 "$binary" --gtest_brief=1) >>"$LOG" 2>&1 ||
            return 1
    done
}

# ---- Main ----

[[ $# -ge 1 ]] || usage
if [[ "$1" == "--list" ]]; then
    list_faults
    exit 0
fi
if [[ "$1" == "--check" ]]; then
    probe="$(mktemp)"
    trap 'rm -f "$probe"' EXIT
    for i in "${!FAULT_NAMES[@]}"; do
        cp "$ROOT/${FAULT_FILES[$i]}" "$probe"
        mutation apply "$probe" "${FAULT_TEXTS[$i]}" "${FAULT_REPLACEMENTS[$i]}" || exit 2
    done
    echo "all ${#FAULT_NAMES[@]} fault texts found once"
    exit 0
fi
BUILD="$(cd "$1" && pwd)" || usage
shift
[[ -f "$BUILD/CMakeCache.txt" ]] || { echo "$BUILD is not a configured build folder" >&2; exit 2; }
mapfile -t TARGETS < <(unit_targets)

SELECTED=()
if [[ $# -eq 0 ]]; then
    SELECTED=("${!FAULT_NAMES[@]}")
else
    for name in "$@"; do
        found=""
        for i in "${!FAULT_NAMES[@]}"; do [[ "${FAULT_NAMES[$i]}" == "$name" ]] && found="$i"; done
        [[ -n "$found" ]] || { echo "no fault named $name (see --list)" >&2; exit 2; }
        SELECTED+=("$found")
    done
fi

WORK="$(mktemp -d)"
LOG="$WORK/log"
MUTATED=""  # the index of the fault planted now, taken out again on any exit
restore() {
    if [[ -n "$MUTATED" ]]; then
        mutation restore "$ROOT/${FAULT_FILES[$MUTATED]}" "${FAULT_TEXTS[$MUTATED]}"
        MUTATED=""
    fi
}
trap 'restore; rm -rf "$WORK"' EXIT
trap 'exit 2' INT TERM

# Every text must be found before anything is changed, and the tests must pass unmutated.
for i in "${SELECTED[@]}"; do
    cp "$ROOT/${FAULT_FILES[$i]}" "$WORK/probe"
    mutation apply "$WORK/probe" "${FAULT_TEXTS[$i]}" "${FAULT_REPLACEMENTS[$i]}" || exit 2
done
echo "baseline: building and running ${#TARGETS[@]} unit-test binaries"
if ! build || ! tests_pass; then
    tail -n 30 "$LOG" >&2
    echo "baseline: the unmutated tree does not build or its unit tests fail; nothing to judge" >&2
    exit 2
fi

killed=0 survived=0 broken=0
for i in "${SELECTED[@]}"; do
    # Another file changed by someone else during the run must not stop the others.
    if ! mutation apply "$ROOT/${FAULT_FILES[$i]}" "${FAULT_TEXTS[$i]}" "${FAULT_REPLACEMENTS[$i]}"; then
        printf '%-14s %-38s %s\n' "not found" "${FAULT_NAMES[$i]}" "${FAULT_FILES[$i]}"
        broken=$((broken + 1))
        continue
    fi
    MUTATED="$i"
    order_targets "${FAULT_FILES[$i]}"
    : >"$LOG"
    # The first binary alone is built and run first; the rest only when it lets the fault through.
    if ! build "${TARGETS[0]}"; then
        outcome="not built"
    elif ! tests_pass "${TARGETS[0]}"; then
        outcome="killed"
    elif ! build; then
        outcome="not built"
    elif tests_pass "${TARGETS[@]:1}"; then
        outcome="SURVIVED"
    else
        outcome="killed"
    fi
    case "$outcome" in
        killed) killed=$((killed + 1)) ;;
        SURVIVED) survived=$((survived + 1)) ;;
        *) broken=$((broken + 1)) ;;
    esac
    restore
    printf '%-14s %-38s %s\n' "$outcome" "${FAULT_NAMES[$i]}" "${FAULT_REASONS[$i]}"
done
# Leave the build matching the restored source.
build || true

echo "faults: ${#SELECTED[@]}, killed: $killed, survived: $survived, not built or not found: $broken"
[[ $survived -eq 0 && $broken -eq 0 ]] || exit 1
