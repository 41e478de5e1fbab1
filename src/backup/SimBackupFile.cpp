#include "backup/SimBackupFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "files/ArchiveString.h"
#include "files/SafeFileWriter.h"
#include "sms/MessageBody.h"

namespace quillet::backup {

namespace {

using files::ArchiveError;
using files::ArchiveReader;
using files::ArchiveSource;
using files::ArchiveWriter;
using files::MemoryArchiveSource;
using phonebook::PhoneBookEntry;
using sms::FieldText;
using sms::SmsEntry;

enum class Section { kDial, kFdn, kSms, kSmsParameters, kPreferred, kForbidden, kEnd };

struct SectionName {
    std::string_view name;
    Section section;
    bool BackupSections::*present;  // what a backup notes when it reads the section
};

// In the order a backup is written.
constexpr SectionName kSectionNames[] = {
    {"SECTION_DIAL", Section::kDial, &BackupSections::phoneBook},
    {"SECTION_FDN", Section::kFdn, &BackupSections::fixedDialing},
    {"SECTION_SMS", Section::kSms, &BackupSections::messages},
    {"SECTION_SMSPAR", Section::kSmsParameters, &BackupSections::smsParameters},
    {"SECTION_PLMN", Section::kPreferred, &BackupSections::preferredNetworks},
    {"SECTION_FPLMN", Section::kForbidden, &BackupSections::forbiddenNetworks},
    {"SECTION_END", Section::kEnd, nullptr},
};

constexpr std::size_t kLongestSectionName = 14;  // "SECTION_SMSPAR"

std::string_view NameOf(Section section) {
    for (const SectionName& entry : kSectionNames) {
        if (entry.section == section) return entry.name;
    }
    return {};
}

// ---- Writing ----------------------------------------------------------------------------------

void WritePhoneBookSection(ArchiveWriter& writer, Section section,
                           std::span<const PhoneBookEntry, kBackupPhoneBookPositions> entries, std::uint32_t count) {
    writer.WriteArchiveString(NameOf(section));
    const std::size_t stored = std::min<std::size_t>(count, entries.size());
    writer.WriteU32(static_cast<std::uint32_t>(stored));
    for (const PhoneBookEntry& entry : entries.first(stored)) {
        writer.WriteU32(entry.index);
        writer.WriteU32(entry.used);
        writer.WriteArchiveString(phonebook::NameBytes(entry));
        writer.WriteArchiveString(FieldText(entry.number));
        writer.WriteU8(entry.ton);
        writer.WriteU8(entry.npi);
        writer.WriteU8(entry.capabilityId);
        writer.WriteU8(entry.extensionId);
    }
}

void WriteSmsSection(ArchiveWriter& writer, const SimBackup& backup) {
    writer.WriteArchiveString(NameOf(Section::kSms));
    const std::size_t stored = std::min<std::size_t>(backup.messageCount, backup.messages.size());
    writer.WriteU32(static_cast<std::uint32_t>(stored));
    for (std::size_t position = 0; position < stored; ++position) {
        const SmsEntry& entry = backup.messages[position];
        writer.WriteU32(entry.index);
        writer.WriteU32(entry.used);
        writer.WriteArchiveString(sms::MessageFileText(entry));
        writer.WriteArchiveString(FieldText(entry.serviceCentre));
        writer.WriteArchiveString(FieldText(entry.address));
        writer.WriteU8(entry.addressTon);
        writer.WriteU8(entry.addressNpi);
        writer.WriteU8(entry.centreTon);
        writer.WriteU8(entry.centreNpi);
        writer.WriteArchiveString(FieldText(entry.dateOrValidity));
        writer.WriteU32(entry.status);
    }
}

// The `valid` byte of a network slot: bit 0 a network, bit 1 a third network-code digit that the
// code's value alone does not show (310/010).
constexpr std::uint8_t kSlotValid = 0x01;
constexpr std::uint8_t kSlotThreeDigits = 0x02;

std::uint8_t ValidByte(const PlmnEntry& entry) {
    if (entry.valid == 0) return 0;
    const bool hiddenThirdDigit = entry.threeDigitMnc != 0 && entry.mnc < 100;
    return hiddenThirdDigit ? kSlotValid | kSlotThreeDigits : kSlotValid;
}

void WriteNetworkSection(ArchiveWriter& writer, Section section, const std::vector<PlmnEntry>& list) {
    writer.WriteArchiveString(NameOf(section));
    writer.WriteU32(static_cast<std::uint32_t>(list.size()));
    for (const PlmnEntry& entry : list) {
        writer.WriteU8(ValidByte(entry));
        writer.WriteU32(entry.mcc);
        writer.WriteU32(entry.mnc);
    }
}

// ---- Reading ----------------------------------------------------------------------------------

// Reads into a fresh, zeroed backup; the public functions hand it over only when all went well.
class BackupDecoder {
public:
    BackupDecoder(ArchiveReader& reader, SimBackup& backup) : m_reader(reader), m_backup(backup) {}

