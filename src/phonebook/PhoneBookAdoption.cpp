#include "phonebook/PhoneBookAdoption.h"

#include <algorithm>

#include "phonebook/DiaFile.h"

namespace quillet::phonebook {

namespace {

bool SameInFile(const PhoneBookEntry& a, const PhoneBookEntry& b) {
    return a.index == b.index && DiaReadBackOf(a) == DiaReadBackOf(b);
}

}  // namespace

std::size_t AdoptUnchangedEntries(std::span<PhoneBookEntry> fromFile, std::span<const PhoneBookEntry> onCard) {
    std::size_t adopted = 0;
    const std::size_t common = std::min(fromFile.size(), onCard.size());
    for (std::size_t position = 0; position < common; ++position) {
        PhoneBookEntry& entry = fromFile[position];
        const PhoneBookEntry& card = onCard[position];
        if (!entry.used || !card.used || !SameInFile(entry, card)) continue;
        entry = card;
        entry.modified = 0;
        entry.inTransfer = 0;
        ++adopted;
    }
    return adopted;
}

}  // namespace quillet::phonebook
