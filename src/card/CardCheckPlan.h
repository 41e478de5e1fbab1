#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "card/FileImage.h"
#include "card/GsmFiles.h"
#include "card/RecordWritePlan.h"

namespace quillet::card {

// The parts of the card report, in the order it shows them.
enum class CheckSection { PhoneBook, FixedDialing, LastDialled, OtherLinks, Sms, Extension1, Extension2 };
inline constexpr std::size_t kCheckSectionCount = 7;

enum class CheckProblem {
    InvalidLink,         // a link to record 0 or beyond the extension file
    EmptyLink,           // a link to a free extension record
    SharedExtension,     // the chain runs into extension records another record's chain holds
    LoopingChain,        // the chain comes back to one of its own records
    LostExtension,       // an extension record in use that no chain reaches
    UnsupportedNumber,   // number contents the program cannot show whole
    UnsupportedMessage,  // a message type the program does not decode
};

// What the repair does about a finding; None: it is only reported (nothing the program can or
// may change without losing what the record holds).
enum class CheckRepair {
    None,
    Repaired,    // the link now leads to a copy of its own, or a loop is closed
    RemoveLink,  // the record's link (or its chain's last link) is cut
    RemoveItem,  // the unreachable extension record is freed
};

struct CheckFinding {
    CheckSection section;
    std::size_t record;  // 1-based record number in the section's file
    std::string name;    // the dialling record's name, for the detailed report
    CheckProblem problem;
    CheckRepair repair = CheckRepair::None;
    std::string lostDigits;  // digits a cut link takes away from the record's number
};

// The record images the check works on, as the session's caches hold them (a file the card does not
// offer: no image, or an image of no records).
struct CardImages {
    std::array<std::optional<FileImage>, kCachedFileCount> files;
    // EXT1 records the GSM files do not name may belong to the card's USIM phone book: they are
    // neither reported nor freed.
    bool ext1HasOtherUsers = false;

    FileImage Of(CachedFile file) const;
};

struct CardCheckPlan {
    std::vector<CheckFinding> findings;
    RecordWritePlan writes;  // empty when there is nothing to repair
    bool needsPin2 = false;  // a repair touches the fixed dialling numbers or their extension file

    bool ErrorsFound() const;
};

// Called before each record is looked at: the progress text id, the record and the record count;
// false stops the check (the user cancelled).
using CheckProgress = std::function<bool(std::uint32_t textId, unsigned item, unsigned total)>;

// Checks every dialling record's extension chain (ADN, LND and MSISDN in EXT1, FDN in EXT2), the
// extension records, the number formats and the message types, and plans the repair. The plan
// keeps every number whole where it can: a chain that runs into another record's chain gets a copy
// of its own in free extension records (the record of the last numbers dialled, which the card only
// lets a phone rotate, keeps the chain); when no free records are left the later record loses the
// digits of the shared part instead. Writes are ordered so that a stop after any of them leaves no
// number changed: copies first, then the links that lead to them and the removed links, then the
// loops closed, and the unreachable records freed last. Nothing when the user cancelled.
std::optional<CardCheckPlan> PlanCardCheck(const CardImages& images, const CheckProgress& progress);

}  // namespace quillet::card
