#include "phonebook/EntryName.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "card/GsmText.h"

namespace quillet::phonebook {

namespace {

card::DecodedAlpha DecodedName(const PhoneBookEntry& entry) {
    const std::string_view bytes = NameBytes(entry);
    return card::DecodeAlphaIdentifier(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// An entry cannot keep a 0xFF inside its name, and a card record would end the name there.
constexpr card::PaddingByte kNamePadding = card::PaddingByte::Avoided;

}  // namespace

std::u32string NameText(const PhoneBookEntry& entry) { return DecodedName(entry).text; }

bool HasWindowsName(const PhoneBookEntry& entry) { return !DecodedName(entry).gsmText; }

std::string NameIn(const PhoneBookEntry& entry, card::TextForm form) {
    const card::DecodedAlpha decoded = DecodedName(entry);
    if (!decoded.gsmText && form == card::TextForm::File) return std::string(NameBytes(entry));
    return card::TextIn(decoded.text, form);
}

bool SetNameText(PhoneBookEntry& entry, std::u32string_view text, std::size_t maxBytes) {
    const auto bytes = card::EncodeAlphaIdentifier(text, std::min(maxBytes, kMaxNameBytes), kNamePadding);
    if (!bytes) return false;
    SetNameBytes(entry, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    return true;
}

std::optional<std::size_t> NameBytesLeft(std::u32string_view text, std::size_t maxBytes) {
    const std::size_t room = std::min(maxBytes, kMaxNameBytes);
    const auto needed = card::AlphaIdentifierBytes(text, kNamePadding);
    if (!needed || *needed > room) return std::nullopt;
    return room - *needed;
}

}  // namespace quillet::phonebook
