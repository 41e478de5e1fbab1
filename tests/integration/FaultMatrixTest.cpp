// Every card write of a day's editing, interrupted at each of its commands in turn: the card refuses
// the command, is pulled out, or answers with a garbled byte. Afterwards each entry reads back as it
// was or as the user wanted it, no extension chain runs into another or into a free record, the
// write says it failed (with the fault's own code) unless the card holds everything it was asked
// to, and a failed write leaves no cache behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "backup/BackupFlows.h"
#include "backup/NetworkList.h"
#include "phonebook/PhoneBookTransfer.h"
#include "phonebook/TextHelpers.h"
#include "sim/DemoCard.h"
#include "sms/MessageBody.h"
#include "sms/SmsTransfer.h"
#include "support/FaultRig.h"

namespace quillet {
namespace {

using phonebook::PhoneBookEntry;
using sms::SmsEntry;
using testing::SessionRig;
namespace result = reader::result;

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kMemoryProblem = 0x6581;

// The files a write may change, each read back as one text per position ("-" for an empty one).
enum class Part { Adn, Fdn, Sms, Preferred, Forbidden };
using Snapshot = std::map<Part, std::vector<std::string>>;

const char* PartName(Part part) {
    static const char* const names[] = {"ADN", "FDN", "SMS", "PLMNsel", "FPLMN"};
    return names[static_cast<int>(part)];
}

std::string Printable(std::string_view bytes) {
    std::string text;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", value);
        text += value >= 0x20 && value < 0x7F ? std::string(1, byte) : escaped;
    }
    return text;
}

std::string Hex(std::uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", id);
    return text;
}

// What an entry holds, without its place on the card (record number, extension record numbers).
std::string Key(const PhoneBookEntry& entry) {
    if (entry.used == 0) return "-";
    return Printable(phonebook::NameBytes(entry)) + "|" + entry.number + "|" + std::to_string(entry.ton) + "/" +
           std::to_string(entry.npi) + "/" + std::to_string(entry.capabilityId);
}

std::string Key(const SmsEntry& entry) {
    if (entry.used == 0) return "-";
    const sms::MessageUserData body = sms::BodyUserData(entry);
    return std::to_string(entry.status) + "|" + std::string(sms::FieldText(entry.serviceCentre)) + "|" +
           std::string(sms::FieldText(entry.address)) + "|" + std::to_string(entry.addressTon) + "|" +
           std::string(sms::FieldText(entry.dateOrValidity)) + "|ref " + std::to_string(entry.messageRef) + "|" +
           sms::MessageListText(entry) + "|dcs " + std::to_string(body.dcs) + (body.hasHeader ? " udh" : "") + "|" +
           Printable(std::string_view(reinterpret_cast<const char*>(body.userData.data()), body.userData.size()));
}

std::string Key(const backup::PlmnEntry& entry) {
    if (entry.valid == 0) return "-";
    return std::to_string(entry.mcc) + "-" + std::to_string(entry.mnc) + (entry.HasThreeDigitMnc() ? "*" : "");
}

// Reads the parts through a fresh session, as the program would after a restart.
Snapshot ReadBack(SessionRig& rig, const std::vector<Part>& parts) {
    rig.session = std::make_unique<card::CardSession>(rig);
    rig.ui.pins = {"1234"};
    Snapshot snapshot;
    if (!rig.session->BeginSession(true, false, true)) {
        ADD_FAILURE() << "read-back: " << rig.session->FormatLastError();
        return snapshot;
    }
    for (const Part part : parts) {
        std::vector<std::string>& keys = snapshot[part];
        bool read = false;
        if (part == Part::Adn || part == Part::Fdn) {
            std::vector<PhoneBookEntry> entries(250);
            phonebook::PhoneBookInfo info;
            read = phonebook::ReadPhoneBook(*rig.session, part == Part::Adn ? phonebook::kAdnFile : phonebook::kFdnFile,
                                            entries, info);
            for (std::size_t position = 0; read && position < info.entryCount; ++position) {
                keys.push_back(Key(entries[position]));
            }
        } else if (part == Part::Sms) {
            std::vector<SmsEntry> entries(99);
            std::uint32_t count = 0;
            read = sms::ReadSmsFile(*rig.session, entries, count);
            for (std::size_t position = 0; read && position < count; ++position) keys.push_back(Key(entries[position]));
        } else {
            std::vector<backup::PlmnEntry> list;
            read = backup::ReadNetworkList(*rig.session, list, part == Part::Forbidden);
            for (const backup::PlmnEntry& entry : list) keys.push_back(Key(entry));
        }
        if (!read) ADD_FAILURE() << "read-back of " << PartName(part) << ": " << rig.session->FormatLastError();
    }
    return snapshot;
}

// Problems of the extension chains on the card: a link beyond the extension file or to a free
// extension record (another write may take it), a chain that runs into another record's chain or
// into itself.
std::vector<std::string> ChainProblems(const sim::SimProfile& card) {
    const struct {
        std::uint16_t extension;
        std::vector<std::uint16_t> mains;
    } groups[] = {{0x6F4A, {0x6F3A, 0x6F40, 0x6F44}}, {0x6F4B, {0x6F3B}}};
    std::vector<std::string> problems;
    for (const auto& group : groups) {
        const sim::SimElementaryFile* extension = card.FindFile(kTelecom, group.extension);
        std::map<std::size_t, std::string> owners;  // extension record number -> record whose chain holds it
        for (const std::uint16_t ef : group.mains) {
            const sim::SimElementaryFile* file = card.FindFile(kTelecom, ef);
            for (std::size_t number = 1; extension && file && number <= file->records.size(); ++number) {
                const std::vector<std::uint8_t>& record = file->records[number - 1];
                if (record.size() < 14 || (record.front() == 0xFF && record[record.size() - 14] == 0xFF)) continue;
                const std::string owner = Hex(ef) + " record " + std::to_string(number);
                std::set<std::size_t> chain;
                for (std::size_t link = record.back(); link != 0xFF;) {
                    const std::string where =
                        owner + " links to " + Hex(group.extension) + " record " + std::to_string(link);
                    if (link == 0 || link > extension->records.size()) {
                        problems.push_back(where + ", beyond the file");
                        break;
                    }
                    const std::vector<std::uint8_t>& next = extension->records[link - 1];
                    if (next.empty() || next.front() == 0xFF) {
                        problems.push_back(where + ", a free record");
                        break;
                    }
                    const auto [holder, added] = owners.emplace(link, owner);
                    if (!chain.insert(link).second || !added) {
                        problems.push_back(where + ", already in the chain of " + holder->second);
                        break;
                    }
                    link = next.back();
                }
            }
        }
    }
    return problems;
}

// One write of the scenario: what the user does before it (reads, edits) and the write itself.
class Write {
public:
    virtual ~Write() = default;
    virtual std::string Name() const = 0;
    virtual std::vector<Part> Parts() const = 0;
    // Runs before the fault plan is armed; false when the session could not be prepared.
    virtual bool Prepare(SessionRig& rig) = 0;
    virtual bool Run(SessionRig& rig) = 0;
    // The failure codes the write gave.
    virtual std::set<reader::ReaderResult> Results(SessionRig& rig) const { return {rig.session->LastResult()}; }
};

// Where the edits of a phone book go: a number made longer than a record holds (extension records),
// a long number shortened (its chain freed), an entry moved to a free record, one deleted, one added.
struct PhoneBookEdits {
    std::size_t lengthened;
    std::size_t shortened;
    std::size_t movedFrom;
    std::size_t movedTo;
    std::size_t deleted;
    std::size_t added;
};

class PhoneBookWrite final : public Write {
public:
    PhoneBookWrite(std::uint16_t ef, PhoneBookEdits edits) : m_ef(ef), m_edits(edits) {}
    std::string Name() const override { return m_ef == phonebook::kAdnFile ? "ADN write" : "FDN write"; }
    std::vector<Part> Parts() const override { return {m_ef == phonebook::kAdnFile ? Part::Adn : Part::Fdn}; }
    bool Prepare(SessionRig& rig) override {
        rig.ui.pins = {"1234", "5678"};
        phonebook::PhoneBookInfo info;
        if (!rig.session->BeginSession(true, m_ef == phonebook::kFdnFile, true) ||
            !phonebook::ReadPhoneBook(*rig.session, m_ef, m_entries, info)) {
            return false;
        }
        const auto setNumber = [&](std::size_t position, const char* number) {
            phonebook::CopyBounded(m_entries[position].number, sizeof m_entries[position].number, number);
            m_entries[position].modified = 1;
        };
        setNumber(m_edits.lengthened, "4930123456789012345678901234");
        setNumber(m_edits.shortened, "442079460000");
        m_entries[m_edits.movedTo] = m_entries[m_edits.movedFrom];
        m_entries[m_edits.movedTo].modified = 1;
        for (const std::size_t emptied : {m_edits.movedFrom, m_edits.deleted}) {
            m_entries[emptied] = phonebook::EmptyPosition(static_cast<std::uint16_t>(emptied));
            m_entries[emptied].modified = 1;
        }
        PhoneBookEntry& added = m_entries[m_edits.added];
        added.used = added.ton = added.npi = 1;
        phonebook::SetNameBytes(added, "New Friend");
        setNumber(m_edits.added, "420777123456");
        return true;
    }
    bool Run(SessionRig& rig) override {
        phonebook::PhoneBookWriteReport report;
        return phonebook::WritePhoneBook(*rig.session, m_ef, m_entries, report);
    }

private:
    std::uint16_t m_ef;
    PhoneBookEdits m_edits;
    std::vector<PhoneBookEntry> m_entries = std::vector<PhoneBookEntry>(250);
};

class SmsWrite final : public Write {
public:
    std::string Name() const override { return "SMS write"; }
    std::vector<Part> Parts() const override { return {Part::Sms}; }
    bool Prepare(SessionRig& rig) override {
        rig.ui.pins = {"1234"};
        std::uint32_t count = 0;
        if (!rig.session->BeginSession(true, false, true) || !sms::ReadSmsFile(*rig.session, m_entries, count)) {
            return false;
        }
        sms::SetMessageText(m_entries[0], U"Dinner at nine, not eight");
        m_entries[0].modified = 1;
        m_entries[2] = sms::MakeEmptySmsEntry(2);
        m_entries[2].modified = 1;
        SmsEntry& added = m_entries[7];  // a free record of the card
        added.used = added.modified = 1;
        added.status = sms::kStatusToSend;
        sms::SetFieldText(added.address, "603111222");
        added.addressNpi = 1;
        sms::SetMessageText(added, U"See you at the station");
        return true;
    }
    bool Run(SessionRig& rig) override {
        sms::SmsWriteReport report;
        return sms::WriteSms(*rig.session, m_entries, report);
    }

private:
    std::vector<SmsEntry> m_entries = std::vector<SmsEntry>(99);
};

class NetworkWrite final : public Write {
public:
    explicit NetworkWrite(bool forbidden) : m_forbidden(forbidden) {}
    std::string Name() const override { return m_forbidden ? "forbidden networks write" : "preferred networks write"; }
    std::vector<Part> Parts() const override { return {m_forbidden ? Part::Forbidden : Part::Preferred}; }
    bool Prepare(SessionRig& rig) override {
        rig.ui.pins = {"1234"};
        if (!rig.session->BeginSession(true, false, true) ||
            !backup::ReadNetworkList(*rig.session, m_list, m_forbidden) || m_list.size() < 3) {
            return false;
        }
        m_list[0] = {};  // the first network removed, the third slot given one with a three-digit code
        m_list[2] = {1, 1, 1, 310, 150};
        return true;
    }
    bool Run(SessionRig& rig) override { return backup::WriteNetworkList(*rig.session, m_list, m_forbidden); }

private:
    bool m_forbidden;
    std::vector<backup::PlmnEntry> m_list;
};

// Yesterday's backup of the card written back over today's changes (the other writes' edits).
class RestoreWrite final : public Write {
public:
    explicit RestoreWrite(const backup::SimBackup& backup) : m_backup(backup) {}
    std::string Name() const override { return "restore"; }
    std::vector<Part> Parts() const override {
        return {Part::Adn, Part::Fdn, Part::Sms, Part::Preferred, Part::Forbidden};
    }
    bool Prepare(SessionRig& rig) override {
        rig.ui.pins = {"1234", "5678"};
        m_copy = std::make_unique<backup::SimBackup>(m_backup);
        return true;
    }
    bool Run(SessionRig& rig) override { return backup::RestoreToCard(*rig.session, *m_copy, backup::RestoreChoice{}); }
    // A restore tells its failures as messages, each ending in the text of its result; its steps keep
    // no common last result.
    std::set<reader::ReaderResult> Results(SessionRig& rig) const override {
        std::set<reader::ReaderResult> codes;
        for (const auto& [text, icon] : rig.ui.messages) {
            const std::string_view line = std::string_view(text).substr(text.rfind('\n') + 1);
            for (reader::ReaderResult code = result::kOk; code <= result::kTextTooLong; ++code) {
                if (line == reader::ReaderResultText(code)) codes.insert(code);
            }
        }
        return codes;
    }

private:
    const backup::SimBackup& m_backup;
    std::unique_ptr<backup::SimBackup> m_copy;
};

// The demo card with a phone book of 30 records: every scenario reads the card twice, and the
// records beyond the first entries only cost time.
sim::SimProfile ScenarioCard() {
    sim::SimProfile card = sim::BuildDemoSimProfile();
    card.FindFile(kTelecom, phonebook::kAdnFile)->records.resize(30);
    return card;
}

const PhoneBookEdits kAdnEdits{0, 3, 1, 12, 4, 19};  // records 6, 13 and 20 are free
const PhoneBookEdits kFdnEdits{3, 2, 0, 6, 1, 8};

// The command log of a write without faults, to name a command and pick the byte to garble.
struct Command {
    std::array<std::uint8_t, 5> header;
    std::size_t answerLength;  // data bytes the card sent
    std::uint16_t file;        // the file selected last

