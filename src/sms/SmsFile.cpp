#include "sms/SmsFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "resources/StringTable.h"
#include "sms/SmsTimeValue.h"

namespace quillet::sms {

namespace {

// Message ids of the three file commands.
constexpr std::uint32_t kSaveCannotOpen = 57685;
constexpr std::uint32_t kSaveWriteError = 57686;
constexpr std::uint32_t kOpenCannotOpen = 57687;
constexpr std::uint32_t kOpenSyntaxError = 57688;
constexpr std::uint32_t kOpenReadError = 57689;
constexpr std::uint32_t kAddCannotOpen = 57690;
constexpr std::uint32_t kAddFileError = 57691;
constexpr std::uint32_t kAddWriteError = 57692;

constexpr char kEscape = 0x1B;
// Texts that may be empty are written behind this marker, because the reader skips empty fields.
constexpr char kMarker = '>';

void Report(card::UserInterface& ui, std::uint32_t id) {
    ui.ShowMessage(resources::LoadString(id), card::MessageIcon::Error);
}

// ---------------------------------------------------------------------------------------------------
// A small private text-file layer: fields separated by TAB, records ended by CR LF, a line feed inside
// a field written as ESC 'n', CR ignored on reading. It stays inside this file until the phone book's
// shared text-file layer can take its place. Reading goes through a fixed buffer and keeps at most
// kFieldCapacity characters of a field, so neither a long line nor a binary file can make it grow.

constexpr std::size_t kFieldCapacity = 200;  // '>' and the longest text of an entry
constexpr std::size_t kMaxFieldWrite = 256;  // characters of one field's text written at most

class FieldReader {
public:
    enum class Status { Ok, End, Error };

    explicit FieldReader(int fd) : m_fd(fd) {}

    // Skips spaces and TABs (and line feeds when `lineFeedIsBlank`), then collects the field up to the
    // next TAB or LF, which stays unread. ESC 'n' gives LF, ESC and any other character gives that
    // character. `overflow` tells that characters beyond the capacity were dropped. End: the file ended
    // before the field's first character.
    Status ReadField(std::string& out, bool& overflow, bool lineFeedIsBlank) {
        out.clear();
        overflow = false;
        int c;
        while ((c = Peek()) == ' ' || c == '\t' || (lineFeedIsBlank && c == '\n')) ++m_position;
        if (c == kError) return Status::Error;
        if (c == kEnd) return Status::End;
        while ((c = Peek()) >= 0 && c != '\t' && c != '\n') {
            ++m_position;
            if (c == kEscape) {
                c = Peek();
                if (c < 0) break;
                ++m_position;
                if (c == 'n') c = '\n';
            }
            if (out.size() < kFieldCapacity) {
                out.push_back(static_cast<char>(c));
            } else {
                overflow = true;
            }
        }
        return c == kError ? Status::Error : Status::Ok;
    }

private:
    static constexpr int kEnd = -1;
    static constexpr int kError = -2;

    // The next character other than CR without consuming it; kEnd or kError.
    int Peek() {
        for (;;) {
            if (m_position == m_size && !Fill()) return m_failed ? kError : kEnd;
            const unsigned char c = m_buffer[m_position];
            if (c != '\r') return c;
            ++m_position;
        }
    }

    bool Fill() {
        if (m_failed || m_atEnd) return false;
        ssize_t got;
        do {
            got = ::read(m_fd, m_buffer.data(), m_buffer.size());
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            (got < 0 ? m_failed : m_atEnd) = true;
            return false;
        }
        m_position = 0;
        m_size = static_cast<std::size_t>(got);
        return true;
    }

    int m_fd;
    std::array<unsigned char, 16384> m_buffer{};
    std::size_t m_position = 0;
    std::size_t m_size = 0;
    bool m_atEnd = false;
    bool m_failed = false;
};

// Collects output in a buffer and writes it through to the descriptor; the first failed write is
// remembered and everything after it is dropped.
class FieldWriter {
public:
    explicit FieldWriter(int fd) : m_fd(fd) {}

    void Append(std::string_view bytes) {
        if (m_failed) return;
        m_buffer.append(bytes);
        if (m_buffer.size() >= kFlushSize) Flush();
    }

