// The demonstration cards of the virtual SIM. Every record is assembled with the card's own
// encoders from GSM 11.11 and 3GPP TS 23.038/23.040/24.008; file identifiers, structures and access
// conditions are those GSM 11.11 gives.
#include "sim/DemoCard.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "sim/CardEncoding.h"
#include "sim/DemoFileParts.h"

namespace quillet::sim {

namespace {

constexpr std::uint16_t kDfGsm = 0x7F20;
constexpr std::uint16_t kDfTelecom = 0x7F10;

constexpr std::size_t kAlphaLength = 16;  // dialling-number records of 30 bytes
constexpr std::size_t kSmspAlphaLength = 12;
constexpr std::size_t kAdnRecords = 120;
constexpr std::size_t kFdnRecords = 10;
constexpr std::size_t kSmsRecords = 20;
constexpr std::size_t kLndRecords = 5;
constexpr std::size_t kMsisdnRecords = 2;
constexpr std::size_t kExt1Records = 10;
constexpr std::size_t kExt2Records = 5;
constexpr std::size_t kPlmnSelectorSlots = 12;
constexpr std::size_t kForbiddenSlots = 4;

constexpr const char* kServiceCentre = "+420603052000";
constexpr unsigned kHomeMcc = 230;
constexpr unsigned kHomeMnc = 1;

using namespace demo;

template <std::size_t N>
std::vector<std::uint8_t> ToVector(const std::array<std::uint8_t, N>& bytes) {
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::string Padded(unsigned value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
}

// An extension file and the dialling numbers that continue in it. Extension records are handed
// out from record 1 on in the order the numbers need them; the others stay free.
class ExtensionFile {
public:
    explicit ExtensionFile(std::size_t recordCount) : m_recordCount(recordCount) {}

    // The dialling-number record of a name and a dial string; an entry that does not encode or
    // whose extension records would not fit stays a free record.
    Record Add(std::string_view name, std::string_view dialString) {
        const auto first = static_cast<std::uint8_t>(m_used.size() + 1);
        auto number = EncodeDiallingNumber(name, dialString, kAlphaLength, first);
        if (!number || m_used.size() + number->extensions.size() > m_recordCount) {
            return EmptyDiallingRecord(kAlphaLength);
        }
        for (auto& extension : number->extensions) m_used.push_back(std::move(extension));
        return std::move(number->record);
    }

    Records AllRecords() const {
        Records records = m_used;
        records.resize(m_recordCount, EmptyExtensionRecord());
        return records;
    }

private:
    std::size_t m_recordCount;
    Records m_used;
};

struct Contact {
    const char* name;
    const char* number;
};

// The first phone book entries, each showing something of the record coding.
constexpr Contact kFeaturedContacts[] = {
    {"Jürgen Müller", "+49301234567"},                              // ü = 0x7E
    {"Bank Hotline", "+420221234567p1234p987654"},                  // 24 digits: one EXT1 record
    {"Šárka", "602345678"},                                         // UCS2 alpha identifier
    {"Conference", "+442079460000p123456789#p987654321#p1357924"},  // 42 digits: two EXT1 records
    {"Petr @ work", "+420224876543"},                               // '@' = 0x00
    {"Björn Ström", "+46812345678"},
    {"Señor Pedro", "+34912345678"},
    {"Søren Ærø", "+4533123456"},
    {"Café Slavia", "224218493"},
    {"Ägäis Reisen", "+49891234567"},
    {"Hotel Ambassador", "+420224193111"},  // 16 characters, no filler
    {"Credit", "*101#"},
    {"Voicemail", "4603"},
    {"SOS", "112"},
};

constexpr const char* kFirstNames[] = {"Adam",  "Alena",  "Bohdan", "Dana",   "David",  "Eva",    "Filip", "Hana",
                                       "Ivana", "Jakub",  "Jan",    "Jana",   "Karel",  "Klara",  "Lenka", "Lukas",
                                       "Marek", "Marie",  "Martin", "Michal", "Monika", "Ondrej", "Pavel", "Petra",
                                       "Radek", "Simona", "Tereza", "Tomas",  "Vera",   "Zdenek"};
constexpr const char* kSurnames[] = {"Novak",   "Svoboda", "Dvorak",  "Cerny",    "Prochazka", "Kucera",
                                     "Vesely",  "Horak",   "Nemec",   "Pokorny",  "Pospisil",  "Hajek",
                                     "Kral",    "Jelinek", "Ruzicka", "Benes",    "Fiala",     "Sedlacek",
                                     "Dolezal", "Zeman",   "Kolar",   "Navratil", "Cermak",    "Urban"};

// The k-th generated contact: 30 x 24 name pairs that repeat only after 120 entries, and a mix of
// national and international numbers of the Czech networks and of neighbouring countries.
std::pair<std::string, std::string> GeneratedContact(std::size_t k) {
    constexpr std::size_t kFirstCount = std::size(kFirstNames);
    constexpr std::size_t kSurnameCount = std::size(kSurnames);
    const std::string name = std::string(kFirstNames[k % kFirstCount]) + " " + kSurnames[k * 7 % kSurnameCount];
    const std::string six = Padded(static_cast<unsigned>((k * 7919 + 12345) % 1000000), 6);
    const std::string digit = std::to_string(k % 10);
    switch (k % 6) {
        case 0:  // national mobile
            return {name, "60" + digit + six};
        case 1:  // international, same country
            return {name, "+42072" + digit + six};
        case 2:  // Prague
            return {name, "2" + Padded(static_cast<unsigned>(10 + k % 90), 2) + six};
        case 3:
            return {name, "+42077" + digit + six};
        case 4:  // Slovakia
            return {name, "+421905" + six};
        default:  // Austria or Germany
            return {name, (k % 4 == 1 ? "+43664" : "+49171") + six + digit};
    }
}

// Every seventh record from the sixth on is left free, so that the list has gaps.
bool IsFreePhoneBookSlot(std::size_t index) { return index % 7 == 5; }

Records BuildPhoneBook(ExtensionFile& ext1) {
    Records records;
    std::size_t featured = 0;
    std::size_t generated = 0;
    for (std::size_t index = 0; index < kAdnRecords; ++index) {
        if (IsFreePhoneBookSlot(index)) {
            records.push_back(EmptyDiallingRecord(kAlphaLength));
        } else if (featured < std::size(kFeaturedContacts)) {
            const Contact& contact = kFeaturedContacts[featured++];
            records.push_back(ext1.Add(contact.name, contact.number));
        } else {
            const auto [name, number] = GeneratedContact(generated++);
            records.push_back(ext1.Add(name, number));
        }
    }
    return records;
}

Records BuildDiallingRecords(ExtensionFile& extensions, std::initializer_list<Contact> used, std::size_t count) {
    Records records;
    for (const Contact& contact : used) records.push_back(extensions.Add(contact.name, contact.number));
    records.resize(count, EmptyDiallingRecord(kAlphaLength));
    return records;
}

SmsUserData Gsm7(std::string_view text) {
    const auto septets = ToGsmSeptets(text);
    if (!septets) return {};
    return EncodeGsm7UserData(*septets).value_or(SmsUserData{});
}

SmsUserData Ucs2(std::string_view text) {
    const auto units = ToUcs2(text);
    if (!units) return {};
    return EncodeUcs2UserData(*units).value_or(SmsUserData{});
}

Record Received(SmsStatus status, const char* from, SmsTimeStamp stamp, SmsUserData data, bool more = false) {
    SmsDeliver message;
    message.originator = from;
    message.timeStamp = stamp;
    message.userData = std::move(data);
    message.moreMessagesWaiting = more;
    const auto tpdu = EncodeSmsDeliver(message);
    if (!tpdu) return FreeSmsRecord();
    return EncodeSmsRecord(status, kServiceCentre, *tpdu).value_or(FreeSmsRecord());
}

Record Outgoing(SmsStatus status, std::uint8_t reference, const char* to, std::uint8_t validity, SmsUserData data) {
    SmsSubmit message;
    message.messageReference = reference;
    message.destination = to;
    message.relativeValidity = validity;
    message.userData = std::move(data);
    const auto tpdu = EncodeSmsSubmit(message);
    if (!tpdu) return FreeSmsRecord();
    return EncodeSmsRecord(status, kServiceCentre, *tpdu).value_or(FreeSmsRecord());
}

constexpr std::uint8_t kValidityDay = 0xA7;   // 24 hours
constexpr std::uint8_t kValidityWeek = 0xAD;  // 7 days
constexpr int kCet = 4;                       // UTC+1 in quarters of an hour

Records BuildMessages() {
    // A long message sent as two concatenated parts of at most 153 septets each.
    const std::string_view longText =
        "Hi Tomas, Friday's meeting moves to the small conference room on the 3rd floor. Please bring the "
        "printed budget, the list of suppliers and your laptop. Lunch is at 12:30 in the canteen next door. "
        "See you there, Eva";
    const auto septets = ToGsmSeptets(longText).value_or(std::vector<std::uint8_t>{});
    constexpr std::size_t kPartSeptets = 153;
    const std::size_t split = std::min(septets.size(), kPartSeptets);
    const std::span<const std::uint8_t> all(septets);
    const auto header1 = ConcatenationElement(0x5A, 2, 1);
    const auto header2 = ConcatenationElement(0x5A, 2, 2);
    const SmsUserData part1 = EncodeGsm7UserData(all.first(split), header1).value_or(SmsUserData{});
    const SmsUserData part2 = EncodeGsm7UserData(all.subspan(split), header2).value_or(SmsUserData{});

    Records records;
    records.push_back(
        Received(SmsStatus::Read, "+420603123456", {2001, 12, 3, 14, 25, 30, kCet}, Gsm7("Dinner at 8?")));
    records.push_back(Received(SmsStatus::Unread, "+420724987654", {2001, 12, 4, 9, 2, 11, kCet},
                               Gsm7("Meet @ Café Slavia, table by the window. Pavel")));
    records.push_back(Outgoing(SmsStatus::Sent, 0x2A, "+420603123456", kValidityDay, Gsm7("OK, see you there!")));
    records.push_back(Outgoing(SmsStatus::ToBeSent, 0x00, "603987654", kValidityWeek,
                               Gsm7("Don't forget the tickets: 25€ each [cash only]")));
    records.push_back(Received(SmsStatus::Read, "+420608111222", {2001, 12, 5, 18, 40, 2, kCet}, part1, true));
    records.push_back(Received(SmsStatus::Read, "+420608111222", {2001, 12, 5, 18, 40, 3, kCet}, part2));
    records.push_back(Received(SmsStatus::Unread, "+420777111222", {2001, 12, 6, 20, 15, 45, kCet},
                               Ucs2("Ahoj, máš v pátek čas? Šárka")));
    records.push_back(FreeSmsRecord());
    records.push_back(Received(SmsStatus::Read, "4603", {2001, 12, 7, 8, 0, 0, kCet},
                               Gsm7("Your credit is 215.50 CZK. Valid until 31.03.2002.")));
    records.push_back(
        Outgoing(SmsStatus::Sent, 0x2B, "+49301234567", kValidityDay, Gsm7("Alles Gute zum Geburtstag, Jürgen!")));
    records.push_back(Received(SmsStatus::Read, "+12125550123", {2001, 12, 8, 23, 59, 59, -20},
                               Gsm7("Landed in NYC, call you tomorrow.")));
    records.push_back(FreeSmsRecord());
    records.push_back(Received(SmsStatus::Unread, "+420603000333", {2001, 12, 9, 7, 30, 5, kCet},
                               Gsm7("You have 1 new voice message. Call 4603 to listen.")));
    records.resize(kSmsRecords, FreeSmsRecord());
    return records;
}

std::vector<std::uint8_t> PlmnList(std::initializer_list<std::pair<unsigned, unsigned>> networks, std::size_t slots) {
    std::vector<std::uint8_t> content;
    for (const auto& [mcc, mnc] : networks) {
        const auto plmn = EncodePlmn(mcc, mnc);
        content.insert(content.end(), plmn.begin(), plmn.end());
    }
    content.resize(3 * slots, 0xFF);
    return content;
}

std::vector<std::uint8_t> LocationInformation() {
    // TMSI, LAI (PLMN and location area code), TMSI TIME (unused), location update status: updated.
    std::vector<std::uint8_t> loci{0x1A, 0x2B, 0x3C, 0x4D};
    const auto lai = EncodePlmn(kHomeMcc, kHomeMnc);
    loci.insert(loci.end(), lai.begin(), lai.end());
    loci.insert(loci.end(), {0x01, 0x2C, 0xFF, 0x00});
    return loci;
}

std::vector<SimElementaryFile> GsmFiles() {
    // Services: CHV1 disable, ADN, FDN, SMS, AoC, PLMN selector, MSISDN, EXT1, EXT2, SMSP, LND.
    constexpr unsigned kServices[] = {1, 2, 3, 4, 5, 7, 9, 10, 11, 12, 13};
    const Records acm{ToVector(EncodeCallMeter(150)), ToVector(EncodeCallMeter(120))};
    std::vector<SimElementaryFile> files;
    files.push_back(
        TransparentFile(kDfGsm, 0x6F38, "EF_SST", Access(kChv1, kAdm, kAdm, kAdm), EncodeServiceTable(kServices, 10)));
    files.push_back(TransparentFile(kDfGsm, 0x6F30, "EF_PLMNsel", Access(kChv1, kChv1, kAdm, kAdm),
                                    PlmnList({{232, 1}, {262, 1}, {231, 1}, {260, 2}, {228, 1}}, kPlmnSelectorSlots)));
    files.push_back(TransparentFile(kDfGsm, 0x6F7B, "EF_FPLMN", Access(kChv1, kChv1, kAdm, kAdm),
                                    PlmnList({{230, 2}, {231, 2}}, kForbiddenSlots)));
    files.push_back(TransparentFile(kDfGsm, 0x6F07, "EF_IMSI", Access(kChv1, kAdm, kAdm, kChv1),
                                    OrFiller(EncodeImsi("230011234567890"), 9)));
    files.push_back(TransparentFile(kDfGsm, 0x6FAE, "EF_Phase", Access(kAlw, kAdm, kAdm, kAdm), {0x02}));
    files.push_back(
        TransparentFile(kDfGsm, 0x6F7E, "EF_LOCI", Access(kChv1, kChv1, kAdm, kChv1), LocationInformation()));
    // 0.15 EUR per unit: EPPU 15, exponent -2.
    files.push_back(TransparentFile(kDfGsm, 0x6F41, "EF_PUCT", Access(kChv1, kChv2, kAdm, kAdm),
                                    OrFiller(EncodePuct("EUR", 15, -2), 5)));
    // Cyclic: record 1 holds the latest value.
    files.push_back(
        RecordFile(kDfGsm, 0x6F39, "EF_ACM", FileStructure::Cyclic, Access(kChv1, kChv1, kAdm, kAdm, kChv1), 3, acm));
    files.push_back(TransparentFile(kDfGsm, 0x6F37, "EF_ACMmax", Access(kChv1, kChv2, kAdm, kAdm),
                                    ToVector(EncodeCallMeter(1000))));
    // The rest of the files every GSM application carries: ciphering key Kc with its sequence
    // number (none yet: 07), HPLMN search period (30 minutes), access control class 3,
    // administrative data (normal operation), BCCH information.
    files.push_back(TransparentFile(kDfGsm, 0x6F20, "EF_Kc", Access(kChv1, kChv1, kAdm, kAdm),
                                    {0x3C, 0x1F, 0x52, 0x8A, 0x06, 0xD4, 0x91, 0x7E, 0x07}));
    files.push_back(TransparentFile(kDfGsm, 0x6F31, "EF_HPLMN", Access(kChv1, kAdm, kAdm, kAdm), {0x0A}));
    files.push_back(TransparentFile(kDfGsm, 0x6F78, "EF_ACC", Access(kChv1, kAdm, kAdm, kAdm), {0x00, 0x08}));
    files.push_back(TransparentFile(kDfGsm, 0x6FAD, "EF_AD", Access(kAlw, kAdm, kAdm, kAdm), {0x00, 0x00, 0x00}));
    files.push_back(TransparentFile(kDfGsm, 0x6F74, "EF_BCCH", Access(kChv1, kChv1, kAdm, kAdm),
                                    std::vector<std::uint8_t>(16, 0x00)));
    return files;
}

std::vector<SimElementaryFile> TelecomFiles() {
    constexpr std::size_t kDiallingLength = kAlphaLength + kDiallingRecordFixedPart;
    ExtensionFile ext1(kExt1Records);
    ExtensionFile ext2(kExt2Records);
    Records adn = BuildPhoneBook(ext1);
    Records fdn = BuildDiallingRecords(ext2,
                                       {{"Home", "+420224123456"},
                                        {"Emergency", "112"},
                                        {"Office PBX", "+420234567890p4455p6123456"},  // 25 digits: EXT2 record 1
                                        {"Mum", "+420602111222"}},
                                       kFdnRecords);
    Records msisdn = BuildDiallingRecords(ext1, {{"My number", "+420603555123"}}, kMsisdnRecords);
    // Cyclic: record 1 is the number dialled last.
    Records lnd = BuildDiallingRecords(
        ext1, {{"", "603987654"}, {"Jürgen Müller", "+49301234567"}, {"Pizza Roma", "+420222333444"}}, kLndRecords);
    const Record smsp =
        OrFiller(EncodeSmsParameters({"Home SMSC", kServiceCentre, 0x00, 0x00, kValidityDay}, kSmspAlphaLength),
                 kSmspAlphaLength + kSmsParametersFixedPart);

    const FileAccess personal = Access(kChv1, kChv1, kAdm, kAdm);
    std::vector<SimElementaryFile> files;
    files.push_back(RecordFile(kDfTelecom, 0x6F3A, "EF_ADN", FileStructure::LinearFixed,
                               Access(kChv1, kChv1, kChv2, kChv2), kDiallingLength, std::move(adn)));
    files.push_back(RecordFile(kDfTelecom, 0x6F3B, "EF_FDN", FileStructure::LinearFixed,
                               Access(kChv1, kChv2, kAdm, kAdm), kDiallingLength, std::move(fdn)));
    files.push_back(RecordFile(kDfTelecom, 0x6F3C, "EF_SMS", FileStructure::LinearFixed, personal, kSmsRecordLength,
                               BuildMessages()));
    files.push_back(RecordFile(kDfTelecom, 0x6F40, "EF_MSISDN", FileStructure::LinearFixed, personal, kDiallingLength,
                               std::move(msisdn)));
    files.push_back(
        RecordFile(kDfTelecom, 0x6F42, "EF_SMSP", FileStructure::LinearFixed, personal, smsp.size(), {smsp}));
    files.push_back(
        RecordFile(kDfTelecom, 0x6F44, "EF_LND", FileStructure::Cyclic, personal, kDiallingLength, std::move(lnd)));
    files.push_back(RecordFile(kDfTelecom, 0x6F4A, "EF_EXT1", FileStructure::LinearFixed, personal,
                               kExtensionRecordLength, ext1.AllRecords()));
    files.push_back(RecordFile(kDfTelecom, 0x6F4B, "EF_EXT2", FileStructure::LinearFixed,
                               Access(kChv1, kChv2, kAdm, kAdm), kExtensionRecordLength, ext2.AllRecords()));
    return files;
}

}  // namespace

SimProfile BuildDemoSimProfile() {
    SimProfile profile;
    profile.kind = SimProfile::Kind::Sim;
    profile.description = "Demo SIM card: GSM phase 2, Czech network 230-01, 120 phone book entries";
    // TS direct convention; T0: TA1 and TD1 follow, 12 historical bytes; TA1 Fi 512 Di 8; TD1 T=0
    // only, so no check byte. Historical bytes: category 0x80, card service data, pre-issuing
    // data "QLT1", card capabilities.
    profile.atr = {0x3B, 0x9C, 0x94, 0x00, 0x80, 0x31, 0xC0, 0x64, 'Q', 'L', 'T', '1', 0x73, 0xBE, 0x21, 0x00};
    profile.chv1Enabled = true;
    profile.chv1 = {"1234", 3, 3, true};
    profile.unblockChv1 = {"12345678", 10, 10, true};
    profile.chv2 = {"5678", 3, 3, true};
    profile.unblockChv2 = {"87654321", 10, 10, true};
    profile.directories = {{kDfGsm, "DF_GSM"}, {kDfTelecom, "DF_TELECOM"}};

    const std::string iccidBody = "894200120011223344";
    profile.files.push_back(IccidFile(iccidBody));
    for (auto& file : GsmFiles()) profile.files.push_back(std::move(file));
    for (auto& file : TelecomFiles()) profile.files.push_back(std::move(file));
    return profile;
}

SimProfile BuildDemoTelephoneCard() {
    SimProfile profile;
    profile.kind = SimProfile::Kind::MemoryCard;
    profile.description = "Demo telephone chip card: Czech Republic, 30 units, 12 used";
    profile.memory = {
        0x9A, 0x83, 0x10, 50,   0x12, 0x34, 0x56, 0x78,  // issuer, card type, unit class (30 units)
        0x9A, 0xBC, 0x0F, 85,   0xFF, 0x3F, 0x00, 0x00,  // serial number, country 85; 2 + 12 units used
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // unit counter area, unused
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    };
    return profile;
}

}  // namespace quillet::sim
