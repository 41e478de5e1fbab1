// The demonstration UICCs. The phone-book files follow TS 31.102 (EF_PBR, the type 1, 2 and 3
// files, EF_PSC, EF_CC and EF_PUID); the file tree, EF_DIR and the selects TS 102 221. Every byte is
// assembled here from the standards with the card's own encoders.
#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "sim/CardEncoding.h"
#include "sim/DemoCard.h"
#include "sim/DemoFileParts.h"

namespace quillet::sim {

namespace {

using namespace demo;

constexpr std::uint16_t kDfTelecom = 0x7F10;
constexpr std::uint16_t kDfPhoneBook = 0x5F3A;
constexpr std::uint16_t kAdfUsim = 0x7FF0;
constexpr DirectoryKey kGlobalBook = ChildDirectoryKey(kDfTelecom, kDfPhoneBook);
constexpr DirectoryKey kLocalBook = ChildDirectoryKey(kAdfUsim, kDfPhoneBook);

constexpr std::size_t kAlphaLength = 16;  // ADN records of 30 bytes
constexpr std::size_t kEmailLength = 20;
constexpr std::size_t kPbrRecordLength = 64;
constexpr std::size_t kDirRecordLength = 32;
constexpr std::uint8_t kNoAdditionalNumberType = 0x00;

// The USIM application: RID A000000087 (3GPP), application code 1002, then the provider's bytes.
const std::vector<std::uint8_t> kUsimAid = {0xA0, 0x00, 0x00, 0x00, 0x87, 0x10, 0x02, 0xFF,
                                            0x42, 0x0F, 0xFF, 0xFF, 0x89, 0x00, 0x00, 0x01};

// EF_PBR: the tags of the three kinds of file and of the files themselves.
enum PbrTag : std::uint8_t {
    kTypeOne = 0xA8,
    kTypeTwo = 0xA9,
    kTypeThree = 0xAA,
    kAdnTag = 0xC0,
    kIapTag = 0xC1,
    kExt1Tag = 0xC2,
    kSneTag = 0xC3,
    kAnrTag = 0xC4,
    kPbcTag = 0xC5,
    kGrpTag = 0xC6,
    kAasTag = 0xC7,
    kGasTag = 0xC8,
    kUidTag = 0xC9,
    kEmailTag = 0xCA,
};

struct PbrEntry {
    std::uint8_t tag;
    std::uint16_t id;
    std::uint8_t sfi = 0;  // 0: none given
};

void AppendTemplate(Record& record, std::uint8_t tag, const std::vector<PbrEntry>& entries) {
    if (entries.empty()) return;
    Record body;
    for (const PbrEntry& entry : entries) {
        body.push_back(entry.tag);
        body.push_back(entry.sfi != 0 ? 3 : 2);
        body.push_back(static_cast<std::uint8_t>(entry.id >> 8));
        body.push_back(static_cast<std::uint8_t>(entry.id));
        if (entry.sfi != 0) body.push_back(entry.sfi);
    }
    record.push_back(tag);
    record.push_back(static_cast<std::uint8_t>(body.size()));
    record.insert(record.end(), body.begin(), body.end());
}

Record PbrRecord(const std::vector<PbrEntry>& typeOne, const std::vector<PbrEntry>& typeTwo,
                 const std::vector<PbrEntry>& typeThree) {
    Record record;
    AppendTemplate(record, kTypeOne, typeOne);
    AppendTemplate(record, kTypeTwo, typeTwo);
    AppendTemplate(record, kTypeThree, typeThree);
    record.resize(kPbrRecordLength, 0xFF);
    return record;
}

// EF_DIR's application template: tag 61 with the AID (4F) and the label (50).
Record DirRecord(const std::vector<std::uint8_t>& aid, std::string_view label) {
    Record record = {0x61, static_cast<std::uint8_t>(4 + aid.size() + label.size()), 0x4F,
                     static_cast<std::uint8_t>(aid.size())};
    record.insert(record.end(), aid.begin(), aid.end());
    record.push_back(0x50);
    record.push_back(static_cast<std::uint8_t>(label.size()));
    record.insert(record.end(), label.begin(), label.end());
    record.resize(kDirRecordLength, 0xFF);
    return record;
}

Record Filled(std::size_t length, std::uint8_t value = 0xFF) { return Record(length, value); }

Record Word(unsigned value) { return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)}; }