    bool operator==(const Command&) const = default;
};

std::string Describe(const Command& command) {
    static const std::map<std::uint8_t, const char*> names = {
        {0xA4, "SELECT"},      {0xC0, "GET RESPONSE"},  {0xB0, "READ BINARY"}, {0xD6, "UPDATE BINARY"},
        {0xB2, "READ RECORD"}, {0xDC, "UPDATE RECORD"}, {0x20, "VERIFY CHV"},  {0xF2, "STATUS"},
    };
    const std::uint8_t ins = command.header[1];
    const auto name = names.find(ins);
    std::string text = name == names.end() ? "command" : name->second;
    if (ins == 0x20) return text + std::to_string(command.header[3]);
    if (ins == 0xB2 || ins == 0xDC) text += " " + std::to_string(command.header[2]);
    if (command.file != 0) text += (ins == 0xA4 ? " " : " of ") + Hex(command.file);
    return text;
}

std::vector<Command> CommandLog(const SessionRig& rig) {
    std::vector<Command> log;
    std::uint16_t file = 0;
    for (std::size_t index = 0; index < rig.sent.size(); ++index) {
        const auto& header = rig.sent[index];
        const std::vector<std::uint8_t>& data = rig.sentData[index];
        const bool fromCard = header[1] == 0xC0 || header[1] == 0xB0 || header[1] == 0xB2 || header[1] == 0xF2;
        if (header[1] == 0xA4 && data.size() == 2) file = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
        log.push_back({header, fromCard ? data.size() : 0, file});
    }
    return log;
}

enum class Fault { StatusWord, Pulled, Garbled };
const char* FaultName(Fault fault) {
    return fault == Fault::StatusWord ? "status 6581" : fault == Fault::Pulled ? "card pulled" : "garbled answer";
}

bool IsTransportFailure(reader::ReaderResult code) {
    return code == result::kCommandError || code == result::kDataBlockError || code == result::kStatusError ||
           code == result::kCardNotActive || code == result::kGeneralReaderError || code == result::kCardNotInserted;
}

class FaultMatrix : public testing::FaultRig {
protected:
    // Runs the write from `card` with the plan armed after the preparation.
    bool RunWrite(Write& write, const sim::SimProfile& card, const sim::CardFaultPlan& plan) {
        Restart(card);
        EXPECT_TRUE(write.Prepare(m_rig)) << write.Name() << ": " << m_rig.session->FormatLastError();
        m_rig.ClearLog();
        m_rig.Reader().ArmFaults(plan);
        const bool written = write.Run(m_rig);
        m_rig.Reader().DisarmFaults();
        return written;
    }

