#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillet::phonebook {

// Result codes of the text-file layer.
namespace text_file {
inline constexpr unsigned kOk = 0;
inline constexpr unsigned kNotFound = 16;    // the file or its folder does not exist
inline constexpr unsigned kEndOfFile = 17;
inline constexpr unsigned kFailure = 256;    // any other failure
}  // namespace text_file

enum class OpenMode : unsigned {
    ReadExisting = 0,     // read only, the file must exist
    ReadWriteAlways = 1,  // read and write, created when missing
    CreateAlways = 2,     // a new file replacing the old one when Close succeeds
};

// The line-oriented 8-bit text files of phone books and messages: fields separated by TAB, records
// ended by CR LF, a line feed inside a field kept as ESC 'n', CR ignored on reading. Reading goes
// through a 64-byte buffer and a field never holds more than its capacity, so no input can make
// memory grow.
//
// CreateAlways writes into a temporary file beside the target; Close flushes it to the disk and
// renames it over the target only when every write succeeded, so a failed save leaves the old file
// as it was. A file destroyed without Close is discarded.
class TextFile {
public:
    static constexpr std::size_t kBufferSize = 64;
    static constexpr std::size_t kMaxFieldLength = 256;

    TextFile() = default;
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    unsigned Open(const std::string& path, OpenMode mode);
    // 0, or 256 when a write failed or the new file could not be put in place.
    unsigned Close();
    unsigned SeekToEnd();

    // The character at the read position (CR bytes skipped); 17 at the end, 256 on a read error.
    unsigned PeekChar(char& character);
    unsigned ReadChar(char& character);
    // Skips blanks (space, TAB, and LF when lineFeedIsBlank), then collects characters up to one of
    // `delimiters`, which stays unread. ESC 'n' becomes LF. At most capacity - 1 characters are kept;
    // the rest of the field is consumed and dropped. 17 when the file ends before the first
    // character, 256 on a read error, else 0.
    unsigned ReadToken(std::string& out, std::size_t capacity, bool lineFeedIsBlank, std::string_view delimiters);
    // Writes at most 256 characters of `text`, a LF as ESC 'n' and a TAB as a space (it would split
    // the field), then the terminator: TAB as is, LF as CR LF. 0, or 256 when a byte was not written.
    unsigned WriteField(std::string_view text, char terminator);

    // The 1-based line of the read position.
    unsigned LineNumber() const { return m_line; }
    bool IsOpen() const { return m_fd >= 0; }

private:
    unsigned Fill();
    bool WriteAll(const char* data, std::size_t size);
    void Discard();

    int m_fd = -1;
    OpenMode m_mode = OpenMode::ReadExisting;
    std::string m_target;     // CreateAlways: the file that the temporary one replaces
    std::string m_temporary;  // CreateAlways: the file being written
    bool m_writeFailed = false;
    char m_buffer[kBufferSize] = {};
    std::size_t m_position = 0;
    std::size_t m_end = 0;
    unsigned m_line = 1;
};

}  // namespace quillet::phonebook
