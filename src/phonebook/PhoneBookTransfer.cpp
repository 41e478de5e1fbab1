#include "phonebook/PhoneBookTransfer.h"

#include <algorithm>

#include "card/FileImage.h"
#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookFiles.h"
#include "resources/StringTable.h"

namespace quillet::phonebook {

using detail::FailAndClear;
using detail::FileKind;
using detail::FindKind;
using detail::SelectPhoneBookFile;
namespace result = reader::result;
using card::FileImage;

bool ReadPhoneBook(card::CardSession& session, std::uint16_t ef, std::span<PhoneBookEntry> entries,
                   PhoneBookInfo& info) {
    const FileKind* kind = FindKind(ef);
    if (kind == nullptr) return FailAndClear(session, result::kNonSpecific);
    card::EfInformation header;
    if (!SelectPhoneBookFile(session, *kind, header)) return false;

    const std::size_t recordLength = header.RecordLength();
    const std::size_t count = std::min<std::size_t>(header.FileSize() / recordLength, entries.size());
    info.entryCount = static_cast<std::uint32_t>(count);
    info.alphaLength = static_cast<std::uint32_t>(recordLength - kDiallingFixedPart);
    for (std::size_t position = 0; position < entries.size(); ++position) {
        entries[position] = PhoneBookEntry{};
        entries[position].index = static_cast<std::uint16_t>(position);
    }

    // The files sharing the extension file come along: a later write needs them.
    if (!detail::LoadWithSharingFiles(session, *kind, kind->readText)) {
        session.ClearCache();
        return false;
    }
    const std::optional<FileImage> records = session.Cache().Image(*kind->file.image);
    const std::optional<FileImage> extensions = session.Cache().Image(*kind->extension.image);
    if (!records || !extensions) return FailAndClear(session, result::kNonSpecific);
    for (std::size_t position = 0; position < count; ++position) {
        DecodeDiallingRecord(records->Record(position + 1), *extensions, static_cast<std::uint16_t>(position),
                             entries[position]);
    }
    session.SetLastResult(result::kOk);
    return true;
}

}  // namespace quillet::phonebook