Record Alpha(std::string_view text, std::size_t length) {
    return OrFiller(EncodeAlphaIdentifier(text, length), length);
}

// An EF_ANR record: the EF_AAS record naming the number's kind, then the number as an ADN record
// without its name holds it (length, TON/NPI, ten digit bytes, CCP2 and EXT1 record ids).
Record AdditionalNumber(std::uint8_t aasRecord, std::string_view number) {
    Record record = {aasRecord};
    const auto encoded = EncodeDiallingNumber("", number, 0);
    const Record digits = encoded ? encoded->record : Filled(kDiallingRecordFixedPart);
    record.insert(record.end(), digits.begin(), digits.end());
    return record;
}

bool InUse(const Record& adn) {
    return std::any_of(adn.begin(), adn.end(), [](std::uint8_t byte) { return byte != 0xFF; });
}

// One phone-book set: its ADN records and what the card keeps beside them, by ADN record number.
struct SetContents {
    Records adn;
    std::map<std::size_t, std::string> emails;
    std::map<std::size_t, std::pair<std::uint8_t, std::string>> secondNumbers;  // AAS record, number
    std::map<std::size_t, std::string> nicknames;
};

// The file ids of one set. With `emailThroughIap` the e-mails are a type 2 file reached through
// EF_IAP, otherwise a type 1 file aligned with the ADN records.
struct SetFileIds {
    std::uint16_t anr;
    std::uint16_t email;
    std::uint16_t sne;
    std::uint16_t pbc;
    std::uint16_t grp;
    std::uint16_t uid;
    std::uint16_t iap;
    bool emailThroughIap;
    std::uint8_t adnSfi;
};

// Adds every file of a set but its ADN, giving its entries unique ids from `nextUid` on.
void AddSetFiles(std::vector<SimElementaryFile>& files, DirectoryKey book, const SetFileIds& ids,
                 const SetContents& set, unsigned& nextUid) {
    const FileAccess personal = Access(kChv1, kChv1, kAdm, kAdm);
    const std::size_t count = set.adn.size();
    Records anr(count, Filled(1 + kDiallingRecordFixedPart));
    Records sne(count, Filled(kAlphaLength));
    Records pbc(count, Filled(2, 0x00));
    Records grp(count, Filled(2, 0x00));
    Records uid(count, Filled(2, 0x00));
    for (std::size_t index = 0; index < count; ++index) {
        if (InUse(set.adn[index])) uid[index] = Word(nextUid++);
    }
    for (const auto& [number, value] : set.secondNumbers) anr[number - 1] = AdditionalNumber(value.first, value.second);
    for (const auto& [number, name] : set.nicknames) sne[number - 1] = Alpha(name, kAlphaLength);

    if (ids.emailThroughIap) {
        // Type 2: EF_IAP record n names the e-mail record of ADN record n, which names it back.
        Records iap(count, Filled(1));
        Records email;
        for (const auto& [number, address] : set.emails) {
            Record record = Alpha(address, kEmailLength);
            record.push_back(ids.adnSfi);
            record.push_back(static_cast<std::uint8_t>(number));
            email.push_back(std::move(record));
            iap[number - 1] = {static_cast<std::uint8_t>(email.size())};
        }
        email.resize(count / 2, Filled(kEmailLength + 2));
        files.push_back(RecordFile(book, ids.iap, "EF_IAP", FileStructure::LinearFixed, personal, 1, std::move(iap)));
        files.push_back(RecordFile(book, ids.email, "EF_EMAIL", FileStructure::LinearFixed, personal, kEmailLength + 2,
                                   std::move(email)));
    } else {
        Records email(count, Filled(kEmailLength));
        for (const auto& [number, address] : set.emails) email[number - 1] = Alpha(address, kEmailLength);
        files.push_back(RecordFile(book, ids.email, "EF_EMAIL", FileStructure::LinearFixed, personal, kEmailLength,
                                   std::move(email)));
    }
    files.push_back(RecordFile(book, ids.anr, "EF_ANR", FileStructure::LinearFixed, personal,
                               1 + kDiallingRecordFixedPart, std::move(anr)));
    files.push_back(
        RecordFile(book, ids.sne, "EF_SNE", FileStructure::LinearFixed, personal, kAlphaLength, std::move(sne)));
    files.push_back(RecordFile(book, ids.pbc, "EF_PBC", FileStructure::LinearFixed, personal, 2, std::move(pbc)));
    files.push_back(RecordFile(book, ids.grp, "EF_GRP", FileStructure::LinearFixed, personal, 2, std::move(grp)));
    files.push_back(RecordFile(book, ids.uid, "EF_UID", FileStructure::LinearFixed, personal, 2, std::move(uid)));
}

