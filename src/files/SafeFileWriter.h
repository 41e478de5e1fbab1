#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillet::files {

// The one way the program saves a file, so that a save never loses what was there before:
// - a path that is a symbolic link (or a chain of them) saves into the file the last link names, and the
//   links stay links; a dangling link creates the file it points to;
// - a regular file, or a new one, is written to a temporary file with a short name in the same folder,
//   synced and renamed over the target only when everything was written, then the folder is synced; on any
//   failure the temporary file is removed and the old file is as it was;
// - the replacement keeps the old file's permission bits (and, where allowed, its owner and group); a new
//   file is readable by its owner only, since these files hold phone books and messages;
// - a file with more than one name (hard links) is not renamed over, which would part its names: the
//   complete temporary file is copied into it and then removed; should that copy fail, the temporary
//   file stays and the reason says where it is, since the target may hold part of the new bytes then;
// - a FIFO or a character device (/dev/null, a terminal) is written directly and its node left alone;
// - a name of a descriptor the program inherited (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N,
//   also reached through links) is written through a copy of that descriptor, never reopened or renamed,
//   so `>> log` keeps appending;
// - a folder, a block device or a socket is refused before anything is written.
// Append keeps the old bytes in front of the new ones, by the same copy-and-rename.
class SafeFileWriter {
public:
    enum class Mode {
        Replace,  // the written bytes become the whole file
        Append,   // the written bytes follow what the file held
    };

    SafeFileWriter() = default;
    // A save that was not committed is discarded.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Finds where the bytes go and prepares the save. False, with a reason, when the target cannot take
    // it; nothing was changed then.
    bool Open(const std::string& path, Mode mode);
    // Collects bytes for the file; false once anything failed.
    bool Write(std::string_view bytes);
    bool Write(std::span<const std::uint8_t> bytes);
    // Puts everything written in place. False, with a reason, when the save failed; the old file is
    // whole then (a FIFO or device may have received part of the bytes, and a file with several names
    // whose copy failed half way says where its new contents are).
    bool Commit();
    // Drops an unfinished save: the temporary file goes and the target stays as it was.
    void Discard();

    bool IsOpen() const { return m_fd >= 0; }
    // Append: the old contents end inside a line (their last byte is not a line feed).
    bool EndsMidLine() const { return m_endsMidLine; }
    // Why the last Open, Write or Commit failed, in the system's words ("Permission denied").
    const std::string& Reason() const { return m_reason; }
    // The system's error number behind Reason(); 0 for a target refused for its kind.
    int Error() const { return m_error; }

private:
    bool Fail(int error);
    bool Refuse(std::string_view reason);
    bool OpenDirect(const std::string& path, Mode mode);
    bool OpenInherited(int descriptor);
    bool OpenReplacement(const std::string& target, bool exists, Mode mode);
    bool CopyExisting();
    bool Flush();
    bool CommitInPlace();
    bool CopyIntoTarget();

    int m_fd = -1;
    bool m_direct = false;  // a FIFO, character device or inherited descriptor written in place
    bool m_failed = false;  // a write failed; everything after it is dropped
    bool m_endsMidLine = false;
    bool m_inPlace = false;   // the target has other names: its bytes are overwritten, it is not renamed over
    std::string m_target;     // the file the temporary one replaces
    std::string m_temporary;  // the file being written, beside the target
    std::string m_buffer;
    std::string m_reason;
    int m_error = 0;
};

}  // namespace quillet::files
