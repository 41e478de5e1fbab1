#include "files/SafeFileWriter.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <system_error>

namespace quillet::files {

namespace {

// Links followed at most before giving up, as the system does.
constexpr int kMaxLinks = 40;
constexpr std::size_t kFlushSize = 65536;
// Short, so that it fits beside a target whose own name is as long as a name may be.
constexpr char kTemporaryName[] = ".quillet-XXXXXX";

std::string FolderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// Where a symbolic link points, relative links taken from the link's folder.
bool ReadLink(const std::string& link, std::string& next, int& error) {
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
        if (length < 0) {
            error = errno;
            return false;
        }
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            break;
        }
        target.resize(target.size() * 2);
    }
    const std::filesystem::path pointed(target);
    next = pointed.is_absolute() ? target : (std::filesystem::path(link).parent_path() / pointed).string();
    return true;
}

// A decimal descriptor number, digits only.
bool ParseDescriptor(std::string_view digits, int& descriptor) {
    if (digits.empty() || digits.size() > 9) return false;
    descriptor = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9') return false;
        descriptor = descriptor * 10 + (digit - '0');
    }
    return true;
}

// The descriptor a name of the system stands for: /dev/stdout, /dev/stderr, /dev/stdin, /dev/fd/N and
// /proc/{self,thread-self,<this process>}/fd/N (with the folder's links resolved, /proc/<pid>/task/<tid>/fd/N).
bool DescriptorName(std::string_view path, int& descriptor) {
    constexpr std::string_view kStandard[] = {"/dev/stdin", "/dev/stdout", "/dev/stderr"};
    for (std::size_t standard = 0; standard < std::size(kStandard); ++standard) {
        if (path != kStandard[standard]) continue;
        descriptor = static_cast<int>(standard);
        return true;
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || !ParseDescriptor(path.substr(slash + 1), descriptor)) return false;
    const std::string_view folder = path.substr(0, slash);
    const std::string self = "/proc/" + std::to_string(::getpid());
    if (folder == "/dev/fd" || folder == "/proc/self/fd" || folder == "/proc/thread-self/fd" ||
        folder == self + "/fd") {
        return true;
    }
    // /proc/<pid>/task/<tid>/fd
    const std::string task = self + "/task/";
    constexpr std::string_view kFd = "/fd";
    if (folder.size() <= task.size() + kFd.size() || !folder.starts_with(task) || !folder.ends_with(kFd)) return false;
    int thread = 0;
    return ParseDescriptor(folder.substr(task.size(), folder.size() - task.size() - kFd.size()), thread);
}

// The path with the links of its folder resolved, so that /dev/fd/1 shows as /proc/<pid>/fd/1; the path
// itself when its folder cannot be resolved.
std::string WithRealFolder(const std::string& path) {
    const std::filesystem::path name = std::filesystem::path(path).filename();
    if (name.empty() || name == "." || name == "..") return path;
    char* folder = ::realpath(FolderOf(path).c_str(), nullptr);
    if (folder == nullptr) return path;
    std::string real = folder;
    ::free(folder);
    if (real.empty() || real.back() != '/') real += '/';
    return real + name.string();
}

// Follows the links from `path` and tells whether one of the names on the way stands for a descriptor
// the program inherited. Only the names are looked at: the system's own link under /proc leads to the
// file the descriptor has open, not to the descriptor.
bool FindInheritedDescriptor(std::string path, int& descriptor) {
    for (int link = 0; link < kMaxLinks; ++link) {
        if (DescriptorName(path, descriptor) || DescriptorName(WithRealFolder(path), descriptor)) return true;
        struct stat found {};
        if (::lstat(path.c_str(), &found) != 0 || !S_ISLNK(found.st_mode)) return false;
        int error = 0;
        if (!ReadLink(path, path, error)) return false;
    }
    return false;
}

