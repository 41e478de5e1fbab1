#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sms/SmsEntry.h"
#include "sms/SmsText.h"

namespace quillet::sms {

// An entry's `text` field keeps the message body as the card codes it, so that whatever the program
// does not change (alphabet, class, header, 8-bit data) goes back to the card as it came:
//   [0] TP-DCS, [1] flags (bit 0 = TP-UDHI), [2] n = user-data octets kept (0..140),
//   [3] TP-UDL, [4 .. 4+n) the user-data octets as the record had them, header included; the rest zero.
// An all-zero field is an empty text in the default alphabet. No other code touches these bytes.
namespace message_body {
inline constexpr std::size_t kDcs = 0;
inline constexpr std::size_t kFlags = 1;
inline constexpr std::size_t kOctetCount = 2;
inline constexpr std::size_t kLength = 3;
inline constexpr std::size_t kOctets = 4;
inline constexpr std::uint8_t kHeaderFlag = 0x01;
}  // namespace message_body

static_assert(message_body::kOctets + kMaxUserDataOctets <= sizeof(SmsEntry::text));

// The body as a record carries it.
struct MessageUserData {
    std::uint8_t dcs = 0;
    bool hasHeader = false;              // TP-UDHI
    std::vector<std::uint8_t> userData;  // TP-UDL, then the octets kept
    bool operator==(const MessageUserData&) const = default;
};

// The body of an entry; an octet count above 140 (an entry from elsewhere) is taken as 140.
MessageUserData BodyUserData(const SmsEntry& entry);
// Stores a record's body: `userData` starts with TP-UDL and may run on into the record's padding; only
// the octets TP-UDL names (septets packed, or octets) are kept, at most 140 and as many as there are.
// Without even TP-UDL the body is an empty text.
void SetBodyUserData(SmsEntry& entry, std::uint8_t dcs, bool hasHeader, std::span<const std::uint8_t> userData);
bool SameMessageBody(const SmsEntry& a, const SmsEntry& b);

DecodedUserData DecodeMessageBody(const SmsEntry& entry);
// The text a phone shows; 8-bit data as hex pairs.
std::u32string MessageText(const SmsEntry& entry);
std::optional<Concatenation> MessageParts(const SmsEntry& entry);
SmsCoding MessageCoding(const SmsEntry& entry);

// Replaces the text and keeps the header. A UCS2 message stays UCS2; any other is written in the
// default alphabet when it holds the text, else in UCS2. A text equal to the one shown (the hex of
// 8-bit data too) leaves the body as it is. False, and the entry untouched, when the text does not
// fit 140 octets.
bool SetMessageText(SmsEntry& entry, std::u32string_view text);
// What an edit dialog counts for `text` in place of the entry's text.
SmsRoom MessageRoom(const SmsEntry& entry, std::u32string_view text);
// Text from a message file, a backup or other programs' clipboard text: Windows-1250 bytes, read as
// such and set with SetMessageText. False when it cannot be coded at all.
bool SetMessageFileText(SmsEntry& entry, std::string_view bytes);
// Files and backups hold at most this many bytes of a message text.
inline constexpr std::size_t kMaxMessageFileText = 199;
// The text as files and backups write it: Windows-1250, what it lacks spelled plainly. A text that
// would not read back (the hex of long 8-bit data, a text full of Æ) is cut to the part that does,
// so that the file stays readable.
std::string MessageFileText(const SmsEntry& entry);

// UTF-8 for lists and windows: the text, then " (part n of m)" for a concatenated part.
std::string MessageListText(const SmsEntry& entry);

}  // namespace quillet::sms
