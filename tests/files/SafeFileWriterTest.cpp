// The saving routine on every kind of target: links, special files, refused kinds, long names, failures
// half way, permissions, and the archive's append.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "files/SafeFileWriter.h"
#include "support/TemporaryFolder.h"

namespace quillet::files {
namespace {

using testing::ReadFileBytes;
using testing::TemporaryFolder;
using testing::WriteFileBytes;
using Mode = SafeFileWriter::Mode;

// Saves `bytes` to `path`: "" when saved, else the reason the writer gave.
std::string Save(const std::string& path, std::string_view bytes, Mode mode = Mode::Replace) {
    SafeFileWriter writer;
    if (!writer.Open(path, mode)) return "open: " + writer.Reason();
    if (!writer.Write(bytes) || !writer.Commit()) return "write: " + writer.Reason();
    return "";
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode;
}

std::set<std::string> Names(const TemporaryFolder& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(SafeFileWriter, SavesThroughLinksAndKeepsThem) {
    struct Case {
        const char* name;
        std::function<void(const TemporaryFolder&)> setUp;
        const char* saveTo;
        const char* lands;  // the regular file that receives the bytes
        std::set<std::string> links;
    };
    const auto file = [](const TemporaryFolder& f) { WriteFileBytes(f.File("book.txt"), "old"); };
    const Case cases[] = {
        {"new file", [](const TemporaryFolder&) {}, "book.txt", "book.txt", {}},
        {"old file", file, "book.txt", "book.txt", {}},
        {"link",
         [&](const TemporaryFolder& f) {
             file(f);
             std::filesystem::create_symlink("book.txt", f.File("link"));
         },
         "link",
         "book.txt",
         {"link"}},
        {"chain through a folder",
         [&](const TemporaryFolder& f) {
             file(f);
             std::filesystem::create_directory(f.File("sub"));
             std::filesystem::create_symlink("../book.txt", f.File("sub/inner"));
             std::filesystem::create_symlink(f.File("sub/inner"), f.File("outer"));
         },
         "outer",
         "book.txt",
         {"outer", "sub/inner"}},
        {"dangling link",
         [](const TemporaryFolder& f) { std::filesystem::create_symlink("made.txt", f.File("link")); },
         "link",
         "made.txt",
         {"link"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TemporaryFolder folder;
        test.setUp(folder);
        const std::set<std::string> before = Names(folder);
        EXPECT_EQ(Save(folder.File(test.saveTo), "new contents"), "");
        EXPECT_EQ(ReadFileBytes(folder.File(test.lands)), "new contents");
        EXPECT_TRUE(S_ISREG(ModeOf(folder.File(test.lands))));
        for (const std::string& link : test.links) EXPECT_TRUE(S_ISLNK(ModeOf(folder.File(link)))) << link;
        // Nothing beside the target: the temporary file is gone.
        std::set<std::string> expected = before;
        expected.insert(std::filesystem::path(test.lands).filename().string());
        EXPECT_EQ(Names(folder), expected);
    }
}

TEST(SafeFileWriter, ReplacementKeepsPermissionsAndNewFilesAreTheOwners) {
    TemporaryFolder folder;
    const mode_t oldMask = ::umask(0);  // a new file's mode must not depend on the umask
    for (const mode_t kept : {0640, 0604, 0755, 02750}) {
        SCOPED_TRACE(kept);
        const std::string path = folder.File("kept");
        WriteFileBytes(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), kept), 0);
        EXPECT_EQ(Save(path, "new"), "");
        EXPECT_EQ(ModeOf(path) & 07777, kept);
    }
    EXPECT_EQ(Save(folder.File("fresh"), "new"), "");
    EXPECT_EQ(ModeOf(folder.File("fresh")) & 07777, 0600u);
    EXPECT_EQ(Save(folder.File("fresh.sma"), "new", Mode::Append), "");
    EXPECT_EQ(ModeOf(folder.File("fresh.sma")) & 07777, 0600u);
    ::umask(oldMask);
}

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_ino;
}

// A file with two names: "one" and "two" in the folder.
void MakeTwoNames(const TemporaryFolder& folder, const std::string& old) {
    WriteFileBytes(folder.File("one"), old);
    ASSERT_EQ(::chmod(folder.File("one").c_str(), 0640), 0);
    ASSERT_EQ(::link(folder.File("one").c_str(), folder.File("two").c_str()), 0);
}

// Renaming over one name of a hard-linked file would part the names: the file itself takes the bytes.
TEST(SafeFileWriter, AFileWithSeveralNamesIsWrittenInPlace) {
    struct Case {
        const char* name;
        std::string old;
        std::string bytes;
        Mode mode;
        std::string expected;
        bool throughLink;
    };
    const std::string large(200000, 'L');  // more than one copy chunk and one flush
    const Case cases[] = {
        {"shorter", "OLD OLD OLD\n", "NEW\n", Mode::Replace, "NEW\n", false},
        {"longer", "OLD\n", large, Mode::Replace, large, false},
        {"append", "a\r\nb", "c", Mode::Append, "a\r\nbc", false},
        {"through a symbolic link", "OLD\n", "NEW\n", Mode::Replace, "NEW\n", true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TemporaryFolder folder;
        MakeTwoNames(folder, test.old);
        std::set<std::string> names = {"one", "two"};
        std::string path = folder.File("two");
        if (test.throughLink) {
            std::filesystem::create_symlink("two", folder.File("link"));
            path = folder.File("link");
            names.insert("link");
        }
        const ino_t inode = InodeOf(folder.File("one"));
        EXPECT_EQ(Save(path, test.bytes, test.mode), "");
        EXPECT_EQ(ReadFileBytes(folder.File("one")), test.expected);
        EXPECT_EQ(ReadFileBytes(folder.File("two")), test.expected);
        EXPECT_EQ(InodeOf(folder.File("one")), inode);
        EXPECT_EQ(InodeOf(folder.File("two")), inode);
        EXPECT_EQ(ModeOf(folder.File("two")) & 07777, 0640u);
        EXPECT_EQ(Names(folder), names);  // no temporary file left
    }
}

TEST(SafeFileWriter, AFailedCopyIntoAFileWithSeveralNamesKeepsTheNewContents) {
    TemporaryFolder folder;
    const std::string old(2000, 'o');
    const std::string bytes(100000, 'n');
    MakeTwoNames(folder, old);
    // Failing while the temporary file is written: the file is as it was.
    {
        testing::FileSizeLimit limit(1000);
        EXPECT_EQ(Save(folder.File("two"), bytes), "write: " + std::string(std::strerror(EFBIG)));
    }
    EXPECT_EQ(ReadFileBytes(folder.File("one")), old);
    EXPECT_EQ(Names(folder), (std::set<std::string>{"one", "two"}));

    // Failing while the complete temporary file is copied in: it stays, and the reason names it.
    SafeFileWriter writer;
    ASSERT_TRUE(writer.Open(folder.File("two"), Mode::Replace));
    ASSERT_TRUE(writer.Write(bytes));  // large enough to reach the temporary file at once
    {
        testing::FileSizeLimit limit(50000);
        EXPECT_FALSE(writer.Commit());
    }
    std::set<std::string> kept = Names(folder);
    kept.erase("one");
    kept.erase("two");
    ASSERT_EQ(kept.size(), 1u);
    const std::string temporary = folder.File(*kept.begin());
    EXPECT_EQ(writer.Reason(), std::string(std::strerror(EFBIG)) + "; the new contents are in " + temporary);
    EXPECT_EQ(writer.Error(), EFBIG);
    EXPECT_EQ(ReadFileBytes(temporary), bytes);
    EXPECT_EQ(ModeOf(temporary) & 07777, 0640u);  // no more open to others than the file it was meant for
    EXPECT_EQ(InodeOf(folder.File("one")), InodeOf(folder.File("two")));
}

// Writes into a FIFO while a reader takes everything; the node stays a FIFO.
TEST(SafeFileWriter, FifosAndCharacterDevicesAreWrittenInPlace) {
    TemporaryFolder folder;
    const std::string fifo = folder.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(fifo, folder.File("to-pipe"));
    const std::string big(300000, 'x');  // more than the pipe holds at once
    for (const Mode mode : {Mode::Replace, Mode::Append}) {
        std::string received;
        std::thread reader([&] { received = ReadFileBytes(fifo); });
        EXPECT_EQ(Save(folder.File("to-pipe"), big, mode), "");
        // Should the save not have opened the FIFO, this one lets the reader go.
        ::close(::open(fifo.c_str(), O_RDWR));
        reader.join();
        EXPECT_EQ(received, big);
        EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
    }
    std::filesystem::create_symlink("/dev/null", folder.File("to-null"));
    for (const char* device : {"/dev/null", "to-null"}) {
        const std::string path = device[0] == '/' ? device : folder.File(device);
        EXPECT_EQ(Save(path, "gone"), "") << device;
        EXPECT_EQ(Save(path, "gone", Mode::Append), "") << device;
    }
    EXPECT_TRUE(S_ISCHR(ModeOf("/dev/null")));
    EXPECT_TRUE(S_ISLNK(ModeOf(folder.File("to-null"))));
    EXPECT_EQ(Names(folder), (std::set<std::string>{"pipe", "to-pipe", "to-null"}));
}

// A FIFO whose reader leaves early fails the save with a reason instead of ending the program.
TEST(SafeFileWriter, AReaderThatLeavesFailsTheSaveOnly) {
    TemporaryFolder folder;
    const std::string fifo = folder.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread reader([&] {
        const int fd = ::open(fifo.c_str(), O_RDONLY);
        char first[16];
        [[maybe_unused]] const ssize_t got = ::read(fd, first, sizeof first);
        ::close(fd);
    });
    const std::string result = Save(fifo, std::string(1 << 20, 'x'));
    reader.join();
    EXPECT_EQ(result, "write: " + std::string(std::strerror(EPIPE)));
    sigset_t pending;
    ::sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);  // nothing left to strike later
}

// A block device node nobody drives: even writing to it could not harm a disk.
bool MakeIdleBlockDevice(const std::string& path) {
    std::set<unsigned> used;
    std::ifstream devices("/proc/devices");
    std::string line;
    bool block = false;
    while (std::getline(devices, line)) {
        if (line.starts_with("Block")) block = true;
        unsigned major = 0;
        if (block && std::sscanf(line.c_str(), "%u", &major) == 1) used.insert(major);
    }
    for (unsigned major = 240; major <= 252; ++major) {
        if (!used.contains(major)) return ::mknod(path.c_str(), S_IFBLK | 0600, makedev(major, 0)) == 0;
    }
    return false;
}

TEST(SafeFileWriter, RefusedTargetsNameTheirReasonAndStayAsTheyWere) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder.File("folder"));
    std::filesystem::create_symlink("folder", folder.File("to-folder"));
    std::filesystem::create_symlink("loop-b", folder.File("loop-a"));
    std::filesystem::create_symlink("loop-a", folder.File("loop-b"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, folder.File("socket").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const bool haveBlock = MakeIdleBlockDevice(folder.File("block"));

    struct Case {
        const char* target;
        std::string reason;
    };
    std::vector<Case> cases = {
        {"folder", std::strerror(EISDIR)},  {"to-folder", std::strerror(EISDIR)},
        {"folder/", std::strerror(EISDIR)}, {"socket", "Is a socket"},
        {"loop-a", std::strerror(ELOOP)},   {"missing/book.txt", std::strerror(ENOENT)},
        {"", std::strerror(ENOENT)},
    };
    if (haveBlock) cases.push_back({"block", "Is a block device"});
    const std::set<std::string> before = Names(folder);
    for (const Case& test : cases) {
        for (const Mode mode : {Mode::Replace, Mode::Append}) {
            const std::string path = test.target[0] == '\0' ? "" : folder.File(test.target);
            EXPECT_EQ(Save(path, "bytes", mode), "open: " + test.reason) << test.target;
        }
    }
    EXPECT_EQ(Names(folder), before);
    EXPECT_TRUE(std::filesystem::is_empty(folder.File("folder")));
    EXPECT_TRUE(S_ISSOCK(ModeOf(folder.File("socket"))));
    if (haveBlock) {
        EXPECT_TRUE(S_ISBLK(ModeOf(folder.File("block"))));
    }
    ::close(sock);
}

// Runs `run` in a child process and gives back the text it returned.
std::string InChild(const std::function<std::string()>& run) {
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const std::string result = run();
        [[maybe_unused]] const ssize_t sent = ::write(channel[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char chunk[256];
    for (ssize_t got; (got = ::read(channel[0], chunk, sizeof chunk)) > 0;) result.append(chunk, got);
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return result;
}

// Runs `save` as an ordinary user, so that permissions count also for root: "" or the reason.
std::string AsOrdinaryUser(const std::function<std::string()>& save) {
    if (::geteuid() != 0) return save();
    return InChild([&] {
        const uid_t nobody = 65534;
        return ::setgid(nobody) == 0 && ::setuid(nobody) == 0 ? save() : "no user";
    });
}

// `-o /dev/stdout >> log`: a name of a descriptor the program inherited is written through that
// descriptor. Renaming would replace the log, reopening would lose O_APPEND and write over its start.
TEST(SafeFileWriter, InheritedDescriptorsAreWrittenWhereTheyStand) {
    TemporaryFolder folder;
    const std::string log = folder.File("log");
    std::filesystem::create_symlink("/dev/stdout", folder.File("to-stdout"));
    std::filesystem::create_directory(folder.File("sub"));
    std::filesystem::create_symlink("../to-stdout", folder.File("sub/chain"));
    struct Case {
        std::function<std::string()> path;  // named in the child, where the process id is its own
        int descriptor;
    };
    const Case cases[] = {
        {[] { return "/dev/stdout"; }, 1},
        {[] { return "/dev/stderr"; }, 2},
        {[] { return "/dev/fd/7"; }, 7},
        {[] { return "/proc/self/fd/7"; }, 7},
        {[] { return "/proc/" + std::to_string(::getpid()) + "/fd/1"; }, 1},
        {[&] { return folder.File("sub/chain"); }, 1},
    };
    for (const Case& test : cases) {
        for (const Mode mode : {Mode::Replace, Mode::Append}) {
            WriteFileBytes(log, "old\n");
            const std::string result = InChild([&] {
                const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND);
                if (fd < 0 || ::dup2(fd, test.descriptor) < 0) return std::string("no descriptor");
                const std::string path = test.path();
                const std::string saved = Save(path, "new\n", mode);
                return saved.empty() ? saved : path + ": " + saved;
            });
            EXPECT_EQ(result, "");
            EXPECT_EQ(ReadFileBytes(log), "old\nnew\n") << result;
        }
    }
    // A descriptor open for reading only is refused before anything is written.
    WriteFileBytes(log, "old\n");
    EXPECT_EQ(InChild([&] {
                  const int fd = ::open(log.c_str(), O_RDONLY);
                  return fd >= 0 && ::dup2(fd, 7) == 7 ? Save("/dev/fd/7", "new\n") : "no descriptor";
              }),
              "open: " + std::string(std::strerror(EBADF)));
    EXPECT_EQ(ReadFileBytes(log), "old\n");
    EXPECT_EQ(Names(folder), (std::set<std::string>{"log", "to-stdout", "sub"}));
}

TEST(SafeFileWriter, ReadOnlyFoldersAndFilesAreRefused) {
    TemporaryFolder folder;
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
    const std::string locked = folder.File("locked");
    std::filesystem::create_directory(locked);
    WriteFileBytes(locked + "/book.txt", "old");
    ASSERT_EQ(::chmod((locked + "/book.txt").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    // A file the user may not write, in a folder where anybody may make files.
    const std::string open = folder.File("open");
    std::filesystem::create_directory(open);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    const std::string readOnly = open + "/read-only.txt";
    WriteFileBytes(readOnly, "old");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);

    const std::string denied = "open: " + std::string(std::strerror(EACCES));
    for (const Mode mode : {Mode::Replace, Mode::Append}) {
        EXPECT_EQ(AsOrdinaryUser([&] { return Save(locked + "/book.txt", "new", mode); }), denied);
        EXPECT_EQ(AsOrdinaryUser([&] { return Save(locked + "/other.txt", "new", mode); }), denied);
        EXPECT_EQ(AsOrdinaryUser([&] { return Save(readOnly, "new", mode); }), denied);
    }
    EXPECT_EQ(ReadFileBytes(locked + "/book.txt"), "old");
    EXPECT_EQ(ReadFileBytes(readOnly), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(open), {}), 1);
    ::chmod(locked.c_str(), 0755);
}

TEST(SafeFileWriter, NamesUpToTheLongestTheSystemAllows) {
    TemporaryFolder folder;
    for (const std::size_t length : {250u, 255u}) {
        const std::string path = folder.File(std::string(length, 'n'));
        EXPECT_EQ(Save(path, "first"), "") << length;
        EXPECT_EQ(Save(path, "second"), "") << length;
        EXPECT_EQ(Save(path, " and more", Mode::Append), "") << length;
        EXPECT_EQ(ReadFileBytes(path), "second and more");
    }
    EXPECT_EQ(Save(folder.File(std::string(256, 'n')), "x"), "open: " + std::string(std::strerror(ENAMETOOLONG)));
    EXPECT_EQ(folder.Entries(), 2);
}

TEST(SafeFileWriter, AFailureHalfWayKeepsTheOldFileWhole) {
    TemporaryFolder folder;
    const std::string path = folder.File("book.txt");
    const std::string old(2000, 'o');
    WriteFileBytes(path, old);
    {
        testing::FileSizeLimit limit(1000);  // the disk fills up in the middle of the save
        EXPECT_EQ(Save(path, std::string(100000, 'n')), "write: " + std::string(std::strerror(EFBIG)));
        EXPECT_EQ(Save(path, std::string(1500, 'n')), "write: " + std::string(std::strerror(EFBIG)));  // on Commit
        EXPECT_EQ(Save(path, "n", Mode::Append), "open: " + std::string(std::strerror(EFBIG)));
    }
    // A device that is always full, behind a link.
    std::filesystem::create_symlink("/dev/full", folder.File("full"));
    EXPECT_EQ(Save(folder.File("full"), "n"), "write: " + std::string(std::strerror(ENOSPC)));
    EXPECT_TRUE(S_ISCHR(ModeOf("/dev/full")));
    // Dropped before Commit.
    {
        SafeFileWriter writer;
        ASSERT_TRUE(writer.Open(path, Mode::Replace));
        EXPECT_TRUE(writer.Write("never"));
    }
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(Names(folder), (std::set<std::string>{"book.txt", "full"}));
}

TEST(SafeFileWriter, AppendKeepsTheOldBytesInFront) {
    TemporaryFolder folder;
    const std::string path = folder.File("box.sma");
    struct Case {
        std::string old;
        bool endsMidLine;
    };
    for (const Case& test : {Case{"a\r\nb", true}, Case{"a\r\n", false}, Case{"", false}}) {
        WriteFileBytes(path, test.old);
        SafeFileWriter writer;
        ASSERT_TRUE(writer.Open(path, Mode::Append));
        EXPECT_EQ(writer.EndsMidLine(), test.endsMidLine) << test.old;
        EXPECT_TRUE(writer.Write("new") && writer.Commit());
        EXPECT_EQ(ReadFileBytes(path), test.old + "new");
    }
    // A large archive is copied whole.
    const std::string large(200000, 'L');
    WriteFileBytes(path, large);
    EXPECT_EQ(Save(path, "+", Mode::Append), "");
    EXPECT_EQ(ReadFileBytes(path), large + "+");
    EXPECT_EQ(folder.Entries(), 1);
}

}  // namespace
}  // namespace quillet::files
