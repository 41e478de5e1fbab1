// quillet-cli on a virtual card file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "CliOnCard.h"

namespace quillet::cli {
namespace {

class Cli : public testing::CliOnCard {
protected:
    std::string File(const std::string& name, const std::string& content) {
        const std::string path = m_folder.File(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    long ErrLines() const {
        const std::string text = err.str();
        return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
    }
    // Runs `body` in a child process and gives its exit status; -1 when it did not end normally.
    static int ExitInChild(const std::function<int()>& body) {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(body());
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }
    // A card command was sent: --trace shows each one.
    bool CardWasTouched() const { return Contains(err.str(), "> "); }
};

TEST_F(Cli, ReadsAndWritesNetworkLists) {
    ASSERT_EQ(Run({"--pin", "1234", "networks", "read"}), kExitOk) << err.str();
    EXPECT_NE(out.str().find("1: 232-01"), std::string::npos) << out.str();
    ASSERT_EQ(Run({"--pin", "1234", "networks", "write", "--forbidden", "230-03", "310-150"}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "networks", "read", "--forbidden"}), kExitOk);
    EXPECT_NE(out.str().find("1: 230-03"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("2: 310-150"), std::string::npos) << out.str();
}

TEST_F(Cli, PinCommandsChangeTheCard) {
    EXPECT_EQ(Run({"--pin", "1234", "pin", "verify"}), kExitOk) << err.str();
    EXPECT_EQ(Run({"--pin", "0000", "pin", "verify"}), kExitCardFailure);
    EXPECT_NE(err.str().find("Communication error:\nNo valid PIN entered"), std::string::npos) << err.str();
    EXPECT_EQ(Card().chv1.attemptsLeft, 2);
    EXPECT_EQ(Run({"pin", "change", "1234", "4321"}), kExitOk) << err.str();
    EXPECT_EQ(Card().chv1.digits, "4321");
    EXPECT_EQ(Run({"pin", "disable", "4321"}), kExitOk) << err.str();
    EXPECT_FALSE(Card().chv1Enabled);
    EXPECT_EQ(Run({"pin2", "unblock", "87654321", "2468"}), kExitOk) << err.str();
    EXPECT_EQ(Card().chv2.digits, "2468");
    // --pin2 after the command words.
    EXPECT_EQ(Run({"pin2", "verify", "--pin2", "2468"}), kExitOk) << err.str();
}

// Standard output gets exactly the bytes the file would hold, and no message meant for -o. (Trips
// through the files and back are the file round trip tests'.)
TEST_F(Cli, ReadingToStandardOutputGivesTheFileItself) {
    for (const std::string area : {"phonebook", "sms"}) {
        const std::string path = m_folder.File(area + ".txt");
        ASSERT_EQ(Run({"--pin", "1234", area, "read", "-o", path}), kExitOk) << err.str();
        ASSERT_EQ(Run({"--pin", "1234", area, "read"}), kExitOk) << err.str();
        EXPECT_EQ(out.str(), testing::ReadFileBytes(path)) << area;
        EXPECT_EQ(err.str(), "") << area;
    }
}

// What a failed read leaves behind (an empty file), a file that is not there, a folder and a file
// that is not a phone book or message file never reach the card, not even with --yes.
TEST_F(Cli, AFileWithoutEntriesNeverReachesTheCard) {
    ASSERT_EQ(Run({"--pin", "1243", "phonebook", "read"}), kExitCardFailure);
    const std::string failedRead = File("failed.dia", out.str());
    const sim::SimProfile before = Card();
    struct Case {
        std::string area;
        std::string path;
        int exit;
        std::string reason;
    };
    const Case cases[] = {
        {"phonebook", failedRead, kExitFileError, "failed.dia holds no entries; nothing was written to the card"},
        {"sms", File("empty.sms", ""), kExitFileError, "empty.sms holds no messages; nothing was written"},
        {"phonebook", m_folder.File("missing.dia"), kExitFileError, "missing.dia: No such file or directory"},
        {"sms", m_folder.Path().string(), kExitFileError, "it is a folder"},
        {"phonebook", File("text.dia", "just some text\n"), kExitFileError, "text.dia, line 1: nothing was written"},
        {"sms", File("text.sms", "just some text\n"), kExitFileError, "text.sms: nothing was written"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(Run({"--pin", "1234", "--trace", test.area, "write", test.path, "--yes"}), test.exit) << test.path;
        EXPECT_TRUE(Contains(err.str(), test.reason)) << err.str();
        EXPECT_FALSE(CardWasTouched()) << err.str();
    }
    EXPECT_EQ(Card().files, before.files);
}

// A file that leaves a used position of the card empty would clear it: without a terminal that
// needs --yes, given anywhere on the line.
TEST_F(Cli, AWriteThatClearsUsedEntriesNeedsYes) {
    struct Case {
        std::string area;
        std::string firstLine;  // the entry the edited file leaves out
    };
    for (const Case& test : {Case{"phonebook", "1\tJ"}, Case{"sms", "1\t>"}}) {
        const std::string path = m_folder.File(test.area + ".txt");
        ASSERT_EQ(Run({"--pin", "1234", test.area, "read", "-o", path}), kExitOk) << err.str();
        const std::string whole = testing::ReadFileBytes(path);
        ASSERT_TRUE(whole.starts_with(test.firstLine)) << whole;
        File(test.area + ".txt", whole.substr(whole.find('\n') + 1));
        const sim::SimProfile before = Card();

        EXPECT_EQ(Run({"--pin", "1234", test.area, "write", path}), kExitUsage) << test.area;
        EXPECT_EQ(err.str(), "quillet-cli: 1 used entry of the card would be cleared; give --yes to allow that\n");
        EXPECT_EQ(Card().files, before.files) << test.area;

        EXPECT_EQ(Run({"--pin", "1234", test.area, "write", path, "--yes"}), kExitOk) << err.str();
        ASSERT_EQ(Run({"--pin", "1234", test.area, "read"}), kExitOk);
        EXPECT_FALSE(out.str().starts_with(test.firstLine)) << out.str();
        EXPECT_EQ(out.str(), whole.substr(whole.find('\n') + 1)) << test.area;
    }
}

// An entry numbered beyond the card's records goes to a free record, and the user learns which.
TEST_F(Cli, AnEntryBeyondTheCardIsReportedWhereItWent) {
    struct Case {
        std::string area;
        std::string extraLine;
        std::string notice;
        std::string readBack;
    };
    const Case cases[] = {
        {"phonebook", "130\tOverflow\t+420123456\r\n", "Entry 130 was written to record 6.\n", "6\tOverflow\t"},
        {"sms", "50\t>+420603052000\t>+420603123456\t>03.12.01 14:25\t0\t0\t>far\r\n",
         "Message 50 was written to record 8.\n", "8\t>+420603052000\t>+420603123456\t>03.12.01 14:25\t0\t0\t>far"},
    };
    for (const Case& test : cases) {
        const std::string path = m_folder.File(test.area + ".txt");
        ASSERT_EQ(Run({"--pin", "1234", test.area, "read", "-o", path}), kExitOk) << err.str();
        File(test.area + ".txt", testing::ReadFileBytes(path) + test.extraLine);
        ASSERT_EQ(Run({"--pin", "1234", test.area, "write", path}), kExitOk) << err.str();
        EXPECT_EQ(err.str(), test.notice);
        ASSERT_EQ(Run({"--pin", "1234", test.area, "read"}), kExitOk);
        EXPECT_TRUE(Contains(out.str(), test.readBack)) << out.str();
    }
}

TEST_F(Cli, SmsParametersTakeOnlyWhatTheDialogAccepts) {
    ASSERT_EQ(Run({"--pin", "1234", "smsp", "write", "--centre", "+420603052000", "--validity", "7 days"}), kExitOk)
        << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "smsp", "read"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "centre: +420603052000\nvalidity: 7 days\n");
    const sim::SimProfile before = Card();
    struct Case {
        std::string centre;
        std::string validity;
        std::string reason;
    };
    const Case refused[] = {
        {"+42O603", "1 day", "Badly-entered SMS center number \"+42O603\""},
        {"+42F603", "1 day", "Badly-entered SMS center number \"+42F603\""},
        {"", "1 day", "Badly-entered SMS center number \"\""},
        {"+", "1 day", "Badly-entered SMS center number"},
        {"123456789012345678901", "1 day", "Badly-entered SMS center number"},
        {"+420603052000", "1 week", "\"1 week\" is not one of \"60 mins\", \"1 day\", \"7 days\" or \"364 days\""},
        {"+420603052000", "foo", "is not one of"},
        {"+420603052000", "24.12.24 10:00", "is not one of"},
    };
    for (const Case& test : refused) {
        EXPECT_EQ(Run({"--pin", "1234", "smsp", "write", "--centre", test.centre, "--validity", test.validity}),
                  kExitUsage);
        EXPECT_TRUE(Contains(err.str(), test.reason)) << err.str();
        EXPECT_EQ(ErrLines(), 1) << err.str();
    }
    EXPECT_EQ(Card().files, before.files);
    // Twenty digits is what the record holds.
    ASSERT_EQ(Run({"smsp", "write", "--centre", "+12345678901234567890", "--validity", "364 days", "--pin", "1234"}),
              kExitOk)
        << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "smsp", "read"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "centre: +12345678901234567890\nvalidity: 364 days\n");
}

TEST_F(Cli, ABackupRestoresTheChosenPartsOnly) {
    const std::string backup = m_folder.File("card.sim");
    ASSERT_EQ(Run({"--pin", "1234", "backup", backup}), kExitOk) << err.str();
    EXPECT_NE(err.str().find("Backup of SIM Card successfully completed"), std::string::npos) << err.str();
    const sim::SimProfile original = Card();

    ASSERT_EQ(Run({"--pin", "1234", "networks", "write", "262-01"}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "smsp", "write", "--centre", "+1", "--validity", "60 mins"}), kExitOk);
    ASSERT_EQ(Run({"--pin", "1234", "restore", backup, "--only", "networks"}), kExitOk) << err.str();
    sim::SimProfile restored = Card();
    EXPECT_EQ(restored.FindFile(0x7F20, 0x6F30)->content, original.FindFile(0x7F20, 0x6F30)->content);
    EXPECT_NE(restored.FindFile(0x7F10, 0x6F42)->records, original.FindFile(0x7F10, 0x6F42)->records);

