// The codecs of the backup layer against the vectors of tests/vectors/plmn and tests/vectors/archive,
// each run four ways. PLMN slots: decoded, encoded back, read from a card file padded with empty
// slots and written back there, and read from that file cut at every length. Archive strings:
// written, read whole and into a short field, read with bytes after them, and read cut.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "backup/NetworkList.h"
#include "backup/PlmnEntry.h"
#include "files/ArchiveString.h"
#include "support/SessionRig.h"
#include "support/VectorFile.h"
#include "support/VectorsFolder.h"

namespace quillet::backup {
namespace {

using Bytes = std::vector<std::uint8_t>;
using files::ArchiveError;
using files::ArchiveReader;
using files::ArchiveStringSize;
using files::ArchiveWriter;
using files::MemoryArchiveSource;

Bytes Hex(const std::string& text) { return quillet::testing::HexBytes(text); }

// ---- PLMN slots ----

struct SlotVector {
    std::string name;
    Bytes slot;
    PlmnEntry expected{};
};

bool SetSlotField(SlotVector& v, const std::string& key, const std::string& value) {
    if (key == "slot") {
        v.slot = Hex(value);
    } else if (key == "valid") {
        v.expected.valid = static_cast<std::uint8_t>(std::stoul(value));
    } else if (key == "mcc") {
        v.expected.mcc = static_cast<std::uint32_t>(std::stoul(value));
    } else if (key == "mnc") {
        v.expected.mnc = static_cast<std::uint32_t>(std::stoul(value));
    } else if (key == "three") {
        v.expected.threeDigitMnc = value == "yes" ? 1 : 0;
    } else {
        return false;
    }
    return true;
}

std::vector<SlotVector> LoadSlots(const std::string& file) {
    auto vectors = quillet::testing::ReadVectorCases<SlotVector>(quillet::testing::VectorsFolder() + "/plmn/" + file,
                                                                 file + ":", SetSlotField);
    for (const SlotVector& v : vectors) EXPECT_EQ(v.slot.size(), kPlmnSlotSize) << v.name;
    return vectors;
}

PlmnEntry DecodeSlot(const Bytes& slot) { return DecodePlmnSlot(std::span<const std::uint8_t, kPlmnSlotSize>(slot)); }

TEST(PlmnVectors, SlotsDecodeAndEncodeBackByteForByte) {
    const std::vector<SlotVector> slots = LoadSlots("slots.txt");
    ASSERT_GE(slots.size(), 16u);
    for (const SlotVector& v : slots) {
        SCOPED_TRACE(v.name);
        EXPECT_EQ(DecodeSlot(v.slot), v.expected);
        const PlmnSlot written = EncodePlmnSlot(v.expected);
        EXPECT_EQ(Bytes(written.begin(), written.end()), v.slot);
    }
    for (const SlotVector& v : LoadSlots("malformed.txt")) EXPECT_EQ(DecodeSlot(v.slot), v.expected) << v.name;
}

constexpr std::uint16_t kGsm = 0x7F20;
constexpr std::uint16_t kPlmnSel = 0x6F30;

// A card whose preferred-network list holds `content`.
class PlmnListOnCard {
public:
    PlmnListOnCard() : m_rig(Profile(), {"1234"}) {
        EXPECT_TRUE(m_rig.session->BeginSession(true, false, true)) << m_rig.session->FormatLastError();
    }
    Bytes& Content() { return m_rig.Card().MutableProfile().FindFile(kGsm, kPlmnSel)->content; }
    std::vector<PlmnEntry> Read() {
        std::vector<PlmnEntry> list;
        EXPECT_TRUE(ReadNetworkList(*m_rig.session, list, false)) << m_rig.session->FormatLastError();
        return list;
    }
    bool Write(const std::vector<PlmnEntry>& list) { return WriteNetworkList(*m_rig.session, list, false); }

private:
    static sim::SimProfile Profile() {
        sim::SimProfile profile = testing::MakeTestSimProfile();
        profile.files.push_back(
            testing::MakeFile(kGsm, kPlmnSel, "PLMNsel", sim::FileStructure::Transparent,
                              {sim::AccessLevel::Chv1, sim::AccessLevel::Chv1, sim::AccessLevel::Never,
                               sim::AccessLevel::Adm, sim::AccessLevel::Adm}));
        profile.files.back().content = Bytes(kPlmnSlotSize, 0xFF);
        return profile;
    }
    testing::SessionRig m_rig;
};

// Every slot of a file between empty slots, as cards pad their lists; the entries read, in order.
std::pair<Bytes, std::vector<PlmnEntry>> PaddedList(const std::vector<SlotVector>& slots) {
    Bytes content(kPlmnSlotSize, 0xFF);
    std::vector<PlmnEntry> entries = {PlmnEntry{}};
    for (const SlotVector& v : slots) {
        content.insert(content.end(), v.slot.begin(), v.slot.end());
        content.insert(content.end(), kPlmnSlotSize, 0xFF);
        entries.insert(entries.end(), {v.expected, PlmnEntry{}});
    }
    return {content, entries};
}

TEST(PlmnVectors, ACardListWithEmptySlotsReadsAndWritesBackUnchanged) {
    PlmnListOnCard card;
    for (const std::string file : {"slots.txt", "malformed.txt"}) {
        SCOPED_TRACE(file);
        const auto [content, entries] = PaddedList(LoadSlots(file));
        card.Content() = content;
        const std::vector<PlmnEntry> read = card.Read();
        EXPECT_EQ(read, entries);
        if (file != "slots.txt") continue;
        card.Content().assign(content.size(), 0x00);
        ASSERT_TRUE(card.Write(read));
        EXPECT_EQ(card.Content(), content);
    }
}

TEST(PlmnVectors, ACutCardListReadsItsWholeSlotsOnly) {
    PlmnListOnCard card;
    const auto [content, entries] = PaddedList(LoadSlots("slots.txt"));
    for (std::size_t length = 1; length <= content.size(); ++length) {
        SCOPED_TRACE(length);
        card.Content().assign(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(length));
        const std::vector<PlmnEntry> whole(entries.begin(), entries.begin() + length / kPlmnSlotSize);
        EXPECT_EQ(card.Read(), whole);
    }
}

// ---- Archive strings ----

struct StringVector {
    std::string name;
    std::size_t length = 0;
    Bytes prefix;
};

bool SetStringField(StringVector& v, const std::string& key, const std::string& value) {
    if (key == "length") {
        v.length = std::stoul(value);
    } else if (key == "prefix") {
        v.prefix = Hex(value);
    } else {
        return false;
    }
    return true;
}

struct FormVector {
    std::string name;
    Bytes bytes;
    std::string text;
    ArchiveError error = ArchiveError::kNone;
};

bool SetFormField(FormVector& v, const std::string& key, const std::string& value) {
    if (key == "bytes") {
        v.bytes = Hex(value);
    } else if (key == "text") {
        v.text = value;
    } else if (key == "error" && (value == "malformed" || value == "ended")) {
        v.error = value == "malformed" ? ArchiveError::kMalformed : ArchiveError::kEndOfData;
    } else {
        return false;
    }
    return true;
}

template <typename Vector, typename SetField>
std::vector<Vector> LoadArchive(const std::string& file, SetField setField) {
    return quillet::testing::ReadVectorCases<Vector>(quillet::testing::VectorsFolder() + "/archive/" + file, file + ":",
                                                     setField);
}

std::string TextOfLength(std::size_t length) {
    std::string text(length, 'x');
    if (!text.empty()) text.back() = 'z';
    return text;
}

struct ReadOutcome {
    bool read = false;
    std::string text;
    ArchiveError error = ArchiveError::kNone;
    int next = -1;  // the byte after the string, -1 when there is none
};

// Reads one string into a field of `fieldSize` bytes, then the byte after it. Each data block is
// its own heap block, so a sanitizer build sees any read past it.
ReadOutcome ReadString(const Bytes& data, std::size_t fieldSize) {
    const Bytes copy = data;
    MemoryArchiveSource source(copy);
    ArchiveReader reader(source);
    std::vector<char> field(fieldSize, '?');
    ReadOutcome outcome;
    outcome.read = reader.ReadArchiveString(field.data(), field.size());
    if (outcome.read) outcome.text = std::string(field.data());
    outcome.error = reader.Error();
    std::uint8_t next = 0;
    if (outcome.read && reader.ReadU8(next)) outcome.next = next;
    return outcome;
}

TEST(ArchiveVectors, TextsAtTheFormBordersWriteTheirPrefixAndReadBackWholeOrCut) {
    const auto vectors = LoadArchive<StringVector>("strings.txt", SetStringField);
    ASSERT_GE(vectors.size(), 9u);
    for (const StringVector& v : vectors) {
        SCOPED_TRACE(v.name);
        const std::string text = TextOfLength(v.length);
        EXPECT_EQ(ArchiveStringSize(v.length), v.prefix.size() + v.length);
        ArchiveWriter writer;
        writer.WriteArchiveString(text);
        Bytes expected = v.prefix;
        expected.insert(expected.end(), text.begin(), text.end());
        ASSERT_EQ(writer.Bytes(), expected);

        // Whole, and into a field of 33 bytes with the rest stepped over; a byte after it stays in step.
        Bytes followed = expected;
        followed.push_back(0x42);
        for (std::size_t fieldSize : {v.length + 1, std::size_t{33}}) {
            const ReadOutcome outcome = ReadString(followed, fieldSize);
            EXPECT_TRUE(outcome.read);
            EXPECT_EQ(outcome.text, text.substr(0, std::min(v.length, fieldSize - 1)));
            EXPECT_EQ(outcome.next, 0x42);
        }
    }
}

TEST(ArchiveVectors, TextsCutInTheirPrefixOrTextAreRefusedAsEndedData) {
    for (const StringVector& v : LoadArchive<StringVector>("strings.txt", SetStringField)) {
        Bytes whole = v.prefix;
        const std::string text = TextOfLength(v.length);
        whole.insert(whole.end(), text.begin(), text.end());
        std::vector<std::size_t> cuts;
        for (std::size_t cut = 0; cut <= v.prefix.size() && cut < whole.size(); ++cut) cuts.push_back(cut);
        if (whole.size() > v.prefix.size() + 1) cuts.push_back(whole.size() - 1);
        for (std::size_t cut : cuts) {
            SCOPED_TRACE(v.name + " cut to " + std::to_string(cut));
            const ReadOutcome outcome = ReadString(Bytes(whole.begin(), whole.begin() + cut), 40);
            EXPECT_FALSE(outcome.read);
            EXPECT_EQ(outcome.error, ArchiveError::kEndOfData);
        }
    }
}

TEST(ArchiveVectors, OtherFormsAreReadAsTheySayOrRefused) {
    const auto vectors = LoadArchive<FormVector>("forms.txt", SetFormField);
    ASSERT_GE(vectors.size(), 9u);
    for (const FormVector& v : vectors) {
        SCOPED_TRACE(v.name);
        const ReadOutcome outcome = ReadString(v.bytes, 16);
        EXPECT_EQ(outcome.read, v.error == ArchiveError::kNone);
        EXPECT_EQ(outcome.error, v.error);
        EXPECT_EQ(outcome.text, v.text);

        for (std::size_t cut = 0; cut < v.bytes.size(); ++cut) {
            const ReadOutcome shorter = ReadString(Bytes(v.bytes.begin(), v.bytes.begin() + cut), 16);
            EXPECT_FALSE(shorter.read) << "cut to " << cut;
        }
        if (v.error == ArchiveError::kEndOfData) continue;  // a byte after it would be taken as data
        Bytes followed = v.bytes;
        followed.push_back(0x42);
        const ReadOutcome after = ReadString(followed, 16);
        EXPECT_EQ(after.error, v.error);
        EXPECT_EQ(after.text, v.text);
        EXPECT_EQ(after.next, v.error == ArchiveError::kNone ? 0x42 : -1);
    }
}

}  // namespace
}  // namespace quillet::backup
