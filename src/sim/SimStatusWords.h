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

// Status words of a UICC (TS 102 221) where they differ from the SIM's.
namespace uicc {
inline constexpr std::uint16_t kBytesAvailable = 0x6100;  // plus the response length
inline constexpr std::uint16_t kWrongLe = 0x6C00;         // plus the length to ask for
inline constexpr std::uint16_t kRetriesLeft = 0x63C0;     // plus the attempts left
inline constexpr std::uint16_t kIncompatibleStructure = 0x6981;
inline constexpr std::uint16_t kSecurityNotSatisfied = 0x6982;
inline constexpr std::uint16_t kMethodBlocked = 0x6983;
inline constexpr std::uint16_t kReferenceInvalidated = 0x6984;
inline constexpr std::uint16_t kConditionsNotSatisfied = 0x6985;
inline constexpr std::uint16_t kNoEfSelected = 0x6986;
inline constexpr std::uint16_t kIncorrectData = 0x6A80;
inline constexpr std::uint16_t kFileNotFound = 0x6A82;
inline constexpr std::uint16_t kRecordNotFound = 0x6A83;
inline constexpr std::uint16_t kNotEnoughMemory = 0x6A84;
inline constexpr std::uint16_t kReferenceNotFound = 0x6A88;
}  // namespace uicc

}  // namespace quillet::sim::sw
