#include "card/CardPlatform.h"

#include <algorithm>
#include <cstdio>

#include "card/UiccCommands.h"

namespace quillet::card {

namespace {

constexpr std::uint16_t kMasterFile = 0x3F00;
constexpr std::uint16_t kDirFile = 0x2F00;
constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kPhoneBookDirectory = 0x5F3A;
constexpr std::uint16_t kPbrFile = 0x4F30;
constexpr std::uint8_t kApplicationTemplate = 0x61;
constexpr std::uint8_t kAidTag = 0x4F;
// RID of 3GPP and the application code of the USIM.
constexpr std::uint8_t kUsimAidPrefix[] = {0xA0, 0x00, 0x00, 0x00, 0x87, 0x10, 0x02};
// Enough for every set a card could hold; a longer file is not read further.
constexpr std::size_t kMaxRecordsRead = 32;

// The shape of the file just selected, at most kMaxRecordsRead of its records.
std::optional<RecordShape> ShapeOf(const UiccAnswer& selected) {
    if (!selected.Ok()) return std::nullopt;
    std::optional<RecordShape> shape = RecordShapeOf(selected.data);
    if (shape) shape->count = std::min(shape->count, kMaxRecordsRead);
    return shape;
}

// The USIM's AID in an EF_DIR record (tag 61 holding tag 4F), or nothing.
std::vector<std::uint8_t> UsimAidIn(std::span<const std::uint8_t> record) {
    if (record.size() < 4 || record[0] != kApplicationTemplate || record[2] != kAidTag) return {};
    const std::size_t length = record[3];
    if (length < sizeof kUsimAidPrefix || length > 16 || 4 + length > record.size()) return {};
    const auto aid = record.subspan(4, length);
    if (!std::equal(std::begin(kUsimAidPrefix), std::end(kUsimAidPrefix), aid.begin())) return {};
    return {aid.begin(), aid.end()};
}

constexpr std::uint16_t kSwSecurityNotSatisfied = 0x6982;

// Reads the selected EF_PBR; nothing when it is not a readable list of sets. A card that stopped
// answering or wants the PIN first leaves the answer `incomplete`.
std::optional<UsimPhoneBook> ReadPhoneBook(UiccChannel& channel, const UiccAnswer& selected, bool& incomplete) {
    const std::optional<RecordShape> shape = ShapeOf(selected);
    if (!shape) return std::nullopt;
    UsimPhoneBook book;
    for (std::size_t number = 1; number <= shape->count; ++number) {
        const UiccAnswer record = channel.ReadRecord(static_cast<std::uint8_t>(number), shape->length);
        if (record.transport != reader::result::kOk || record.sw == kSwSecurityNotSatisfied) incomplete = true;
        if (!record.Ok()) return std::nullopt;
        std::optional<PhoneBookSet> set = ParsePbrRecord(record.data);
        if (!set) return std::nullopt;
        if (set->Find(kPbrAdn) != nullptr) book.sets.push_back(std::move(*set));
    }
    if (book.sets.empty()) return std::nullopt;
    return book;
}

const char* FileName(std::uint8_t tag) {
    switch (tag) {
        case kPbrAdn:
            return "ADN";
        case kPbrIap:
            return "IAP";
        case kPbrExt1:
            return "EXT1";
        case kPbrSne:
            return "SNE";
        case kPbrAnr:
            return "ANR";
        case kPbrPbc:
            return "PBC";
        case kPbrGrp:
            return "GRP";
        case kPbrAas:
            return "AAS";
        case kPbrGas:
            return "GAS";
        case kPbrUid:
            return "UID";
        case kPbrEmail:
            return "EMAIL";
        case kPbrCcp1:
            return "CCP1";
        default:
            return "?";
    }
}

std::string SetText(const PhoneBookSet& set) {
    std::string text;
    for (const PhoneBookFile& file : set.files) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%s%s %04X (type %u)", text.empty() ? "" : ", ", FileName(file.tag),
                      static_cast<unsigned>(file.id), static_cast<unsigned>(file.type));
        text += entry;
    }
    return text;
}

void DescribeBook(const char* title, const std::optional<UsimPhoneBook>& book,
                  std::vector<std::pair<std::string, std::string>>& lines) {
    if (!book) {
        lines.emplace_back(title, "None");
        return;
    }
    const std::size_t count = book->sets.size();
    lines.emplace_back(title, std::to_string(count) + (count == 1 ? " set" : " sets"));
    for (std::size_t index = 0; index < count; ++index) {
        lines.emplace_back("  Set " + std::to_string(index + 1) + ":", SetText(book->sets[index]));
    }
}

