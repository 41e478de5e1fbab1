#include "cli/CliApp.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include "app/ApplicationContext.h"
#include "app/SettingsStore.h"
#include <filesystem>
#include <fstream>
#include <sstream>

#include "backup/BackupFlows.h"
#include "backup/NetworkList.h"
#include "phonebook/DiaFile.h"
#include "phonebook/PhoneBookTransfer.h"
#include "sms/SmsFile.h"
#include "sms/SmsParameters.h"
#include "sms/SmsTransfer.h"
#include "backup/OperatorTable.h"
#include "card/ProcessPriority.h"
#include "cli/TerminalUserInterface.h"
#include "reader/ScLinkReader.h"
#include "resources/StringTable.h"

namespace quillet::cli {

namespace {

constexpr const char* kUsage =
    "Usage: quillet-cli [--device NAME] [--pin CODE] [--pin2 CODE] [--trace] COMMAND ...\n"
    "  readers                              the device names, PC/SC readers included\n"
    "  networks read [--forbidden]          the preferred (or forbidden) networks\n"
    "  networks write [--forbidden] MCC-MNC ...\n"
    "                                       replace the list (e.g. 230-01 262-02)\n"
    "  phonebook read [--fdn|--own|--last] [-o FILE]\n"
    "                                       the phone book as a *.DIA text (stdout without -o)\n"
    "  phonebook write [--fdn] FILE         replace the card's phone book (FDN: PIN2) by a *.DIA file\n"
    "  sms read [-o FILE]                   the messages as a *.SMS text (stdout without -o)\n"
    "  sms write FILE                       replace the card's messages by a *.SMS or *.SMA file\n"
    "  smsp read                            the card's SMS centre and validity period\n"
    "  smsp write --centre NUMBER --validity TEXT\n"
    "                                       e.g. --centre +420603052000 --validity \"24 hours\"\n"
    "  backup FILE                          save the whole card to a *.SIM backup file\n"
    "  restore FILE [--only PARTS]          write a *.SIM backup to the card; PARTS is a comma list\n"
    "                                       of phonebook,fdn,sms,smsp,networks (default: all)\n"
    "  pin verify [--pin2]                  check PIN (or PIN2)\n"
    "  pin change [--pin2] OLD NEW          change PIN (or PIN2)\n"
    "  pin enable CODE | pin disable CODE   switch the PIN on or off\n"
    "  pin unblock [--pin2] PUK NEW         unblock PIN (or PIN2) with its PUK\n"
    "NAME is COM1..COM8, PCSC:<reader>, PCMCIA FY-1300, RDXI DRIVER, VIRTUAL or VIRTUAL:<card file>\n"
    "(default: $QUILLET_DEVICE, else VIRTUAL). Codes not given are asked for on the terminal.\n"
    "Exit status: 0 done, 1 card failure, 2 wrong usage, 3 file error.\n";

struct Options {
    std::string device;
    std::optional<std::string> pin;
    std::optional<std::string> pin2;
    bool trace = false;
    std::vector<std::string> words;  // the command and its arguments
};

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char piece[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(piece, sizeof piece, "%02X", byte);
        text += piece;
    }
    return text;
}

// Takes the word if present, removing it.
bool TakeFlag(std::vector<std::string>& words, const std::string& flag) {
    for (auto word = words.begin(); word != words.end(); ++word) {
        if (*word == flag) {
            words.erase(word);
            return true;
        }
    }
    return false;
}

// A card command: open the reader, run the work inside a card session, report the outcome.
class CardCommand {
public:
    CardCommand(const Options& options, std::ostream& err)
        : m_err(err),
          m_ui(err, options.pin, options.pin2),
          m_readers(m_settings),
          m_context(m_readers, m_ui, m_priority),
          m_device(options.device),
          m_trace(options.trace) {}

