// The command line of quillet-cli: options anywhere, one-line reasons for wrong usage.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>

#include "cli/CardCommand.h"
#include "cli/CliApp.h"
#include "cli/CliOptions.h"

namespace quillet::cli {
namespace {

TEST(CliOptions, GlobalOptionsWorkBeforeAndAfterTheCommandWords) {
    Options options;
    std::string reason;
    ASSERT_TRUE(ParseGlobalOptions({"phonebook", "--yes", "write", "--pin", "1234", "--fdn", "book.dia", "--pin2",
                                    "56789012", "--device", "PCSC:Reader 00 00", "--trace", "--no-verify"},
                                   options, reason))
        << reason;
    EXPECT_EQ(options.words, (std::vector<std::string>{"phonebook", "write", "--fdn", "book.dia"}));
    EXPECT_EQ(options.pin, "1234");
    EXPECT_EQ(options.pin2, "56789012");
    EXPECT_EQ(options.device, "PCSC:Reader 00 00");
    EXPECT_TRUE(options.yes);
    EXPECT_TRUE(options.trace);
    EXPECT_FALSE(options.verifyWrites);
    EXPECT_FALSE(CardCommand(options, std::cerr).Host().VerifyWrites());
    EXPECT_TRUE(CardCommand(Options{}, std::cerr).Host().VerifyWrites());

    CommandLine line;
    ASSERT_TRUE(ParseCommandLine(options.words, line, reason)) << reason;
    EXPECT_EQ(line.command->Words(), "phonebook write");
    EXPECT_TRUE(line.Has("--fdn"));
    EXPECT_EQ(line.arguments, std::vector<std::string>{"book.dia"});
}

TEST(CliOptions, CommandOptionsMayStandBeforeTheAction) {
    CommandLine line;
    std::string reason;
    ASSERT_TRUE(ParseCommandLine({"networks", "--forbidden", "write", "230-01", "310-150"}, line, reason)) << reason;
    EXPECT_EQ(line.command->Words(), "networks write");
    EXPECT_TRUE(line.Has("--forbidden"));
    EXPECT_EQ(line.arguments.size(), 2u);
    ASSERT_TRUE(ParseCommandLine({"phonebook", "-o", "read", "read"}, line, reason)) << reason;
    EXPECT_EQ(line.Value("-o"), "read");
}

TEST(CliOptions, RequestsForHelpWin) {
    for (const auto& [word, request] :
         {std::pair{"--help", Request::Help}, std::pair{"-h", Request::Help}, std::pair{"--help-man", Request::ManPage},
          std::pair{"--help-bash-completion", Request::BashCompletion}}) {
        Options options;
        std::string reason;
        ASSERT_TRUE(ParseGlobalOptions({"pin", "change", word}, options, reason)) << word;
        EXPECT_EQ(options.request, request) << word;
    }
}

// Every wrong line is answered by one line that says what is wrong, exit 2, before any card work.
TEST(CliOptions, WrongUsageGetsOneLineWithItsReason) {
    struct Case {
        std::vector<std::string> line;
        std::string reason;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{"phonebook"}, "phonebook needs read or write"},
        {{"phonebook", "erase"}, "unknown command \"phonebook erase\"; phonebook takes read or write"},
        {{"phonebook", "write", "--own", "book.dia"}, "phonebook write does not take --own"},
        {{"phonebook", "read", "--colour"}, "unknown option --colour"},
        {{"phonebook", "read", "-o"}, "-o needs FILE"},
        {{"phonebook", "read", "--fdn", "--last"}, "phonebook read takes one of --fdn, --own and --last"},
        {{"phonebook", "write"}, "phonebook write needs FILE"},
        {{"phonebook", "write", "a.dia", "b.dia"}, "unexpected \"b.dia\" after phonebook write"},
        {{"pin", "change", "1234"}, "pin change needs OLD and NEW"},
        {{"pin2", "enable", "1234"}, "unknown command \"pin2 enable\"; pin2 takes verify, change or unblock"},
        {{"networks", "write"}, "networks write needs MCC-MNC"},
        {{"networks", "write", "23001"}, "\"23001\" is not a network code such as 230-01 or 310-150"},
        {{"networks", "write", "230-1"}, "\"230-1\" is not a network code"},
        {{"smsp", "write", "--centre", "+1"}, "smsp write needs --validity TEXT"},
        {{"restore", "card.sim", "--only", "phonebook,contacts"}, "--only: \"contacts\" is not one of phonebook"},
        {{"restore", "card.sim", "--only", ""}, "--only needs a comma list"},
        {{"backup"}, "backup needs FILE"},
        {{"readers", "now"}, "unexpected \"now\" after readers"},
        {{"pin", "verify", "--pin"}, "--pin needs CODE"},
        {{"--device"}, "--device needs NAME"},
    };
    for (const Case& test : cases) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCli(test.line, out, err), kExitUsage) << test.reason;
        EXPECT_TRUE(err.str().starts_with("quillet-cli: ")) << err.str();
        EXPECT_NE(err.str().find(test.reason), std::string::npos) << err.str();
        EXPECT_TRUE(err.str().ends_with("; see quillet-cli --help\n")) << err.str();
        const std::string said = err.str();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(out.str(), "");
    }
}

TEST(CliOptions, ValuesAreCheckedByTheirKind) {
    struct Case {
        ValueKind kind;
        std::string value;
        bool accepted;
    };
    const Case cases[] = {
        {ValueKind::Code, "1234", true},         {ValueKind::Code, "12345678", true},
        {ValueKind::Code, "123", false},         {ValueKind::Code, "123456789", false},
        {ValueKind::Code, "12 4", false},        {ValueKind::Code, "", false},
        {ValueKind::Puk, "12345678", true},      {ValueKind::Puk, "1234567", false},
        {ValueKind::Puk, "123456789", false},    {ValueKind::Network, "230-01", true},
        {ValueKind::Network, "310-150", true},   {ValueKind::Network, "23-01", false},
        {ValueKind::Network, "230-1234", false}, {ValueKind::Network, "230-0a", false},
        {ValueKind::Validity, "1 day", true},    {ValueKind::Validity, "24 hours", false},
        {ValueKind::Parts, "sms,fdn", true},     {ValueKind::Parts, "sms,", true},
        {ValueKind::Parts, ",", false},          {ValueKind::Parts, "sms,,fdn", false},
    };
    for (const Case& test : cases) {
        std::string reason;
        EXPECT_EQ(CheckValue(test.kind, test.value, "it", reason), test.accepted) << test.value;
        EXPECT_EQ(reason.empty(), test.accepted) << test.value;
    }
    const std::optional<NetworkCode> code = ParseNetworkCode("310-010");
    ASSERT_TRUE(code);
    EXPECT_EQ(code->mcc, 310u);
    EXPECT_EQ(code->mnc, 10u);
    EXPECT_TRUE(code->threeDigitMnc);
}

}  // namespace
}  // namespace quillet::cli