    // Runs each write from `card` with every fault at every command; fails naming what went wrong.
    void RunMatrix(std::initializer_list<Write*> writes, const sim::SimProfile& card) {
        std::vector<std::string> findings;
        for (Write* write : writes) RunMatrix(*write, card, findings);
        std::cout << "fault scenarios run: " << m_scenarios << std::endl;
        RecordProperty("fault_scenarios", static_cast<int>(m_scenarios));
        std::string text;
        for (const std::string& finding : findings) text += finding + "\n";
        EXPECT_TRUE(findings.empty()) << findings.size() << " problems:\n" << text;
    }

    void RunMatrix(Write& write, const sim::SimProfile& card, std::vector<std::string>& findings) {
        const std::vector<Part> parts = write.Parts();
        Restart(card);
        const Snapshot before = ReadBack(m_rig, parts);
        EXPECT_TRUE(ChainProblems(card).empty());
        if (!RunWrite(write, card, {})) {
            ADD_FAILURE() << write.Name() << " without faults: " << m_rig.session->FormatLastError();
            return;
        }
        const std::vector<Command> log = CommandLog(m_rig);
        const sim::SimProfile written = m_rig.Card().Profile();
        const Snapshot intended = ReadBack(m_rig, parts);
        EXPECT_NE(before, intended) << write.Name() << " changed nothing";
        EXPECT_EQ(ChainProblems(written), std::vector<std::string>()) << write.Name();

        for (std::size_t index = 0; index < log.size(); ++index) {
            for (const Fault fault : {Fault::StatusWord, Fault::Pulled, Fault::Garbled}) {
                sim::CardFaultPlan plan;
                if (fault == Fault::StatusWord) plan.FailCommand(index, kMemoryProblem);
                if (fault == Fault::Pulled) plan.PullCard(index);
                // The last data byte of a read (a record's extension link, a file's record length), else SW1.
                const auto length = static_cast<std::ptrdiff_t>(log[index].answerLength);
                if (fault == Fault::Garbled) plan.GarbleAnswer(index, length > 0 ? length - 1 : -2);
                ++m_scenarios;
                Outcome outcome;
                outcome.reported = RunWrite(write, card, plan);
                outcome.codes = write.Results(m_rig);
                outcome.cachesEmpty = m_rig.session->Cache().Empty();
                const std::vector<Command> faulted = CommandLog(m_rig);
                outcome.uiccProbe = log[index].header[0] == 0x00 && card.platform == sim::CardPlatform::GsmSim;
                outcome.repeated = std::any_of(faulted.begin() + std::min(index + 1, faulted.size()), faulted.end(),
                                               [&](const Command& later) { return later == log[index]; });
                // A card left byte for byte as before or as written reads back the same.
                const sim::SimProfile& now = m_rig.Card().Profile();
                outcome.after = now == card ? before : now == written ? intended : ReadBack(m_rig, parts);
                for (const std::string& problem : Check(fault, outcome, before, intended, now)) {
                    findings.push_back(write.Name() + ", " + FaultName(fault) + " at command " + std::to_string(index) +
                                       " (" + Describe(log[index]) + "): " + problem);
                }
            }
        }
        std::cout << write.Name() << ": " << log.size() << " commands, " << 3 * log.size() << " fault scenarios"
                  << std::endl;
    }