    ASSERT_EQ(Run({"--pin", "1234", "--pin2", "5678", "restore", backup}), kExitOk) << err.str();
    EXPECT_EQ(Card().FindFile(0x7F10, 0x6F42)->records, original.FindFile(0x7F10, 0x6F42)->records);

    EXPECT_EQ(Run({"restore", m_folder.File("missing.sim")}), kExitFileError);
    EXPECT_EQ(Run({"--pin", "1234", "backup", m_folder.File("no-such-folder/card.sim")}), kExitFileError);
}

// A restore empties what the backup does not hold, so an entry added since the backup goes only
// when the user agrees.
TEST_F(Cli, ARestoreThatClearsUsedEntriesNeedsYes) {
    const std::string backup = m_folder.File("card.sim");
    ASSERT_EQ(Run({"--pin", "1234", "backup", backup}), kExitOk) << err.str();
    const std::string book = m_folder.File("book.dia");
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read", "-o", book}), kExitOk) << err.str();
    File("book.dia", testing::ReadFileBytes(book) + "6\tAdded later\t12345\r\n");
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "write", book}), kExitOk) << err.str();
    const sim::SimProfile before = Card();

    EXPECT_EQ(Run({"--pin", "1234", "restore", backup, "--only", "phonebook"}), kExitUsage);
    EXPECT_EQ(err.str(), "quillet-cli: 1 used entry of the card would be cleared; give --yes to allow that\n");
    EXPECT_EQ(Card().files, before.files);

    ASSERT_EQ(Run({"--pin", "1234", "restore", backup, "--only", "phonebook", "--yes"}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read"}), kExitOk);
    EXPECT_EQ(out.str().find("Added later"), std::string::npos) << out.str();
}

// A virtual card keeps its changes in its file: when that cannot be saved (here: a file size limit
// smaller than the card file), no command that changed the card ends as a success.
TEST_F(Cli, AVirtualCardWhoseFileCannotBeSavedIsAFailure) {
    const std::string book = File("book.dia", "1\tOnly entry\t12345\r\n");
    const std::string backup = m_folder.File("card.sim");
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "write", "--yes", book}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "backup", backup}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "write", "--yes", File("other.dia", "1\tOther\t9\r\n")}), kExitOk);
    const sim::SimProfile before = Card();
    const std::vector<std::vector<std::string>> commands = {
        {"--pin", "1234", "--yes", "phonebook", "write", book},
        {"--pin", "1234", "smsp", "write", "--centre", "+420603052099", "--validity", "1 day"},
        {"--pin", "1234", "--pin2", "5678", "--yes", "restore", backup},
        {"--pin", "1234", "--yes", "restore", backup, "--only", "phonebook"},
    };
    for (const auto& command : commands) {
        const int exit = ExitInChild([&] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &small);
            const int code = Run(command);
            return Contains(err.str(), "the card's changes were not saved: ") ? code : 100;
        });
        EXPECT_EQ(exit, kExitFileError) << command.back();
        EXPECT_EQ(Card().files, before.files) << command.back();
    }
}