    bool Decode(std::uint32_t& error) {
        for (;;) {
            Section section{};
            if (!ReadSectionName(section) || !ReadSection(section)) {
                const bool malformed = m_structureError || m_reader.Error() == ArchiveError::kMalformed;
                error = malformed ? message::kStructureError : message::kReadError;
                return false;
            }
            if (section == Section::kEnd) return true;
            MarkPresent(section);
        }
    }

private:
    bool StructureError() {
        m_structureError = true;
        return false;
    }

    void MarkPresent(Section section) {
        for (const SectionName& known : kSectionNames) {
            if (known.section == section && known.present != nullptr) m_backup.present.*known.present = true;
        }
    }

    bool ReadSectionName(Section& section) {
        std::uint32_t length = 0;
        if (!m_reader.ReadArchiveStringLength(length)) return false;
        // A name longer than every known one cannot match; its bytes need not be read.
        if (length > kLongestSectionName) return StructureError();
        char name[kLongestSectionName];
        if (!m_reader.ReadBytes(reinterpret_cast<std::uint8_t*>(name), length)) return false;
        for (const SectionName& known : kSectionNames) {
            if (known.name == std::string_view(name, length)) {
                section = known.section;
                return true;
            }
        }
        return StructureError();
    }

    bool ReadSection(Section section) {
        switch (section) {
            case Section::kDial:
                return ReadPhoneBook(m_backup.phoneBook, m_backup.phoneBookCount);
            case Section::kFdn:
                return ReadPhoneBook(m_backup.fixedDialing, m_backup.fixedDialingCount);
            case Section::kSms:
                return ReadMessages();
            case Section::kSmsParameters:
                return ReadWhole(m_backup.smsParameters.centre) && ReadWhole(m_backup.smsParameters.validity);
            case Section::kPreferred:
                return ReadNetworks(m_backup.preferredNetworks);
            case Section::kForbidden:
                return ReadNetworks(m_backup.forbiddenNetworks);
            case Section::kEnd:
                return true;
        }
        return StructureError();
    }

    // A text that must not be cut (a centre cut short is another number): longer than its field is a
    // structure error.
    template <std::size_t N>
    bool ReadWhole(char (&field)[N]) {
        std::uint32_t length = 0;
        if (!m_reader.ReadArchiveStringLength(length)) return false;
        if (length > N - 1) return StructureError();
        std::fill(std::begin(field), std::end(field), '\0');
        return m_reader.ReadBytes(reinterpret_cast<std::uint8_t*>(field), length);
    }

    // The count is checked before anything of the section is stored, and a repeated section
    // starts from empty positions.
    bool ReadCount(std::uint32_t& count, std::size_t limit) {
        if (!m_reader.ReadU32(count)) return false;
        return count <= limit || StructureError();
    }

