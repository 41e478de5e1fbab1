#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "sms/SmsEntry.h"

namespace quillet::sms {

// Record length of EF_SMS (GSM 11.11 10.3.3).
inline constexpr std::size_t kSmsRecordLength = 176;
// The decoder looks at no more than this many bytes of a record.
inline constexpr std::size_t kMaxDecodedRecordBytes = 256;
// Longest service-centre address field: TON/NPI plus ten BCD bytes.
inline constexpr std::uint8_t kMaxCentreLength = 11;

// A record holds a message when its status byte is neither 0xFF nor has its low three bits clear.
bool IsSmsRecordInUse(std::span<const std::uint8_t> record);

// Decodes one EF_SMS record (status byte, service-centre address, then an SMS-DELIVER or
// SMS-SUBMIT TPDU, 3GPP TS 23.040 9.2.2) into an entry whose index is `index`; the message body
// (TP-DCS, TP-UDHI, TP-UDL and the user data) is kept as it is (MessageBody.h). Decoding never
// fails: a field that lies beyond the record, or after a field the decoder cannot follow, stays
// empty, as does the date text of a time stamp that is no date (all zero, as for a message without
// one). Other message types keep only the status and the centre; a record whose centre length is
// above 11 keeps only its status.
SmsEntry DecodeSmsRecord(std::span<const std::uint8_t> record, std::uint16_t index);

enum class SmsEncodeResult {
    kOk,
    kTextTooLong,     // the addresses and time fit, the message's user data does not; nothing written
    kRecordTooShort,  // not even the addresses and time fit; nothing written
};

// Writes an entry as an EF_SMS record the decoder reads back to the same fields: an unused entry
// as a free record (0x00, then 0xFF); received messages as SMS-DELIVER with the time stamp of a
// date text (all zero otherwise, which reads back as none); sent and to-send messages as SMS-SUBMIT
// with the message reference and the validity (relative, absolute or none, after the text). TP-PID
// is 0; TP-DCS, TP-UDHI and the user data are the body's, whole or not at all; the rest of the
// record is 0xFF. Only kOk touches `record`.
SmsEncodeResult EncodeSmsRecord(const SmsEntry& entry, std::span<std::uint8_t> record);

// Decodes a cached EF_SMS image (record count, record length, then the records in card order):
// every entry of `entries` is cleared with its position as index, then the records that fit are
// decoded into them. Records the image is too short for stay empty. Returns the number of records
// decoded, min(record count, entries.size()).
std::size_t DecodeSmsFileImage(std::span<const std::uint8_t> image, std::span<SmsEntry> entries);

}  // namespace quillet::sms