// A file holds 250 phone-book positions and 99 messages; a card with more records hears what was left out.
TEST_F(Cli, EntriesBeyondTheFilesPositionsAreNamed) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records;
    adn.resize(254, adn[1]);  // copies of an entry with extension digits, up to the largest phone book
    auto& sms = profile.FindFile(0x7F10, 0x6F3C)->records;
    sms.resize(105, sms[0]);
    Save(profile);

    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read"}), kExitOk) << err.str();
    EXPECT_EQ(err.str(), "quillet-cli: 4 entries of the card beyond record 250 are not in the file\n");
    EXPECT_TRUE(out.str().ends_with("\r\n250\tBank Hotline\t+420221234567p1234p987654\r\n")) << out.str();
    ASSERT_EQ(Run({"--pin", "1234", "sms", "read"}), kExitOk) << err.str();
    EXPECT_EQ(err.str(), "quillet-cli: 6 messages of the card beyond record 99 are not in the file\n");
    EXPECT_TRUE(Contains(out.str(), "\r\n99\t>")) << out.str();
    EXPECT_FALSE(Contains(out.str(), "\r\n100\t")) << out.str();

    // Writing a file back keeps those records, and says so.
    const std::string book = m_folder.File("book.dia");
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read", "-o", book}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "write", book}), kExitOk) << err.str();
    EXPECT_EQ(err.str(), "quillet-cli: 4 entries of the card beyond record 250 are left as they are\n");
    EXPECT_EQ(Card().FindFile(0x7F10, 0x6F3A)->records, adn);
}

