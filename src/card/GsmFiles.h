#pragma once

#include <cstdint>

namespace quillet::card {

// The GSM 11.11 files the program works with.
namespace gsm_file {
inline constexpr std::uint16_t kMasterFile = 0x3F00;
inline constexpr std::uint16_t kIccid = 0x2FE2;
inline constexpr std::uint16_t kGsmDirectory = 0x7F20;
inline constexpr std::uint16_t kServiceTable = 0x6F38;
inline constexpr std::uint16_t kTelecomDirectory = 0x7F10;
inline constexpr std::uint16_t kExt1 = 0x6F4A;
inline constexpr std::uint16_t kExt2 = 0x6F4B;
inline constexpr std::uint16_t kSms = 0x6F3C;
inline constexpr std::uint16_t kAdn = 0x6F3A;
inline constexpr std::uint16_t kFdn = 0x6F3B;
inline constexpr std::uint16_t kMsisdn = 0x6F40;
inline constexpr std::uint16_t kLnd = 0x6F44;
inline constexpr std::uint16_t kSmsParameters = 0x6F42;
inline constexpr std::uint16_t kPreferredNetworks = 0x6F30;
inline constexpr std::uint16_t kForbiddenNetworks = 0x6F7B;
}  // namespace gsm_file

}  // namespace quillet::card