    // Opens the reader and starts a session; false (with the message shown) when that fails.
    bool Start(bool askChv1, bool askChv2) {
        const reader::ReaderResult opened = m_context.OpenReaderByName(m_device);
        if (opened != reader::result::kOk) {
            m_context.Session().SetLastResult(opened);
            return Fail();
        }
        InstallTrace();
        Session().BeginProgress(nullptr, 5000, 5106);
        if (!Session().BeginSession(askChv1, askChv2, true)) return Fail();
        return true;
    }
    card::CardSession& Session() { return m_context.Session(); }
    card::UserInterface& Ui() { return m_ui; }
    // Opens the reader only: for the workers that talk to it themselves.
    bool OpenReader() {
        const reader::ReaderResult opened = m_context.OpenReaderByName(m_device);
        if (opened == reader::result::kOk) {
            InstallTrace();
            return true;
        }
        m_context.Session().SetLastResult(opened);
        m_ui.ShowMessage(m_context.Session().FormatLastError(), card::MessageIcon::Error);
        return false;
    }
    card::SessionHost& Host() { return m_context; }
    // Ends the session; the exit code of the command.
    int Finish(bool succeeded) {
        const std::string message = succeeded ? std::string() : Session().FormatLastError();
        Session().EndSession();
        Session().EndProgress(true);
        if (!succeeded) {
            m_ui.ShowMessage(message, card::MessageIcon::Error);
            return kExitCardFailure;
        }
        return kExitOk;
    }

private:
    // With --trace, every command and its status words go to stderr; PIN codes are withheld.
    void InstallTrace() {
        if (!m_trace) return;
        m_context.Reader()->SetTraceHook([this](const reader::TraceRecord& record) {
            m_err << "> " << Hex(record.header) << ' ' << (record.dataWithheld ? "(code withheld)" : Hex(record.data))
                  << " : " << Hex(std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(record.statusWord >> 8),
                                                             static_cast<std::uint8_t>(record.statusWord)})
                  << '\n';
        });
    }

    bool Fail() {
        m_ui.ShowMessage(Session().FormatLastError(), card::MessageIcon::Error);
        Session().EndSession();
        Session().EndProgress(true);
        return false;
    }

    std::ostream& m_err;
    TerminalUserInterface m_ui;
    app::MemorySettingsStore m_settings;
    app::SystemReaderFactory m_readers;
    card::PosixProcessPriority m_priority;
    app::ApplicationContext m_context;
    std::string m_device;
    bool m_trace;
};

int Readers(std::ostream& out) {
    std::vector<std::string> pcsc;
    reader::ScLinkReader::ListGatewayReaders(pcsc);
    for (const std::string& name : pcsc) out << "PCSC:" << name << '\n';
    for (int port = 1; port <= 8; ++port) out << "COM" << port << '\n';
    out << "PCMCIA FY-1300\nRDXI DRIVER\nVIRTUAL\n";
    return kExitOk;
}

int Networks(const Options& options, std::vector<std::string> words, std::ostream& out, std::ostream& err) {
    const bool forbidden = TakeFlag(words, "--forbidden");
    if (words.empty() || (words[0] != "read" && words[0] != "write") || (words[0] == "read" && words.size() != 1)) {
        err << kUsage;
        return kExitUsage;
    }
    std::vector<backup::PlmnEntry> list;
    if (words[0] == "write") {
        for (std::size_t index = 1; index < words.size(); ++index) {
            const std::string& code = words[index];
            const std::size_t dash = code.find('-');
            const std::string mcc = code.substr(0, dash);
            const std::string mnc = dash == std::string::npos ? "" : code.substr(dash + 1);
            const auto digits = [](const std::string& text, std::size_t low, std::size_t high) {
                return text.size() >= low && text.size() <= high && text.find_first_not_of("0123456789") == std::string::npos;
            };
            if (!digits(mcc, 3, 3) || !digits(mnc, 2, 3)) {
                err << "quillet-cli: \"" << code << "\" is not a network code such as 230-01\n";
                return kExitUsage;
            }
            backup::PlmnEntry entry{};
            entry.valid = 1;
            entry.mcc = static_cast<std::uint32_t>(std::stoul(mcc));
            entry.mnc = static_cast<std::uint32_t>(std::stoul(mnc));
            entry.threeDigitMnc = mnc.size() == 3 ? 1 : 0;
            list.push_back(entry);
        }
    }
    CardCommand command(options, err);
    if (!command.Start(true, false)) return kExitCardFailure;
    if (words[0] == "write") return command.Finish(backup::WriteNetworkList(command.Session(), list, forbidden));
    const bool read = backup::ReadNetworkList(command.Session(), list, forbidden);
    if (read) {
        for (std::size_t slot = 0; slot < list.size(); ++slot) {
            if (!list[slot].valid) continue;
            char code[16];
            std::snprintf(code, sizeof code, list[slot].HasThreeDigitMnc() ? "%03u-%03u" : "%03u-%02u", list[slot].mcc,
                          list[slot].mnc);
            std::string_view name;
            backup::LookupOperatorName(list[slot].mcc, list[slot].mnc, name);
            out << slot + 1 << ": " << code << ' ' << name << '\n';
        }
    }
    return command.Finish(read);
}

