#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "card/CardSession.h"
#include "card/FileImage.h"
#include "card/GsmFiles.h"

namespace quillet::phonebook::detail {

// A dialling-number file the phone book reads: the card's description of it, its extension file and
// its progress texts.
struct FileKind {
    const card::GsmFile& file;
    const card::GsmFile& extension;
    std::uint32_t readText;
    std::uint32_t writeText;  // 0: not written by the program
};

const FileKind* FindKind(std::uint16_t ef);
// The other files that keep their extension records in the same extension file.
std::vector<const FileKind*> FilesSharingExtensions(const FileKind& kind);

bool FailAndClear(card::CardSession& session, reader::ReaderResult code);
// Loads the file (showing `textId`, 0: its own text) and then the files sharing its extension file,
// which a write must know before it may take an extension record.
bool LoadWithSharingFiles(card::CardSession& session, const FileKind& kind, std::uint32_t textId);
// Describes the file (from the caches when known), refusing one without service, invalidated,
// or not a dialling-number file.
bool SelectPhoneBookFile(card::CardSession& session, const FileKind& kind, card::EfInformation& info);
// The extension records a record's chain runs through: valid, in use, each once.
std::vector<std::uint8_t> ChainOf(std::span<const std::uint8_t> record, const card::FileImage& extensions);

}  // namespace quillet::phonebook::detail
