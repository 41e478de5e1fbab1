#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sms/SmsEntry.h"

namespace quillet::sms {

// The private clipboard and drag-and-drop payload of the message windows, little-endian:
//   source            u32   the token of the list the messages come from
//   per message:
//     index           u32   record number, 0-based, zero-extended
//     used            u32
//     text            ArchiveString of the message body as the entry keeps it (MessageBody.h):
//                     DCS, flags, octet count, TP-UDL and the user-data octets, so that alphabet
//                     and header cross windows unchanged
//     serviceCentre   ArchiveString, digits without '+'
//     address         ArchiveString, digits without '+'
//     addressTon, addressNpi, centreTon, centreNpi   one byte each
//     dateOrValidity  ArchiveString
//     status          u32
//     modified        u32
//   end               u32   0xFFFFFFFF
// The message reference does not travel.
inline constexpr std::uint32_t kSmsPayloadEnd = 0xFFFFFFFFu;

// More messages than a window has positions: a payload is read up to here, enough to tell that
// some will not fit, whatever another program put on the clipboard.
inline constexpr std::size_t kMaxSmsPayloadEntries = 100;

struct SmsPayload {
    std::uint32_t source = 0;
    std::vector<SmsEntry> entries;  // messageRef and inTransfer 0
};

std::vector<std::uint8_t> PackSmsPayload(std::uint32_t source, std::span<const SmsEntry> entries);

// Reads a payload from untrusted bytes: nothing when it is cut short, has no end mark, or holds a
// field no entry could hold (a body longer than the entry keeps, a number of more than 20 or other
// than dialling characters, a date text over 15 characters, a status above 3). Messages after the
// first kMaxSmsPayloadEntries are not read.
std::optional<SmsPayload> ParseSmsPayload(std::span<const std::uint8_t> bytes);

// The plain-text companion for other programs, UTF-8: the text of every entry, empty ones
// included, each followed by CR LF.
std::string SmsEntriesAsText(std::span<const SmsEntry> entries);

}  // namespace quillet::sms