bool WriteAll(int fd, std::string_view bytes, int& error) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A FIFO whose reader went away answers with SIGPIPE, which would end the program with its unsaved
// work: while it lives the signal is held back, and one raised by its writes is taken away again.
class PipeSignalGuard {
public:
    PipeSignalGuard() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        m_wasPending = ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        m_blocked = ::pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old) == 0;
    }
    ~PipeSignalGuard() {
        if (!m_blocked) return;
        if (m_raised && !m_wasPending) {
            const timespec none{};
            while (::sigtimedwait(&m_pipe, nullptr, &none) < 0 && errno == EINTR) {
            }
        }
        ::pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    PipeSignalGuard(const PipeSignalGuard&) = delete;
    PipeSignalGuard& operator=(const PipeSignalGuard&) = delete;

    void Raised() { m_raised = true; }

private:
    sigset_t m_pipe{};
    sigset_t m_old{};
    bool m_wasPending = false;
    bool m_blocked = false;
    bool m_raised = false;
};

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

SafeFileWriter::~SafeFileWriter() { Discard(); }

bool SafeFileWriter::Fail(int error) {
    m_error = error;
    m_reason = std::generic_category().message(error);
    return false;
}

bool SafeFileWriter::Refuse(std::string_view reason) {
    m_error = 0;
    m_reason = reason;
    return false;
}

bool SafeFileWriter::Open(const std::string& path, Mode mode) {
    Discard();
    m_reason.clear();
    m_error = 0;
    if (path.empty()) return Fail(ENOENT);

    int descriptor = -1;
    if (FindInheritedDescriptor(path, descriptor)) return OpenInherited(descriptor);
    // stat follows every link, the system's own ones under /proc and /dev too (/dev/stdout).
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) return OpenDirect(path, mode);
        if (S_ISDIR(info.st_mode)) return Fail(EISDIR);
        if (S_ISBLK(info.st_mode)) return Refuse("Is a block device");
        if (S_ISSOCK(info.st_mode)) return Refuse("Is a socket");
        if (!S_ISREG(info.st_mode)) return Refuse("Is not a regular file");
    } else if (errno != ENOENT) {
        return Fail(errno);
    }

    // The file the links lead to, or the name a dangling link gives a new file.
    std::string target = path;
    for (int link = 0;; ++link) {
        if (link == kMaxLinks) return Fail(ELOOP);
        struct stat found {};
        if (::lstat(target.c_str(), &found) != 0) {
            if (errno != ENOENT) return Fail(errno);
            return OpenReplacement(target, false, mode);
        }
        if (!S_ISLNK(found.st_mode)) {
            // Changed since the first look: the same rules apply.
            if (!S_ISREG(found.st_mode)) return S_ISDIR(found.st_mode) ? Fail(EISDIR) : Refuse("Is not a regular file");
            return OpenReplacement(target, true, mode);
        }
        int error = 0;
        if (!ReadLink(target, target, error)) return Fail(error);
    }
}

bool SafeFileWriter::OpenDirect(const std::string& path, Mode mode) {
    const int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | (mode == Mode::Append ? O_APPEND : 0);
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Fail(errno);
    m_fd = fd;
    m_direct = true;
    return true;
}

bool SafeFileWriter::OpenInherited(int descriptor) {
    // Opened by whoever started the program (`>> log`): its mode and offset stay as they were given.
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0) return Fail(errno);
    if ((flags & O_ACCMODE) == O_RDONLY) return Fail(EBADF);
    const int fd = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return Fail(errno);
    m_fd = fd;
    m_direct = true;
    return true;
}

bool SafeFileWriter::OpenReplacement(const std::string& target, bool exists, Mode mode) {
    struct stat old {};
    if (exists) {
        // A file the user may not write is not replaced behind its back.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return Fail(errno);
        if (::stat(target.c_str(), &old) != 0) return Fail(errno);
    }
    std::string temporary = (std::filesystem::path(FolderOf(target)) / kTemporaryName).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return Fail(errno);
    m_fd = fd;
    m_temporary = temporary;
    m_target = target;
    m_inPlace = exists && old.st_nlink > 1;

    mode_t permissions = S_IRUSR | S_IWUSR;
    if (exists) {
        permissions = old.st_mode & 07777;
        // Owner and group as before where the system allows it; the group alone is often allowed.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0 &&
            ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Best effort: the file then belongs to whoever saves it.
        }
    }
    // After fchown, which may clear the set-id bits.
    if (::fchmod(fd, permissions) != 0) {
        const int error = errno;
        Discard();
        return Fail(error);
    }
    if (mode == Mode::Append && exists && !CopyExisting()) {
        Discard();
        return false;
    }
    return true;
}

