// The phone-book write planner on hand-made card images: which records get which bytes, in which
// order, and which extension records it dares to take.
#include <gtest/gtest.h>

#include <cstring>

#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookWritePlan.h"

namespace quillet::phonebook {
namespace {

using card::CachedFile;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kRecordLength = 18;              // four name bytes
constexpr char kLong[] = "0123456789012345678901234";  // 25 digits: one extension record

PhoneBookEntry Entry(const char* name, const char* number, std::uint16_t index) {
    PhoneBookEntry entry = EmptyPosition(index);
    entry.used = 1;
    entry.npi = 1;
    SetNameBytes(entry, name);
    std::strncpy(entry.number, number, sizeof entry.number - 1);
    return entry;
}

// A card with `records` ADN records and `extensions` EXT1 records, all empty, filled by the tests.
struct Card {
    Card(std::uint8_t records, std::uint8_t extensions)
        : adn(card::MakeFileImage(records, kRecordLength)), ext1(card::MakeFileImage(extensions, 13)) {}

    // Puts an entry on record `number`, its digits beyond 20 in the extension records `chain`.
    void Put(std::size_t number, const PhoneBookEntry& entry, const Bytes& chain = {}) {
        Set(adn, number, EncodeDiallingRecord(entry, kRecordLength, chain.empty() ? 0xFF : chain.front()));
        const Bytes nibbles = NumberNibbles(entry);
        const std::span<const std::uint8_t> beyond = nibbles.size() > kDigitsPerRecord
                                                         ? std::span(nibbles).subspan(kDigitsPerRecord)
                                                         : std::span<const std::uint8_t>();
        const auto records = EncodeExtensionChain(beyond, chain);
        for (std::size_t link = 0; link < chain.size(); ++link) Set(ext1, chain[link], records[link]);
    }
    void LinkTo(std::size_t number, std::uint8_t extension) { adn[2 + number * kRecordLength - 1] = extension; }
    static void Set(Bytes& image, std::size_t number, const Bytes& record) {
        std::copy(record.begin(), record.end(),
                  image.begin() + 2 + static_cast<std::ptrdiff_t>((number - 1) * image[1]));
    }
    PhoneBookEntry Decoded(std::size_t number) const {
        PhoneBookEntry entry;
        DecodeDiallingRecord(card::FileImage(adn).Record(number), card::FileImage(ext1),
                             static_cast<std::uint16_t>(number - 1), entry);
        return entry;
    }

    std::optional<PhoneBookPlan> Plan(std::vector<PhoneBookEntry>& entries) const {
        std::vector<const PhoneBookEntry*> target(card::FileImage(adn).Count() + 1u, nullptr);
        for (std::size_t position = 0; position < entries.size(); ++position) target[position + 1] = &entries[position];
        return PlanPhoneBookWrite({CachedFile::Adn, CachedFile::Ext1, card::FileImage(adn), card::FileImage(ext1), {}},
                                  target);
    }