    // Writes the field's text then its terminator: TAB as is, LF as CR LF. LF is written as ESC 'n';
    // TAB and ESC are written behind an ESC too, so that no text can split its line or change on reading.
    void WriteField(std::string_view text, char terminator) {
        std::string coded;
        coded.reserve(text.size() + 4);
        for (const char c : text.substr(0, std::min(text.size(), kMaxFieldWrite))) {
            if (c == '\n') {
                coded += "\x1bn";
            } else {
                if (c == '\t' || c == kEscape) coded.push_back(kEscape);
                coded.push_back(c);
            }
        }
        coded += terminator == '\n' ? std::string_view("\r\n") : std::string_view(&terminator, 1);
        Append(coded);
    }

    bool Flush() {
        std::size_t done = 0;
        while (!m_failed && done < m_buffer.size()) {
            const ssize_t wrote = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0)
                m_failed = true;
            else
                done += static_cast<std::size_t>(wrote);
        }
        m_buffer.clear();
        return !m_failed;
    }

private:
    static constexpr std::size_t kFlushSize = 65536;
    int m_fd;
    std::string m_buffer;
    bool m_failed = false;
};

// ---------------------------------------------------------------------------------------------------
// Replacing a file safely: the new contents go to a temporary file in the target's folder, which is
// synced and renamed over the target only when complete. Until then the target stays as it was.

class ReplacementFile {
public:
    explicit ReplacementFile(const std::string& target) : m_target(target) {}
    ~ReplacementFile() { Discard(); }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file with the mode of the existing target, or the usual mode of a new file.
    bool Create() {
        const std::filesystem::path target(m_target);
        std::filesystem::path name = target.filename();
        if (name.empty()) return false;
        m_path = (target.parent_path() / ("." + name.string() + ".XXXXXX")).string();
        m_fd = ::mkostemp(m_path.data(), O_CLOEXEC);
        if (m_fd < 0) {
            m_path.clear();
            return false;
        }
        struct stat existing {};
        mode_t mode;
        if (::stat(m_target.c_str(), &existing) == 0) {
            mode = existing.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(m_fd, mode);
        return true;
    }

    int Descriptor() const { return m_fd; }

    // Syncs the temporary file and renames it over the target, then syncs the folder.
    bool Commit() {
        if (m_fd < 0) return false;
        const bool synced = ::fsync(m_fd) == 0;
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        if (!synced || !closed || std::rename(m_path.c_str(), m_target.c_str()) != 0) return false;
        m_path.clear();
        std::string folder = std::filesystem::path(m_target).parent_path().string();
        const int folderFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd >= 0) {
            ::fsync(folderFd);
            ::close(folderFd);
        }
        return true;
    }

private:
    void Discard() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
        if (!m_path.empty()) ::unlink(m_path.c_str());
        m_path.clear();
    }

    std::string m_target;
    std::string m_path;
    int m_fd = -1;
};

// ---------------------------------------------------------------------------------------------------
// Writing lines

std::string MarkedNumber(std::uint8_t ton, std::string_view digits) {
    std::string field(1, kMarker);
    if (ton == 1) field.push_back('+');
    field.append(digits);
    return field;
}

// One message line; the *.SMS line starts with the position, the *.SMA line does not.
void WriteMessageLine(FieldWriter& writer, const SmsEntry& entry, bool withPosition, const std::tm* now) {
    if (withPosition) writer.WriteField(std::to_string(entry.index + 1u), '\t');
    writer.WriteField(MarkedNumber(entry.centreTon, FieldText(entry.serviceCentre)), '\t');
    writer.WriteField(MarkedNumber(entry.addressTon, FieldText(entry.address)), '\t');
    char date[sizeof(entry.dateOrValidity)];
    SetFieldText(date, FieldText(entry.dateOrValidity));
    if (now != nullptr) {
        NormalizeDateText(date, *now);
    } else {
        NormalizeDateText(date);
    }
    writer.WriteField(std::string(1, kMarker).append(FieldText(date)), '\t');
    writer.WriteField(std::to_string(entry.status), '\t');
    writer.WriteField(std::to_string(entry.messageRef), '\t');
    writer.WriteField(std::string(1, kMarker).append(FieldText(entry.text)), '\n');
}

