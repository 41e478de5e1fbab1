// Printed reports as PDF files, read back with poppler's tools: page count, text, fonts and pixels;
// and the print commands of the editor windows through the print dialog.
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "EditorWindowFixture.h"
#include "phonebook/EntryName.h"
#include "support/ShellOutput.h"
#include "ui/CSmsEdDlg.h"
#include "ui/ReportPrinter.h"

namespace quillet::testing {
namespace {

using C = app::CommandId;
using ui::report::ReportKind;

int PageCount(const std::string& pdf) {
    const std::string info = ShellOutput("pdfinfo '" + pdf + "' 2>&1");
    const std::size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

// The text of one page (0: all), lines kept where they are printed.
std::string PageText(const std::string& pdf, int page = 0) {
    const std::string range = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
    return ShellOutput("pdftotext -layout -enc UTF-8" + range + " '" + pdf + "' - 2>&1");
}

std::vector<std::vector<std::string>> Lines(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> tokens;
        std::string word;
        while (words >> word) tokens.push_back(word);
        if (!tokens.empty()) lines.push_back(tokens);
    }
    return lines;
}

std::size_t Occurrences(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

bool Contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

phonebook::PhoneBookEntry Entry(std::uint16_t index, std::u32string_view name, const std::string& number) {
    phonebook::PhoneBookEntry entry = phonebook::EmptyPosition(index);
    entry.used = 1;
    EXPECT_TRUE(phonebook::SetNameText(entry, name, 32));
    const bool international = !number.empty() && number[0] == '+';
    std::snprintf(entry.number, sizeof entry.number, "%s", number.c_str() + (international ? 1 : 0));
    entry.ton = international ? 1 : 0;
    return entry;
}

bool WritePdf(const std::string& path, const ui::ReportSource& source, QPageSize size = QPageSize(QPageSize::A4)) {
    QPdfWriter writer(QString::fromStdString(path));
    writer.setPageSize(size);
    return ui::PrintReport(writer, source);
}

// Rows of a grey-scale rendering that are dark over most of their width, counted as bands of
// neighbouring rows: the rules.
int RuleBands(const std::string& pdf, const std::string& folder) {
    ShellOutput("pdftoppm -gray -r 150 -f 1 -l 1 '" + pdf + "' '" + folder + "/page' 2>&1");
    std::ifstream in(folder + "/page-1.pgm", std::ios::binary);
    std::string magic;
    int width = 0;
    int height = 0;
    int maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    if (magic != "P5" || width <= 0 || height <= 0) return -1;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    int bands = 0;
    bool inBand = false;
    for (int row = 0; row < height; ++row) {
        int dark = 0;
        for (int column = 0; column < width; ++column) dark += pixels[row * width + column] < 160 ? 1 : 0;
        const bool rule = dark > width * 6 / 10;
        bands += rule && !inBand ? 1 : 0;
        inBand = rule;
    }
    return bands;
}

class ReportPdf : public ::testing::Test {
protected:
    TemporaryFolder folder;
};

TEST_F(ReportPdf, APhoneBookPrintsItsLettersOnNumberedPages) {
    std::vector<phonebook::PhoneBookEntry> book(130);
    for (std::uint16_t index = 0; index < book.size(); ++index) {
        book[index] = Entry(index, U"Contact " + std::u32string(1, U'A' + index % 26),
                            "+4206" + std::to_string(10000000 + index));
    }
    book[0] = Entry(0, U"Ελένη Παππά", "+302101234567");
    book[1] = phonebook::EmptyPosition(1);
    book[2] = Entry(2, U"Šárka Dvořáková", "602345678");
    book[3] = Entry(3, U"Юрий Гагарин", "+74951234567");
    book[4] = Entry(4, U"Long", "123456789012345678901234567890123456789012345678901234567890");
    const std::string pdf = folder.File("book.pdf");
    ASSERT_TRUE(WritePdf(pdf, {ReportKind::PhoneBook, book, {}}));

    const int pages = PageCount(pdf);
    ASSERT_GE(pages, 3);
    for (int page = 1; page <= pages; ++page) {
        const std::string text = PageText(pdf, page);
        EXPECT_TRUE(Contains(text, "<" + std::to_string(page) + ">")) << page;
        EXPECT_TRUE(Contains(text, "Name:") && Contains(text, "Telephone") && Contains(text, "#")) << page;
    }
    const std::string text = PageText(pdf);
    EXPECT_FALSE(Contains(text, "<" + std::to_string(pages + 1) + ">"));
    for (const char* name : {"Ελένη Παππά", "Šárka Dvořáková", "Юрий Гагарин", "+302101234567", "+420610000129"}) {
        EXPECT_TRUE(Contains(text, name)) << name;
    }
    // The empty position prints nothing, the others keep their numbers.
    const std::vector<std::vector<std::string>> lines = Lines(PageText(pdf, 1));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1].front(), "1");
    EXPECT_EQ(lines[2].front(), "3");
    // The 60 digits go on over lines of their own below the name.
    std::string digits;
    for (std::size_t line = 0; line < lines.size(); ++line) {
        if (lines[line].size() < 3 || lines[line][1] != "Long") continue;
        digits = lines[line].back();
        for (std::size_t next = line + 1; next < lines.size() && lines[next].size() == 1; ++next) {
            digits += lines[next][0];
        }
    }
    EXPECT_EQ(digits, "123456789012345678901234567890123456789012345678901234567890");
    EXPECT_EQ(Occurrences(text, "Long"), 1u);
}

TEST_F(ReportPdf, AnEmptyReportPrintsItsFrameAndRules) {
    const std::vector<phonebook::PhoneBookEntry> book = {phonebook::EmptyPosition(0), phonebook::EmptyPosition(1)};
    const std::string pdf = folder.File("empty.pdf");
    ASSERT_TRUE(WritePdf(pdf, {ReportKind::PhoneBook, book, {}}));
    EXPECT_EQ(PageCount(pdf), 1);
    EXPECT_EQ(Lines(PageText(pdf)), (std::vector<std::vector<std::string>>{{"#", "Name:", "Telephone", "<1>"}}));
    EXPECT_EQ(RuleBands(pdf, folder.Path().string()), 2);

    QByteArray bytes;
    std::string error;
    ASSERT_TRUE(ui::ReportPdf({ReportKind::Messages, {}, {}}, bytes, error)) << error;
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
}

// The print commands reach the active window, which prints through the print dialog.
class PrintCommand : public EditorWindowFixture {
protected:
    void SetUp() override {
        EditorWindowFixture::SetUp();
        ui::SetPrinterPreparation(
            [this](QPrinter& printer) { printer.setOutputFileName(QString::fromStdString(pdf)); });
    }
    void TearDown() override { ui::SetPrinterPreparation({}); }