    // Names keep every byte, zeros included; the field's own rules cut them to a card name.
    bool ReadName(PhoneBookEntry& entry) {
        std::uint32_t length = 0;
        if (!m_reader.ReadArchiveStringLength(length)) return false;
        char bytes[sizeof entry.name] = {};
        const std::size_t kept = std::min<std::size_t>(length, sizeof bytes);
        if (!m_reader.ReadBytes(reinterpret_cast<std::uint8_t*>(bytes), kept)) return false;
        phonebook::SetNameBytes(entry, std::string_view(bytes, kept));
        return m_reader.Skip(length - kept);
    }

    bool ReadPhoneBook(std::array<PhoneBookEntry, kBackupPhoneBookPositions>& entries, std::uint32_t& count) {
        std::uint32_t stored = 0;
        if (!ReadCount(stored, entries.size())) return false;
        entries.fill(PhoneBookEntry{});
        count = 0;
        for (std::uint32_t position = 0; position < stored; ++position) {
            PhoneBookEntry& entry = entries[position];
            std::uint32_t index = 0;
            m_reader.ReadU32(index);
            entry.index = static_cast<std::uint16_t>(index);
            m_reader.ReadU32(entry.used);
            ReadName(entry);
            m_reader.ReadArchiveString(entry.number);
            m_reader.ReadU8(entry.ton);
            m_reader.ReadU8(entry.npi);
            m_reader.ReadU8(entry.capabilityId);
            m_reader.ReadU8(entry.extensionId);
            if (m_reader.Failed()) return false;
        }
        count = stored;
        return true;
    }

    // Windows-1250 text, coded for the card as a message file's text is; a text that cannot be
    // coded (too long for any message) is damage. Like any field, it ends at a zero byte.
    bool ReadMessageText(SmsEntry& entry) {
        std::uint32_t length = 0;
        if (!m_reader.ReadArchiveStringLength(length)) return false;
        if (length > sms::kMaxMessageFileText) return StructureError();
        char bytes[sms::kMaxMessageFileText];
        if (!m_reader.ReadBytes(reinterpret_cast<std::uint8_t*>(bytes), length)) return false;
        const std::string_view text(bytes, length);
        return sms::SetMessageFileText(entry, text.substr(0, text.find('\0'))) || StructureError();
    }

    bool ReadMessages() {
        std::uint32_t stored = 0;
        if (!ReadCount(stored, m_backup.messages.size())) return false;
        m_backup.messages.fill(SmsEntry{});
        m_backup.messageCount = 0;
        for (std::uint32_t position = 0; position < stored; ++position) {
            SmsEntry& entry = m_backup.messages[position];
            std::uint32_t index = 0;
            m_reader.ReadU32(index);
            entry.index = static_cast<std::uint16_t>(index);
            m_reader.ReadU32(entry.used);
            if (!ReadMessageText(entry)) return false;
            m_reader.ReadArchiveString(entry.serviceCentre);
            m_reader.ReadArchiveString(entry.address);
            m_reader.ReadU8(entry.addressTon);
            m_reader.ReadU8(entry.addressNpi);
            m_reader.ReadU8(entry.centreTon);
            m_reader.ReadU8(entry.centreNpi);
            m_reader.ReadArchiveString(entry.dateOrValidity);
            m_reader.ReadU32(entry.status);
            if (m_reader.Failed()) return false;
        }
        m_backup.messageCount = stored;
        return true;
    }

    // The list grows as slots arrive, so a count that the data does not back costs nothing.
    bool ReadNetworks(std::vector<PlmnEntry>& list) {
        std::uint32_t stored = 0;
        if (!ReadCount(stored, kMaxBackupNetworkSlots)) return false;
        list.clear();
        for (std::uint32_t slot = 0; slot < stored; ++slot) {
            std::uint8_t valid = 0;
            PlmnEntry entry;
            m_reader.ReadU8(valid);
            m_reader.ReadU32(entry.mcc);
            m_reader.ReadU32(entry.mnc);
            if (m_reader.Failed()) return false;
            entry.valid = valid != 0 ? 1 : 0;
            entry.threeDigitMnc = valid != 0 && (valid & kSlotThreeDigits) != 0 ? 1 : 0;
            list.push_back(entry);
        }
        return true;
    }