// The files a phone book keeps once for all its sets: the number kinds (EF_AAS), the group names
// (EF_GAS), the synchronisation and change counters and the last unique id given out.
void AddBookFiles(std::vector<SimElementaryFile>& files, DirectoryKey book, unsigned lastUid) {
    const FileAccess personal = Access(kChv1, kChv1, kAdm, kAdm);
    Records aas = {Alpha("Work", kAlphaLength), Alpha("Home", kAlphaLength), Alpha("Fax", kAlphaLength),
                   Filled(kAlphaLength)};
    Records gas = {Alpha("Family", kAlphaLength), Alpha("Friends", kAlphaLength), Filled(kAlphaLength)};
    files.push_back(
        RecordFile(book, 0x4F4B, "EF_AAS", FileStructure::LinearFixed, personal, kAlphaLength, std::move(aas)));
    files.push_back(
        RecordFile(book, 0x4F4C, "EF_GAS", FileStructure::LinearFixed, personal, kAlphaLength, std::move(gas)));
    files.push_back(TransparentFile(book, 0x4F22, "EF_PSC", personal, {0x00, 0x00, 0x00, 0x2A}));
    files.push_back(TransparentFile(book, 0x4F23, "EF_CC", personal, Word(7)));
    files.push_back(TransparentFile(book, 0x4F24, "EF_PUID", personal, Word(lastUid)));
}

Record Contact(std::string_view name, std::string_view number) {
    const auto encoded = EncodeDiallingNumber(name, number, kAlphaLength);
    return encoded ? encoded->record : EmptyDiallingRecord(kAlphaLength);
}

SimElementaryFile AdnFile(DirectoryKey book, std::uint16_t id, Records records) {
    return RecordFile(book, id, "EF_ADN", FileStructure::LinearFixed, Access(kChv1, kChv1, kChv2, kChv2),
                      kAlphaLength + kDiallingRecordFixedPart, std::move(records));
}

SimElementaryFile DirFile(std::string_view label) {
    return RecordFile(kMasterFileKey, 0x2F00, "EF_DIR", FileStructure::LinearFixed, Access(kAlw, kAdm, kAdm, kAdm),
                      kDirRecordLength, {DirRecord(kUsimAid, label)});
}

// Moves a DF_TELECOM file into the global phone book and leaves its old name behind as a second name.
void MoveIntoGlobalBook(SimProfile& profile, std::uint16_t telecomId, std::uint16_t bookId) {
    SimElementaryFile* file = profile.FindFile(kDfTelecom, telecomId);
    if (file == nullptr) return;
    SimElementaryFile secondName;
    secondName.directory = kDfTelecom;
    secondName.id = telecomId;
    secondName.name = file->name;
    secondName.sameAs = FileRef{kGlobalBook, bookId};
    file->directory = kGlobalBook;
    file->id = bookId;
    profile.files.push_back(std::move(secondName));
}

// The USIM application's own files: its subscriber identity and its service table (FDN only).
void AddUsimFiles(SimProfile& profile, const std::vector<std::uint8_t>& imsi) {
    profile.files.push_back(TransparentFile(kAdfUsim, 0x6F07, "EF_IMSI", Access(kChv1, kAdm, kAdm, kAdm), imsi));
    profile.files.push_back(
        TransparentFile(kAdfUsim, 0x6F38, "EF_UST", Access(kChv1, kAdm, kAdm, kAdm), {0x02, 0x00, 0x00, 0x00}));
}

