#include "sms/SmsText.h"

#include <algorithm>

#include "card/GsmText.h"
#include "sms/SmsUserData.h"

namespace quillet::sms {

namespace {

constexpr std::uint8_t kGroupMask = 0xC0;
constexpr std::uint8_t kGeneralGroup = 0x00;
constexpr std::uint8_t kAutoDeleteGroup = 0x40;
constexpr std::uint8_t kReservedGroups = 0x80;  // 1000..1011
constexpr std::uint8_t kGroupBitsMask = 0xF0;
constexpr std::uint8_t kUcs2WaitingGroup = 0xE0;
constexpr std::uint8_t kDataClassGroup = 0xF0;
constexpr std::uint8_t kCompressedBit = 0x20;
constexpr std::uint8_t kAlphabetMask = 0x0C;
constexpr std::uint8_t kAlphabet8Bit = 0x04;
constexpr std::uint8_t kAlphabetUcs2 = 0x08;
constexpr std::uint8_t kDataClass8Bit = 0x04;

constexpr std::uint8_t kConcat8Iei = 0x00;
constexpr std::uint8_t kConcat8Length = 3;
constexpr std::uint8_t kConcat16Iei = 0x08;
constexpr std::uint8_t kConcat16Length = 4;

bool IsGeneralGroup(std::uint8_t dcs) {
    const std::uint8_t group = dcs & kGroupMask;
    return group == kGeneralGroup || group == kAutoDeleteGroup;
}

// Septets a header of `octets` octets takes with its fill bits: the text starts at the next septet
// boundary.
std::size_t SeptetsOfOctets(std::size_t octets) { return (octets * 8 + 6) / 7; }

// The last valid concatenation element wins, as a repeated element replaces an earlier one. An
// element with a zero count, a zero part or a part beyond the count is ignored.
std::optional<Concatenation> ConcatenationOf(std::span<const std::uint8_t> header) {
    std::optional<Concatenation> found;
    std::size_t i = 1;  // after UDHL
    while (i + 2 <= header.size()) {
        const std::uint8_t iei = header[i];
        const std::size_t length = header[i + 1];
        if (i + 2 + length > header.size()) break;
        const std::span<const std::uint8_t> data = header.subspan(i + 2, length);
        std::optional<Concatenation> element;
        if (iei == kConcat8Iei && length == kConcat8Length) {
            element = Concatenation{data[0], data[1], data[2]};
        } else if (iei == kConcat16Iei && length == kConcat16Length) {
            element = Concatenation{static_cast<std::uint16_t>(data[0] << 8 | data[1]), data[2], data[3]};
        }
        if (element && element->total != 0 && element->part != 0 && element->part <= element->total) {
            found = element;
        }
        i += 2 + length;
    }
    return found;
}

std::u32string HexOf(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::u32string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        if (!text.empty()) text.push_back(' ');
        text.push_back(static_cast<char32_t>(kDigits[b >> 4]));
        text.push_back(static_cast<char32_t>(kDigits[b & 0x0F]));
    }
    return text;
}

std::uint8_t WithCoding(std::uint8_t dcs, SmsCoding coding) {
    const std::uint8_t alphabet = coding == SmsCoding::Ucs2 ? kAlphabetUcs2 : 0x00;
    // The text written is never compressed, whatever the old scheme said.
    if (IsGeneralGroup(dcs)) return static_cast<std::uint8_t>((dcs & ~(kAlphabetMask | kCompressedBit)) | alphabet);
    // Class and message-waiting schemes that already name the alphabet keep their meaning.
    if ((dcs & kGroupMask) != kReservedGroups && CodingOf(dcs) == coding) return dcs;
    return alphabet;
}

}  // namespace