    // The print dialog: its options are recorded, then it is accepted or cancelled.
    void AnswerPrintDialog(bool accept) {
        responder.Expect([this, accept](QWidget* widget) {
            auto* dialog = qobject_cast<QPrintDialog*>(widget);
            if (dialog == nullptr) return false;
            options = dialog->options();
            range = dialog->printRange();
            if (accept) {
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            } else {
                dialog->reject();
            }
            return true;
        });
    }
    bool Printed() const { return std::ifstream(pdf).good(); }

    std::string pdf = folder.File("printed.pdf");
    QAbstractPrintDialog::PrintDialogOptions options;
    QAbstractPrintDialog::PrintRange range = QAbstractPrintDialog::Selection;
};

TEST_F(PrintCommand, APhoneBookWindowPrintsItsEntriesAndIgnoresPrintMessages) {
    InsertDemoCard();
    AnswerPin("1234");
    Frame().OnCommand(C::EditPhoneBook);
    WaitForAnswers();
    ui::CSezEdDlg* window = FrontWindow();
    ASSERT_NE(window, nullptr);

    window->SendCommand(C::PrintMessages);
    EXPECT_FALSE(Printed());

    AnswerPrintDialog(false);
    Frame().OnCommand(C::PrintPhoneBook);
    WaitForAnswers();
    EXPECT_FALSE(Printed());
    EXPECT_TRUE(responder.texts.isEmpty());

    AnswerPrintDialog(true);
    Frame().OnCommand(C::ToolPrint);
    WaitForAnswers();
    ASSERT_TRUE(Printed());
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintToFile));
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintSelection));
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintPageRange));
    EXPECT_EQ(range, QAbstractPrintDialog::AllPages);
    const std::string text = PageText(pdf);
    for (const char* shown : {"Jürgen Müller", "Šárka", "+420221234567p1234p987654", "<1>", "<2>"}) {
        EXPECT_TRUE(Contains(text, shown)) << shown;
    }
    EXPECT_TRUE(Contains(ShellOutput("pdfinfo '" + pdf + "'"), "Quillet! Print"));
    EXPECT_EQ(responder.unexpected, 0);
}

TEST_F(PrintCommand, AnSmsWindowPrintsItsMessagesAndIgnoresPrintPhoneBook) {
    app->Settings().autoRead = 0;
    Frame().OnCommand(C::ToolAnotherSmsWindow);
    auto* empty = FrontWindow<ui::CSmsEdDlg>(app::EditorKind::Sms);
    ASSERT_NE(empty, nullptr);
    empty->SendCommand(C::PrintPhoneBook);
    EXPECT_FALSE(Printed());

    InsertDemoCard();
    AnswerPin("1234");
    empty->SendCommand(C::EditorReadFromSim);
    WaitForAnswers();
    AnswerPrintDialog(true);
    Frame().OnCommand(C::PrintMessages);
    WaitForAnswers();
    ASSERT_TRUE(Printed());
    const std::string text = PageText(pdf);
    for (const char* shown :
         {"Condition:", "+420603123456", "Dinner at 8?", "Ahoj, máš v pátek čas? Šárka", "To be sent"}) {
        EXPECT_TRUE(Contains(text, shown)) << shown;
    }
    // Headings bold, entries regular, texts oblique: all three faces are in the file.
    const std::string fonts = ShellOutput("pdffonts '" + pdf + "' 2>&1");
    for (const char* face : {"DejaVuSans-Bold", "DejaVuSans ", "DejaVuSans-Oblique"}) {
        EXPECT_TRUE(Contains(fonts, face)) << face << "\n" << fonts;
    }
    EXPECT_EQ(responder.unexpected, 0);
}

}  // namespace
}  // namespace quillet::testing