// What cannot be written to standard output (a full disk, a closed pipe) is a file error, not a
// complete file.
TEST_F(Cli, OutputThatCannotBeWrittenIsAFileError) {
    std::ostream broken(nullptr);
    std::vector<std::string> arguments = {"--device", "VIRTUAL:" + m_card, "--pin", "1234", "phonebook", "read"};
    EXPECT_EQ(RunCli(arguments, broken, err), kExitFileError);
    EXPECT_TRUE(Contains(err.str(), "cannot write to standard output")) << err.str();
}

TEST_F(Cli, NetworksBeyondTheCardsSlotsAreRefusedWithTheCounts) {
    std::vector<std::string> line = {"--pin", "1234", "networks", "write"};
    for (int network = 1; network <= 13; ++network) line.push_back("230-" + std::to_string(network + 10));
    const sim::SimProfile before = Card();
    EXPECT_EQ(Run(line), kExitUsage);
    EXPECT_EQ(err.str(), "quillet-cli: 13 networks given, the card has 12 slots; nothing was written\n");
    EXPECT_EQ(Card().files, before.files);
    line.pop_back();
    EXPECT_EQ(Run(line), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "networks", "read"}), kExitOk);
    EXPECT_TRUE(Contains(out.str(), "12: 230-22")) << out.str();
}

// The unknown network's name is Windows-1250 text: a terminal gets it in its own character set
// (the tests run in the C locale, so plain ASCII).
TEST_F(Cli, NetworkNamesAreShownInTheTerminalsCharacters) {
    ASSERT_EQ(Run({"--pin", "1234", "networks", "write", "--forbidden", "999-01"}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "networks", "read", "--forbidden"}), kExitOk) << err.str();
    const std::string shown = out.str();
    EXPECT_TRUE(shown.starts_with("1: 999-01 Nezn")) << shown;
    EXPECT_TRUE(std::all_of(shown.begin(), shown.end(), [](char c) { return (c & 0x80) == 0; })) << shown;
}

