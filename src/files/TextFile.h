#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "files/SafeFileWriter.h"

namespace quillet::files {

// Result codes of the text-file layer.
namespace text_file {
inline constexpr unsigned kOk = 0;
inline constexpr unsigned kNotFound = 16;  // the file or its folder does not exist
inline constexpr unsigned kEndOfFile = 17;
inline constexpr unsigned kFailure = 256;  // any other failure
}  // namespace text_file

enum class OpenMode : unsigned {
    ReadExisting = 0,  // read only, the file must exist
    AppendAlways = 1,  // write after the old contents, a missing file is created
    CreateAlways = 2,  // write a new file that replaces the old one when Close succeeds
};

// What reading makes of an ESC pair the writer never makes (the writer's own are known to every file).
enum class UnknownEscape {
    KeepBoth,       // both bytes: phone book files of the earlier writer hold a name's ESC bytes as they are
    TakeCharacter,  // the character after the ESC, as message files always had it
};

// What follows a record's last field.
enum class LineEnd {
    Clean,    // blanks at most, then the line feed or the end of the file
    Junk,     // another field
    Failure,  // the file could not be read
};

// One field as the file held it.
struct TextField {
    std::string text;
    bool present = false;  // the line had the field, perhaps as the empty-field mark
    bool cut = false;      // characters beyond the capacity were dropped
};

// The line-oriented 8-bit text files of phone books and messages: fields separated by TAB, records
// ended by CR LF, CR ignored on reading. Inside a field an ESC (0x1B) starts a pair: ESC 'n' is a line
// feed, ESC 'r' a CR, ESC 't' a TAB, ESC ESC an ESC, and ESC ' ' at the start of a field a space, so no
// text can split its line and a leading space survives the blanks the reader skips. A field that is
// exactly ESC '0' is present and empty. Any other ESC pair means what the reader's UnknownEscape says.
// Reading goes through a 64-byte buffer and a field never holds more than its capacity, so no input can
// make memory grow. Writing goes through the SafeFileWriter.
class TextFile {
public:
    static constexpr std::size_t kBufferSize = 64;
    static constexpr std::size_t kMaxFieldLength = 256;

    TextFile() = default;
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    unsigned Open(const std::string& path, OpenMode mode);
    // 0, or 256 when a write failed or the file could not be put in place. A written file dropped
    // without Close leaves the old file as it was.
    unsigned Close();

    // The character at the read position (CR bytes skipped); 17 at the end, 256 on a read error.
    unsigned PeekChar(char& character);
    unsigned ReadChar(char& character);
    // Skips blanks (space, TAB, and LF when lineFeedIsBlank), then reads a field up to one of
    // `delimiters`, which stays unread, undoing the escapes. At most capacity - 1 characters are kept;
    // the rest of the field is consumed and dropped. 17 when the file ends before the field, 256 on a
    // read error, else 0 (the field is not present when a delimiter came first).
    unsigned ReadToken(TextField& field, std::size_t capacity, bool lineFeedIsBlank, std::string_view delimiters,
                       UnknownEscape unknown);
    // Skips the blanks after a record's last field up to its line feed, which stays unread, so that a
    // stray field is not taken as the start of the next record.
    LineEnd SkipToLineEnd();

    // Appends the coded form of a field (at most 256 characters of `text`), then its terminator: TAB
    // as is, LF as CR LF.
    static void AppendField(std::string& out, std::string_view text, char terminator);
    // Writes bytes already in the file's coding (fields from AppendField). 0, or 256 once a write failed.
    unsigned Write(std::string_view bytes);

    // The 1-based line of the read position.
    unsigned LineNumber() const { return m_line; }
    bool IsOpen() const { return m_fd >= 0 || m_writer.IsOpen(); }
    // Why the last open, write or close failed, in the system's words.
    const std::string& Reason() const { return m_reason; }

private:
    unsigned Fill();
    void CloseReading();

    int m_fd = -1;  // reading
    SafeFileWriter m_writer;
    std::string m_reason;
    char m_buffer[kBufferSize] = {};
    std::size_t m_position = 0;
    std::size_t m_end = 0;
    unsigned m_line = 1;
};

}  // namespace quillet::files