    Bytes adn;
    Bytes ext1;
};

// The records written, in order, as "A3" (ADN record 3) and "E1" (EXT1 record 1).
std::vector<std::string> Order(const PhoneBookPlan& plan) {
    std::vector<std::string> order;
    for (const card::PlannedWrite& write : plan.plan.writes) {
        order.push_back((write.record.file == CachedFile::Adn ? "A" : "E") + std::to_string(write.record.number));
    }
    return order;
}

std::vector<PhoneBookEntry> ReadAll(const Card& card, std::size_t count) {
    std::vector<PhoneBookEntry> entries;
    for (std::size_t number = 1; number <= count; ++number) entries.push_back(card.Decoded(number));
    return entries;
}

TEST(PhoneBookWritePlan, AChangedLongNumberTakesFreshRecordsAndFreesItsOldChainLast) {
    Card card(3, 3);
    card.Put(1, Entry("Ann", kLong, 0), {1});
    std::vector<PhoneBookEntry> entries = ReadAll(card, 3);
    std::strcpy(entries[0].number, "9876543210987654321098765");
    const auto plan = card.Plan(entries);
    ASSERT_TRUE(plan);
    // Record 1 keeps pointing at its old digits until it is rewritten as a whole.
    EXPECT_EQ(Order(*plan), (std::vector<std::string>{"E2", "A1", "E1"}));
    EXPECT_EQ(plan->plan.writes.back().bytes, Bytes(13, 0xFF));
    EXPECT_EQ(plan->plan.staleChecks, (std::vector<card::RecordRef>{{CachedFile::Ext1, 2}}));
    EXPECT_EQ(plan->records[1].settledAfter, 2u);
}

TEST(PhoneBookWritePlan, NeverTakesARecordAnotherNamesEvenAFreeOneOrAContinuation) {
    Card card(4, 4);
    card.Put(1, Entry("Ann", "*101#", 0));
    card.LinkTo(1, 1);                         // a phone left a link to the free record 1
    card.Put(2, Entry("Bob", kLong, 1), {2});  // record 2 in use, linked
    Card::Set(card.ext1, 3, Bytes{2, 1, 0x21, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 4});
    // Record 3 is in use with nothing naming it; it names record 4, which is free.
    std::vector<PhoneBookEntry> entries = ReadAll(card, 4);
    entries[2] = Entry("New", kLong, 2);
    auto plan = card.Plan(entries);
    ASSERT_TRUE(plan);
    EXPECT_EQ(Order(*plan), (std::vector<std::string>{"E3", "A3"}));
    EXPECT_EQ(plan->records[1].source, 1u);  // "*101#" keeps its bytes, dangling link and all

    entries[3] = Entry("Two", kLong, 3);  // nothing is left for a second long number
    EXPECT_FALSE(card.Plan(entries));
}

TEST(PhoneBookWritePlan, AChainTwoRecordsShareIsNeitherRewrittenNorFreedForOneOfThem) {
    Card card(2, 2);
    card.Put(1, Entry("Ann", kLong, 0), {1});
    card.Put(2, Entry("Bob", kLong, 1));
    card.LinkTo(2, 1);
    std::vector<PhoneBookEntry> entries = ReadAll(card, 2);
    std::strcpy(entries[0].number, "5555555555555555555555");
    const auto plan = card.Plan(entries);
    ASSERT_TRUE(plan);
    EXPECT_EQ(Order(*plan), (std::vector<std::string>{"E2", "A1"}));
}

TEST(PhoneBookWritePlan, ReleasedRecordsServeOnlyRecordsWrittenAfterTheirLastNamer) {
    Card card(2, 1);
    card.Put(1, Entry("Ann", kLong, 0), {1});
    std::vector<PhoneBookEntry> entries = ReadAll(card, 2);
    entries[0] = EmptyPosition(0);
    entries[1] = Entry("Bob", kLong, 1);
    const auto plan = card.Plan(entries);
    ASSERT_TRUE(plan);
    EXPECT_EQ(Order(*plan), (std::vector<std::string>{"A1", "E1", "A2"}));

    // The other way round record 1 would need digits record 2 still shows: refused, nothing planned.
    Card reverse(2, 1);
    reverse.Put(2, Entry("Bob", kLong, 1), {1});
    entries = ReadAll(reverse, 2);
    entries[0] = Entry("Ann", kLong, 0);
    entries[1] = EmptyPosition(1);
    EXPECT_FALSE(reverse.Plan(entries));
    // Nor may a record reuse its own chain in place: a stop between the two writes would mix them.
    entries = ReadAll(reverse, 2);
    std::strcpy(entries[1].number, "5555555555555555555555");
    EXPECT_FALSE(reverse.Plan(entries));
}

TEST(PhoneBookWritePlan, MovedEntriesKeepTheirBytesWhereverTheyCameFrom) {
    Card card(3, 2);
    PhoneBookEntry ucs2 = Entry("", "123", 0);
    SetNameBytes(ucs2, std::string_view("\x80\x01\x60\x00", 4));
    card.Put(1, ucs2);
    card.Put(2, Entry("@x", kLong, 1), {1});
    Card::Set(card.adn, 2, [&] {
        Bytes record(card::FileImage(card.adn).Record(2).begin(), card::FileImage(card.adn).Record(2).end());
        record[0] = 0x00;                   // a GSM '@'
        record[kRecordLength - 13] = 0x81;  // TON/NPI as the phone wrote it
        return record;
    }());
    std::vector<PhoneBookEntry> entries = ReadAll(card, 3);
    std::swap(entries[0], entries[1]);
    entries[2] = entries[1];
    entries[2].index = 7;  // came from elsewhere: found by content, but the record is taken
    entries[0].modified = entries[1].modified = 1;
    const auto plan = card.Plan(entries);
    ASSERT_TRUE(plan);
    const card::FileImage adn(card.adn);
    // "@x" gets a copy of its chain in the free record 2, so the record it leaves never shares one;
    // its old chain is freed last.
    ASSERT_EQ(Order(*plan), (std::vector<std::string>{"A2", "E2", "A1", "A3", "E1"}));
    EXPECT_TRUE(std::ranges::equal(plan->plan.writes[0].bytes, adn.Record(1)));
    Bytes moved(adn.Record(2).begin(), adn.Record(2).end());
    moved.back() = 2;
    EXPECT_EQ(plan->plan.writes[2].bytes, moved);
    EXPECT_TRUE(std::ranges::equal(plan->plan.writes[1].bytes, card::FileImage(card.ext1).Record(1)));
    EXPECT_EQ(plan->records[3].source, 0u);
}

TEST(PhoneBookWritePlan, AMovedEntryReachesItsNewRecordBeforeItsOldOneIsCleared) {
    Card card(3, 1);
    card.Put(1, Entry("Ann", "123", 0));
    std::vector<PhoneBookEntry> entries = ReadAll(card, 3);
    std::swap(entries[0], entries[2]);
    const auto plan = card.Plan(entries);
    ASSERT_TRUE(plan);
    EXPECT_EQ(Order(*plan), (std::vector<std::string>{"A3", "A1"}));
    EXPECT_EQ(plan->plan.staleChecks, (std::vector<card::RecordRef>{{CachedFile::Adn, 3}, {CachedFile::Adn, 1}}));
}

TEST(PhoneBookWritePlan, ANameTooLongIsCutAndCounted) {
    Card card(1, 0);
    std::vector<PhoneBookEntry> entries{Entry("Maximilian", "1", 0)};
    const auto plan = card.Plan(entries);
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->records[1].nameCut);
    EXPECT_EQ(plan->namesShortened, 1u);
    EXPECT_EQ(plan->plan.staleChecks, (std::vector<card::RecordRef>{{CachedFile::Adn, 1}}));
}

}  // namespace
}  // namespace quillet::phonebook