// Takes "-o FILE" if present; empty when absent.
std::string TakeOutput(std::vector<std::string>& words) {
    for (auto word = words.begin(); word != words.end(); ++word) {
        if (*word == "-o" && word + 1 != words.end()) {
            std::string path = *(word + 1);
            words.erase(word, word + 2);
            return path;
        }
    }
    return {};
}

// Writes a file through `save` to the path, or to a scratch file that is copied to `out`.
template <typename Save>
bool SaveTo(const std::string& path, std::ostream& out, Save save) {
    if (!path.empty()) return save(path);
    const std::string scratch =
        (std::filesystem::temp_directory_path() / ("quillet-cli-" + std::to_string(::getpid()) + ".txt")).string();
    const bool saved = save(scratch);
    if (saved) {
        std::ifstream in(scratch, std::ios::binary);
        out << in.rdbuf();
    }
    std::error_code ignored;
    std::filesystem::remove(scratch, ignored);
    return saved;
}

int PhoneBook(const Options& options, std::vector<std::string> words, std::ostream& out, std::ostream& err) {
    const std::string output = TakeOutput(words);
    std::uint16_t ef = phonebook::kAdnFile;
    if (TakeFlag(words, "--fdn")) ef = phonebook::kFdnFile;
    if (TakeFlag(words, "--own")) ef = phonebook::kMsisdnFile;
    if (TakeFlag(words, "--last")) ef = phonebook::kLndFile;
    const bool reading = !words.empty() && words[0] == "read" && words.size() == 1;
    const bool writing = !words.empty() && words[0] == "write" && words.size() == 2 &&
                         (ef == phonebook::kAdnFile || ef == phonebook::kFdnFile) && output.empty();
    if (!reading && !writing) {
        err << kUsage;
        return kExitUsage;
    }
    static std::array<phonebook::PhoneBookEntry, phonebook::kDiaPositions> entries;
    CardCommand command(options, err);
    if (writing) {
        for (std::size_t position = 0; position < entries.size(); ++position) {
            entries[position] = phonebook::EmptyPosition(static_cast<std::uint16_t>(position));
        }
        unsigned count = 0;
        phonebook::DiaReadOptions read;
        read.confirm = false;
        const phonebook::DiaReadResult result = phonebook::ReadDiaFile(words[1], read, entries, count, command.Ui());
        if (result.outcome != phonebook::DiaReadOutcome::Complete) return kExitFileError;
        for (auto& entry : entries) entry.modified = entry.used ? 1 : entry.modified;
        if (!command.Start(true, ef == phonebook::kFdnFile)) return kExitCardFailure;
        phonebook::PhoneBookWriteReport report;
        return command.Finish(phonebook::WritePhoneBook(command.Session(), ef, entries, report));
    }
    if (!command.Start(true, false)) return kExitCardFailure;
    phonebook::PhoneBookInfo info;
    if (!phonebook::ReadPhoneBook(command.Session(), ef, entries, info)) return command.Finish(false);
    const int finished = command.Finish(true);
    const bool saved = SaveTo(output, out, [&](const std::string& path) {
        return info.entryCount == 0 ||
               phonebook::WriteDiaFile(path, std::span(entries).first(info.entryCount), 1, info.entryCount, command.Ui());
    });
    return saved ? finished : kExitFileError;
}