bool SafeFileWriter::CopyExisting() {
    const int source = ::open(m_target.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return Fail(errno);
    std::array<char, 16384> chunk;
    int error = 0;
    char last = '\n';
    for (;;) {
        const ssize_t got = ::read(source, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) error = errno;
        if (got <= 0) break;
        const std::string_view bytes(chunk.data(), static_cast<std::size_t>(got));
        if (!WriteAll(m_fd, bytes, error)) break;
        last = bytes.back();
    }
    ::close(source);
    if (error != 0) return Fail(error);
    m_endsMidLine = last != '\n';
    return true;
}

bool SafeFileWriter::Flush() {
    if (m_failed) return false;
    int error = 0;
    bool written = true;
    if (m_direct) {
        PipeSignalGuard guard;
        written = WriteAll(m_fd, m_buffer, error);
        if (!written && error == EPIPE) guard.Raised();
    } else {
        written = WriteAll(m_fd, m_buffer, error);
    }
    m_buffer.clear();
    if (!written) {
        m_failed = true;
        Fail(error);
    }
    return written;
}

bool SafeFileWriter::Write(std::string_view bytes) {
    if (m_fd < 0) return Fail(EBADF);
    if (m_failed) return false;
    m_buffer.append(bytes);
    return m_buffer.size() < kFlushSize || Flush();
}

bool SafeFileWriter::Write(std::span<const std::uint8_t> bytes) {
    return Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool SafeFileWriter::Commit() {
    if (m_fd < 0) return Fail(EBADF);
    bool complete = Flush();
    if (complete && !m_direct && ::fsync(m_fd) != 0) complete = Fail(errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (complete && closed != 0) complete = Fail(errno);
    if (m_direct) {
        m_direct = false;
        return complete;
    }
    if (complete && m_inPlace) return CommitInPlace();
    if (complete && ::rename(m_temporary.c_str(), m_target.c_str()) != 0) complete = Fail(errno);
    if (!complete) {
        Discard();
        return false;
    }
    m_temporary.clear();
    // The rename is on the disk only once the folder is.
    SyncFolder(FolderOf(m_target));
    return true;
}

bool SafeFileWriter::CommitInPlace() {
    if (!CopyIntoTarget()) {
        // The target may be half new now: the complete new contents stay where the user can find them.
        m_reason += "; the new contents are in " + m_temporary;
        m_temporary.clear();
        Discard();
        return false;
    }
    Discard();
    return true;
}

bool SafeFileWriter::CopyIntoTarget() {
    const int source = ::open(m_temporary.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return Fail(errno);
    // Non-blocking, so that a FIFO put in the target's place meanwhile cannot hold the save up.
    const int target = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (target < 0) {
        const int error = errno;
        ::close(source);
        return Fail(error);
    }
    struct stat found {};
    bool copied = ::fstat(target, &found) == 0 ? true : Fail(errno);
    if (copied && !S_ISREG(found.st_mode)) copied = Refuse("Is not a regular file");
    std::array<char, 65536> chunk;
    off_t length = 0;
    int error = 0;
    while (copied) {
        const ssize_t got = ::read(source, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) copied = Fail(errno);
        if (got <= 0) break;
        if (!WriteAll(target, std::string_view(chunk.data(), static_cast<std::size_t>(got)), error)) {
            copied = Fail(error);
        }
        length += got;
    }
    // Written over the old bytes from the start: what lies beyond the new end is the old file's tail.
    if (copied && ::ftruncate(target, length) != 0) copied = Fail(errno);
    if (copied && ::fsync(target) != 0) copied = Fail(errno);
    if (::close(target) != 0 && copied) copied = Fail(errno);
    ::close(source);
    return copied;
}

void SafeFileWriter::Discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
    m_target.clear();
    m_buffer.clear();
    m_direct = false;
    m_failed = false;
    m_endsMidLine = false;
    m_inPlace = false;
}

}  // namespace quillet::files