void WriteMessages(FieldWriter& writer, std::span<const SmsEntry> entries, std::uint32_t count, bool withPosition,
                   const std::tm* now) {
    const std::size_t limit = std::min<std::size_t>(count, entries.size());
    for (std::size_t position = 0; position < limit; ++position) {
        if (entries[position].used != 0) WriteMessageLine(writer, entries[position], withPosition, now);
    }
}

// ---------------------------------------------------------------------------------------------------
// Reading records

// The characters of a dialling string, as the phone book accepts them; kept here because the SMS
// library does not link the phone book.
bool IsDialChar(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == 'P' || c == 'p' || c == 'D' || c == 'E' || c == 'F';
}

// A decimal of digits only within [low, high].
bool ParseDecimal(std::string_view text, std::uint32_t low, std::uint32_t high, std::uint32_t& value) {
    if (text.empty()) return false;
    std::uint64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        result = std::min<std::uint64_t>(result * 10 + static_cast<unsigned>(c - '0'), 1ull << 32);
    }
    if (result < low || result > high) return false;
    value = static_cast<std::uint32_t>(result);
    return true;
}

// Takes a marked field apart: the marker must be there and is removed.
bool Unmark(std::string_view field, std::string_view& text) {
    if (field.empty() || field.front() != kMarker) return false;
    text = field.substr(1);
    return true;
}

// A centre or phone number: dial characters, a '+' only first, at most 20 digits.
bool TakeNumber(std::string_view text, char (&digits)[21], std::uint8_t& ton) {
    const bool international = !text.empty() && text.front() == '+';
    if (international) text.remove_prefix(1);
    if (text.size() > sizeof(digits) - 1) return false;
    if (!std::all_of(text.begin(), text.end(), IsDialChar)) return false;
    SetFieldText(digits, text);
    ton = international ? 1 : 0;
    return true;
}

// Checks one record of seven fields (position first) and builds its entry.
bool TakeRecord(const std::array<std::string, 7>& fields, std::uint32_t maxPosition, SmsEntry& entry) {
    for (const std::string& field : fields) {
        if (field.find('\0') != std::string::npos) return false;
    }
    std::uint32_t position = 0;
    std::string_view centre, number, date, text;
    if (!ParseDecimal(fields[0], 1, maxPosition, position)) return false;
    for (std::size_t k = 1; k < fields.size(); ++k) {
        if (fields[k].empty()) return false;
    }
    if (!Unmark(fields[1], centre) || !Unmark(fields[2], number) || !Unmark(fields[3], date) ||
        !Unmark(fields[6], text)) {
        return false;
    }
    entry = MakeEmptySmsEntry(static_cast<std::uint16_t>(position - 1));
    if (!TakeNumber(centre, entry.serviceCentre, entry.centreTon)) return false;
    if (!TakeNumber(number, entry.address, entry.addressTon)) return false;
    if (text.size() > sizeof(entry.text) - 1) return false;
    SmsTimeValue value{};
    if (!ParseDateOrValidity(date, value)) return false;
    if (!ParseDecimal(fields[4], 0, 3, entry.status)) return false;
    if (!ParseDecimal(fields[5], 0, 255, entry.messageRef)) return false;
    // A date text too long for the entry is kept in its shortest form rather than cut, which could
    // change its meaning ("10:05" → "10:0").
    if (date.size() > sizeof(entry.dateOrValidity) - 1) {
        FormatDateOrValidity(value, entry.dateOrValidity);
    } else {
        SetFieldText(entry.dateOrValidity, date);
    }
    SetFieldText(entry.text, text);
    entry.used = 1;
    entry.modified = 1;
    return true;
}

enum class Layout { Undecided, Messages, Archive };

}  // namespace

bool SaveSmsFile(const std::string& path, std::span<const SmsEntry> entries, std::uint32_t count,
                 card::UserInterface& ui, const std::tm* now) {
    ReplacementFile file(path);
    if (!file.Create()) {
        Report(ui, kSaveCannotOpen);
        return false;
    }
    FieldWriter writer(file.Descriptor());
    WriteMessages(writer, entries, count, true, now);
    if (!writer.Flush() || !file.Commit()) {
        Report(ui, kSaveWriteError);
        return false;
    }
    return true;
}

