// The card's extension space over many writes, and a phone book on a card inserted between two
// sessions. What a user meets: EXT1 records a write gives up are free again for the phone and the
// next write, and another card shows its own names.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>

#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookTransfer.h"
#include "phonebook/TextHelpers.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::phonebook {
namespace {

using testing::SessionRig;
using Book = std::array<PhoneBookEntry, 250>;

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kExt1 = 0x6F4A;
// The files whose records continue in EXT1.
constexpr std::uint16_t kExt1Users[] = {kAdnFile, kMsisdnFile, kLndFile};

class ExtensionSpace : public ::testing::Test {
protected:
    ExtensionSpace() : rig(sim::BuildDemoSimProfile(), {"1234"}) {}

    void SetUp() override { ASSERT_TRUE(Read()); }
    bool Read() {
        if (!rig.session->BeginSession(true, false, true)) return false;
        return ReadPhoneBook(*rig.session, kAdnFile, entries, info);
    }
    bool Write() { return WritePhoneBook(*rig.session, kAdnFile, entries, report); }
    void SetNumber(std::size_t position, const std::string& number) {
        PhoneBookEntry& entry = entries[position];
        entry.used = entry.modified = 1;
        SetNameBytes(entry, "Ext");
        CopyBounded(entry.number, sizeof entry.number, number.c_str());
    }
    const std::vector<std::vector<std::uint8_t>>& CardRecords(std::uint16_t ef) {
        return rig.Card().Profile().FindFile(kTelecom, ef)->records;
    }

    // EXT1 records that hold something though no record of the card leads to them: space the
    // phone and the next write can no longer use. Chains are followed in the raw bytes.
    std::set<std::size_t> Orphans() {
        const auto& extension = CardRecords(kExt1);
        std::set<std::size_t> linked;
        for (std::uint16_t ef : kExt1Users) {
            const sim::SimElementaryFile* file = rig.Card().Profile().FindFile(kTelecom, ef);
            if (file == nullptr) continue;
            for (const auto& record : file->records) {
                for (std::size_t next = record.back(); next >= 1 && next <= extension.size() && !linked.contains(next);
                     next = extension[next - 1].back()) {
                    linked.insert(next);
                }
            }
        }
        std::set<std::size_t> orphans;
        for (std::size_t number = 1; number <= extension.size(); ++number) {
            const auto& record = extension[number - 1];
            const bool free = std::all_of(record.begin(), record.end(), [](std::uint8_t b) { return b == 0xFF; });
            if (!free && !linked.contains(number)) orphans.insert(number);
        }
        return orphans;
    }

    SessionRig rig;
    Book entries{};
    PhoneBookInfo info;
    PhoneBookWriteReport report;
};

// Long numbers come and go; the card never runs out of extension space on the way. (A demo card
// number shortened frees its record in the phone book transfer tests.)
TEST_F(ExtensionSpace, LongNumbersWrittenAndRemovedAgainAndAgainNeverUseItUp) {
    const std::set<std::size_t> before = Orphans();
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        for (std::size_t position : {5, 12, 19}) SetNumber(position, std::string(40 + round, '7'));
        ASSERT_TRUE(Write()) << rig.session->FormatLastError();
        EXPECT_EQ(Orphans(), before);
        for (std::size_t position : {5, 12, 19})
            entries[position] = EmptyPosition(static_cast<std::uint16_t>(position));
        ASSERT_TRUE(Write()) << rig.session->FormatLastError();
        EXPECT_EQ(Orphans(), before);
    }
    ASSERT_TRUE(Read());
    EXPECT_EQ(entries[5].used, 0u);
}

// The user reads a card, ends the session and puts another card into the reader: the next read
// shows the new card's entries, never the first card's kept from before.
TEST(PhoneBookOnAnotherCard, ACardInsertedBetweenTwoSessionsShowsItsOwnNames) {
    SessionRig rig(sim::BuildDemoSimProfile(), {"1234", "1234"});
    Book entries{};
    PhoneBookInfo info;
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info));
    const std::string firstName(NameBytes(entries[0]));
    rig.session->EndSession();

    sim::SimProfile otherProfile = sim::BuildDemoSimProfile();
    otherProfile.FindFile(0x3F00, 0x2FE2)->content[3] ^= 0x11;  // another identity
    auto& otherRecord = otherProfile.FindFile(kTelecom, kAdnFile)->records[0];
    std::fill(otherRecord.begin(), otherRecord.begin() + 16, 0xFF);
    std::copy_n("Other card", 10, otherRecord.begin());
    sim::GsmSimCard other(otherProfile);
    rig.Reader().Line().InsertCard(&other);

    ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info)) << rig.session->FormatLastError();
    EXPECT_NE(NameBytes(entries[0]), firstName);
    EXPECT_EQ(NameBytes(entries[0]), "Other card");
    rig.session->EndSession();
    rig.Reader().Line().InsertCard(nullptr);
}

}  // namespace
}  // namespace quillet::phonebook
