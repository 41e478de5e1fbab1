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
    // An entry moved to another line finds its record elsewhere.
    return card::AdoptCardEntries(fromFile, onCard, [&](std::size_t position, std::size_t record) {
        return fileLines[position] == cardLines[record];
    });
}

}  // namespace quillet::phonebook
