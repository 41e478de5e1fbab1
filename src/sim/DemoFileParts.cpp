#include "sim/DemoFileParts.h"

#include "sim/CardEncoding.h"

namespace quillet::sim::demo {

namespace {

char LuhnDigit(std::string_view digits) {
    unsigned sum = 0;
    bool doubled = true;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, doubled = !doubled) {
        unsigned digit = static_cast<unsigned>(*it - '0');
        if (doubled) digit = digit * 2 > 9 ? digit * 2 - 9 : digit * 2;
        sum += digit;
    }
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

}  // namespace

FileAccess Access(AccessLevel read, AccessLevel update, AccessLevel invalidate, AccessLevel rehabilitate,
                  AccessLevel increase) {
    FileAccess access;
    access.read = read;
    access.update = update;
    access.increase = increase;
    access.invalidate = invalidate;
    access.rehabilitate = rehabilitate;
    return access;
}

SimElementaryFile TransparentFile(DirectoryKey directory, std::uint16_t id, std::string name, FileAccess access,
                                  std::vector<std::uint8_t> content) {
    SimElementaryFile file;
    file.directory = directory;
    file.id = id;
    file.name = std::move(name);
    file.structure = FileStructure::Transparent;
    file.access = access;
    file.content = std::move(content);
    return file;
}

SimElementaryFile RecordFile(DirectoryKey directory, std::uint16_t id, std::string name, FileStructure structure,
                             FileAccess access, std::size_t recordLength, Records records) {
    SimElementaryFile file;
    file.directory = directory;
    file.id = id;
    file.name = std::move(name);
    file.structure = structure;
    file.access = access;
    file.recordLength = static_cast<std::uint8_t>(recordLength);
    file.records = std::move(records);
    return file;
}

SimElementaryFile IccidFile(std::string_view digitsWithoutCheck) {
    const std::string digits = std::string(digitsWithoutCheck) + LuhnDigit(digitsWithoutCheck);
    return TransparentFile(kMasterFileKey, 0x2FE2, "EF_ICCID", Access(kAlw, kNev, kAdm, kAdm),
                           OrFiller(EncodeIccid(digits), 10));
}

}  // namespace quillet::sim::demo
