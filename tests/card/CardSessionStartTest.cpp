// Starting card sessions: what is sent, what is kept, and how CHVs are obtained.
#include <gtest/gtest.h>

#include <tuple>

#include "support/SessionRig.h"

namespace quillet::card {
namespace {

using testing::SessionRig;
namespace result = reader::result;
using Ins = std::vector<std::uint8_t>;

// Select with its response, then READ BINARY: the ICCID read, and the SST read after a DF change.
const Ins kIccidRead = {0xA4, 0xC0, 0xA4, 0xC0, 0xB0};
const Ins kSstRead = {0xA4, 0xC0, 0xA4, 0xC0, 0xA4, 0xC0, 0xB0};
// Activation (MF, ICCID), the session's own MF select and ICCID read, VERIFY, the service table.
const Ins kFullStartWithVerify = {0xA4, 0xC0, 0xA4, 0xC0, 0xB0, 0xA4, 0xC0, 0xA4, 0xC0,
                                  0xB0, 0x20, 0xA4, 0xC0, 0xA4, 0xC0, 0xA4, 0xC0, 0xB0};
// The first start on a card also asks once whether it is a UICC: a class 00 select a SIM refuses.
const Ins kFirstStartWithVerify = {0xA4, 0xC0, 0xA4, 0xC0, 0xB0, 0xA4, 0xC0, 0xA4, 0xC0, 0xB0,
                                   0x20, 0xA4, 0xA4, 0xC0, 0xA4, 0xC0, 0xA4, 0xC0, 0xB0};

std::tuple<std::uint32_t, std::string, std::string> Shown(const PinPrompt& prompt) {
    return {prompt.dialogId, prompt.title, prompt.label};
}

TEST(SessionStart, AFullStartActivatesVerifiesAndReadsTheServiceTable) {
    SessionRig rig(testing::MakeTestSimProfile(), {"1234"});
    ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
    EXPECT_EQ(rig.session->Flags(), CardSession::kSessionOpen | CardSession::kIdentified | CardSession::kChv1Verified |
                                        CardSession::kChv1Enabled | CardSession::kChv2Initialised);
    ASSERT_EQ(rig.ui.prompts.size(), 1u);
    EXPECT_EQ(Shown(rig.ui.prompts[0]), std::make_tuple(109u, "Quillet! - Enter PIN", "Please enter PIN:"));
    EXPECT_EQ(rig.pin1.View(), "1234");
    // SST FF 3F FF 0F: services 1-4 all there, of 5-8 only 5-7, of 13-16 only 13-14; none beyond.
    for (const auto& [service, present] :
         {std::pair(4, true), std::pair(7, true), std::pair(8, false), std::pair(14, true), std::pair(15, false),
          std::pair(0, false), std::pair(17, false)}) {
        EXPECT_EQ(rig.session->HasService(service), present) << service;
    }
    EXPECT_EQ(rig.Instructions(), kFirstStartWithVerify);
}

TEST(SessionStart, TheSameCardIsOnlyIdentifiedAgainAndAfterEndSessionKeepsItsCachesAndPin) {
    SessionRig rig(testing::MakeTestSimProfile(), {"1234"});
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    rig.ClearLog();
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    Ins identityCheck = kIccidRead;
    identityCheck.insert(identityCheck.end(), kSstRead.begin(), kSstRead.end());
    EXPECT_EQ(rig.Instructions(), identityCheck);
    EXPECT_TRUE(rig.session->Flags() & CardSession::kChv1Verified);

    EfInformation header;
    ASSERT_TRUE(rig.session->FileHeader(0x7F10, 0x6F3A, header));  // now cached
    EXPECT_TRUE(rig.session->EndSession());
    EXPECT_EQ(rig.session->Flags(), 0u);
    EXPECT_FALSE(rig.Reader().IsCardPowered());
    EXPECT_EQ(rig.lowered, 1);
    rig.ClearLog();
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.Instructions(), kFullStartWithVerify);
    EXPECT_EQ(rig.ui.prompts.size(), 1u);  // the remembered PIN was used
    EXPECT_FALSE(rig.session->Cache().Empty());
}

TEST(SessionStart, AnotherIdentityGetsAFullStartEmptyCachesAndAFreshPinQuestion) {
    SessionRig rig(testing::MakeTestSimProfile(), {"1234", "1234", "1234"});
    rig.pin1 = SecretString("1234");  // remembered for a card this reader has not seen: asked all the same
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.ui.prompts.size(), 1u);

