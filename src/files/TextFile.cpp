#include "files/TextFile.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <system_error>

namespace quillet::files {

namespace {

constexpr char kEscape = 0x1B;
constexpr char kEmptyMark = '0';

unsigned OpenFailure(int error) {
    return (error == ENOENT || error == ENOTDIR) ? text_file::kNotFound : text_file::kFailure;
}

// The pairs the writer makes; ESC ' ' only where a field starts, and ESC '0' only as a whole field.
bool IsKnownEscape(char character, bool fieldStart) {
    return character == 'n' || character == 'r' || character == 't' || character == kEscape ||
           (fieldStart && character == ' ');
}

// The character an escape pair stands for.
char Unescaped(char character) {
    switch (character) {
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        default:
            return character;
    }
}

}  // namespace

TextFile::~TextFile() { CloseReading(); }

void TextFile::CloseReading() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

unsigned TextFile::Open(const std::string& path, OpenMode mode) {
    CloseReading();
    m_writer.Discard();
    m_reason.clear();
    m_position = m_end = 0;
    m_line = 1;

    if (mode == OpenMode::ReadExisting) {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd >= 0) return text_file::kOk;
        const int error = errno;
        m_reason = std::generic_category().message(error);
        return OpenFailure(error);
    }
    const bool append = mode == OpenMode::AppendAlways;
    if (!m_writer.Open(path, append ? SafeFileWriter::Mode::Append : SafeFileWriter::Mode::Replace)) {
        m_reason = m_writer.Reason();
        return OpenFailure(m_writer.Error());
    }
    // The first added line must not continue the archive's last one.
    if (append && m_writer.EndsMidLine()) return Write("\r\n");
    return text_file::kOk;
}

unsigned TextFile::Close() {
    if (m_fd >= 0) {
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        return closed ? text_file::kOk : text_file::kFailure;
    }
    if (m_writer.Commit()) return text_file::kOk;
    m_reason = m_writer.Reason();
    return text_file::kFailure;
}

unsigned TextFile::Fill() {
    if (m_fd < 0) return text_file::kFailure;
    for (;;) {
        const ssize_t count = ::read(m_fd, m_buffer, kBufferSize);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            m_reason = std::generic_category().message(errno);
            return text_file::kFailure;
        }
        if (count == 0) return text_file::kEndOfFile;
        m_position = 0;
        m_end = static_cast<std::size_t>(count);
        return text_file::kOk;
    }
}

unsigned TextFile::PeekChar(char& character) {
    for (;;) {
        if (m_position == m_end) {
            const unsigned code = Fill();
            if (code != text_file::kOk) return code;
        }
        if (m_buffer[m_position] != '\r') break;
        ++m_position;
    }
    character = m_buffer[m_position];
    return text_file::kOk;
}

unsigned TextFile::ReadChar(char& character) {
    const unsigned code = PeekChar(character);
    if (code == text_file::kOk) {
        ++m_position;
        if (character == '\n') ++m_line;
    }
    return code;
}

unsigned TextFile::ReadToken(TextField& field, std::size_t capacity, bool lineFeedIsBlank, std::string_view delimiters,
                             UnknownEscape unknown) {
    field.text.clear();
    field.present = false;
    field.cut = false;
    const std::size_t keep = capacity == 0 ? 0 : capacity - 1;
    char character = 0;
    for (;;) {
        const unsigned code = PeekChar(character);
        if (code != text_file::kOk) return code;
        if (character != ' ' && character != '\t' && !(lineFeedIsBlank && character == '\n')) break;
        ReadChar(character);
    }
    // Raw characters of the field, to tell the empty-field mark from a longer field.
    std::size_t raw = 0;
    bool emptyMark = false;
    for (;;) {
        const unsigned code = PeekChar(character);
        if (code == text_file::kEndOfFile) break;
        if (code != text_file::kOk) return code;
        if (delimiters.find(character) != std::string_view::npos) break;
        ReadChar(character);
        ++raw;
        field.present = true;
        if (character == kEscape) {
            char next = 0;
            const unsigned nextCode = PeekChar(next);
            if (nextCode == text_file::kFailure) return nextCode;
            if (nextCode == text_file::kOk) {
                emptyMark = raw == 1 && next == kEmptyMark;
                // An ESC kept as itself leaves the next character to be read on its own, a delimiter too.
                if (unknown == UnknownEscape::TakeCharacter || IsKnownEscape(next, raw == 1)) {
                    ReadChar(next);
                    ++raw;
                    character = Unescaped(next);
                }
            }
        }
        if (field.text.size() < keep) {
            field.text.push_back(character);
        } else {
            field.cut = true;
        }
    }
    if (emptyMark && raw == 2) {
        field.text.clear();
        field.cut = false;
    }
    return text_file::kOk;
}

LineEnd TextFile::SkipToLineEnd() {
    char character = 0;
    for (;;) {
        const unsigned code = PeekChar(character);
        if (code == text_file::kEndOfFile) return LineEnd::Clean;
        if (code != text_file::kOk) return LineEnd::Failure;
        if (character == '\n') return LineEnd::Clean;
        if (character != ' ' && character != '\t') return LineEnd::Junk;
        ReadChar(character);
    }
}

void TextFile::AppendField(std::string& out, std::string_view text, char terminator) {
    text = text.substr(0, kMaxFieldLength);
    if (text.empty()) {
        out += kEscape;
        out += kEmptyMark;
    }
    for (std::size_t position = 0; position < text.size(); ++position) {
        const char character = text[position];
        switch (character) {
            case '\n':
                out += kEscape;
                out += 'n';
                break;
            case '\r':
                out += kEscape;
                out += 'r';
                break;
            case '\t':
                out += kEscape;
                out += 't';
                break;
            case kEscape:
                out += kEscape;
                out += kEscape;
                break;
            case ' ':
                // The reader skips blanks before a field.
                if (position == 0) out += kEscape;
                out += ' ';
                break;
            default:
                out += character;
                break;
        }
    }
    if (terminator == '\n') out += '\r';
    out += terminator;
}

unsigned TextFile::Write(std::string_view bytes) {
    if (m_writer.Write(bytes)) return text_file::kOk;
    m_reason = m_writer.Reason();
    return text_file::kFailure;
}

}  // namespace quillet::files
