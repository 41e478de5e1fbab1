#pragma once

#include <cstdint>
#include <span>

#include "card/FileHeaders.h"
#include "card/SessionHost.h"
#include "reader/CardReader.h"

namespace quillet::card {

// The reader-level steps of a card session. Except where a step says otherwise, a command that
// fails in transport powers the card down before its code is returned.

// Opens a card session: raises the priority, powers (force: resets) the card, reads the MF's
// CHV1 state and the ICCID, and checks the ICCID against the one cached on the reader. Another
// card found without a fresh power-up gives 133; another card makes the host forget both PINs. A
// card that refuses the GSM class gives 156, with the card left powered for a look in class 00.
reader::ReaderResult ActivateCard(reader::CardReader& reader, SessionHost& host, bool force, std::uint16_t* poweredOut,
                                  bool* chv1EnabledOut);
// Lowers the priority and powers the card down if a session was open.
reader::ReaderResult ReleaseCard(reader::CardReader& reader, SessionHost& host);
// Selects MF, df and ef; the ef must answer with a description of at least 15 bytes (9000 gives
// 134).
reader::ReaderResult GetFileInfo(reader::CardReader& reader, std::uint16_t df, std::uint16_t ef, EfInformation& info);
// One record (absolute mode) of the selected file; copies at most buffer.size() bytes.
reader::ReaderResult ReadRecordInto(reader::CardReader& reader, std::span<std::uint8_t> buffer, std::uint8_t record,
                                    const EfInformation& info);
reader::ReaderResult UpdateRecordFrom(reader::CardReader& reader, std::span<const std::uint8_t> buffer,
                                      std::uint8_t record, const EfInformation& info);

}  // namespace quillet::card