// A phone book of one set with its e-mails in a type 1 file, and an EXT1 of its own when asked.
void AddOneSetBook(std::vector<SimElementaryFile>& files, DirectoryKey book, const SetContents& set, bool withExt1) {
    files.push_back(AdnFile(book, 0x4F3A, set.adn));
    if (withExt1) {
        files.push_back(RecordFile(book, 0x4F4A, "EF_EXT1", FileStructure::LinearFixed,
                                   Access(kChv1, kChv1, kAdm, kAdm), kExtensionRecordLength,
                                   Records(5, EmptyExtensionRecord())));
    }
    unsigned uid = 1;
    AddSetFiles(files, book, {0x4F11, 0x4F50, 0x4F19, 0x4F09, 0x4F26, 0x4F21, 0, false, 1}, set, uid);
    AddBookFiles(files, book, uid - 1);
    std::vector<PbrEntry> typeThree = {{kAasTag, 0x4F4B}, {kGasTag, 0x4F4C}};
    if (withExt1) typeThree.insert(typeThree.begin(), {kExt1Tag, 0x4F4A});
    Record pbr = PbrRecord({{kAdnTag, 0x4F3A, 1},
                            {kUidTag, 0x4F21},
                            {kAnrTag, 0x4F11},
                            {kEmailTag, 0x4F50},
                            {kSneTag, 0x4F19},
                            {kPbcTag, 0x4F09},
                            {kGrpTag, 0x4F26}},
                           {}, typeThree);
    files.push_back(RecordFile(book, 0x4F30, "EF_PBR", FileStructure::LinearFixed, Access(kChv1, kAdm, kAdm, kAdm),
                               kPbrRecordLength, {std::move(pbr)}));
}

}  // namespace

SimProfile BuildDemoDualModeProfile() {
    SimProfile profile = BuildDemoSimProfile();
    const std::vector<std::uint8_t> imsi = profile.FindFile(0x7F20, 0x6F07)->content;
    profile.platform = CardPlatform::UiccWithGsm;
    profile.description =
        "Demo UICC: USIM and GSM applications, a phone book of 2 sets with e-mails and "
        "second numbers";
    profile.atr = {0x3B, 0x9C, 0x94, 0x00, 0x80, 0x31, 0xC0, 0x64, 'Q', 'L', 'U', '1', 0x73, 0xBE, 0x21, 0x00};
    *profile.FindFile(kMasterFileKey, 0x2FE2) = IccidFile("894200120055667788");
    profile.directories.emplace_back(kDfPhoneBook, "DF_PHONEBOOK", kDfTelecom);
    profile.directories.emplace_back(kAdfUsim, "ADF_USIM", kMasterFileKey, kUsimAid);
    profile.files.push_back(DirFile("USIM"));

    // The GSM phone book is the first set: its ADN and EXT1 live in DF_PHONEBOOK and keep their
    // DF_TELECOM names.
    MoveIntoGlobalBook(profile, 0x6F3A, 0x4F3A);
    MoveIntoGlobalBook(profile, 0x6F4A, 0x4F4A);
    unsigned uid = 1;
    SetContents first{profile.FindFile(kGlobalBook, 0x4F3A)->records,
                      {{1, "juergen.mueller@example.de"},
                       {2, "hotline@bank.example"},
                       {3, "sarka@example.cz"},
                       {5, "petr@work.example"}},
                      {{1, {1, "+49301234500"}}, {3, {2, "602000111"}}},
                      {{3, "Sari"}}};
    AddSetFiles(profile.files, kGlobalBook, {0x4F11, 0x4F50, 0x4F19, 0x4F09, 0x4F26, 0x4F21, 0x4F25, true, 1}, first,
                uid);

    // Set 2 shares EXT1 with set 1: its third entry's number continues in the last EXT1 record, which
    // nothing in the GSM view names.
    Records& ext1 = profile.FindFile(kGlobalBook, 0x4F4A)->records;
    const auto room = EncodeDiallingNumber("Conference Room", "+420224000111p123456789012", kAlphaLength,
                                           static_cast<std::uint8_t>(ext1.size()));
    if (room && room->extensions.size() == 1) ext1.back() = room->extensions.front();
    SetContents second{{Contact("Anna Kovarova", "+420731000111"), Contact("Zdenek Mraz", "+420602111222"),
                        room ? room->record : EmptyDiallingRecord(kAlphaLength), Contact("Olga Bila", "603222333"),
                        Contact("Tomas Kral", "+420777444555")},
                       {{1, "anna@example.cz"}, {4, "olga@example.cz"}},
                       {{2, {1, "+420602111223"}}},
                       {}};
    second.adn.resize(20, EmptyDiallingRecord(kAlphaLength));
    profile.files.push_back(AdnFile(kGlobalBook, 0x4F3B, second.adn));
    AddSetFiles(profile.files, kGlobalBook, {0x4F12, 0x4F51, 0x4F1A, 0x4F0A, 0x4F27, 0x4F28, 0, false, 2}, second, uid);
    AddBookFiles(profile.files, kGlobalBook, uid - 1);
    profile.files.push_back(RecordFile(
        kGlobalBook, 0x4F30, "EF_PBR", FileStructure::LinearFixed, Access(kChv1, kAdm, kAdm, kAdm), kPbrRecordLength,
        {PbrRecord({{kAdnTag, 0x4F3A, 1},
                    {kIapTag, 0x4F25},
                    {kUidTag, 0x4F21},
                    {kAnrTag, 0x4F11},
                    {kSneTag, 0x4F19},
                    {kPbcTag, 0x4F09},
                    {kGrpTag, 0x4F26}},
                   {{kEmailTag, 0x4F50}}, {{kExt1Tag, 0x4F4A}, {kAasTag, 0x4F4B}, {kGasTag, 0x4F4C}}),
         PbrRecord({{kAdnTag, 0x4F3B, 2},
                    {kUidTag, 0x4F28},
                    {kAnrTag, 0x4F12},
                    {kEmailTag, 0x4F51},
                    {kSneTag, 0x4F1A},
                    {kPbcTag, 0x4F0A},
                    {kGrpTag, 0x4F27}},
                   {}, {{kExt1Tag, 0x4F4A}, {kAasTag, 0x4F4B}, {kGasTag, 0x4F4C}})}));
    AddUsimFiles(profile, imsi);
    return profile;
}