SmsCoding CodingOf(std::uint8_t dcs) {
    if (IsGeneralGroup(dcs)) {
        if ((dcs & kCompressedBit) != 0) return SmsCoding::Data8;
        switch (dcs & kAlphabetMask) {
            case kAlphabet8Bit:
                return SmsCoding::Data8;
            case kAlphabetUcs2:
                return SmsCoding::Ucs2;
            default:
                return SmsCoding::Gsm7;
        }
    }
    const std::uint8_t group = dcs & kGroupBitsMask;
    if (group == kUcs2WaitingGroup) return SmsCoding::Ucs2;
    if (group == kDataClassGroup && (dcs & kDataClass8Bit) != 0) return SmsCoding::Data8;
    return SmsCoding::Gsm7;
}

DecodedUserData DecodeUserDataText(std::uint8_t dcs, bool hasHeader, std::span<const std::uint8_t> userData) {
    DecodedUserData decoded;
    decoded.coding = CodingOf(dcs);
    if (userData.empty()) return decoded;
    const std::size_t length = userData[0];
    const bool septets = decoded.coding == SmsCoding::Gsm7;
    std::span<const std::uint8_t> data = userData.subspan(1);
    data = data.first(std::min(data.size(), septets ? PackedSize(length) : length));

    std::size_t headerOctets = 0;
    if (hasHeader && !data.empty()) {
        headerOctets = std::min<std::size_t>(1 + data[0], data.size());
        decoded.header.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(headerOctets));
        decoded.parts = ConcatenationOf(decoded.header);
    }

    if (septets) {
        const std::size_t count = std::min(length, data.size() * 8 / 7);
        std::vector<std::uint8_t> text;
        for (std::size_t i = SeptetsOfOctets(headerOctets); i < count; ++i) text.push_back(UnpackSeptet(data, i));
        decoded.text = card::DecodeSeptets(text);
    } else if (decoded.coding == SmsCoding::Ucs2) {
        decoded.text = card::DecodeUcs2(data.subspan(headerOctets));
    } else {
        decoded.text = HexOf(data.subspan(headerOctets));
    }
    return decoded;
}

std::optional<std::vector<std::uint8_t>> EncodeUserDataText(std::u32string_view text,
                                                            std::span<const std::uint8_t> header, std::uint8_t& dcs,
                                                            bool ucs2Only) {
    if (!header.empty() && header[0] + std::size_t{1} != header.size()) return std::nullopt;
    std::vector<std::uint8_t> out{0};
    out.insert(out.end(), header.begin(), header.end());

    if (const auto septets = ucs2Only ? std::nullopt : card::EncodeSeptets(text)) {
        const std::size_t first = SeptetsOfOctets(header.size());
        const std::size_t total = first + septets->size();
        if (total <= kMaxSeptets) {
            out.resize(1 + PackedSize(total), 0);
            const std::span<std::uint8_t> packed = std::span(out).subspan(1);
            for (std::size_t i = 0; i < septets->size(); ++i) PackSeptet(packed, first + i, (*septets)[i]);
            out[0] = static_cast<std::uint8_t>(total);
            dcs = WithCoding(dcs, SmsCoding::Gsm7);
            return out;
        }
    }
    const std::vector<std::uint8_t> units = card::EncodeUcs2(text);
    if (header.size() + units.size() > kMaxUserDataOctets) return std::nullopt;
    out.insert(out.end(), units.begin(), units.end());
    out[0] = static_cast<std::uint8_t>(out.size() - 1);
    dcs = WithCoding(dcs, SmsCoding::Ucs2);
    return out;
}

SmsRoom SmsTextRoom(std::u32string_view text, std::span<const std::uint8_t> header, bool ucs2Only) {
    if (const auto septets = ucs2Only ? std::nullopt : card::EncodeSeptets(text)) {
        return {SmsCoding::Gsm7, septets->size(), kMaxSeptets - std::min(kMaxSeptets, SeptetsOfOctets(header.size()))};
    }
    return {SmsCoding::Ucs2, card::EncodeUcs2(text).size() / 2,
            (kMaxUserDataOctets - std::min(kMaxUserDataOctets, header.size())) / 2};
}

std::string PartMark(const Concatenation& parts) {
    return " (part " + std::to_string(parts.part) + " of " + std::to_string(parts.total) + ")";
}

}  // namespace quillet::sms
