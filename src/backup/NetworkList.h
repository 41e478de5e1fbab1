#pragma once

#include <cstddef>
#include <optional>
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
// slot, and every slot beyond the list, becomes FF FF FF. A valid entry beyond the file's slots
// is never dropped: the write is refused with 147 before anything is written (FitNetworkList
// makes such a list fit when it can).
bool WriteNetworkList(card::CardSession& session, std::span<const PlmnEntry> list, bool forbidden);

// How many slots the list file of the card has (its size / 3), read from its description only.
bool NetworkListSlots(card::CardSession& session, bool forbidden, std::size_t& slots);

// A list made to fill exactly `slots` slots without losing a valid entry: a list that fits keeps
// its slots where they are; a longer one is compacted, its valid entries first in their order.
// The slots after the list are empty. Nothing when there are more valid entries than slots.
std::optional<std::vector<PlmnEntry>> FitNetworkList(std::span<const PlmnEntry> list, std::size_t slots);

// How many entries of a list hold a network.
std::size_t ValidNetworkCount(std::span<const PlmnEntry> list);

}  // namespace quillet::backup
