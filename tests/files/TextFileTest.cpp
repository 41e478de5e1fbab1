// The text-file layer: the field coding both ways, files of the earlier writers, bounded reading, and
// its writing modes on top of the saving routine.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "files/TextFile.h"
#include "support/TemporaryFolder.h"

namespace quillet::files {
namespace {

using testing::ReadFileBytes;
using testing::TemporaryFolder;
using testing::WriteFileBytes;

constexpr std::string_view kDelimiters = "\t\n";

// Every field of a file, read as the phone book reads a line: the first skipping line feeds.
std::vector<TextField> ReadAll(const std::string& path, UnknownEscape unknown = UnknownEscape::TakeCharacter) {
    TextFile file;
    EXPECT_EQ(file.Open(path, OpenMode::ReadExisting), text_file::kOk);
    std::vector<TextField> fields;
    TextField field;
    bool lineStart = true;
    for (;;) {
        const unsigned code = file.ReadToken(field, 300, lineStart, kDelimiters, unknown);
        if (code == text_file::kEndOfFile) break;
        EXPECT_EQ(code, text_file::kOk);
        fields.push_back(field);
        char next = 0;
        if (file.ReadChar(next) != text_file::kOk) break;
        lineStart = next == '\n';
    }
    return fields;
}

TEST(TextFile, EveryFieldReadsBackAsWritten) {
    struct Case {
        std::string text;
        std::string coded;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", "\x1b\x30"},
        {"0", "0"},
        {"two\nlines", "two\x1bnlines"},
        {"cr\r", "cr\x1br"},
        {"a\tb", "a\x1btb"},
        {"esc\x1b", "esc\x1b\x1b"},
        {"\x1b\x30", "\x1b\x1b\x30"},
        {" lead", "\x1b lead"},
        {"  two", "\x1b  two"},
        {"mid dle ", "mid dle "},
        {"\n", "\x1bn"},
        {"\x8a\xff\x01", "\x8a\xff\x01"},
        {std::string(256, 'y'), std::string(256, 'y')},
    };
    TemporaryFolder folder;
    const std::string path = folder.File("fields.txt");
    std::string all;
    for (const Case& test : cases) {
        std::string coded;
        TextFile::AppendField(coded, test.text, '\t');
        EXPECT_EQ(coded, test.coded + "\t") << test.text;
        TextFile::AppendField(all, test.text, '\t');
        TextFile::AppendField(all, test.text, '\n');
    }
    WriteFileBytes(path, all);
    // Whatever an unknown escape means, the writer's own escapes are known.
    for (const UnknownEscape unknown : {UnknownEscape::KeepBoth, UnknownEscape::TakeCharacter}) {
        const std::vector<TextField> fields = ReadAll(path, unknown);
        ASSERT_EQ(fields.size(), 2 * std::size(cases));
        for (std::size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(fields[i].text, cases[i / 2].text) << i;
            EXPECT_TRUE(fields[i].present) << i;
            EXPECT_FALSE(fields[i].cut) << i;
        }
    }

    // At most 256 characters of a field are written; CR LF ends a record.
    std::string longer;
    TextFile::AppendField(longer, std::string(300, 'z'), '\n');
    EXPECT_EQ(longer, std::string(256, 'z') + "\r\n");
}

// Files of the earlier writers and hand-written ones: the phone book's wrote ESC 'n' only and kept the
// other bytes of a name (GSM extension characters: "A€" is A ESC e), so there an escape the writer does
// not make keeps both bytes; the messages' wrote ESC before TAB and ESC, so there it gives the character.
TEST(TextFile, EarlierAndHandWrittenFilesReadAsBefore) {
    struct Case {
        std::string bytes;
        std::vector<std::string> keepBoth;  // "<absent>" for a field that is not there
        std::vector<std::string> takeCharacter;
    };
    const Case cases[] = {
        {"se\x1bnc\tsecond\r\n", {"se\nc", "second"}, {"se\nc", "second"}},
        {"A\033e\t\033e\x1b<\r\n", {"A\033e", "\033e\x1b<"}, {"Ae", "e<"}},
        {"tab\x1b\tinside\x1b\x1b\tnext", {"tab\x1b", "inside\x1b", "next"}, {"tab\tinside\x1b", "next"}},
        {"\x1b\x30x\ta\x1b\x30\t\x1b\x30", {"\x1b\x30x", "a\x1b\x30", ""}, {"0x", "a0", ""}},
        {"o\x1bxther\x1bq", {"o\x1bxther\x1bq"}, {"oxtherq"}},
        {"\x1b sp\x1b ace", {" sp\x1b ace"}, {" sp ace"}},
        {"ends\x1b", {"ends\x1b"}, {"ends\x1b"}},
        {"line\x1b\r\nnext", {"line\x1b", "next"}, {"line\nnext"}},
        {"c\rr\r\n\r\n \t  blanks first\t", {"cr", "blanks first"}, {"cr", "blanks first"}},
        {"name\t\t\tnumber\n", {"name", "number"}, {"name", "number"}},
        {"name\t \n", {"name", "<absent>"}, {"name", "<absent>"}},
    };
    TemporaryFolder folder;
    for (const Case& test : cases) {
        WriteFileBytes(folder.File("old.txt"), test.bytes);
        for (const UnknownEscape unknown : {UnknownEscape::KeepBoth, UnknownEscape::TakeCharacter}) {
            std::vector<std::string> texts;
            for (const TextField& field : ReadAll(folder.File("old.txt"), unknown)) {
                texts.push_back(field.present ? field.text : "<absent>");
            }
            EXPECT_EQ(texts, unknown == UnknownEscape::KeepBoth ? test.keepBoth : test.takeCharacter) << test.bytes;
        }
    }
}

TEST(TextFile, FieldsAndBuffersStayBounded) {
    TemporaryFolder folder;
    const std::string path = folder.File("long.txt");
    WriteFileBytes(path, std::string(5000, 'x') + "\x1bn\tshort\t" + std::string(64, 'y') + "\n2nd line");
    TextFile file;
    ASSERT_EQ(file.Open(path, OpenMode::ReadExisting), text_file::kOk);
    TextField field;
    EXPECT_EQ(file.ReadToken(field, 65, true, kDelimiters, UnknownEscape::KeepBoth), text_file::kOk);
    EXPECT_EQ(field.text, std::string(64, 'x'));  // cut, and the rest of the field dropped
    EXPECT_TRUE(field.cut);
    EXPECT_EQ(file.ReadToken(field, 65, false, kDelimiters, UnknownEscape::KeepBoth), text_file::kOk);
    EXPECT_EQ(field.text, "short");
    EXPECT_FALSE(field.cut);
    EXPECT_EQ(file.ReadToken(field, 65, false, kDelimiters, UnknownEscape::KeepBoth), text_file::kOk);
    EXPECT_FALSE(field.cut);           // exactly the capacity
    EXPECT_EQ(file.LineNumber(), 1u);  // an escaped line feed is no line end
    EXPECT_EQ(file.ReadToken(field, 65, true, kDelimiters, UnknownEscape::KeepBoth), text_file::kOk);
    EXPECT_EQ(file.LineNumber(), 2u);
    EXPECT_EQ(field.text, "2nd line");
    EXPECT_EQ(file.ReadToken(field, 65, true, kDelimiters, UnknownEscape::KeepBoth), text_file::kEndOfFile);
    EXPECT_FALSE(field.present);
}

// After a record's last field only blanks may come before the line feed, which stays for the next record.
TEST(TextFile, ARecordEndsAfterItsLastField) {
    struct Case {
        std::string rest;  // what follows the field "last"
        LineEnd end;
    };
    const Case cases[] = {
        {"\r\nnext", LineEnd::Clean}, {"", LineEnd::Clean},           {" \t \r\nnext", LineEnd::Clean},
        {"\t \t", LineEnd::Clean},    {"\textra\r\n", LineEnd::Junk}, {"\t\t \x1b\x30\n", LineEnd::Junk},
    };
    TemporaryFolder folder;
    for (const Case& test : cases) {
        WriteFileBytes(folder.File("line.txt"), "last" + test.rest);
        TextFile file;
        ASSERT_EQ(file.Open(folder.File("line.txt"), OpenMode::ReadExisting), text_file::kOk);
        TextField field;
        ASSERT_EQ(file.ReadToken(field, 65, true, kDelimiters, UnknownEscape::KeepBoth), text_file::kOk);
        EXPECT_EQ(file.SkipToLineEnd(), test.end) << test.rest;
        if (test.end == LineEnd::Clean && test.rest.ends_with("next")) {
            EXPECT_EQ(file.ReadToken(field, 65, true, kDelimiters, UnknownEscape::KeepBoth), text_file::kOk);
            EXPECT_EQ(field.text, "next");
            EXPECT_EQ(file.LineNumber(), 2u);
        }
    }
    TextFile file;
    ASSERT_EQ(file.Open(folder.Path().string(), OpenMode::ReadExisting), text_file::kOk);
    EXPECT_EQ(file.SkipToLineEnd(), LineEnd::Failure);
}

TEST(TextFile, OpenCodesAndReasons) {
    TemporaryFolder folder;
    TextFile file;
    EXPECT_EQ(file.Open(folder.File("missing.txt"), OpenMode::ReadExisting), text_file::kNotFound);
    EXPECT_EQ(file.Reason(), std::strerror(ENOENT));
    for (const OpenMode mode : {OpenMode::CreateAlways, OpenMode::AppendAlways}) {
        EXPECT_EQ(file.Open(folder.File("no/such/folder.txt"), mode), text_file::kNotFound);
        EXPECT_EQ(file.Reason(), std::strerror(ENOENT));
        EXPECT_EQ(file.Open(folder.Path().string(), mode), text_file::kFailure);
        EXPECT_EQ(file.Reason(), std::strerror(EISDIR));
    }
    // Reading a folder fails at the first character.
    ASSERT_EQ(file.Open(folder.Path().string(), OpenMode::ReadExisting), text_file::kOk);
    char character = 0;
    EXPECT_EQ(file.PeekChar(character), text_file::kFailure);
    EXPECT_EQ(file.Reason(), std::strerror(EISDIR));
    EXPECT_EQ(folder.Entries(), 0);
}

TEST(TextFile, WritingReplacesOrAppendsOnlyOnClose) {
    TemporaryFolder folder;
    const std::string path = folder.File("out.txt");
    WriteFileBytes(path, "old\r\nlast line");
    for (const bool close : {false, true}) {
        TextFile out;
        ASSERT_EQ(out.Open(path, OpenMode::AppendAlways), text_file::kOk);
        EXPECT_EQ(out.Write("added\r\n"), text_file::kOk);
        EXPECT_EQ(ReadFileBytes(path), "old\r\nlast line");  // nothing visible before Close
        if (close) {
            EXPECT_EQ(out.Close(), text_file::kOk);
        }
    }
    // The archive's last line got its line end before the new one.
    EXPECT_EQ(ReadFileBytes(path), "old\r\nlast line\r\nadded\r\n");
    for (const bool close : {false, true}) {
        TextFile out;
        ASSERT_EQ(out.Open(path, OpenMode::CreateAlways), text_file::kOk);
        EXPECT_EQ(out.Write("new\r\n"), text_file::kOk);
        if (close) {
            EXPECT_EQ(out.Close(), text_file::kOk);
        }
    }
    EXPECT_EQ(ReadFileBytes(path), "new\r\n");
    EXPECT_EQ(folder.Entries(), 1);
}

}  // namespace
}  // namespace quillet::files
