#include "sms/MessageBody.h"

#include <algorithm>
#include <cstring>

#include "card/GsmText.h"
#include "card/TextForms.h"
#include "sms/SmsUserData.h"

namespace quillet::sms {

namespace body = message_body;

MessageUserData BodyUserData(const SmsEntry& entry) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry.text);
    const std::size_t count = std::min<std::size_t>(bytes[body::kOctetCount], kMaxUserDataOctets);
    MessageUserData data;
    data.dcs = bytes[body::kDcs];
    data.hasHeader = (bytes[body::kFlags] & body::kHeaderFlag) != 0;
    data.userData.reserve(1 + count);
    data.userData.push_back(bytes[body::kLength]);
    data.userData.insert(data.userData.end(), bytes + body::kOctets, bytes + body::kOctets + count);
    return data;
}

void SetBodyUserData(SmsEntry& entry, std::uint8_t dcs, bool hasHeader, std::span<const std::uint8_t> userData) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(entry.text);
    std::memset(bytes, 0, sizeof entry.text);
    if (userData.empty()) return;
    const std::uint8_t length = userData[0];
    const std::size_t named = CodingOf(dcs) == SmsCoding::Gsm7 ? PackedSize(length) : length;
    const std::size_t count = std::min({named, userData.size() - 1, kMaxUserDataOctets});
    bytes[body::kDcs] = dcs;
    bytes[body::kFlags] = hasHeader ? body::kHeaderFlag : 0;
    bytes[body::kOctetCount] = static_cast<std::uint8_t>(count);
    bytes[body::kLength] = length;
    std::copy_n(userData.begin() + 1, count, bytes + body::kOctets);
}

bool SameMessageBody(const SmsEntry& a, const SmsEntry& b) { return BodyUserData(a) == BodyUserData(b); }

DecodedUserData DecodeMessageBody(const SmsEntry& entry) {
    const MessageUserData data = BodyUserData(entry);
    return DecodeUserDataText(data.dcs, data.hasHeader, data.userData);
}

std::u32string MessageText(const SmsEntry& entry) { return DecodeMessageBody(entry).text; }

std::optional<Concatenation> MessageParts(const SmsEntry& entry) { return DecodeMessageBody(entry).parts; }

SmsCoding MessageCoding(const SmsEntry& entry) { return DecodeMessageBody(entry).coding; }

bool SetMessageText(SmsEntry& entry, std::u32string_view text) {
    const DecodedUserData current = DecodeMessageBody(entry);
    if (text == current.text) return true;
    std::uint8_t dcs = BodyUserData(entry).dcs;
    const auto userData = EncodeUserDataText(text, current.header, dcs, current.coding == SmsCoding::Ucs2);
    if (!userData) return false;
    SetBodyUserData(entry, dcs, !current.header.empty(), *userData);
    return true;
}

SmsRoom MessageRoom(const SmsEntry& entry, std::u32string_view text) {
    const DecodedUserData current = DecodeMessageBody(entry);
    return SmsTextRoom(text, current.header, current.coding == SmsCoding::Ucs2);
}

bool SetMessageFileText(SmsEntry& entry, std::string_view bytes) {
    const std::u32string text = card::TextFromCp1250(bytes);
    // Files hold up to 160 characters of plain text. One letter the default alphabet lacks would
    // push such a text into UCS2, where only 70 fit; spelled plainly it keeps all its words.
    return SetMessageText(entry, text) || SetMessageText(entry, card::ToGsmRepertoire(text));
}

std::string MessageFileText(const SmsEntry& entry) {
    std::string bytes = card::FileTextOf(MessageText(entry));
    bytes.resize(std::min(bytes.size(), kMaxMessageFileText));
    SmsEntry scratch{};
    while (!bytes.empty() && !SetMessageFileText(scratch, bytes)) bytes.pop_back();
    return bytes;
}

std::string MessageListText(const SmsEntry& entry) {
    const DecodedUserData decoded = DecodeMessageBody(entry);
    std::string shown = card::Utf8FromText(decoded.text);
    if (decoded.parts) shown += PartMark(*decoded.parts);
    return shown;
}

}  // namespace quillet::sms
