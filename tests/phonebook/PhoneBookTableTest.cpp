// A phone-book window's document on the virtual demo card: its commands, questions and messages,
// and that whatever they move reaches the card with its own bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "phonebook/EntryName.h"
#include "phonebook/PhoneBookTable.h"
#include "resources/StringTable.h"
#include "sim/CardFaultPlan.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::phonebook {
namespace {

using testing::SessionRig;
using Entries = std::vector<PhoneBookEntry>;

constexpr std::uint16_t kTelecom = 0x7F10;
const std::string kDashes(31, '-');

RowSelection Rows(std::vector<std::size_t> rows, long focused = -1) { return {std::move(rows), focused}; }
std::string Text(std::uint32_t id) { return std::string(resources::LoadString(id)); }

bool Same(const Entries& a, const Entries& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const PhoneBookEntry& x, const PhoneBookEntry& y) {
        return std::memcmp(&x, &y, sizeof x) == 0;
    });
}

// The demo card with "SOS" as some phones write it: a UCS2 name of plain letters, a national number.
sim::SimProfile DemoCard() {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    std::vector<std::uint8_t>& sos = profile.FindFile(kTelecom, 0x6F3A)->records[15];
    const std::uint8_t name[] = {0x80, 0x00, 'S', 0x00, 'O', 0x00, 'S'};
    std::copy(std::begin(name), std::end(name), sos.begin());
    sos[17] = 0xA1;
    return profile;
}

class TableOnDemoCard : public ::testing::Test {
protected:
    TableOnDemoCard() : rig(DemoCard()) {}

    void SetUp() override {
        rig.ui.pins = {"1234"};
        ASSERT_TRUE(table.ReadFromCard(*rig.session, nullptr)) << Shown();
        ASSERT_EQ(table.PositionCount(), 120u);
        cardOrder = Snapshot();
        table.SetSettings({false, "49", "00"});
    }
    Entries Snapshot() const { return {table.Positions().begin(), table.Positions().end()}; }
    std::string Name(std::size_t row) const { return table.RowTextOf(row).name; }
    void Confirm() { table.SetSettings({true, "49", "00"}); }
    // The messages shown since the last call, one per line.
    std::string Shown() {
        std::string shown;
        for (const auto& message : rig.ui.messages) shown += message.first + "\n";
        rig.ui.messages.clear();
        return shown;
    }
    // Rows as they must be: the card's entry of each source row (-1: an empty position), numbered by row.
    void ExpectRows(const std::vector<int>& sources) const {
        for (std::size_t row = 0; row < sources.size(); ++row) {
            const PhoneBookEntry& entry = table.At(row);
            EXPECT_EQ(entry.index, row) << row;
            if (sources[row] < 0) {
                EXPECT_EQ(entry.used, 0u) << row;
            } else {
                EXPECT_EQ(NameBytes(entry), NameBytes(cardOrder[sources[row]])) << row;
            }
        }
    }

    SessionRig rig;
    NameLimit limit;
    PhoneBookTable table{kPhoneBookBook, rig.ui, limit};
    Entries cardOrder;
};

