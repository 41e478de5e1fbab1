#include "phonebook/PhoneBookAdoption.h"

#include <vector>

#include "card/RecordPlacement.h"
#include "phonebook/DiaFile.h"

namespace quillet::phonebook {

std::size_t AdoptUnchangedEntries(std::span<PhoneBookEntry> fromFile, std::span<const PhoneBookEntry> onCard) {
    const auto linesOf = [](std::span<const PhoneBookEntry> entries) {
        std::vector<DiaLineText> lines(entries.size());
        for (std::size_t at = 0; at < entries.size(); ++at) {
            if (entries[at].used) lines[at] = DiaReadBackOf(entries[at]);
        }
        return lines;
    };
    const std::vector<DiaLineText> fileLines = linesOf(fromFile);
    const std::vector<DiaLineText> cardLines = linesOf(onCard);
    std::size_t adopted = 0;
    // An entry moved to another line finds its record elsewhere; its own position stays its index.
    card::PairWithRecords(
        fromFile.size(), onCard.size(), [](std::size_t position) { return position; },
        [&](std::size_t position, std::size_t record) {
            return fromFile[position].used && onCard[record].used && fileLines[position] == cardLines[record];
        },
        [&](std::size_t position, std::size_t record) {
            PhoneBookEntry& entry = fromFile[position];
            const std::uint16_t index = entry.index;
            entry = onCard[record];
            entry.index = index;
            entry.modified = 0;
            entry.inTransfer = 0;
            ++adopted;
        });
    return adopted;
}

}  // namespace quillet::phonebook