int Sms(const Options& options, std::vector<std::string> words, std::ostream& out, std::ostream& err) {
    const std::string output = TakeOutput(words);
    const bool reading = !words.empty() && words[0] == "read" && words.size() == 1;
    const bool writing = !words.empty() && words[0] == "write" && words.size() == 2 && output.empty();
    if (!reading && !writing) {
        err << kUsage;
        return kExitUsage;
    }
    static std::array<sms::SmsEntry, 99> entries;
    CardCommand command(options, err);
    std::uint32_t count = 0;
    if (writing) {
        for (std::size_t position = 0; position < entries.size(); ++position) {
            entries[position] = sms::MakeEmptySmsEntry(static_cast<std::uint16_t>(position));
        }
        if (!sms::OpenSmsFile(words[1], entries, count, command.Ui())) return kExitFileError;
        for (auto& entry : entries) entry.modified = entry.used ? 1 : entry.modified;
        if (!command.Start(true, false)) return kExitCardFailure;
        sms::SmsWriteReport report;
        return command.Finish(sms::WriteSms(command.Session(), entries, report));
    }
    if (!command.Start(true, false)) return kExitCardFailure;
    if (!sms::ReadSmsFile(command.Session(), entries, count)) return command.Finish(false);
    const int finished = command.Finish(true);
    const bool saved = SaveTo(output, out, [&](const std::string& path) {
        return sms::SaveSmsFile(path, entries, count, command.Ui());
    });
    return saved ? finished : kExitFileError;
}

// Takes "NAME VALUE" if present; nothing when absent.
std::optional<std::string> TakeValue(std::vector<std::string>& words, const std::string& name) {
    for (auto word = words.begin(); word != words.end(); ++word) {
        if (*word == name && word + 1 != words.end()) {
            std::string value = *(word + 1);
            words.erase(word, word + 2);
            return value;
        }
    }
    return std::nullopt;
}

int SmsParameters(const Options& options, std::vector<std::string> words, std::ostream& out, std::ostream& err) {
    const std::optional<std::string> centre = TakeValue(words, "--centre");
    const std::optional<std::string> validity = TakeValue(words, "--validity");
    const bool reading = words.size() == 1 && words[0] == "read" && !centre && !validity;
    const bool writing = words.size() == 1 && words[0] == "write" && centre && validity;
    if (!reading && !writing) {
        err << kUsage;
        return kExitUsage;
    }
    CardCommand command(options, err);
    if (!command.OpenReader()) return kExitCardFailure;
    if (writing) {
        return sms::WriteSmsParameters(command.Host(), *centre, *validity) == sms::kWorkerDone ? kExitOk
                                                                                               : kExitCardFailure;
    }
    sms::SmsParameterTexts parameters;
    if (sms::ReadSmsParameters(command.Host(), parameters) != sms::kWorkerDone) return kExitCardFailure;
    if (parameters.centre.empty() && parameters.validity.empty()) {
        command.Ui().ShowMessage(resources::LoadString(57345), card::MessageIcon::Error);
        return kExitCardFailure;
    }
    out << "centre: " << parameters.centre << "\nvalidity: " << parameters.validity << '\n';
    return kExitOk;
}

int Backup(const Options& options, const std::vector<std::string>& words, std::ostream& err) {
    if (words.size() != 1) {
        err << kUsage;
        return kExitUsage;
    }
    CardCommand command(options, err);
    if (!command.OpenReader()) return kExitCardFailure;
    switch (backup::BackupCard(command.Session(), words[0])) {
    case backup::BackupOutcome::Done: return kExitOk;
    case backup::BackupOutcome::FileFailed: return kExitFileError;
    case backup::BackupOutcome::CardFailed: break;
    }
    return kExitCardFailure;
}

