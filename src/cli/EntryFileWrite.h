#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "card/RecordPlacement.h"
#include "cli/CardCommand.h"

namespace quillet::cli {

// Replacing a card's record file (phone book, messages) by the entries of a text file, so that
// nothing on the card is lost unasked: a file without entries never reaches the card, a file with
// more entries than the card has records is refused, used entries the file would clear are
// counted and agreed to first, and entries that land in another record than their number say so.

struct EntryFileWords {
    std::string file;      // the file's name as given
    std::string entries;   // "entries", "messages"
    std::string entry;     // "Entry", "Message"
    std::string cardFile;  // "phone book", "message store"
};

// Whether used entries may be cleared: --yes, or "yes" on the terminal. Says why not on refusal.
bool AgreeToClear(std::size_t cleared, bool yes, TerminalUserInterface& ui, std::ostream& err);
// A file without entries never reaches the card; returns kExitFileError after saying so.
int RefuseEmptyFile(const EntryFileWords& words, std::ostream& err);
// More entries than the card's records; returns kExitUsage after saying so.
int RefuseTooMany(const EntryFileWords& words, std::size_t entries, std::size_t records, std::ostream& err);
// "Entry 130 was written to record 47."
void ReportMoved(const EntryFileWords& words, std::uint16_t from, std::uint16_t to, std::ostream& err);

// The most records a card's record file can have; a text file holds only the first of them.
inline constexpr std::size_t kMaxCardRecords = card::kMaxFileRecords;

// `count` positions, each empty and numbered, made by `empty(index)`.
template <typename Entry>
std::vector<Entry> EmptyPositions(std::size_t count, Entry (*empty)(std::uint16_t)) {
    std::vector<Entry> positions(count);
    for (std::size_t position = 0; position < count; ++position) {
        positions[position] = empty(static_cast<std::uint16_t>(position));
    }
    return positions;
}

template <typename Entry>
std::size_t CountUsed(std::span<const Entry> entries) {
    std::size_t used = 0;
    for (const Entry& entry : entries) used += entry.used ? 1 : 0;
    return used;
}

// A file holds fewer positions than a card file may have records: used entries beyond them are said,
// never left out silently. `read` is what was read from the card.
template <typename Entry>
void ReportLeftOut(std::span<const Entry> read, std::size_t positions, const std::string& entries, std::ostream& err) {
    const std::size_t beyond = read.size() > positions ? CountUsed(read.subspan(positions)) : 0;
    if (beyond == 0) return;
    Complain(err, std::to_string(beyond) + ' ' + entries + " of the card beyond record " + std::to_string(positions) +
                      " are not in the file");
}

// The card's used entries whose position the file leaves empty.
template <typename Entry>
std::size_t CountCleared(std::span<const Entry> card, std::span<const Entry> file) {
    std::size_t cleared = 0;
    for (std::size_t position = 0; position < card.size() && position < file.size(); ++position) {
        cleared += card[position].used && !file[position].used ? 1 : 0;
    }
    return cleared;
}

// Reads the card's entries with `readCard(onCard, records)`, checks the file's entries against
// them and writes them with `writeCard(fromFile)`, all in one session. The writer puts each entry's
// record into its index, so an index that changed tells where an entry went.
template <typename Entry, typename ReadCard, typename WriteCard>
int WriteEntriesFromFile(CardCommand& command, const EntryFileWords& words, bool yes, bool askChv2,
                         std::span<Entry> fromFile, std::span<Entry> onCard, ReadCard readCard, WriteCard writeCard) {
    const std::span<const Entry> incoming(fromFile);
    const std::size_t used = CountUsed(incoming);
    if (used == 0) return RefuseEmptyFile(words, command.Err());
    if (!command.Start(true, askChv2)) return command.FailureExit();
    std::size_t records = 0;
    if (!readCard(onCard, records)) return command.Finish(false);
    records = std::min(records, onCard.size());
    // Records beyond the file's positions keep what they hold; say so when that is an entry.
    if (records > fromFile.size()) {
        const std::size_t kept =
            CountUsed(std::span<const Entry>(onCard).subspan(fromFile.size(), records - fromFile.size()));
        if (kept > 0) {
            Complain(command.Err(), std::to_string(kept) + ' ' + words.entries + " of the card beyond record " +
                                        std::to_string(fromFile.size()) + " are left as they are");
        }
        records = fromFile.size();
    }
    if (used > records) {
        command.End();
        return RefuseTooMany(words, used, records, command.Err());
    }
    const std::size_t cleared = CountCleared(std::span<const Entry>(onCard).first(records), incoming);
    if (cleared > 0 && !AgreeToClear(cleared, yes, command.Ui(), command.Err())) {
        command.End();
        return kExitUsage;
    }
    std::vector<std::uint16_t> before;
    for (const Entry& entry : incoming) before.push_back(entry.index);
    if (!writeCard(fromFile)) return command.Finish(false);
    const int exit = command.Finish(true);
    for (std::size_t position = 0; position < fromFile.size(); ++position) {
        if (fromFile[position].used && fromFile[position].index != before[position]) {
            ReportMoved(words, before[position], fromFile[position].index, command.Err());
        }
    }
    return exit;
}

}  // namespace quillet::cli
