#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace quillet::sms {

// One SMS position of an editor window: a plain 284-byte record that is copied as a whole (moves,
// clipboard, files, backup). An entry is empty when `used` is 0; a fresh position is all zero
// except its `index`.
struct SmsEntry {
    std::uint32_t used;        // non-zero when the position holds a message
    std::uint16_t index;       // record number on the card, 0-based
    char text[200];            // the message body as the card codes it; read through MessageBody.h only
    char serviceCentre[21];    // SMS centre digits, at most 20, never a leading '+'
    char address[21];          // originating or destination address, at most 20 digits, no '+'
    std::uint8_t addressTon;   // type of number of `address`; 1 = international
    std::uint8_t addressNpi;   // numbering plan of `address`
    std::uint8_t centreTon;    // type of number of `serviceCentre`; 1 = international
    std::uint8_t centreNpi;    // numbering plan of `serviceCentre`
    char dateOrValidity[16];   // time stamp or validity text, empty when the record has neither
    std::uint32_t status;      // 0 read, 1 received unread, 2 sent, 3 to be sent
    std::uint32_t messageRef;  // TP-Message-Reference of a submitted message, 0..255
    std::uint32_t modified;    // changed since last read from or written to the card
    std::uint32_t inTransfer;  // source of a drag-and-drop move in progress
};

static_assert(sizeof(SmsEntry) == 284);
static_assert(std::is_trivially_copyable_v<SmsEntry> && std::is_standard_layout_v<SmsEntry>);
static_assert(offsetof(SmsEntry, used) == 0);
static_assert(offsetof(SmsEntry, index) == 4);
static_assert(offsetof(SmsEntry, text) == 6);
static_assert(offsetof(SmsEntry, serviceCentre) == 206);
static_assert(offsetof(SmsEntry, address) == 227);
static_assert(offsetof(SmsEntry, addressTon) == 248);
static_assert(offsetof(SmsEntry, addressNpi) == 249);
static_assert(offsetof(SmsEntry, centreTon) == 250);
static_assert(offsetof(SmsEntry, centreNpi) == 251);
static_assert(offsetof(SmsEntry, dateOrValidity) == 252);
static_assert(offsetof(SmsEntry, status) == 268);
static_assert(offsetof(SmsEntry, messageRef) == 272);
static_assert(offsetof(SmsEntry, modified) == 276);
static_assert(offsetof(SmsEntry, inTransfer) == 280);

inline constexpr std::size_t kSmsEntrySize = sizeof(SmsEntry);
// The editors limit newly entered text to this many characters.
inline constexpr std::size_t kMaxSmsLength = 160;

enum SmsStatus : std::uint32_t {
    kStatusRead = 0,
    kStatusUnread = 1,
    kStatusSent = 2,
    kStatusToSend = 3,
};

// A position holding nothing but its record number.
inline SmsEntry MakeEmptySmsEntry(std::uint16_t index) {
    SmsEntry entry{};
    entry.index = index;
    return entry;
}

// The text of a zero-terminated field. Entries may come from files or the clipboard, so a field
// without its terminator ends at the field's size instead of running on.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    const void* end = std::memchr(field, 0, N);
    return std::string_view(field, end ? static_cast<const char*>(end) - field : N);
}

// Copies text into a field, cut to the field's size − 1 and always terminated; the rest is zeroed.
template <std::size_t N>
void SetFieldText(char (&field)[N], std::string_view text) {
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), length);
}

// Status words of the message list ("Read", "Rcvd.", "Sent", "To send") and of the detail pane
// ("Read", "Received", "Sent", "To be sent"); empty for a status outside 0..3.
std::string_view SmsStatusListText(std::uint32_t status);
std::string_view SmsStatusDetailText(std::uint32_t status);

}  // namespace quillet::sms
