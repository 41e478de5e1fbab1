// quillet-cli print: what it reads from the card for the report, where the PDF goes and how
// failures end; with the windowed program built, the real program's PDF read back with pdftotext.
#include <gtest/gtest.h>

#include <cstdio>

#include "CliOnCard.h"
#include "card/GsmText.h"
#include "cli/CliMessages.h"
#include "cli/ReportPdfPort.h"
#include "phonebook/EntryName.h"
#include "sms/MessageBody.h"
#include "support/ShellOutput.h"

namespace quillet::cli {
namespace {

using testing::ShellOutput;

// What the report maker was given last; the PDF it makes names the count of used positions.
struct Given {
    bool messages = false;
    std::vector<std::string> texts;  // names or message texts of the used positions
    std::size_t positions = 0;
    bool fail = false;
};
Given g_given;

bool RecordReport(bool printMessages, std::span<const phonebook::PhoneBookEntry> book,
                  std::span<const sms::SmsEntry> messages, std::string& pdf, std::string& error) {
    g_given.messages = printMessages;
    g_given.texts.clear();
    g_given.positions = printMessages ? messages.size() : book.size();
    for (const phonebook::PhoneBookEntry& entry : book) {
        if (entry.used) g_given.texts.push_back(phonebook::NameIn(entry, card::TextForm::Display));
    }
    for (const sms::SmsEntry& message : messages) {
        if (message.used) g_given.texts.push_back(card::Utf8FromText(sms::MessageText(message)));
    }
    if (g_given.fail) {
        error = "the printer ran dry";
        return false;
    }
    pdf = "%PDF-report of " + std::to_string(g_given.texts.size());
    return true;
}

class Print : public testing::CliOnCard {
protected:
    Print() : CliOnCard({"--pin", "1234", "--trace"}) {}
    void SetUp() override {
        CliOnCard::SetUp();
        g_given = {};
        SetReportPdfMaker(&RecordReport);
    }
    void TearDown() override { SetReportPdfMaker(nullptr); }
    bool Has(const std::string& text) const {
        return g_given.texts.end() != std::find(g_given.texts.begin(), g_given.texts.end(), text);
    }
    bool CardWasTouched() const { return Contains(err.str(), "> "); }

    std::string pdf = m_folder.File("report.pdf");
};

TEST_F(Print, ReadsThePhoneBookFixedDiallingNumbersOrMessagesIntoTheFile) {
    ASSERT_EQ(Run({"print", "--pdf", pdf}), kExitOk) << err.str();
    EXPECT_FALSE(g_given.messages);
    EXPECT_TRUE(Has("Šárka") && Has("Jürgen Müller")) << g_given.texts.size();
    EXPECT_FALSE(Has("Emergency"));
    EXPECT_EQ(testing::ReadFileBytes(pdf), "%PDF-report of " + std::to_string(g_given.texts.size()));

    ASSERT_EQ(Run({"print", "--fdn", "--pdf", pdf}), kExitOk) << err.str();
    EXPECT_EQ(g_given.texts, (std::vector<std::string>{"Home", "Emergency", "Office PBX", "Mum"}));
    EXPECT_EQ(g_given.positions, 10u);  // the card's records, empty ones too

    ASSERT_EQ(Run({"print", "--sms", "--pdf", pdf}), kExitOk) << err.str();
    EXPECT_TRUE(g_given.messages);
    EXPECT_TRUE(Has("Dinner at 8?"));
    EXPECT_EQ(g_given.positions, 20u);
}

TEST_F(Print, FailuresEndWithTheirExitCodesAndLeaveTheFileAlone) {
    EXPECT_EQ(Run({"print", "--fdn", "--sms", "--pdf", pdf}), kExitUsage);
    EXPECT_FALSE(CardWasTouched());

    // A file that cannot be written is found out before the card is read.
    const std::string nowhere = m_folder.File("missing/report.pdf");
    EXPECT_EQ(Run({"print", "--pdf", nowhere}), kExitFileError);
    EXPECT_NE(err.str().find(nowhere + ": "), std::string::npos) << err.str();
    EXPECT_FALSE(CardWasTouched());

    testing::WriteFileBytes(pdf, "old report");
    g_given.fail = true;
    EXPECT_EQ(Run({"print", "--pdf", pdf}), kExitFileError);
    EXPECT_NE(err.str().find("the printer ran dry"), std::string::npos) << err.str();
    EXPECT_EQ(testing::ReadFileBytes(pdf), "old report");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.Path()), {}), 2);  // no temporary file left

    EXPECT_EQ(Run({"--pin", "0000", "print", "--pdf", pdf}), kExitCardFailure);
    EXPECT_EQ(testing::ReadFileBytes(pdf), "old report");

    SetReportPdfMaker(nullptr);
    EXPECT_EQ(Run({"print", "--pdf", pdf}), kExitUsage);
    EXPECT_NE(err.str().find("cannot print"), std::string::npos) << err.str();
    EXPECT_FALSE(CardWasTouched());
}

#ifdef QUILLET_CLI_PROGRAM

TEST_F(Print, TheProgramPrintsTheDemoCardToAPdf) {
    const std::string program =
        std::string(QUILLET_CLI_PROGRAM) + " --device 'VIRTUAL:" + m_card + "' --pin 1234 print";
    ASSERT_EQ(std::system((program + " --pdf '" + pdf + "'").c_str()), 0);
    const std::string book = ShellOutput("pdftotext -layout -enc UTF-8 '" + pdf + "' -");
    for (const char* shown : {"Name:", "<1>", "<2>", "Šárka", "Jürgen Müller", "+420221234567p1234p987654"}) {
        EXPECT_NE(book.find(shown), std::string::npos) << shown;
    }
    const std::string messages = m_folder.File("messages.pdf");
    ASSERT_EQ(std::system((program + " --sms --pdf '" + messages + "'").c_str()), 0);
    const std::string text = ShellOutput("pdftotext -layout -enc UTF-8 '" + messages + "' -");
    for (const char* shown : {"Condition:", "Dinner at 8?", "Received", "Ahoj, máš v pátek čas? Šárka"}) {
        EXPECT_NE(text.find(shown), std::string::npos) << shown;
    }
}
#endif

}  // namespace
}  // namespace quillet::cli
