#pragma once

#include <cstddef>
#include <span>

#include "sms/SmsEntry.h"

namespace quillet::sms {

// Where messages about to be written come from; each source carries only some of a message's fields.
// - Backup (*.SIM): used, text, centre and address digits, the four TON/NPI bytes, date or validity,
//   status; no message reference.
// - TextFile (*.SMS line): text, centre and address digits with only whether their type of number is
//   international, date or validity (the writer puts the current time where a message has none, so
//   a card message without a time matches any date), status and message reference.
enum class MessageSource { TextFile, Backup };

// Each used incoming entry is compared with the card's message at its own position, and failing
// that with any card message no other entry took (a line moved in a file); when they agree in every
// field the source carries (the text as the card's comes back from the source's Windows-1250, times
// by what they say), the incoming entry becomes that card entry with its own index and
// `modified` = 0, so the writer keeps the card record's bytes (message reference, header, UCS2,
// NPI...). Returns how many were adopted.
std::size_t AdoptUnchangedMessages(std::span<SmsEntry> incoming, std::span<const SmsEntry> card, MessageSource source);

}  // namespace quillet::sms