    struct Outcome {
        bool reported = false;                 // the write said it succeeded
        std::set<reader::ReaderResult> codes;  // the failure it gave
        bool cachesEmpty = false;
        bool repeated = false;  // the command the fault hit was sent again later
        // The fault hit the class 00 select that asks a GSM SIM whether it is a UICC: the SIM
        // refuses it anyway, so another refusal changes nothing.
        bool uiccProbe = false;
        Snapshot after;
    };

    static std::vector<std::string> Check(Fault fault, const Outcome& outcome, const Snapshot& before,
                                          const Snapshot& intended, const sim::SimProfile& card) {
        std::vector<std::string> problems;
        std::string codes;
        for (const reader::ReaderResult code : outcome.codes) codes += " " + std::to_string(code);
        if (outcome.reported) {
            // Only a command the write tried again may fail without failing the write.
            if (fault == Fault::Pulled || (fault == Fault::StatusWord && !outcome.repeated && !outcome.uiccProbe)) {
                problems.push_back("the write reported success");
            }
            if (outcome.after != intended) problems.push_back("the write reported success but the card differs");
        } else {
            if (fault == Fault::StatusWord && !outcome.codes.contains(result::kBadStatusWord)) {
                problems.push_back("result" + codes + ", not 132");
            }
            if (fault == Fault::Pulled &&
                std::none_of(outcome.codes.begin(), outcome.codes.end(), IsTransportFailure)) {
                problems.push_back("result" + codes + ", not a reader failure");
            }
            if (fault == Fault::Garbled && outcome.codes.contains(result::kOk)) problems.push_back("result 102");
            if (!outcome.cachesEmpty) problems.push_back("caches not cleared");
        }
        for (const auto& [part, keys] : outcome.after) {
            const std::vector<std::string>& old = before.at(part);
            const std::vector<std::string>& wanted = intended.at(part);
            for (std::size_t position = 0; position < keys.size() && position < old.size() && position < wanted.size();
                 ++position) {
                if (keys[position] != old[position] && keys[position] != wanted[position]) {
                    problems.push_back(std::string(PartName(part)) + " position " + std::to_string(position) +
                                       " reads '" + keys[position] + "', was '" + old[position] + "', wanted '" +
                                       wanted[position] + "'");
                }
            }
            // An entry the write was to keep (in place or moved) is somewhere on the card.
            const std::set<std::string> now(keys.begin(), keys.end());
            for (const std::string& key : std::set<std::string>(old.begin(), old.end())) {
                if (key != "-" && !now.contains(key) && std::find(wanted.begin(), wanted.end(), key) != wanted.end()) {
                    problems.push_back(std::string(PartName(part)) + " entry '" + key + "' is lost");
                }
            }
        }
        for (const std::string& problem : ChainProblems(card)) problems.push_back(problem);
        return problems;
    }