    ArchiveReader& m_reader;
    SimBackup& m_backup;
    bool m_structureError = false;
};

bool DecodeInto(ArchiveSource& source, SimBackup& backup, std::uint32_t& error) {
    // About 84 KB: built on the heap and handed over only when complete.
    auto fresh = std::make_unique<SimBackup>();
    fresh->present = BackupSections::None();
    ArchiveReader reader(source);
    if (!BackupDecoder(reader, *fresh).Decode(error)) return false;
    backup = std::move(*fresh);
    return true;
}

// Reads a file through a buffer of its own, stopping at the end of the file or the first error.
class FileArchiveSource final : public ArchiveSource {
public:
    explicit FileArchiveSource(int fd) : m_fd(fd) {}

    std::size_t Read(std::uint8_t* destination, std::size_t count) override {
        std::size_t given = 0;
        while (given < count) {
            if (m_position == m_filled && !Refill()) break;
            const std::size_t step = std::min(count - given, m_filled - m_position);
            std::memcpy(destination + given, m_buffer + m_position, step);
            m_position += step;
            given += step;
        }
        return given;
    }

private:
    bool Refill() {
        for (;;) {
            const ssize_t got = ::read(m_fd, m_buffer, sizeof m_buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            m_position = 0;
            m_filled = static_cast<std::size_t>(got);
            return true;
        }
    }

    int m_fd;
    std::uint8_t m_buffer[4096];
    std::size_t m_position = 0;
    std::size_t m_filled = 0;
};

}  // namespace

std::vector<std::uint8_t> EncodeSimBackup(const SimBackup& backup) {
    ArchiveWriter writer;
    WritePhoneBookSection(writer, Section::kDial, backup.phoneBook, backup.phoneBookCount);
    WritePhoneBookSection(writer, Section::kFdn, backup.fixedDialing, backup.fixedDialingCount);
    WriteSmsSection(writer, backup);
    writer.WriteArchiveString(NameOf(Section::kSmsParameters));
    writer.WriteArchiveString(FieldText(backup.smsParameters.centre));
    writer.WriteArchiveString(FieldText(backup.smsParameters.validity));
    WriteNetworkSection(writer, Section::kPreferred, backup.preferredNetworks);
    WriteNetworkSection(writer, Section::kForbidden, backup.forbiddenNetworks);
    writer.WriteArchiveString(NameOf(Section::kEnd));
    return writer.TakeBytes();
}

bool DecodeSimBackup(std::span<const std::uint8_t> bytes, SimBackup& backup, std::uint32_t& error) {
    MemoryArchiveSource source(bytes);
    return DecodeInto(source, backup, error);
}

bool WriteSimBackupFile(const std::filesystem::path& path, const SimBackup& backup, std::uint32_t& error,
                        std::string* reason) {
    const std::vector<std::uint8_t> bytes = EncodeSimBackup(backup);
    files::SafeFileWriter file;
    const bool opened = file.Open(path.string(), files::SafeFileWriter::Mode::Replace);
    if (opened && file.Write(bytes) && file.Commit()) return true;
    error = opened ? message::kWriteError : message::kCannotOpenTarget;
    if (reason != nullptr) *reason = file.Reason();
    return false;
}

bool ReadSimBackupFile(const std::filesystem::path& path, SimBackup& backup, std::uint32_t& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = message::kCannotOpenBackup;
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        error = message::kCannotOpenBackup;
        return false;
    }
    FileArchiveSource source(fd);
    const bool decoded = DecodeInto(source, backup, error);
    ::close(fd);
    return decoded;
}

}  // namespace quillet::backup
