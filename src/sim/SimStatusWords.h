#pragma once

#include <cstdint>

namespace quillet::sim::sw {

// Status words of a GSM 11.11 SIM.
inline constexpr std::uint16_t kOk = 0x9000;
inline constexpr std::uint16_t kResponseWaiting = 0x9F00;  // plus the response length
inline constexpr std::uint16_t kNoEfSelected = 0x9400;
inline constexpr std::uint16_t kOutOfRange = 0x9402;
inline constexpr std::uint16_t kFileNotFound = 0x9404;
inline constexpr std::uint16_t kFileInconsistent = 0x9408;
inline constexpr std::uint16_t kNoChvInitialised = 0x9802;
inline constexpr std::uint16_t kAccessNotFulfilled = 0x9804;
inline constexpr std::uint16_t kContradictsChvStatus = 0x9808;
inline constexpr std::uint16_t kContradictsInvalidation = 0x9810;
inline constexpr std::uint16_t kCodeBlocked = 0x9840;
inline constexpr std::uint16_t kMaximumReached = 0x9850;
inline constexpr std::uint16_t kWrongLength = 0x6700;
inline constexpr std::uint16_t kWrongParameters = 0x6B00;
inline constexpr std::uint16_t kUnknownInstruction = 0x6D00;
inline constexpr std::uint16_t kWrongClass = 0x6E00;
inline constexpr std::uint16_t kTechnicalProblem = 0x6F00;

}  // namespace quillet::sim::sw