    std::size_t m_scenarios = 0;
};

TEST_F(FaultMatrix, PhoneBookWrites) {
    PhoneBookWrite adn(phonebook::kAdnFile, kAdnEdits);
    PhoneBookWrite fdn(phonebook::kFdnFile, kFdnEdits);
    RunMatrix({&adn, &fdn}, ScenarioCard());
}

TEST_F(FaultMatrix, MessageAndNetworkWrites) {
    SmsWrite messages;
    NetworkWrite preferred(false);
    NetworkWrite forbidden(true);
    RunMatrix({&messages, &preferred, &forbidden}, ScenarioCard());
}

TEST_F(FaultMatrix, RestoreOfYesterdaysBackup) {
    testing::TemporaryFolder folder;
    const std::string path = folder.File("yesterday.sim");
    Restart(ScenarioCard());
    m_rig.ui.pins = {"1234"};
    ASSERT_EQ(backup::BackupCard(*m_rig.session, path), backup::BackupOutcome::Done);
    auto yesterday = std::make_unique<backup::SimBackup>();
    ASSERT_TRUE(backup::OpenBackup(path, *yesterday, m_rig.ui));

    // Today's card: every other write of the scenario done.
    PhoneBookWrite adn(phonebook::kAdnFile, kAdnEdits);
    PhoneBookWrite fdn(phonebook::kFdnFile, kFdnEdits);
    SmsWrite messages;
    NetworkWrite preferred(false);
    NetworkWrite forbidden(true);
    sim::SimProfile today = ScenarioCard();
    for (Write* write : std::initializer_list<Write*>{&adn, &fdn, &messages, &preferred, &forbidden}) {
        ASSERT_TRUE(RunWrite(*write, today, {})) << write->Name();
        today = m_rig.Card().Profile();
    }
    RestoreWrite restore(*yesterday);
    RunMatrix({&restore}, today);
}

}  // namespace
}  // namespace quillet
