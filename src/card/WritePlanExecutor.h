#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "card/CardSession.h"
#include "card/RecordWritePlan.h"

namespace quillet::card {

// How far a plan got: the writes carried out (and, with read-back on, found on the card) in plan
// order, and which of them changed a record (the others held those bytes already).
struct PlanExecution {
    std::size_t writesDone = 0;
    std::vector<bool> changed;
};

// Carries a plan out. First every stale check: a record the card no longer holds as the caches
// say stops the write before anything changes (kCardChangedSinceRead). Then the writes in order,
// with progress and cancel; with the host's VerifyWrites() each record written is read back at
// once, and a record the card did not keep fails the write (kWriteNotKept). Any failure but a
// cancel clears the caches. The last result tells the outcome. `beforeWrites`, when given, runs
// after the stale checks and before the first write; when it returns false (having set the last
// result) nothing of the plan is written.
bool ExecuteWritePlan(CardSession& session, const RecordWritePlan& plan, PlanExecution& execution,
                      const std::function<bool()>& beforeWrites = {});

// Writes a whole transparent file and, with the host's VerifyWrites(), reads it back: a file the
// card did not keep fails with kWriteNotKept; any failure clears the caches.
bool WriteTransparentFile(CardSession& session, std::uint16_t df, std::uint16_t ef,
                          std::span<const std::uint8_t> bytes);

}  // namespace quillet::card
