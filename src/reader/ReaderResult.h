#pragma once

#include <cstdint>
#include <string_view>

namespace quillet::reader {

// The outcome of every reader and session operation. Its value is the string id of its message,
// so a result is shown to the user by looking it up in the string table.
using ReaderResult = std::uint16_t;

namespace result {
inline constexpr ReaderResult kOk = 102;                     // "O.K."
inline constexpr ReaderResult kCommandError = 103;           // "Error interpreting command"
inline constexpr ReaderResult kDataBlockError = 104;         // "Error in data block"
inline constexpr ReaderResult kStatusError = 105;            // "Status error during operation"
inline constexpr ReaderResult kCannotActivateCard = 106;     // "Cannot activate card"
inline constexpr ReaderResult kCannotDeactivateCard = 107;   // "Cannot deactivate card"
inline constexpr ReaderResult kCardInitError = 108;          // "Error in card initialization"
inline constexpr ReaderResult kCheckBlockError = 109;        // "Error in SIM card check block"
inline constexpr ReaderResult kIncorrectCheckBlock = 110;    // "Incorrect SIM card check block"
inline constexpr ReaderResult kBadAtr = 111;                 // "Bad SIM card response"
inline constexpr ReaderResult kRepeatActivation = 112;       // "Repeat attempt to activate card"
inline constexpr ReaderResult kCardNotActive = 113;          // "Card is not active"
inline constexpr ReaderResult kBadCardRecord = 127;          // "Bad card record"
inline constexpr ReaderResult kDriverNotInstalled = 128;     // "Smartcard reader device driver not installed"
inline constexpr ReaderResult kDriverInaccessible = 129;     // "Cannot access smartcard reader device driver"
inline constexpr ReaderResult kGeneralReaderError = 130;     // "General error during smartcard reader operation"
inline constexpr ReaderResult kCardNotInserted = 131;        // "Card not inserted"
inline constexpr ReaderResult kBadStatusWord = 132;          // "Bad SIM card response"
inline constexpr ReaderResult kCardChanged = 133;            // "Card changed during operation"
inline constexpr ReaderResult kBadOrMissingRecord = 134;     // "Bad or missing record in card"
inline constexpr ReaderResult kNoValidPin = 135;             // "No valid PIN entered"
inline constexpr ReaderResult kWrongPin = 136;               // "Wrong PIN!"
inline constexpr ReaderResult kPortNotSet = 137;             // "Correct COM port not set"
inline constexpr ReaderResult kReaderNotConnected = 138;     // "Smartcard reader not connected"
inline constexpr ReaderResult kInvalidReaderId = 139;        // "Invalid smartcard reader identification"
inline constexpr ReaderResult kNonSpecific = 140;            // "Non-specific error"
inline constexpr ReaderResult kPortError = 141;              // "COM port operation error"
inline constexpr ReaderResult kReaderInaccessible = 142;     // "Reader inaccessible (use menu Other->Setup) via "
inline constexpr ReaderResult kSmartcardInitError = 143;     // "Smartcard initialization error"
inline constexpr ReaderResult kReaderLibraryError = 144;     // "Error in smartcard reader DLL"
inline constexpr ReaderResult kMemoryCardNotInserted = 145;  // "Card not inserted"
inline constexpr ReaderResult kCancelledByUser = 146;        // "Operation cancelled by user"
inline constexpr ReaderResult kPositionOverflow = 147;       // "Card positions number overflow"
inline constexpr ReaderResult kExtensionOverflow = 148;      // "Extension card space overflow"
inline constexpr ReaderResult kInaccessibleRecord = 149;     // "Unaccessible card record"
inline constexpr ReaderResult kCardBlocked = 150;            // "Card blocked, PIN is not verified"
inline constexpr ReaderResult kPinEntryCancelled = 151;      // "Operation cancelled"
inline constexpr ReaderResult kFileNotAccessible = 152;      // "Required card file is not accessible"
inline constexpr ReaderResult kCardChangedSinceRead = 153;   // the card no longer holds what was read
inline constexpr ReaderResult kWriteNotKept = 154;           // a record read back differs from what was written
inline constexpr ReaderResult kTextTooLong = 155;            // a message does not fit its record
inline constexpr ReaderResult kUsimOnlyCard = 156;           // a UICC without the GSM application
}  // namespace result

// True for the codes that exist: 102..113 and 127..156.
bool IsKnownReaderResult(ReaderResult code);

// The message of a result code; unknown codes read as "Non-specific error".
std::string_view ReaderResultText(ReaderResult code);

}  // namespace quillet::reader
