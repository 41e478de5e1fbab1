#pragma once

#include <cstdint>

// Names for the string ids the program's code asks for by hand. Texts with ids of their own
// elsewhere (result codes, toolbar tooltips, country names) are found through those ids.
namespace quillet::resources::string_id {

// Reader and card messages.
inline constexpr std::uint32_t kReaderInaccessibleVia = 142;
inline constexpr std::uint32_t kNoReaderFound = 57560;
inline constexpr std::uint32_t kReaderConnectedToPort = 57563;
inline constexpr std::uint32_t kNoReaderForTelephoneCard = 59020;
inline constexpr std::uint32_t kTelephoneCardError = 59021;
inline constexpr std::uint32_t kNotATelephoneCard = 59024;

// Setup values.
inline constexpr std::uint32_t kBadCountryCode = 57561;
inline constexpr std::uint32_t kBadPrefix = 57562;
inline constexpr std::uint32_t kDefaultCountryCode = 59000;
inline constexpr std::uint32_t kDefaultInternationalPrefix = 59001;

// Country list columns.
inline constexpr std::uint32_t kCountryColumn = 57900;
inline constexpr std::uint32_t kDialingNumberColumn = 57901;

// Editor windows.
inline constexpr std::uint32_t kCloseAllQuestion = 57840;

// Card writes: the position (from 1) of the first message whose text does not fit its record.
inline constexpr std::uint32_t kMessageTextTooLong = 58040;

}  // namespace quillet::resources::string_id