bool AnySetHas(const UsimPhoneBook& book, std::uint8_t tag) {
    return std::any_of(book.sets.begin(), book.sets.end(),
                       [&](const PhoneBookSet& set) { return set.Find(tag) != nullptr; });
}

// "a", "a and b", "a, b and c".
std::string JoinedList(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (index > 0) text += index + 1 == items.size() ? " and " : ", ";
        text += items[index];
    }
    return text;
}

}  // namespace

bool DetectCardPlatform(reader::CardReader& reader, bool gsmAnswered, CardPlatformInfo& info, std::size_t& commands) {
    UiccChannel channel(reader);
    info = CardPlatformInfo{};
    bool incomplete = false;
    const auto finish = [&]() {
        commands = channel.CommandCount();
        return !incomplete;
    };

    // A GSM SIM refuses class 00 at once.
    const UiccAnswer masterFile = channel.SelectId(kMasterFile);
    if (masterFile.transport != reader::result::kOk) incomplete = true;
    if (!masterFile.Ok()) return finish();
    info.platform = gsmAnswered ? CardPlatform::UiccWithGsm : CardPlatform::UsimOnly;

    const std::uint16_t dirPath[] = {kDirFile};
    if (const std::optional<RecordShape> dir = ShapeOf(channel.SelectPath(dirPath))) {
        for (std::size_t number = 1; number <= dir->count && info.usimAid.empty(); ++number) {
            const UiccAnswer record = channel.ReadRecord(static_cast<std::uint8_t>(number), dir->length);
            if (record.transport != reader::result::kOk) incomplete = true;
            if (!record.Ok()) break;
            info.usimAid = UsimAidIn(record.data);
        }
    }
    if (incomplete) return finish();

    const std::uint16_t globalPath[] = {kTelecom, kPhoneBookDirectory, kPbrFile};
    info.globalBook = ReadPhoneBook(channel, channel.SelectPath(globalPath), incomplete);
    if (incomplete || info.usimAid.empty()) return finish();

    const UiccAnswer application = channel.SelectAid(info.usimAid);
    if (application.transport != reader::result::kOk) incomplete = true;
    if (application.Ok()) {
        const std::uint16_t localPath[] = {kPhoneBookDirectory, kPbrFile};
        info.localBook = ReadPhoneBook(channel, channel.SelectPath(localPath, true), incomplete);
    }
    return finish();
}

std::vector<std::pair<std::string, std::string>> DescribeCardPlatform(const CardPlatformInfo& info) {
    std::vector<std::pair<std::string, std::string>> lines;
    switch (info.platform) {
        case CardPlatform::GsmSim:
            lines.emplace_back("Card type:", "GSM SIM");
            return lines;
        case CardPlatform::UiccWithGsm:
            lines.emplace_back("Card type:", "UICC with the USIM and GSM applications");
            break;
        case CardPlatform::UsimOnly:
            lines.emplace_back("Card type:", "UICC with the USIM application only (no GSM application)");
            break;
    }
    lines.emplace_back("USIM application:", info.usimAid.empty() ? "Not listed" : "Listed in EF_DIR");
    DescribeBook("Global phone book:", info.globalBook, lines);
    DescribeBook("Local phone book:", info.localBook, lines);
    return lines;
}

bool Ext1HasUsersBeyondGsmView(const CardPlatformInfo& info) {
    if (info.platform == CardPlatform::GsmSim || !info.globalBook || info.globalBook->sets.empty()) return false;
    const std::vector<PhoneBookSet>& sets = info.globalBook->sets;
    return std::any_of(sets.begin() + 1, sets.end(),
                       [](const PhoneBookSet& set) { return set.Find(kPbrExt1) != nullptr; });
}

std::string GsmViewNote(const CardPlatformInfo& info) {
    if (info.platform == CardPlatform::GsmSim) return {};
    std::vector<std::string> more;
    std::size_t sets = 0;
    if (info.globalBook) {
        const UsimPhoneBook& book = *info.globalBook;
        sets = book.sets.size();
        if (sets > 1) more.push_back(std::to_string(sets) + " sets");
        if (AnySetHas(book, kPbrEmail)) more.push_back("e-mail addresses");
        if (AnySetHas(book, kPbrAnr)) more.push_back("second numbers");
        if (AnySetHas(book, kPbrSne)) more.push_back("nicknames");
        if (AnySetHas(book, kPbrGrp)) more.push_back("groups");
    }
    if (info.localBook) more.push_back("a second phone book in its USIM application");
    if (more.empty()) return {};
    return "This card's phone book has " + JoinedList(more) + "; this view shows " +
           (sets > 1 ? "set 1" : "its entries") + " with names and numbers only";
}

}  // namespace quillet::card
