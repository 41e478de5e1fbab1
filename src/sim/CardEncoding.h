#pragma once

// The byte codings a GSM SIM stores its data in, written from GSM 11.11, 3GPP TS 23.038, 23.040 and
// 24.008. The virtual card and its tools assemble records with these; they never use the program's
// own codecs, so that a mistake in one side cannot hide in the other.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::sim {

// ---- Digits --------------------------------------------------------------------------------------

// The BCD nibble of one dialling character (GSM 11.11 10.5.1): '0'..'9', '*' = 0xA, '#' = 0xB,
// 'p' or 'P' (DTMF control digit separator) = 0xC, 'D' (wild value) = 0xD, 'E' (expansion) = 0xE.
std::optional<std::uint8_t> DialNibble(char character);

// Dialling characters two to a byte, the first in the low nibble, the rest filled with 0xF, in
// `length` bytes (0: just as many as the characters need). Nothing when a character is not a
// dialling character or the characters do not fit.
std::optional<std::vector<std::uint8_t>> PackSwappedBcd(std::string_view digits, std::size_t length = 0);

// ---- Text (3GPP TS 23.038) -------------------------------------------------------------------------

// The code points of a UTF-8 text; nothing for a malformed sequence.
std::optional<std::u32string> DecodeUtf8(std::string_view text);

// The text in septets of the GSM default alphabet, characters of the extension table as the escape
// septet 0x1B followed by their code. Nothing when a character has no place in either table.
std::optional<std::vector<std::uint8_t>> ToGsmSeptets(std::string_view utf8);

// The text in UCS2 (big-endian when serialised); nothing for characters beyond the BMP.
std::optional<std::u16string> ToUcs2(std::string_view utf8);

// Septets packed least significant bit first, after `fillBits` zero bits (the fill that follows a
// user data header to reach a septet boundary).
std::vector<std::uint8_t> PackSeptets(std::span<const std::uint8_t> septets, unsigned fillBits = 0);

// An alpha identifier of `length` bytes (GSM 11.11 annex B): the default alphabet with bit 8 clear
// when every character has a place in it, otherwise 0x80 followed by UCS2 big-endian; unused bytes
// 0xFF. Nothing when the text does not fit.
std::optional<std::vector<std::uint8_t>> EncodeAlphaIdentifier(std::string_view utf8, std::size_t length);

// ---- Dialling numbers (GSM 11.11 10.5.1 and 10.5.10) -----------------------------------------------

inline constexpr std::uint8_t kTonNpiUnknown = 0x81;         // unknown type, ISDN/telephony plan
inline constexpr std::uint8_t kTonNpiInternational = 0x91;   // international, ISDN/telephony plan
inline constexpr std::size_t kDiallingRecordFixedPart = 14;  // record length = alpha length + 14
inline constexpr std::size_t kExtensionRecordLength = 13;
inline constexpr std::uint8_t kExtensionAdditionalData = 0x02;
inline constexpr std::uint8_t kNoRecord = 0xFF;

// A dialling-number record and the extension records its number continues in, in chain order.
struct DiallingNumber {
    std::vector<std::uint8_t> record;
    std::vector<std::vector<std::uint8_t>> extensions;
};

// Encodes a name and a dial string for an ADN/FDN/MSISDN/LND record with `alphaLength` name bytes.
// A leading '+' makes the number international (0x91), otherwise it is of unknown type (0x81).
// Digits beyond the 20 of the record go to type-2 extension records of 20 digits each, numbered
// from `firstExtensionRecord` on and chained through their last byte. Nothing when the name or
// the number cannot be coded or the extension records would not exist.
std::optional<DiallingNumber> EncodeDiallingNumber(std::string_view name, std::string_view dialString,
                                                   std::size_t alphaLength,
                                                   std::uint8_t firstExtensionRecord = kNoRecord);

// A free dialling-number record: every byte 0xFF.
std::vector<std::uint8_t> EmptyDiallingRecord(std::size_t alphaLength);

// A free extension record: record type 0x00 (neither subaddress nor additional data; its reserved
// bits are 0), every other byte 0xFF.
std::vector<std::uint8_t> EmptyExtensionRecord();

// ---- Short messages (3GPP TS 23.040, GSM 11.11 10.5.3 and 10.5.6) -----------------------------------

inline constexpr std::size_t kSmsRecordLength = 176;
inline constexpr std::size_t kSmsParametersFixedPart = 28;  // record length = alpha length + 28

// Status byte of an EF SMS record.
enum class SmsStatus : std::uint8_t { Free = 0x00, Read = 0x01, Unread = 0x03, Sent = 0x05, ToBeSent = 0x07 };

// A service centre time stamp; the time zone in quarters of an hour, negative west of Greenwich.
struct SmsTimeStamp {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int zoneQuarterHours = 0;
};

// TP-SCTS: seven swapped-nibble BCD bytes, the sign of the zone in bit 3 of the last one.
std::array<std::uint8_t, 7> EncodeTimeStamp(const SmsTimeStamp& stamp);

