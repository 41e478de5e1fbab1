#include "phonebook/TextFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace quillet::phonebook {

namespace {

constexpr char kEscape = 0x1B;

unsigned OpenFailure(int error) {
    return (error == ENOENT || error == ENOTDIR) ? text_file::kNotFound : text_file::kFailure;
}

// The folder of a path, for flushing a rename to the disk.
std::string FolderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

}  // namespace

TextFile::~TextFile() {
    if (m_mode == OpenMode::CreateAlways) {
        Discard();
    } else if (m_fd >= 0) {
        ::close(m_fd);
    }
}

unsigned TextFile::Open(const std::string& path, OpenMode mode) {
    if (m_fd >= 0) Close();
    m_mode = mode;
    m_position = m_end = 0;
    m_line = 1;
    m_writeFailed = false;
    m_target.clear();
    m_temporary.clear();

    if (mode == OpenMode::ReadExisting || mode == OpenMode::ReadWriteAlways) {
        const int flags = mode == OpenMode::ReadExisting ? O_RDONLY : (O_RDWR | O_CREAT);
        m_fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
        return m_fd >= 0 ? text_file::kOk : OpenFailure(errno);
    }

    // A new file next to the target, so that the final rename stays on the same file system.
    struct stat existing {};
    const bool targetExists = ::stat(path.c_str(), &existing) == 0;
    if (targetExists && S_ISDIR(existing.st_mode)) return text_file::kFailure;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        m_fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_temporary = candidate;
            break;
        }
        if (errno != EEXIST) return OpenFailure(errno);
    }
    if (m_fd < 0) return text_file::kFailure;
    // The replacement keeps the permissions of the file it replaces.
    if (targetExists) (void)::fchmod(m_fd, existing.st_mode & 07777);
    m_target = path;
    return text_file::kOk;
}

void TextFile::Discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

unsigned TextFile::Close() {
    if (m_fd < 0) return text_file::kFailure;
    if (m_mode != OpenMode::CreateAlways) {
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        return closed && !m_writeFailed ? text_file::kOk : text_file::kFailure;
    }
    bool complete = !m_writeFailed && ::fsync(m_fd) == 0;
    complete = (::close(m_fd) == 0) && complete;
    m_fd = -1;
    if (complete) complete = ::rename(m_temporary.c_str(), m_target.c_str()) == 0;
    if (!complete) {
        Discard();
        return text_file::kFailure;
    }
    m_temporary.clear();
    const int folder = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return text_file::kOk;
}

unsigned TextFile::SeekToEnd() {
    if (m_fd < 0) return text_file::kFailure;
    m_position = m_end = 0;
    return ::lseek(m_fd, 0, SEEK_END) < 0 ? text_file::kFailure : text_file::kOk;
}

unsigned TextFile::Fill() {
    if (m_fd < 0 || m_mode == OpenMode::CreateAlways) return text_file::kFailure;
    for (;;) {
        const ssize_t count = ::read(m_fd, m_buffer, kBufferSize);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return text_file::kFailure;
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

unsigned TextFile::ReadToken(std::string& out, std::size_t capacity, bool lineFeedIsBlank,
                             std::string_view delimiters) {
    out.clear();
    const std::size_t keep = capacity == 0 ? 0 : capacity - 1;
    char character = 0;
    for (;;) {
        const unsigned code = PeekChar(character);
        if (code != text_file::kOk) return code;
        if (character != ' ' && character != '\t' && !(lineFeedIsBlank && character == '\n')) break;
        ReadChar(character);
    }
    for (;;) {
        const unsigned code = PeekChar(character);
        if (code == text_file::kEndOfFile) return text_file::kOk;
        if (code != text_file::kOk) return code;
        if (delimiters.find(character) != std::string_view::npos) return text_file::kOk;
        ReadChar(character);
        if (character == kEscape) {
            char next = 0;
            const unsigned nextCode = PeekChar(next);
            if (nextCode == text_file::kFailure) return nextCode;
            if (nextCode == text_file::kOk && next == 'n') {
                ReadChar(next);
                character = '\n';
            }
        }
        if (out.size() < keep) out.push_back(character);
    }
}

bool TextFile::WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

unsigned TextFile::WriteField(std::string_view text, char terminator) {
    if (m_fd < 0 || m_mode == OpenMode::ReadExisting) return text_file::kFailure;
    if (m_position != m_end) {
        // Bytes read ahead into the buffer: write where the reader stands.
        if (::lseek(m_fd, -static_cast<off_t>(m_end - m_position), SEEK_CUR) < 0) m_writeFailed = true;
        m_position = m_end = 0;
    }
    std::string encoded;
    encoded.reserve(kMaxFieldLength * 2 + 2);
    for (char character : text.substr(0, kMaxFieldLength)) {
        if (character == '\n') {
            encoded += kEscape;
            encoded += 'n';
        } else {
            encoded += character == '\t' ? ' ' : character;
        }
    }
    if (terminator == '\n') encoded += '\r';
    encoded += terminator;
    if (m_writeFailed || !WriteAll(encoded.data(), encoded.size())) {
        m_writeFailed = true;
        return text_file::kFailure;
    }
    return text_file::kOk;
}

}  // namespace quillet::phonebook
