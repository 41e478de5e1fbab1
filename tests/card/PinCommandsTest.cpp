// The PIN menu's commands on the virtual card: what each leaves on the card, what it shows, and
// that closed dialogs and No answers leave the card alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "card/PinCommands.h"
#include "support/SessionRig.h"

namespace quillet::card {
namespace {

using testing::SessionRig;
using Message = std::pair<std::string, MessageIcon>;
using Messages = std::vector<Message>;
using Codes = std::pair<std::string, std::string>;

constexpr const char* kWrongPin = "Communication error:\r\nNo valid PIN entered";

sim::SecretCode& Chv(SessionRig& rig, unsigned chv) {
    return chv == 1 ? rig.Card().MutableProfile().chv1 : rig.Card().MutableProfile().chv2;
}

// Whether any command that changes a code or its state went to the card.
bool SentCodeChange(const SessionRig& rig) {
    const std::vector<std::uint8_t> sent = rig.Instructions();
    return std::any_of(sent.begin(), sent.end(),
                       [](std::uint8_t ins) { return ins == 0x24 || ins == 0x26 || ins == 0x28 || ins == 0x2C; });
}

TEST(PinCommands, ChangeStoresTheNewCodeAndEnterPinAsksForIt) {
    for (const unsigned chv : {1u, 2u}) {
        SessionRig rig;
        rig.ui.codeChanges = {Codes{chv == 1 ? "1234" : "5678", "24680"}};
        EXPECT_TRUE(ChangePin(*rig.session, nullptr, chv));
        EXPECT_EQ(rig.ui.codeForms, std::vector{chv == 1 ? CodeForm::ChangePin : CodeForm::ChangePin2});
        EXPECT_TRUE(rig.ui.prompts.empty()) << chv;
        EXPECT_EQ(rig.ui.messages, (Messages{{"PIN successfuly changed", MessageIcon::Information}}));
        EXPECT_EQ(Chv(rig, chv).digits, "24680");
        EXPECT_EQ(rig.RememberedPin(chv).View(), "24680");

        // Enter PIN asks for the code even though one is remembered.
        rig.ui.pins = {"24680"};
        EnterPin(*rig.session, nullptr, chv);
        ASSERT_EQ(rig.ui.prompts.size(), 1u) << chv;
        EXPECT_EQ(rig.ui.prompts[0].dialogId, chv == 1 ? 109u : 172u);
        EXPECT_EQ(rig.ui.messages.size(), 1u) << chv;
        EXPECT_EQ(rig.RememberedPin(chv).View(), "24680");
    }
}

// Each command that sends a code: a wrong one is refused with the card's word and costs one attempt.
TEST(PinCommands, AWrongCodeIsReportedAndCostsOneAttempt) {
    struct Case {
        const char* name;
        unsigned chv;
        void (*run)(SessionRig&);
    };
    const Case cases[] = {
        {"enter PIN", 1, [](SessionRig& rig) { EnterPin(*rig.session, nullptr, 1); }},
        {"enter PIN2", 2, [](SessionRig& rig) { EnterPin(*rig.session, nullptr, 2); }},
        {"change PIN", 1, [](SessionRig& rig) { ChangePin(*rig.session, nullptr, 1); }},
        {"change PIN2", 2, [](SessionRig& rig) { ChangePin(*rig.session, nullptr, 2); }},
        {"disable PIN", 1,
         [](SessionRig& rig) {
             rig.ui.answers = {Answer::Yes};
             EnableDisablePin(*rig.session, nullptr);
         }},
    };
    for (const Case& test : cases) {
        SessionRig rig(testing::MakeTestSimProfile(), {"9999"});
        rig.ui.codeChanges = {Codes{"9999", "4321"}};
        test.run(rig);
        EXPECT_EQ(rig.ui.messages, (Messages{{kWrongPin, MessageIcon::Error}})) << test.name;
        EXPECT_EQ(rig.ui.messagesOverProgress, std::vector{false}) << test.name;
        EXPECT_EQ(Chv(rig, test.chv).attemptsLeft, 2) << test.name;
    }
}

TEST(PinCommands, UnblockAsksForEachBlockedCodeOnly) {
    using Forms = std::vector<CodeForm>;
    struct Case {
        bool chv1Blocked;
        bool chv2Blocked;
        Forms forms;
        Message message;
        bool overProgress;
    };
    const Message unblocked{"Card was successfuly unblocked", MessageIcon::Information};
    const Case cases[] = {
        {false, false, {}, {"Card was not blocked", MessageIcon::Information}, true},
        {true, false, {CodeForm::UnblockPin}, unblocked, false},
        {false, true, {CodeForm::UnblockPin2}, unblocked, false},
        {true, true, {CodeForm::UnblockPin, CodeForm::UnblockPin2}, unblocked, false},
    };
    for (const Case& test : cases) {
        sim::SimProfile profile = testing::MakeTestSimProfile();
        profile.chv1.attemptsLeft = test.chv1Blocked ? 0 : 1;
        profile.chv2.attemptsLeft = test.chv2Blocked ? 0 : 2;
        SessionRig rig(profile);
        if (test.chv1Blocked) rig.ui.codeChanges.push_back(Codes{"12345678", "1111"});
        if (test.chv2Blocked) rig.ui.codeChanges.push_back(Codes{"87654321", "2222"});
        UnblockCard(*rig.session, nullptr);
        const std::string name = std::to_string(test.chv1Blocked) + std::to_string(test.chv2Blocked);
        EXPECT_EQ(rig.ui.codeForms, test.forms) << name;
        EXPECT_EQ(rig.ui.messages, std::vector{test.message}) << name;
        EXPECT_EQ(rig.ui.messagesOverProgress, std::vector{test.overProgress}) << name;
        EXPECT_EQ(Chv(rig, 1).attemptsLeft, test.chv1Blocked ? 3 : 1) << name;
        EXPECT_EQ(Chv(rig, 2).attemptsLeft, test.chv2Blocked ? 3 : 2) << name;
        // The new codes are the card's and the remembered ones.
        for (const unsigned chv : {1u, 2u}) {
            if (!(chv == 1 ? test.chv1Blocked : test.chv2Blocked)) continue;
            const std::string code(4, chv == 1 ? '1' : '2');
            EXPECT_EQ(Chv(rig, chv).digits, code) << name;
            EXPECT_EQ(rig.RememberedPin(chv).View(), code) << name;
        }
    }
}

// Closing a dialog or answering No sends nothing that changes the card and shows nothing.
TEST(PinCommands, ClosedDialogsAndNoLeaveTheCardAlone) {
    struct Case {
        const char* name;
        std::vector<Answer> answers;
        void (*run)(SessionRig&);
    };
    const Case cases[] = {
        {"change PIN", {}, [](SessionRig& rig) { EXPECT_FALSE(ChangePin(*rig.session, nullptr, 1)); }},
        {"change PIN2", {}, [](SessionRig& rig) { EXPECT_FALSE(ChangePin(*rig.session, nullptr, 2)); }},
        {"PIN off: No", {Answer::No}, [](SessionRig& rig) { EnableDisablePin(*rig.session, nullptr); }},
        {"PIN off: closed", {Answer::Yes}, [](SessionRig& rig) { EnableDisablePin(*rig.session, nullptr); }},
        {"unblock: closed", {}, [](SessionRig& rig) { UnblockCard(*rig.session, nullptr); }},
    };
    for (const Case& test : cases) {
        sim::SimProfile profile = testing::MakeTestSimProfile();
        profile.chv1.attemptsLeft = 0;
        SessionRig rig(profile, {std::nullopt});
        rig.ui.codeChanges = {std::nullopt};
        rig.ui.answers.assign(test.answers.begin(), test.answers.end());
        test.run(rig);
        EXPECT_FALSE(SentCodeChange(rig)) << test.name;
        EXPECT_TRUE(rig.ui.messages.empty()) << test.name;
        EXPECT_EQ(rig.Card().Profile(), profile) << test.name;
        // The change dialogs come before the card is even started.
        if (test.name[0] == 'c') {
            EXPECT_TRUE(rig.sent.empty() && rig.ui.progressOpened == 0) << test.name;
        }
    }
}

TEST(PinCommands, PinSwitchesOffAndOnAndEnterPinFollows) {
    SessionRig rig;
    rig.ui.answers = {Answer::Yes};
    rig.ui.pins = {"1234"};
    EnableDisablePin(*rig.session, nullptr);
    EXPECT_FALSE(rig.Card().Profile().chv1Enabled);
    EXPECT_EQ(rig.ui.questions, std::vector<std::string>{"PIN is activated.  Deactivate it?"});
    EXPECT_EQ(rig.ui.messages, (Messages{{"PIN is now off", MessageIcon::Information}}));
    EXPECT_EQ(rig.ui.messagesOverProgress, std::vector{true});

    // A card without its PIN asks nothing.
    EnterPin(*rig.session, nullptr, 1);
    EXPECT_EQ(rig.ui.prompts.size(), 1u);
    EXPECT_EQ(rig.ui.messages.size(), 1u);

    rig.ui.answers = {Answer::Yes};
    rig.ui.pins = {"1234"};
    EnableDisablePin(*rig.session, nullptr);
    EXPECT_TRUE(rig.Card().Profile().chv1Enabled);
    EXPECT_EQ(rig.ui.questions,
              (std::vector<std::string>{"PIN is activated.  Deactivate it?", "PIN is deactivated.  Activate it?"}));
    EXPECT_EQ(rig.ui.messages,
              (Messages{{"PIN is now off", MessageIcon::Information}, {"PIN is now on", MessageIcon::Information}}));
}

TEST(PinCommands, DialogChecksNameTheirMessage) {
    using Result = std::optional<std::uint32_t>;
    EXPECT_EQ(CheckChangedCodes("1234", "43210", "43211"), Result(5600));
    EXPECT_EQ(CheckChangedCodes("123", "4321", "4322"), Result(5600));
    EXPECT_EQ(CheckChangedCodes("123", "4321", "4321"), Result(5601));
    EXPECT_EQ(CheckChangedCodes("1234", "432", "432"), Result(5601));
    EXPECT_EQ(CheckChangedCodes("1234", "4321", "4321"), std::nullopt);
    EXPECT_EQ(CheckUnblockCodes("4321", "4322"), Result(59025));
    EXPECT_EQ(CheckUnblockCodes("432", "432"), Result(59025));
    EXPECT_EQ(CheckUnblockCodes("4321", "4321"), std::nullopt);
}

}  // namespace
}  // namespace quillet::card