// The card's order of rows from `first` on, each row taken once, with rows left out and empties added.
std::vector<int> CardRows(int first, int last, std::vector<int> front = {}, std::vector<int> back = {}) {
    for (int row = first; row <= last; ++row) front.push_back(row);
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

TEST_F(TableOnDemoCard, AReadFailingHalfWayLeavesTheWindowAsItWas) {
    table.Delete(Rows({0}));
    table.SortView(SortColumn::Name);
    const Entries before = Snapshot();
    Confirm();
    rig.ui.answers = {card::Answer::Yes};
    rig.session->ClearCache();  // the read goes to the card again
    rig.ClearLog();
    rig.Reader().ArmFaults(sim::CardFaultPlan().FailCommand(80, 0x6F00));
    EXPECT_FALSE(table.ReadFromCard(*rig.session, nullptr));
    rig.Reader().DisarmFaults();

    EXPECT_EQ(rig.ui.questions, std::vector<std::string>{Text(57500)});
    const auto instructions = rig.Instructions();
    EXPECT_GT(std::count(instructions.begin(), instructions.end(), 0xB2), 40);  // records were read before the fault
    EXPECT_TRUE(Shown().starts_with("Communication error:\r\n"));
    EXPECT_TRUE(Same(Snapshot(), before));
    EXPECT_EQ(table.PositionCount(), 120u);
    EXPECT_EQ(table.ViewSortColumn(), SortColumn::Name);
}

TEST(PhoneBookTableRead, AnInvalidatedFileIsReportedByItsBook) {
    const struct {
        const BookFile& book;
        std::uint16_t ef;
        std::string message;
    } cases[] = {
        {kPhoneBookBook, 0x6F3A, Text(5609)},
        {kFixedDialingBook, 0x6F3B, "Communication error:\r\nUnaccessible card record"},
    };
    for (const auto& c : cases) {
        sim::SimProfile profile = sim::BuildDemoSimProfile();
        profile.FindFile(kTelecom, c.ef)->invalidated = true;
        SessionRig rig(profile, {"1234"});
        NameLimit limit;
        PhoneBookTable table(c.book, rig.ui, limit);
        EXPECT_FALSE(table.ReadFromCard(*rig.session, nullptr));
        ASSERT_EQ(rig.ui.messages.size(), 1u);
        EXPECT_EQ(rig.ui.messages[0].first, c.message);
        EXPECT_EQ(table.PositionCount(), kTablePositions);
    }
}

TEST(PhoneBookTableRead, TheNameLimitFollowsThePhoneBookAndOnlyFallsWithFixedDialing) {
    // Fixed dialling records with 10 name bytes beside the phone book's 16.
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    sim::SimElementaryFile& fdn = *profile.FindFile(kTelecom, 0x6F3B);
    fdn.recordLength = 24;
    for (auto& record : fdn.records) record.erase(record.begin() + 10, record.begin() + 16);
    SessionRig rig(profile, {"1234"});
    NameLimit limit;
    PhoneBookTable book(kPhoneBookBook, rig.ui, limit);
    PhoneBookTable fixed(kFixedDialingBook, rig.ui, limit);
    const struct {
        PhoneBookTable& table;
        std::size_t before;
        std::size_t after;
    } reads[] = {{fixed, 20, 10}, {book, 10, 16}, {fixed, 8, 8}, {book, 8, 16}};
    for (const auto& read : reads) {
        limit.maxNameLength = read.before;
        ASSERT_TRUE(read.table.ReadFromCard(*rig.session, nullptr));
        EXPECT_EQ(limit.maxNameLength, read.after) << read.before;
    }
}

TEST_F(TableOnDemoCard, InsertNeedsASelectionAndAnEmptyLastPositionInCardOrder) {
    EXPECT_FALSE(table.Insert(Rows({})));
    EXPECT_FALSE(table.Insert(Rows({0})));  // the card's last record is used
    table.SortView(SortColumn::Name);
    ASSERT_EQ(table.At(119).used, 0u);
    ASSERT_NE(table.At(119).index, 119);
    EXPECT_FALSE(table.Insert(Rows({0})));  // empty, but not the card's last record
    EXPECT_EQ(Shown(), Text(57587) + "\n" + Text(57588) + "\n" + Text(57588) + "\n");
}

TEST_F(TableOnDemoCard, AdjacentDeletesAndAnInsertRenumberTheRowsBehindThem) {
    Confirm();
    table.Delete(Rows({2, 3}));  // declined
    EXPECT_TRUE(Same(Snapshot(), cardOrder));
    rig.ui.answers = {card::Answer::Yes};
    table.Delete(Rows({2, 3}));
    EXPECT_EQ(rig.ui.questions, (std::vector<std::string>{Text(57590), Text(57590)}));
    ExpectRows(CardRows(4, 119, {0, 1}, {-1, -1}));
    EXPECT_EQ(table.At(1).modified, 0u);
    EXPECT_EQ(table.At(2).modified, 1u);
    EXPECT_EQ(table.At(119).modified, 1u);

    EXPECT_EQ(table.Insert(Rows({1, 5})), 1u);
    ExpectRows(CardRows(4, 119, {0, -1, 1}, {-1}));
    EXPECT_EQ(table.At(1).modified, 1u);
    EXPECT_EQ(table.At(0).modified, 0u);
}

TEST_F(TableOnDemoCard, AViewSortByNameOrNumberComesBackToCardOrderExactly) {
    ASSERT_TRUE(table.ApplyEdit(5, {"6", "aaron", "5551234"}));
    const Entries edited = Snapshot();
    std::vector<std::size_t> usedFirst(104);
    std::iota(usedFirst.begin(), usedFirst.end(), 0);
    const struct {
        SortColumn column;
        std::string first;
        std::string second;
        std::string third;
    } cases[] = {
        {SortColumn::Name, "aaron", "Adam Dolezal", "Adam Kral"},  // case does not count
        {SortColumn::Number, "Credit", "SOS", "Bohdan Ruzicka"},   // *101#, +112, 212028183: no '+' counts
    };
    for (const auto& c : cases) {
        table.SortView(c.column);
        EXPECT_EQ(table.ViewSortColumn(), c.column);
        EXPECT_EQ(Name(0), c.first);
        EXPECT_EQ(Name(1), c.second);
        EXPECT_EQ(Name(2), c.third);
        EXPECT_EQ(table.SelectAll(), usedFirst);
        EXPECT_EQ(std::count_if(table.Positions().begin(), table.Positions().end(),
                                [](const PhoneBookEntry& entry) { return entry.modified != 0; }),
                  1);
        table.SortView(SortColumn::ItemNumber);
        EXPECT_TRUE(Same(Snapshot(), edited));
    }
}

TEST_F(TableOnDemoCard, TheSortCommandSortsItsRangeInCardOrderAndRenumbersIt) {
    EXPECT_FALSE(table.SortRange({3, 3}));
    EXPECT_EQ(Shown(), "Out of range!\n");
    EXPECT_TRUE(Same(Snapshot(), cardOrder));

    table.SortView(SortColumn::Number);
    EXPECT_TRUE(table.SortRange({1, 10}));
    const std::vector<std::string> sorted = {"Bank Hotline",  "Björn Ström", "Café Slavia", "Conference",
                                             "Jürgen Müller", "Petr @ work", "Señor Pedro", "Søren Ærø",
                                             "Šárka",         kDashes};
    for (std::size_t row = 0; row < 10; ++row) {
        EXPECT_EQ(Name(row), sorted[row]);
        EXPECT_EQ(table.At(row).index, row);
        EXPECT_EQ(table.At(row).modified, table.At(row).used);
    }
    const Entries now = Snapshot();
    EXPECT_TRUE(Same({now.begin() + 10, now.end()}, {cardOrder.begin() + 10, cardOrder.end()}));
    EXPECT_EQ(table.ViewSortColumn(), SortColumn::ItemNumber);
}

TEST_F(TableOnDemoCard, EditChecksItsFieldsAndMovesToTheTargetAfterAsking) {
    Confirm();
    EXPECT_FALSE(table.BeginEdit(Rows({})));
    EXPECT_FALSE(table.BeginEdit(Rows({1, 2})));
    EXPECT_EQ(Shown(), Text(57624) + "\n");
    const EntryForm form = table.BeginEdit(Rows({1})).value();
    EXPECT_EQ(form.itemNumber + "|" + form.name + "|" + form.number, "2|Bank Hotline|+420221234567p1234p987654");
    EXPECT_EQ(table.BeginEdit(Rows({5}))->name, "");

    const struct {
        EntryForm form;
        std::uint32_t message;
    } refused[] = {
        {{"2", "Bank", ""}, 57620},
        {{"2", "Bank", "12d"}, 57620},
        {{"0", "Bank", "1"}, 57621},
        {{"121", "Bank", "1"}, 57621},
        {{"2x", "Bank", "1"}, 57621},
        {{"2", "", "1"}, 57622},
        {{"2", std::string(21, 'a'), "1"}, 57622},
        {{"2", "Smile \xF0\x9F\x98\x80", "1"}, 57622},  // beyond what any card form holds
        {{"2", "Zdeněk Šťastný Žák", "1"}, 57622},      // UCS2: more bytes than the card's 16
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(table.ApplyEdit(1, r.form)) << r.form.name;
        EXPECT_EQ(Shown(), Text(r.message) + "\n") << r.form.number << r.form.itemNumber << r.form.name;
    }
    EXPECT_TRUE(Same(Snapshot(), cardOrder));

    // Item number 4 is the used "Conference": No keeps everything, Yes moves the entry there.
    EntryForm moved = form;
    moved.itemNumber = "4";
    EXPECT_FALSE(table.ApplyEdit(1, moved));
    EXPECT_TRUE(Same(Snapshot(), cardOrder));
    rig.ui.answers = {card::Answer::Yes};
    EXPECT_TRUE(table.ApplyEdit(1, moved));
    EXPECT_EQ(rig.ui.questions, (std::vector<std::string>{Text(57623), Text(57623)}));
    PhoneBookEntry expected = cardOrder[1];
    expected.index = 3;
    expected.modified = 1;
    EXPECT_TRUE(Same({table.At(3)}, {expected}));
    EXPECT_EQ(table.At(1).used, 0u);
    EXPECT_EQ(table.At(1).modified, 1u);
    EXPECT_EQ(table.At(1).extensionId, cardOrder[3].extensionId);

    // A name or number left as it was keeps its bytes and type; typed ones are encoded.
    EXPECT_TRUE(table.ApplyEdit(15, {"16", "SOS", "+112"}));
    EXPECT_EQ(NameBytes(table.At(15)), NameBytes(cardOrder[15]));
    EXPECT_EQ(table.At(15).ton, 2);
    EXPECT_TRUE(table.ApplyEdit(4, {"5", "Petr at work", "+420224876543"}));
    EXPECT_EQ(NameBytes(table.At(4)), "Petr at work");
    EXPECT_EQ(table.RowTextOf(4).item, "  5 *");
}

TEST_F(TableOnDemoCard, ClearSelectAndCloseFollowTheUsedPositions) {
    table.ClearSelected(Rows({5}));  // shown whatever the confirmation setting
    Confirm();
    table.ClearSelected(Rows({}));
    ASSERT_EQ(rig.ui.messages.size(), 2u);
    EXPECT_EQ(rig.ui.messages[0].second, card::MessageIcon::Information);
    EXPECT_EQ(Shown(), Text(57584) + "\n" + Text(57582) + "\n");
    table.ClearSelected(Rows({4, 5, 6}));  // declined
    EXPECT_TRUE(Same(Snapshot(), cardOrder));
    rig.ui.answers = {card::Answer::Yes};
    table.ClearSelected(Rows({4, 5, 6}));
    EXPECT_EQ(table.At(4).used + table.At(6).used, 0u);
    EXPECT_EQ(table.At(4).modified + table.At(6).modified, 2u);

    EXPECT_EQ(table.SelectRange({{1, 8}, false}), (std::vector<std::size_t>{0, 1, 2, 3, 7}));
    EXPECT_EQ(table.SelectRange({{119, 120}, true}), (std::vector<std::size_t>{118, 119}));
    EXPECT_FALSE(table.SelectRange({{2, 1}, true}));
    EXPECT_FALSE(table.SelectRange({{1, 121}, true}));
    EXPECT_EQ(Shown(), Text(57540) + "\n" + Text(57540) + "\n");
    EXPECT_EQ(table.SelectAll().size(), 101u);

    // Changed entries are not dropped without asking; cleared ones are nothing to lose.
    bool asked = false;
    EXPECT_TRUE(table.ConfirmClose(57585, asked));
    EXPECT_FALSE(asked);
    ASSERT_TRUE(table.ApplyEdit(0, {"1", "Jürgen", "+49301234567"}));
    EXPECT_FALSE(table.ConfirmClose(57585, asked));
    EXPECT_TRUE(asked);
    EXPECT_TRUE(table.ConfirmClose(-1, asked));
    EXPECT_FALSE(asked);

    table.ClearAll();  // declined
    EXPECT_EQ(table.SelectAll().size(), 101u);
    rig.ui.answers = {card::Answer::Yes};
    table.ClearAll();
    EXPECT_TRUE(table.SelectAll().empty());
    EXPECT_EQ(table.RowTextOf(0).item, "  1 *");
    EXPECT_EQ(rig.ui.questions.back(), Text(57581));
}

TEST_F(TableOnDemoCard, AddCodeWorksInCardOrderAndInternationalizeInTheViewsOrder) {
    ASSERT_TRUE(table.ApplyEdit(12, {"13", "Home", "0221234"}));
    ASSERT_TRUE(table.ApplyEdit(19, {"20", "Abroad", "00441234"}));
    table.SortView(SortColumn::Name);
    EXPECT_TRUE(table.AddCode({"+49", {3, 3}, false, false}));  // the third card record, not the third row
    EXPECT_EQ(table.ViewSortColumn(), SortColumn::ItemNumber);
    EXPECT_EQ(Name(2), "Šárka");
    EXPECT_EQ(table.RowTextOf(2).number, "+49602345678");
    EXPECT_EQ(table.RowTextOf(3).number, "+442079460000p123456789#p987654321#p1357924");

    table.Internationalize({13, 20});
    EXPECT_EQ(table.RowTextOf(12).number, "+49221234");
    EXPECT_EQ(table.RowTextOf(19).number, "+441234");
}

TEST_F(TableOnDemoCard, EntriesMovedByDeleteInsertAndSortAreWrittenWithTheirOwnBytes) {
    const auto original = rig.Card().Profile().FindFile(kTelecom, 0x6F3A)->records;
    Confirm();
    rig.ui.answers = {card::Answer::Yes, card::Answer::Yes};
    table.Delete(Rows({1}));
    ASSERT_EQ(table.Insert(Rows({0})), 0u);
    table.SortView(SortColumn::Name);
    ASSERT_NE(Name(2), "Šárka");  // the UCS2 and '@' names moved
    ASSERT_NE(Name(4), "Petr @ work");
    const Entries written = Snapshot();
    ASSERT_TRUE(table.WriteToCard(*rig.session, nullptr)) << Shown();
    EXPECT_EQ(rig.ui.questions.back(), Text(57801));

    const auto& records = rig.Card().Profile().FindFile(kTelecom, 0x6F3A)->records;
    ASSERT_EQ(records.size(), 120u);
    for (std::size_t row = 0; row < 120; ++row) {
        const PhoneBookEntry& entry = written[row];
        EXPECT_EQ(table.At(row).modified, 0u);
        if (entry.used == 0) {
            EXPECT_EQ(records[row], std::vector<std::uint8_t>(30, 0xFF)) << row;
            continue;
        }
        const auto source = std::find_if(cardOrder.begin(), cardOrder.end(), [&](const PhoneBookEntry& card) {
            return card.used && NameBytes(card) == NameBytes(entry);
        });
        ASSERT_NE(source, cardOrder.end()) << row;
        // A moved number's extension records are copied, so only the link to them may differ.
        const auto& before = original[source->index];
        EXPECT_TRUE(std::equal(before.begin(), before.end() - 1, records[row].begin())) << row << " " << Name(row);
        if (before.back() == 0xFF) {
            EXPECT_EQ(records[row].back(), 0xFF) << row;
        }
    }
    rig.session->ClearCache();
    ASSERT_TRUE(table.ReadFromCard(*rig.session, nullptr)) << Shown();
    EXPECT_EQ(table.ViewSortColumn(), SortColumn::ItemNumber);
    const auto line = [](const PhoneBookEntry& e) { return std::string(NameBytes(e)) + '|' + e.number; };
    for (std::size_t row = 0; row < 120; ++row) EXPECT_EQ(line(table.At(row)), line(written[row])) << row;
}

TEST_F(TableOnDemoCard, FilesAreWrittenInCardOrderAndReadBackAtTheirStart) {
    testing::TemporaryFolder folder;
    const std::string path = folder.File("book.dia");
    table.SortView(SortColumn::Name);
    EXPECT_TRUE(table.SaveFile(path, {1, 10}));
    EXPECT_EQ(table.ViewSortColumn(), SortColumn::ItemNumber);
    EXPECT_EQ(Shown(), "Data written to file\n");

    EXPECT_EQ(table.DefaultAddFromFile(Rows({3}, 114)).from, 115);
    EXPECT_FALSE(table.CheckAddFromFile({121, false}));
    EXPECT_TRUE(table.CheckAddFromFile({120, false}));
    EXPECT_EQ(Shown(), Text(57470) + "\n");
    table.AddFromFile(path, {115, false});  // nine lines from position 115 on
    EXPECT_EQ(table.PositionCount(), 123u);
    EXPECT_EQ(Name(115), "Bank Hotline");

    Confirm();
    EXPECT_FALSE(table.ConfirmOpenFile());
    EXPECT_EQ(rig.ui.questions.back(), Text(57471));
    table.OpenFile(path);
    EXPECT_EQ(table.PositionCount(), 123u);
    EXPECT_EQ(table.SelectAll().size(), 9u);
    EXPECT_EQ(Name(1), "Bank Hotline");
}

TEST(PhoneBookTablePaste, TextLinesAreCheckedInTurnAndTheFirstBadOneStopsThePaste) {
    const std::string name20 = "Žluťoučký kůň úpěl x";
    const struct {
        std::string text;
        std::uint32_t message;
        std::size_t placed;
    } cases[] = {
        {"  " + name20 + "\t '+420123\r\nBob\t555", 0, 2},
        {name20 + "y\t1", 5500, 0},  // before any card read names take 20 characters
        {"Anna\r\nBob\t1", 5501, 0},
        {"Anna\t\r\n", 5501, 0},
        {"Anna\t" + std::string(61, '1'), 5503, 0},
        {"Anna\t1\r\nBob\t12a", 5504, 1},
        {"A\t1\nB\t2\nC\t3\nD\t4\nE\t5", 5505, 3},  // from the third-last row
    };
    for (const auto& c : cases) {
        testing::ScriptedUserInterface ui;
        NameLimit limit;
        PhoneBookTable table(kPhoneBookBook, ui, limit);
        table.PasteText(c.text, Rows({}, 247));
        EXPECT_EQ(ui.messages.size(), c.message != 0 ? 1u : 0u) << c.text;
        if (c.message != 0 && !ui.messages.empty()) {
            EXPECT_EQ(ui.messages[0].first, Text(c.message)) << c.text;
        }
        EXPECT_EQ(table.SelectAll().size(), c.placed) << c.text;
        for (std::size_t row = 247; row < 247 + c.placed; ++row) {
            EXPECT_EQ(table.At(row).index, row);
            EXPECT_EQ(table.At(row).modified, 1u);
        }
        if (c.message == 0) {
            EXPECT_EQ(table.RowTextOf(247).name + "|" + table.RowTextOf(247).number, "Zlutoucky kun upel x|+420123");
            EXPECT_EQ(table.RowTextOf(248).name + "|" + table.RowTextOf(248).number, "Bob|555");
        }
    }
}

TEST_F(TableOnDemoCard, APasteOverUsedEntriesAsksOnceWhateverTheSetting) {
    table.PasteText("A\t1\r\nB\t2", Rows({}, -1));
    table.PasteText("A\t1\r\nB\t2", Rows({}, 0));  // declined
    EXPECT_TRUE(Same(Snapshot(), cardOrder));
    rig.ui.answers = {card::Answer::Yes};
    table.PasteText("A\t1\r\nB\t+2", Rows({}, 0));
    EXPECT_EQ(rig.ui.questions, (std::vector<std::string>{Text(57586), Text(57586)}));
    EXPECT_EQ(Name(0) + Name(1) + table.RowTextOf(1).number, "AB+2");
    EXPECT_EQ(table.At(1).index, 1);
    EXPECT_EQ(table.At(1).modified, 1u);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(TableOnDemoCard, ADropFillsTheRowsItReachesAndWarnsAboutTheRest) {
    const std::optional<DialPayload> payload =
        ParseDialPayload(table.CopyEntries(Rows({0, 1, 2, 3, 4}), false, 7).value().payload);
    ASSERT_TRUE(payload);
    Confirm();
    EXPECT_FALSE(table.DropPayload(*payload, 117));  // declined
    EXPECT_TRUE(Same(Snapshot(), cardOrder));
    rig.ui.answers = {card::Answer::Yes};
    EXPECT_TRUE(table.DropPayload(*payload, 117));
    EXPECT_EQ(rig.ui.questions, (std::vector<std::string>{Text(57586), Text(57586)}));
    for (std::size_t row = 117; row < 120; ++row) {
        EXPECT_EQ(NameBytes(table.At(row)), NameBytes(cardOrder[row - 117])) << row;
        EXPECT_EQ(table.At(row).index, row);
        EXPECT_EQ(table.At(row).modified, 1u);
    }
    EXPECT_EQ(Shown(), Text(57594) + "\n");
    table.SetSettings({false, "49", "00"});
    EXPECT_TRUE(table.DropPayload({7, {payload->entries.begin() + 3, payload->entries.end()}}, 118));  // fits
    EXPECT_EQ(Name(119), "Petr @ work");
    EXPECT_EQ(Shown(), "");
}

TEST_F(TableOnDemoCard, CutAndMovesWithinTheWindowEmptyTheSources) {
    EXPECT_FALSE(table.CopyEntries(Rows({5, 12}), true, 7));  // only empty positions
    EXPECT_TRUE(Same(Snapshot(), cardOrder));

    Confirm();
    const auto dragged = table.BeginDrag(Rows({3, 4}), 7);
    ASSERT_TRUE(dragged);
    EXPECT_TRUE(table.DropPayload(ParseDialPayload(*dragged).value(), 4));  // onto itself and an empty row
    table.EndDrag(true);
    EXPECT_TRUE(rig.ui.questions.empty());
    ExpectRows(CardRows(6, 119, {0, 1, 2, -1, 3, 4}));
    EXPECT_EQ(table.At(3).modified, 1u);
    EXPECT_TRUE(std::none_of(table.Positions().begin(), table.Positions().end(),
                             [](const PhoneBookEntry& entry) { return entry.inTransfer != 0; }));

    // A move that cannot place every entry keeps its sources, and a copy leaves no marks behind.
    table.SetSettings({false, "49", "00"});
    const auto tail = table.BeginDrag(Rows({114, 115, 116}), 7);
    ASSERT_TRUE(tail);
    EXPECT_TRUE(table.DropPayload(ParseDialPayload(*tail).value(), 118));
    table.EndDrag(true);
    EXPECT_TRUE(table.At(114).used != 0 && table.At(115).used != 0 && table.At(116).used != 0);
    EXPECT_EQ(Name(118), Name(114));
    ASSERT_TRUE(table.BeginDrag(Rows({0}), 7));
    table.EndDrag(false);
    EXPECT_TRUE(std::none_of(table.Positions().begin(), table.Positions().end(),
                             [](const PhoneBookEntry& entry) { return entry.inTransfer != 0; }));

    const auto cut = table.CopyEntries(Rows({5, 6}), true, 7);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->text, "Petr @ work\t'+420224876543\r\nBjörn Ström\t'+46812345678\r\n");
    EXPECT_EQ(table.At(5).used + table.At(6).used, 0u);
    EXPECT_EQ(table.At(6).modified, 1u);
}

}  // namespace
}  // namespace quillet::phonebook
