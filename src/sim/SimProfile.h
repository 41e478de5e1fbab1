#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillet::sim {

// Access condition levels of GSM 11.11, as coded in a file's header nibbles.
enum class AccessLevel : std::uint8_t {
    Always = 0x0,
    Chv1 = 0x1,
    Chv2 = 0x2,
    Adm = 0x4,  // any of the administrative levels 4..E
    Never = 0xF,
};

enum class FileStructure : std::uint8_t { Transparent = 0, LinearFixed = 1, Cyclic = 3 };

// Which command classes a card answers: a GSM SIM (class A0), a UICC that also carries the GSM
// application (classes 00 and A0 on one file tree), or a UICC with the USIM application only.
enum class CardPlatform : std::uint8_t { GsmSim, UiccWithGsm, UsimOnly };

// A directory's place in the tree: its own id for the MF, a DF directly under the MF or an ADF;
// the parent's id in the high half and its own in the low half one level further down
// (DF_PHONEBOOK under DF_TELECOM is 0x7F105F3A). Two levels are all a SIM or USIM needs.
using DirectoryKey = std::uint32_t;
inline constexpr DirectoryKey kMasterFileKey = 0x3F00;
constexpr DirectoryKey ChildDirectoryKey(DirectoryKey parent, std::uint16_t id) {
    return parent == kMasterFileKey ? id : parent << 16 | id;
}
constexpr DirectoryKey ParentDirectoryKey(DirectoryKey key) { return key > 0xFFFF ? key >> 16 : kMasterFileKey; }

// Names an EF by its directory and id.
struct FileRef {
    DirectoryKey directory = kMasterFileKey;
    std::uint16_t id = 0;

    bool operator==(const FileRef&) const = default;
};

struct FileAccess {
    AccessLevel read = AccessLevel::Always;
    AccessLevel update = AccessLevel::Adm;
    AccessLevel increase = AccessLevel::Never;
    AccessLevel invalidate = AccessLevel::Adm;
    AccessLevel rehabilitate = AccessLevel::Adm;

    bool operator==(const FileAccess&) const = default;
};

// One elementary file. Record files keep their records in card order (record 1 first); for a
// cyclic file record 1 is the most recently written one.
struct SimElementaryFile {
    DirectoryKey directory = kMasterFileKey;  // the MF or the DF that holds it
    std::uint16_t id = 0;
    std::string name;
    // A second name of another EF (EF_ADN in DF_TELECOM is the first USIM phone-book set's ADN):
    // this entry holds nothing of its own, and selecting it selects that file's body.
    std::optional<FileRef> sameAs;
    FileStructure structure = FileStructure::Transparent;
    FileAccess access;
    bool invalidated = false;
    bool usableWhenInvalidated = false;
    std::vector<std::uint8_t> content;               // transparent files
    std::uint8_t recordLength = 0;                   // record files
    std::vector<std::vector<std::uint8_t>> records;  // record files

    std::size_t Size() const {
        return structure == FileStructure::Transparent ? content.size() : records.size() * recordLength;
    }
    bool operator==(const SimElementaryFile&) const = default;
};

// A dedicated file under the MF or under another DF, or an application's ADF (which has an AID).
struct SimDirectory {
    SimDirectory() = default;
    SimDirectory(std::uint16_t ownId, std::string ownName, std::uint16_t parentId = 0x3F00,
                 std::vector<std::uint8_t> applicationId = {})
        : id(ownId), name(std::move(ownName)), parent(parentId), aid(std::move(applicationId)) {}

    std::uint16_t id = 0;
    std::string name;
    std::uint16_t parent = 0x3F00;
    std::vector<std::uint8_t> aid;  // ADFs only

    DirectoryKey Key() const { return ChildDirectoryKey(parent, id); }
    bool operator==(const SimDirectory&) const = default;
};

// A secret code (CHV or unblocking code) with its false-presentation counter.
struct SecretCode {
    std::string digits;  // 4 to 8 decimal digits
    std::uint8_t attemptsLeft = 3;
    std::uint8_t maxAttempts = 3;
    bool initialised = true;

    bool operator==(const SecretCode&) const = default;
};

// Everything a virtual card is: its answer to reset, its secret codes and its files, or, for a
// telephone chip card, its 32-byte memory.
struct SimProfile {
    enum class Kind { Sim, MemoryCard };

    Kind kind = Kind::Sim;
    CardPlatform platform = CardPlatform::GsmSim;
    std::string description;
    std::vector<std::uint8_t> atr;
    bool chv1Enabled = true;
    SecretCode chv1{"1234", 3, 3, true};
    SecretCode unblockChv1{"12345678", 10, 10, true};
    SecretCode chv2{"5678", 3, 3, true};
    SecretCode unblockChv2{"87654321", 10, 10, true};
    std::vector<SimDirectory> directories;  // every DF and ADF, parents before children
    std::vector<SimElementaryFile> files;
    std::array<std::uint8_t, 32> memory{};  // memory cards only

    // The file a name stands for, its second names followed to the body; null when there is none.
    SimElementaryFile* FindFile(DirectoryKey directory, std::uint16_t id);
    const SimElementaryFile* FindFile(DirectoryKey directory, std::uint16_t id) const;
    const SimDirectory* FindDirectory(DirectoryKey key) const;
    bool operator==(const SimProfile&) const = default;
};

// The names card files and tools use: "ALW", "CHV1", "CHV2", "ADM", "NEV"; "transparent",
// "linear-fixed", "cyclic"; file ids as four upper-case hexadecimal digits.
const char* AccessLevelName(AccessLevel level);
const char* FileStructureName(FileStructure structure);
std::string FileIdText(std::uint16_t id);
// "7F10" or "7F10/5F3A".
std::string DirectoryPathText(DirectoryKey key);
// "gsm", "uicc-with-gsm", "usim-only".
const char* CardPlatformName(CardPlatform platform);

}  // namespace quillet::sim
