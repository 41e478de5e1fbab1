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
    std::uint16_t directory = 0x3F00;  // the MF or the DF that holds it
    std::uint16_t id = 0;
    std::string name;
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

// A dedicated file directly under the MF.
struct SimDirectory {
    std::uint16_t id = 0;
    std::string name;

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
    std::string description;
    std::vector<std::uint8_t> atr;
    bool chv1Enabled = true;
    SecretCode chv1{"1234", 3, 3, true};
    SecretCode unblockChv1{"12345678", 10, 10, true};
    SecretCode chv2{"5678", 3, 3, true};
    SecretCode unblockChv2{"87654321", 10, 10, true};
    std::vector<SimDirectory> directories;  // the DFs under the MF
    std::vector<SimElementaryFile> files;
    std::array<std::uint8_t, 32> memory{};  // memory cards only

    SimElementaryFile* FindFile(std::uint16_t directory, std::uint16_t id);
    const SimElementaryFile* FindFile(std::uint16_t directory, std::uint16_t id) const;
    bool operator==(const SimProfile&) const = default;
};

// The names card files and tools use: "ALW", "CHV1", "CHV2", "ADM", "NEV"; "transparent",
// "linear-fixed", "cyclic"; file ids as four upper-case hexadecimal digits.
const char* AccessLevelName(AccessLevel level);
const char* FileStructureName(FileStructure structure);
std::string FileIdText(std::uint16_t id);

}  // namespace quillet::sim