    // The identity changes under the powered card.
    EfInformation header;
    ASSERT_TRUE(rig.session->FileHeader(0x7F10, 0x6F3A, header));
    rig.pin2 = SecretString("5678");
    rig.Card().MutableProfile().files[0].content[2] = 0x11;
    ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
    EXPECT_EQ(rig.session->Iccid()[2], 0x11);
    EXPECT_TRUE(rig.session->Cache().Empty());
    EXPECT_EQ(rig.ui.prompts.size(), 2u);  // both remembered PINs were forgotten with the old card
    EXPECT_TRUE(rig.pin2.Empty());

    // Another card is inserted without EndSession: the identity check fails, so the session starts over.
    ASSERT_TRUE(rig.session->FileHeader(0x7F10, 0x6F3A, header));
    sim::SimProfile otherProfile = testing::MakeTestSimProfile();
    otherProfile.files[0].content[0] = 0x89;
    sim::GsmSimCard other(otherProfile);
    rig.Reader().Line().InsertCard(&other);
    ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
    EXPECT_TRUE(rig.session->Cache().Empty());
    EXPECT_EQ(rig.ui.prompts.size(), 3u);
    EXPECT_EQ(rig.session->Iccid()[0], 0x89);
    rig.session->EndSession();
    rig.Reader().Line().InsertCard(nullptr);
}

TEST(SessionStart, AWrongRememberedPinCostsOneAttemptAndIsForgotten) {
    SessionRig rig(testing::MakeTestSimProfile(), {"1234"});
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    rig.session->EndSession();
    rig.ui.prompts.clear();
    // The code was changed elsewhere since it was remembered.
    rig.pin1 = SecretString("9999");
    EXPECT_FALSE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.session->LastResult(), result::kNoValidPin);
    EXPECT_TRUE(rig.pin1.Empty() && rig.ui.prompts.empty());
    EXPECT_EQ(rig.Card().Profile().chv1.attemptsLeft, 2);

    rig.ui.pins = {"1234"};
    EXPECT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.ui.prompts.size(), 1u);
    EXPECT_EQ(rig.Card().Profile().chv1.attemptsLeft, 3);
}

// After the card took a new code, the next command verifies with it silently and costs no attempt.
TEST(SessionStart, ANewCodeTheCardTookIsRememberedForTheNextCommand) {
    struct Case {
        const char* what;
        unsigned chv;
        bool unblock;
    };
    for (const Case& test : {Case{"pin change", 1, false}, Case{"pin2 change", 2, false}, Case{"pin unblock", 1, true},
                             Case{"pin2 unblock", 2, true}}) {
        SessionRig rig(testing::MakeTestSimProfile(), {"1234", "5678"});
        ASSERT_TRUE(rig.session->BeginSession(true, true, true)) << test.what;
        const bool changed =
            test.unblock ? rig.session->UnblockCardChv(test.chv == 1 ? "12345678" : "87654321", "2468", test.chv)
                         : rig.session->ChangeOrToggleChv(test.chv == 1 ? "1234" : "5678", "2468", test.chv, true);
        ASSERT_TRUE(changed) << test.what << ": " << rig.session->FormatLastError();
        rig.session->EndSession();
        EXPECT_TRUE(rig.session->BeginSession(true, true, true)) << test.what << ": " << rig.session->FormatLastError();
        EXPECT_EQ(rig.ui.prompts.size(), 2u) << test.what;
        EXPECT_EQ((test.chv == 1 ? rig.pin1 : rig.pin2).View(), "2468") << test.what;
        EXPECT_EQ(rig.Card().Profile().chv1.attemptsLeft, 3) << test.what;
        EXPECT_EQ(rig.Card().Profile().chv2.attemptsLeft, 3) << test.what;
    }
}

TEST(SessionStart, AClosedPinDialogEndsAStrictSessionOnlyAndChv1StaysUnverified) {
    SessionRig rig(testing::MakeTestSimProfile(), {std::nullopt});
    EXPECT_FALSE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.session->FormatLastError(), "Communication error:\r\nOperation cancelled");
    EXPECT_EQ(rig.session->Flags(), 0u);

    rig.ui.pins = {std::nullopt};
    EXPECT_TRUE(rig.session->BeginSession(true, false, false));
    EXPECT_TRUE(rig.session->ServiceTable().empty());  // not readable without CHV1
    // The skipped CHV1 is not asked again for the rest of the session.
    rig.ui.pins = {"1234"};
    ASSERT_TRUE(rig.session->BeginSession(true, false, false));
    EXPECT_EQ(rig.ui.prompts.size(), 2u);
    EXPECT_FALSE(rig.session->Flags() & CardSession::kChv1Verified);
}