// The parts named in a comma list such as "phonebook,sms"; nothing when a name is unknown.
std::optional<backup::RestoreChoice> ParseRestoreParts(const std::string& list) {
    backup::RestoreChoice choice{false, false, false, false, false};
    const std::map<std::string, bool backup::RestoreChoice::*> parts = {
        {"phonebook", &backup::RestoreChoice::phoneBook}, {"fdn", &backup::RestoreChoice::fixedDialing},
        {"sms", &backup::RestoreChoice::messages},        {"smsp", &backup::RestoreChoice::smsParameters},
        {"networks", &backup::RestoreChoice::networks}};
    std::stringstream names(list);
    std::string name;
    bool any = false;
    while (std::getline(names, name, ',')) {
        const auto part = parts.find(name);
        if (part == parts.end()) return std::nullopt;
        choice.*(part->second) = true;
        any = true;
    }
    if (!any) return std::nullopt;
    return choice;
}

int Restore(const Options& options, std::vector<std::string> words, std::ostream& err) {
    const std::optional<std::string> only = TakeValue(words, "--only");
    const std::optional<backup::RestoreChoice> choice = only ? ParseRestoreParts(*only) : backup::RestoreChoice{};
    if (words.size() != 1 || !choice) {
        err << kUsage;
        return kExitUsage;
    }
    CardCommand command(options, err);
    auto saved = std::make_unique<backup::SimBackup>();
    if (!backup::OpenBackup(words[0], *saved, command.Ui())) return kExitFileError;
    if (!command.OpenReader()) return kExitCardFailure;
    return backup::RestoreToCard(command.Session(), *saved, *choice) ? kExitOk : kExitCardFailure;
}

int Pin(const Options& options, std::vector<std::string> words, std::ostream& err) {
    const bool second = TakeFlag(words, "--pin2");
    const unsigned chv = second ? 2 : 1;
    const std::map<std::string, std::size_t> argumentCounts = {
        {"verify", 0}, {"change", 2}, {"enable", 1}, {"disable", 1}, {"unblock", 2}};
    const auto known = words.empty() ? argumentCounts.end() : argumentCounts.find(words[0]);
    if (known == argumentCounts.end() || words.size() != known->second + 1 ||
        (second && (words[0] == "enable" || words[0] == "disable"))) {
        err << kUsage;
        return kExitUsage;
    }
    CardCommand command(options, err);
    const std::string& action = words[0];
    if (action == "verify") {
        if (!command.Start(!second, second)) return kExitCardFailure;
        return command.Finish(true);
    }
    if (!command.Start(false, false)) return kExitCardFailure;
    card::CardSession& session = command.Session();
    if (action == "change") return command.Finish(session.ChangeOrToggleChv(words[1], words[2], chv, true));
    if (action == "enable" || action == "disable") {
        return command.Finish(session.ChangeOrToggleChv(words[1], std::nullopt, 1, action == "enable"));
    }
    return command.Finish(session.UnblockCardChv(words[1], words[2], chv));
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    Options options;
    const char* device = std::getenv("QUILLET_DEVICE");
    options.device = device != nullptr && *device != '\0' ? device : "VIRTUAL";
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        const bool hasValue = index + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return kExitOk;
        } else if (argument == "--device" && hasValue) {
            options.device = arguments[++index];
        } else if (argument == "--pin" && hasValue) {
            options.pin = arguments[++index];
        } else if (argument == "--pin2" && hasValue && options.words.empty()) {
            options.pin2 = arguments[++index];
        } else if (argument == "--trace") {
            options.trace = true;
        } else {
            options.words.push_back(argument);
        }
    }
    if (options.words.empty()) {
        err << kUsage;
        return kExitUsage;
    }
    const std::string command = options.words.front();
    std::vector<std::string> rest(options.words.begin() + 1, options.words.end());
    if (command == "readers") return Readers(out);
    if (command == "networks") return Networks(options, rest, out, err);
    if (command == "pin") return Pin(options, rest, err);
    if (command == "phonebook") return PhoneBook(options, rest, out, err);
    if (command == "sms") return Sms(options, rest, out, err);
    if (command == "smsp") return SmsParameters(options, rest, out, err);
    if (command == "backup") return Backup(options, rest, err);
    if (command == "restore") return Restore(options, rest, err);
    err << "quillet-cli: unknown command \"" << command << "\"\n" << kUsage;
    return kExitUsage;
}

}  // namespace quillet::cli
