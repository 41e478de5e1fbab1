#pragma once

#include <span>
#include <vector>

#include "backup/PlmnEntry.h"
#include "card/CardSession.h"

namespace quillet::backup {

// The network lists of a card: EF_PLMNsel (0x6F30, preferred) or, with `forbidden`, EF_FPLMN
// (0x6F7B), both transparent files of 3-byte PLMN slots under DF_GSM (0x7F20). Both need a
// reader (else result 142) and a card identified by BeginSession (else 140), and keep their
// outcome as the session's last result.

// Reads the whole file into one entry per slot (file size / 3 of them). Empty slots stay
// all-zero. On failure the list is left empty.
bool ReadNetworkList(card::CardSession& session, std::vector<PlmnEntry>& list, bool forbidden);

// Writes the whole file in one transfer: entry i goes to slot i when it is valid; every other
// slot, and every slot beyond the list, becomes FF FF FF. Entries beyond the file's slots (a
// list taken from another card's backup) are left out.
bool WriteNetworkList(card::CardSession& session, std::span<const PlmnEntry> list, bool forbidden);

}  // namespace quillet::backup