TEST(SessionStart, ABlockedChv1StopsAStrictSessionWithoutAsking) {
    sim::SimProfile profile = testing::MakeTestSimProfile();
    profile.chv1.attemptsLeft = 0;
    SessionRig rig(profile);
    EXPECT_FALSE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.session->LastResult(), result::kCardBlocked);
    EXPECT_TRUE(rig.ui.prompts.empty());

    // Not strict: the dialog is offered all the same, and the card refuses.
    rig.ui.pins = {"1234"};
    EXPECT_FALSE(rig.session->BeginSession(true, false, false));
    EXPECT_EQ(rig.ui.prompts.size(), 1u);
    EXPECT_EQ(rig.session->LastResult(), result::kNoValidPin);
}

TEST(SessionStart, Chv2IsAskedWithItsOwnDialogAndBlockedAlwaysStops) {
    SessionRig rig(testing::MakeTestSimProfile(), {"1234", std::nullopt});
    EXPECT_FALSE(rig.session->BeginSession(true, true, false));
    EXPECT_EQ(rig.session->LastResult(), result::kPinEntryCancelled);
    ASSERT_EQ(rig.ui.prompts.size(), 2u);
    EXPECT_EQ(Shown(rig.ui.prompts[1]), std::make_tuple(172u, "Quillet! - Enter PIN2", "Please enter PIN2:"));

    rig.ui.pins = {"5678"};
    EXPECT_TRUE(rig.session->BeginSession(true, true, false)) << rig.session->FormatLastError();
    EXPECT_EQ(rig.pin2.View(), "5678");

    sim::SimProfile profile = testing::MakeTestSimProfile();
    profile.chv2.attemptsLeft = 0;
    SessionRig blocked(profile, {"1234"});
    EXPECT_FALSE(blocked.session->BeginSession(true, true, false));
    EXPECT_EQ(blocked.session->LastResult(), result::kCardBlocked);
}

TEST(SessionStart, ACardWithChv1DisabledAsksNothing) {
    sim::SimProfile profile = testing::MakeTestSimProfile();
    profile.chv1Enabled = false;
    SessionRig rig(profile);
    EXPECT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_TRUE(rig.ui.prompts.empty());
    EXPECT_FALSE(rig.session->IsChv1Enabled());
    EXPECT_EQ(rig.session->ServiceTable().size(), 4u);
}

TEST(SessionStart, NoReaderAndNoCacheSetting) {
    SessionRig rig;
    rig.readerPresent = false;
    EXPECT_FALSE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.session->LastResult(), result::kReaderInaccessible);
    EXPECT_EQ(rig.session->FormatLastError(),
              "Communication error:\r\nReader inaccessible (use menu Other->Setup) via ");

    rig.readerPresent = true;
    rig.ui.pins = {"1234"};
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    EfInformation header;
    ASSERT_TRUE(rig.session->FileHeader(0x7F10, 0x6F3A, header));
    rig.cacheEnabled = false;
    EXPECT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_TRUE(rig.session->Cache().Empty());
}

TEST(SessionStart, AFailedServiceTableReadClosesTheSession) {
    sim::SimProfile profile = testing::MakeTestSimProfile();
    profile.files[1].access.read = sim::AccessLevel::Adm;
    SessionRig rig(profile, {"1234"});
    EXPECT_FALSE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.session->LastResult(), result::kNoValidPin);
    EXPECT_EQ(rig.session->Flags(), 0u);
    EXPECT_FALSE(rig.Reader().IsCardPowered());
    EXPECT_EQ(rig.raised, rig.lowered);
}

TEST(SessionStart, AnIdentityFileOfRecordsIsRefusedSafely) {
    sim::SimProfile profile = testing::MakeTestSimProfile();
    sim::SimElementaryFile& iccid = profile.files[0];
    iccid.structure = sim::FileStructure::LinearFixed;
    iccid.recordLength = 200;
    iccid.records = {testing::Filled(200, 0x42)};
    iccid.content.clear();
    SessionRig rig(profile, {"1234"});
    // The card refuses READ BINARY on a record file; nothing is read past the identity buffer.
    EXPECT_FALSE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.session->LastResult(), result::kBadStatusWord);
    EXPECT_EQ(rig.session->Flags(), 0u);
}

TEST(SessionStart, ChvCodesNeverReachTheTrace) {
    SessionRig rig;
    std::vector<reader::TraceRecord> verifies;
    rig.Reader().SetTraceHook([&](const reader::TraceRecord& record) {
        if (record.header[1] == 0x20) verifies.push_back(record);
    });
    rig.ui.pins = {"1234"};
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    ASSERT_EQ(verifies.size(), 1u);
    EXPECT_TRUE(verifies[0].dataWithheld);
    EXPECT_TRUE(verifies[0].data.empty());
}

}  // namespace
}  // namespace quillet::card
