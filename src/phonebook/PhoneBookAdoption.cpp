#include "phonebook/PhoneBookAdoption.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "phonebook/DialNumbers.h"
#include "phonebook/Transliteration.h"

namespace quillet::phonebook {

namespace {

// The name as a text file holds it once read back: up to the first zero byte, transliterated.
std::string FileName(const PhoneBookEntry& entry) {
    std::string name(entry.name, ::strnlen(entry.name, sizeof entry.name));
    std::transform(name.begin(), name.end(), name.begin(), TransliterateChar);
    return name;
}

std::string FileNumber(const PhoneBookEntry& entry) {
    return JoinInternational(std::string_view(entry.number, ::strnlen(entry.number, sizeof entry.number)),
                             entry.ton == 1 ? 1 : 0);
}

bool SameInFile(const PhoneBookEntry& a, const PhoneBookEntry& b) {
    return a.index == b.index && FileName(a) == FileName(b) && FileNumber(a) == FileNumber(b);
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