bool AddToSmsArchiveFile(const std::string& path, std::span<const SmsEntry> entries, std::uint32_t count,
                         card::UserInterface& ui, const std::tm* now) {
    ReplacementFile file(path);
    if (!file.Create()) {
        Report(ui, kAddCannotOpen);
        return false;
    }
    const int archive = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (archive < 0 && errno != ENOENT) {
        Report(ui, kAddCannotOpen);
        return false;
    }
    FieldWriter writer(file.Descriptor());
    if (archive >= 0) {
        // Copy the archive as it is; a last line without its line end gets one, so that the first
        // added message starts a line of its own.
        std::array<char, 16384> buffer;
        char last = '\n';
        bool readFailed = false;
        for (;;) {
            const ssize_t got = ::read(archive, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) readFailed = true;
            if (got <= 0) break;
            writer.Append(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
            last = buffer[static_cast<std::size_t>(got) - 1];
        }
        ::close(archive);
        if (readFailed) {
            Report(ui, kAddFileError);
            return false;
        }
        if (last != '\n') writer.Append("\r\n");
    }
    WriteMessages(writer, entries, count, false, now);
    if (!writer.Flush() || !file.Commit()) {
        Report(ui, kAddWriteError);
        return false;
    }
    return true;
}

bool OpenSmsFile(const std::string& path, std::span<SmsEntry> entries, std::uint32_t& count, card::UserInterface& ui) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Report(ui, kOpenCannotOpen);
        return false;
    }
    // Records are gathered apart from the window, which is replaced once something was read.
    std::vector<SmsEntry> window(entries.size());
    for (std::size_t position = 0; position < window.size(); ++position) {
        window[position] = MakeEmptySmsEntry(static_cast<std::uint16_t>(position));
    }
    const std::uint32_t maxPosition =
        static_cast<std::uint32_t>(std::min<std::size_t>(kMaxSmsFilePosition, entries.size()));

    FieldReader reader(fd);
    Layout layout = Layout::Undecided;
    std::array<std::string, 7> fields;
    std::uint32_t highest = 0;
    std::size_t recordsTaken = 0;
    std::uint32_t failure = 0;
    for (;;) {
        bool overflow = false;
        bool anyOverflow = false;
        FieldReader::Status status = reader.ReadField(fields[0], overflow, true);
        if (status == FieldReader::Status::End) break;
        anyOverflow |= overflow;
        for (std::size_t k = 1; k < fields.size() && status != FieldReader::Status::Error; ++k) {
            status = reader.ReadField(fields[k], overflow, false);
            anyOverflow |= overflow;
        }
        if (status == FieldReader::Status::Error) {
            failure = kOpenReadError;
            break;
        }
        if (layout == Layout::Undecided) {
            std::uint32_t position = 0;
            const bool numbered =
                ParseDecimal(fields[0], 1, kMaxSmsFilePosition, position) &&
                std::none_of(fields.begin() + 1, fields.end(), [](const std::string& field) { return field.empty(); });
            layout = numbered ? Layout::Messages : Layout::Archive;
        }
        if (layout == Layout::Archive) {
            if (!fields[6].empty()) {
                failure = kOpenSyntaxError;
                break;
            }
            std::rotate(fields.begin(), fields.begin() + 6, fields.end());
            fields[0] = std::to_string(highest + 1);
        }
        SmsEntry entry{};
        // A field longer than any field of a message is a data extent error rather than cut silently.
        if (anyOverflow || !TakeRecord(fields, maxPosition, entry)) {
            failure = kOpenSyntaxError;
            break;
        }
        highest = std::max<std::uint32_t>(highest, entry.index + 1u);
        window[entry.index] = entry;
        ++recordsTaken;
    }
    ::close(fd);

    if (failure == 0 || recordsTaken > 0) {
        std::copy(window.begin(), window.end(), entries.begin());
        count = std::max(highest, count);
    }
    if (failure != 0) Report(ui, failure);
    return failure == 0;
}

}  // namespace quillet::sms