// TP-OA / TP-DA: digit count, TON/NPI ('+' = international), digits. At most 20 digits.
std::optional<std::vector<std::uint8_t>> EncodeSmsAddress(std::string_view dialString);

// A service centre address as EF SMS and EF SMSP hold it: byte count (TON/NPI and digit bytes),
// TON/NPI, digits. At most 20 digits.
std::optional<std::vector<std::uint8_t>> EncodeCentreAddress(std::string_view dialString);

// TP-DCS, TP-UDL and TP-UD of one message; `hasHeader` is TP-UDHI.
struct SmsUserData {
    std::uint8_t dataCoding = 0x00;
    std::uint8_t length = 0;
    bool hasHeader = false;
    std::vector<std::uint8_t> bytes;
};

// The concatenation information element (8-bit reference): 00 03 reference total sequence.
std::array<std::uint8_t, 5> ConcatenationElement(std::uint8_t reference, std::uint8_t total, std::uint8_t sequence);

// Default-alphabet user data (TP-DCS 0x00). `headerElements` are the information elements of a
// user data header without its length byte; none means no header. TP-UDL counts septets, the
// header's included. Nothing beyond 160 septets.
std::optional<SmsUserData> EncodeGsm7UserData(std::span<const std::uint8_t> septets,
                                              std::span<const std::uint8_t> headerElements = {});

// UCS2 user data (TP-DCS 0x08); TP-UDL counts bytes. Nothing beyond 140 bytes.
std::optional<SmsUserData> EncodeUcs2UserData(std::u16string_view text,
                                              std::span<const std::uint8_t> headerElements = {});

struct SmsDeliver {
    std::string originator;  // dial string, '+' for international
    SmsTimeStamp timeStamp;
    SmsUserData userData;
    bool moreMessagesWaiting = false;  // TP-MMS
    std::uint8_t protocolId = 0x00;
};

struct SmsSubmit {
    std::uint8_t messageReference = 0;
    std::string destination;                       // dial string, '+' for international
    std::optional<std::uint8_t> relativeValidity;  // TP-VP in the relative format, or none
    SmsUserData userData;
    std::uint8_t protocolId = 0x00;
};

std::optional<std::vector<std::uint8_t>> EncodeSmsDeliver(const SmsDeliver& message);
std::optional<std::vector<std::uint8_t>> EncodeSmsSubmit(const SmsSubmit& message);

// An EF SMS record: status, service centre address, TPDU, the rest 0xFF. Nothing when it does
// not fit 176 bytes.
std::optional<std::vector<std::uint8_t>> EncodeSmsRecord(SmsStatus status, std::string_view centre,
                                                         std::span<const std::uint8_t> tpdu);

// A free EF SMS record: status 0x00, the rest 0xFF.
std::vector<std::uint8_t> FreeSmsRecord();

struct SmsParameters {
    std::string name;
    std::string centre;  // dial string, '+' for international
    std::uint8_t protocolId = 0x00;
    std::uint8_t dataCoding = 0x00;
    std::uint8_t relativeValidity = 0xA7;  // 24 hours
};

// An EF SMSP record with `alphaLength` name bytes: centre, TP-PID, TP-DCS and TP-VP present, no
// destination address (parameter indicators 0xE1, reserved bits set).
std::optional<std::vector<std::uint8_t>> EncodeSmsParameters(const SmsParameters& parameters, std::size_t alphaLength);

// ---- Subscription and network (GSM 11.11, 3GPP TS 24.008) -------------------------------------------

// A PLMN as 24.008 codes it: MCC digits 2|1, MNC digit 3 (or 0xF)|MCC digit 3, MNC digits 2|1.
std::array<std::uint8_t, 3> EncodePlmn(unsigned mcc, unsigned mnc, unsigned mncDigits = 2);

// EF IMSI: length byte, then the digits after the identity type nibble (IMSI, odd/even flag). 9 bytes.
std::optional<std::vector<std::uint8_t>> EncodeImsi(std::string_view digits);

// EF ICCID: up to 20 digits in swapped-nibble BCD, filled with 0xF. 10 bytes.
std::optional<std::vector<std::uint8_t>> EncodeIccid(std::string_view digits);

// EF PUCT: the currency in three default-alphabet characters, the 12-bit elementary price per unit
// and its decimal exponent (-7..7): price = eppu x 10^exponent.
std::optional<std::array<std::uint8_t, 5>> EncodePuct(std::string_view currency, unsigned eppu, int exponent);

// An EF ACM record or EF ACMmax: 24-bit unit count, most significant byte first.
std::array<std::uint8_t, 3> EncodeCallMeter(std::uint32_t units);

// EF SST of `length` bytes, two bits per service from service 1 in the low bits of byte 1: the
// listed services are allocated and activated, all others neither.
std::vector<std::uint8_t> EncodeServiceTable(std::span<const unsigned> services, std::size_t length);

}  // namespace quillet::sim