SimProfile BuildDemoUsimOnlyProfile() {
    const SimProfile gsm = BuildDemoSimProfile();
    SimProfile profile;
    profile.kind = SimProfile::Kind::Sim;
    profile.platform = CardPlatform::UsimOnly;
    profile.description = "Demo UICC: USIM application only, a global and a local phone book";
    profile.atr = {0x3B, 0x9C, 0x94, 0x00, 0x80, 0x31, 0xC0, 0x64, 'Q', 'L', 'U', '2', 0x73, 0xBE, 0x21, 0x00};
    profile.directories = {{kDfTelecom, "DF_TELECOM"},
                           {kDfPhoneBook, "DF_PHONEBOOK", kDfTelecom},
                           {kAdfUsim, "ADF_USIM", kMasterFileKey, kUsimAid},
                           {kDfPhoneBook, "DF_PHONEBOOK", kAdfUsim}};
    profile.files.push_back(IccidFile("894200120099887766"));
    profile.files.push_back(DirFile("USIM"));

    SetContents global{{Contact("Helpdesk", "+420800123456"), Contact("Marta Novotna", "+420608765432"),
                        Contact("Karel Dvorak", "224111222")},
                       {{2, "marta@example.cz"}},
                       {{2, {2, "224999888"}}},
                       {}};
    global.adn.resize(30, EmptyDiallingRecord(kAlphaLength));
    AddOneSetBook(profile.files, kGlobalBook, global, true);
    AddUsimFiles(profile, gsm.FindFile(0x7F20, 0x6F07)->content);
    SetContents local{{Contact("Office", "+420222333444"), Contact("Reception", "+420222333400")},
                      {{1, "office@example.cz"}},
                      {},
                      {}};
    local.adn.resize(10, EmptyDiallingRecord(kAlphaLength));
    AddOneSetBook(profile.files, kLocalBook, local, false);
    return profile;
}

}  // namespace quillet::sim
