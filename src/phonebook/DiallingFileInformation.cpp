#include "phonebook/DiallingFileInformation.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "card/GsmText.h"
#include "phonebook/DialNumbers.h"
#include "phonebook/EntryName.h"
#include "phonebook/PhoneBookTransfer.h"
#include "resources/StringTable.h"

namespace quillet::phonebook {

namespace {

namespace result = reader::result;

constexpr std::uint32_t kInitializing = 5000;
constexpr std::uint32_t kReadingTitle = 5100;
constexpr std::uint32_t kProtected = 5609;  // "Entry can not be overwritten, password protected"
// The pages list as many records as the other views of these files hold.
constexpr std::size_t kListedEntries = 150;
constexpr std::size_t kNameColumn = 20;

}  // namespace

std::string DiallingListLine(unsigned position, const PhoneBookEntry& entry) {
    char number[16];
    std::snprintf(number, sizeof number, "%3u", position);
    std::string line = number;
    if (entry.used == 0) return line;
    // Padded by characters, so names with letters beyond ASCII line up as well.
    std::u32string name = NameText(entry);
    if (name.size() < kNameColumn) name.insert(0, kNameColumn - name.size(), U' ');
    const std::string digits(entry.number, strnlen(entry.number, sizeof entry.number));
    return line + "  " + card::Utf8FromText(name) + "  " + JoinInternational(digits, entry.ton);
}

reader::ReaderResult ReadDiallingFileInformation(card::CardSession& session, card::ProgressOwner owner,
                                                 std::uint16_t ef, DiallingFileInformation& info) {
    info = DiallingFileInformation{};
    std::vector<PhoneBookEntry> entries(kListedEntries);
    PhoneBookInfo read;
    session.BeginProgress(owner, kInitializing, kReadingTitle);
    const bool succeeded = session.BeginSession(true, false, true) && ReadPhoneBook(session, ef, entries, read);
    const reader::ReaderResult code = succeeded ? result::kOk : session.LastResult();
    if (!succeeded) {
        info.failure = code == result::kInaccessibleRecord ? std::string(resources::LoadString(kProtected))
                                                           : session.FormatLastError();
    }
    session.EndProgress(false);
    session.EndSession();
    session.SetLastResult(code);
    if (!succeeded) return code;

    info.itemsPossible = std::to_string(read.entryCount);
    info.maxNameLength = std::to_string(read.alphaLength);
    const std::size_t count = std::min<std::size_t>(read.entryCount, entries.size());
    for (std::size_t position = 0; position < count; ++position) {
        info.lines.push_back(DiallingListLine(static_cast<unsigned>(position + 1), entries[position]));
    }
    return code;
}

}  // namespace quillet::phonebook