TEST_F(Cli, DeviceProblemsNameTheirCause) {
    const std::string broken = File("broken.json", "{");
    struct Case {
        std::string device;
        int exit;
        std::string reason;
    };
    const Case cases[] = {
        {"VIRTUAL:" + m_folder.File("missing.json"), kExitFileError, "missing.json: No such file or directory"},
        {"VIRTUAL:" + m_folder.Path().string(), kExitFileError, "it is a folder"},
        {"VIRTUAL:" + broken, kExitCardFailure, "broken.json is not a card file"},
        {"COM9", kExitUsage, "unknown device \"COM9\"; use COM1 ... COM8, PCSC:<reader>"},
        {"VIRTUAL:", kExitUsage, "unknown device"},
        {"NOTHING", kExitUsage,
         "no reader is chosen (device NOTHING); choose one with --device NAME or $QUILLET_DEVICE"},
    };
    for (const Case& test : cases) {
        err.str("");
        EXPECT_EQ(RunCli({"--pin", "1234", "pin", "verify", "--device", test.device}, out, err), test.exit);
        EXPECT_TRUE(Contains(err.str(), test.reason)) << err.str();
        EXPECT_EQ(ErrLines(), 1) << err.str();
        EXPECT_FALSE(Contains(err.str(), "menu")) << err.str();
    }
}

// Without a terminal a code that was not given cannot be asked for: that is said, with the option.
TEST_F(Cli, ACodeNobodyCouldGiveIsNamed) {
    const std::string fdn = m_folder.File("fdn.dia");
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read", "--fdn", "-o", fdn}), kExitOk) << err.str();
    struct Case {
        std::vector<std::string> line;
        std::string reason;
    };
    const Case cases[] = {
        {{"smsp", "read"}, "the card needs its PIN; give it with --pin CODE (there is no terminal to ask on)\n"},
        {{"backup", m_folder.File("card.sim")}, "give it with --pin CODE"},
        {{"phonebook", "write", "--fdn", fdn, "--pin", "1234"}, "the card needs PIN2; give it with --pin2 CODE"},
        {{"pin2", "verify"}, "give it with --pin2 CODE"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(Run(test.line), kExitUsage) << test.line[0];
        EXPECT_TRUE(Contains(err.str(), test.reason)) << err.str();
        EXPECT_EQ(ErrLines(), 1) << err.str();
    }
}

// Codes of the wrong shape never reach the card, wherever they stand.
TEST_F(Cli, MalformedCodesAreRefusedBeforeTheCard) {
    const std::vector<std::string> lines[] = {
        {"pin", "change", "1234", "123456789"},  {"pin", "change", "1234", "12a4"},
        {"pin", "change", "12", "1234"},         {"pin", "enable", "123"},
        {"pin", "unblock", "1234567", "1234"},   {"pin2", "unblock", "876543210", "5678"},
        {"--pin", "123456789", "pin", "verify"}, {"pin", "verify", "--pin", "abcd"},
        {"pin2", "verify", "--pin2", "123"},
    };
    const sim::SimProfile before = Card();
    for (std::vector<std::string> line : lines) {
        line.push_back("--trace");
        EXPECT_EQ(Run(line), kExitUsage) << line[1];
        EXPECT_TRUE(Contains(err.str(), "digits; see quillet-cli --help")) << err.str();
        EXPECT_FALSE(CardWasTouched()) << err.str();
    }
    EXPECT_EQ(Card(), before);
}

// A FIFO as the input gives all its bytes to the write. Opening it beforehand just to look would take
// them from the writer, and the write would then wait for ever or find the file empty or cut short,
// depending on who runs first: hence a few rounds.
TEST_F(Cli, AFifoIsReadByTheWriteItself) {
    const std::string book = m_folder.File("book.dia");
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read", "-o", book}), kExitOk) << err.str();
    std::string sent = testing::ReadFileBytes(book);
    const std::size_t seventh = sent.find("\r\n7\t");
    ASSERT_NE(seventh, std::string::npos) << sent;
    sent.insert(seventh + 2, "6\tThrough a pipe\t12345\r\n");
    const std::string fifo = m_folder.File("in.dia");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (int round = 0; round < 5; ++round) {
        const int exit = ExitInChild([&] {
            // A write that waits for ever fails the test instead of hanging it; each process has its own alarm.
            ::alarm(10);
            const pid_t writer = ::fork();
            if (writer == 0) {
                ::alarm(10);
                std::ofstream(fifo, std::ios::binary) << sent;
                ::_exit(0);
            }
            const int code = Run({"--pin", "1234", "--yes", "phonebook", "write", fifo});
            ::waitpid(writer, nullptr, 0);
            return code;
        });
        ASSERT_NE(exit, -1) << "the write did not end, round " << round;
        ASSERT_EQ(exit, kExitOk) << "round " << round;
        ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read"}), kExitOk) << err.str();
        ASSERT_EQ(out.str(), sent) << "round " << round;
    }
}

}  // namespace
}  // namespace quillet::cli
