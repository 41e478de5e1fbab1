// The information pages' readings on crafted virtual cards: the card's identity, phase and code
// table, the call costs of advice of charge, and the capacities of the dialling and SMS files.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "card/SimInformation.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::card {
namespace {

using testing::SessionRig;
namespace result = reader::result;
using Bytes = std::vector<std::uint8_t>;
using reader::ReaderResult;

// The demo card with `change` applied: ICCID, SST, IMSI, phase, PUCT, ACM and ACMmax under DF GSM.
sim::SimProfile Card(const std::function<void(sim::SimProfile&)>& change = {}) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    if (change) change(profile);
    return profile;
}

sim::SimElementaryFile& File(sim::SimProfile& profile, std::uint16_t df, std::uint16_t ef) {
    sim::SimElementaryFile* file = profile.FindFile(df, ef);
    if (file == nullptr) throw std::logic_error("no such file on the demo card");
    return *file;
}

// A card whose advice of charge holds these PUCT bytes 4 and 5, ACM and ACMmax.
sim::SimProfile ChargingCard(std::uint8_t eppuHigh, std::uint8_t eppuLowAndExponent, std::uint32_t acm,
                             std::uint32_t acmMax) {
    return Card([&](sim::SimProfile& profile) {
        Bytes& puct = File(profile, 0x7F20, 0x6F41).content;
        puct[3] = eppuHigh;
        puct[4] = eppuLowAndExponent;
        const auto meter = [](std::uint32_t value) {
            return Bytes{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                         static_cast<std::uint8_t>(value)};
        };
        File(profile, 0x7F20, 0x6F39).records.at(0) = meter(acm);
        File(profile, 0x7F20, 0x6F37).content = meter(acmMax);
    });
}

struct GlobalRead {
    ReaderResult code;
    GlobalInformation info;
};

GlobalRead ReadGlobal(SessionRig& rig) {
    GlobalRead read{};
    read.code = ReadGlobalInformation(*rig.session, nullptr, read.info);
    return read;
}

GlobalRead ReadGlobal(const sim::SimProfile& profile) {
    SessionRig rig(profile, {"1234"});
    GlobalRead read = ReadGlobal(rig);
    EXPECT_EQ(rig.ui.progressOpened, rig.ui.progressClosed);
    EXPECT_TRUE(rig.ui.messages.empty());
    return read;
}

TEST(SimInformation, TheGlobalPageShowsIdentityPhaseCodesAndCallCosts) {
    // An ICCID beginning 98 94 20 01 reads low nibble first; C is a digit of its own; F ends it.
    SessionRig rig(Card([](sim::SimProfile& profile) {
                       File(profile, 0x3F00, 0x2FE2).content = {0x98, 0x94, 0x20, 0x01, 0xC3,
                                                                0x54, 0x76, 0x98, 0x10, 0xF2};
                       profile.chv2.attemptsLeft = 2;
                       profile.unblockChv2.initialised = false;
                   }),
                   {"1234"});
    const GlobalRead read = ReadGlobal(rig);
    ASSERT_EQ(read.code, result::kOk);
    const GlobalInformation& info = read.info;
    EXPECT_EQ(info.serialNumber, "894902103C456789012");
    EXPECT_EQ(info.internationalCode, "230011234567890");
    EXPECT_EQ(info.phase, "2");
    EXPECT_EQ(info.codes[kPin1Row].supported, "Yes");
    EXPECT_EQ(info.codes[kPin1Row].limit, "3");
    EXPECT_EQ(info.codes[kPin1Row].activated, "Yes");
    EXPECT_EQ(info.codes[kPin2Row].limit, "2");
    EXPECT_EQ(info.codes[kPuk1Row].limit, "10");
    EXPECT_EQ(info.codes[kPuk2Row].supported, "No");
    EXPECT_EQ(info.codes[kPin2Row].activated, "");
    // 0.15 EUR per unit, 150 units used of 1000.
    EXPECT_EQ(info.currency, "EUR");
    EXPECT_EQ(info.pricePerUnit, "   0.15");
    EXPECT_EQ(info.sumUsed, "  22.50");
    EXPECT_EQ(info.creditRemaining, " 127.50");
    EXPECT_EQ(rig.ui.progressOpened, 1);
    EXPECT_EQ(rig.ui.progressClosed, 1);
    EXPECT_EQ(rig.Card().Profile().chv1.attemptsLeft, 3);
    // The session is over: the card is powered down.
    EXPECT_EQ(rig.session->Flags(), 0u);

    // A disabled PIN reads as not activated; the EF status of the MF says so.
    const GlobalRead disabled = ReadGlobal(Card([](sim::SimProfile& profile) { profile.chv1Enabled = false; }));
    EXPECT_EQ(disabled.info.codes[kPin1Row].activated, "No");
}

TEST(SimInformation, CallCostsFollowPriceUnitsAndTheirLimit) {
    struct Case {
        std::uint8_t eppuHigh, eppuLow;
        std::uint32_t acm, acmMax;
        const char* price;
        const char* sum;
        const char* credit;
    };
    const Case cases[] = {
        {0x01, 0x2A, 2, 5, " 260.00", " 520.00", " 780.00"},    // EPPU 26, exponent +1
        {0x01, 0x3A, 10, 20, "   2.60", "  26.00", "  26.00"},  // exponent -1
        {0x01, 0x2A, 100, 80, " 260.00", "26000.00", "???"},    // more used than allowed
        {0x00, 0x20, 10, 20, "???", "???", "???"},              // no price
        {0x01, 0x2A, 0, 20, " 260.00", "???", "5200.00"},       // nothing used yet
        {0x01, 0x2A, 10, 0, " 260.00", "2600.00", "???"},       // no limit
    };
    for (const Case& row : cases) {
        const GlobalRead read = ReadGlobal(ChargingCard(row.eppuHigh, row.eppuLow, row.acm, row.acmMax));
        ASSERT_EQ(read.code, result::kOk);
        EXPECT_EQ(read.info.pricePerUnit, row.price) << row.acm << '/' << row.acmMax;
        EXPECT_EQ(read.info.sumUsed, row.sum) << row.acm << '/' << row.acmMax;
        EXPECT_EQ(read.info.creditRemaining, row.credit) << row.acm << '/' << row.acmMax;
    }

    // The currency: unknown when unset, cut at the first byte that is no character.
    const auto currency = [](Bytes first) {
        return ReadGlobal(Card([&](sim::SimProfile& profile) {
                   Bytes& puct = File(profile, 0x7F20, 0x6F41).content;
                   std::copy(first.begin(), first.end(), puct.begin());
               }))
            .info.currency;
    };
    EXPECT_EQ(currency({0xFF, 'E', 'U'}), "???");
    EXPECT_EQ(currency({'D', 0x0A, 'M'}), "D");
    EXPECT_EQ(currency({'C', 'Z', 'K'}), "CZK");

    // Without advice of charge the four fields say so.
    const GlobalRead none = ReadGlobal(Card([](sim::SimProfile& profile) {
        File(profile, 0x7F20, 0x6F38).content[1] &= 0xFC;  // service 5
    }));
    ASSERT_EQ(none.code, result::kOk);
    for (const std::string& field :
         {none.info.currency, none.info.pricePerUnit, none.info.sumUsed, none.info.creditRemaining}) {
        EXPECT_EQ(field, "None");
    }
    EXPECT_EQ(none.info.internationalCode, "230011234567890");
}

TEST(SimInformation, PhaseBytesAndTheSubscriberIdentity) {
    const std::pair<std::uint8_t, const char*> phases[] = {{0, "1"}, {1, "?"}, {2, "2"}, {3, "2+"}, {0x10, "2+"}};
    for (const auto& [byte, text] : phases) {
        const GlobalRead read =
            ReadGlobal(Card([&](sim::SimProfile& profile) { File(profile, 0x7F20, 0x6FAE).content = {byte}; }));
        EXPECT_EQ(read.info.phase, text) << int(byte);
    }

    // An identity of 6 bytes after its length: 11 digits, the 12th nibble and what follows unread.
    const GlobalRead shortImsi = ReadGlobal(Card([](sim::SimProfile& profile) {
        File(profile, 0x7F20, 0x6F07).content = {0x06, 0x29, 0x43, 0x65, 0x87, 0xA9, 0x21, 0x43, 0x65};
    }));
    EXPECT_EQ(shortImsi.info.internationalCode, "23456789A12");
    // A length byte beyond the file reads what the file holds; a length of 0 reads nothing.
    const auto imsi = [](Bytes content) {
        return ReadGlobal(Card([&](sim::SimProfile& profile) { File(profile, 0x7F20, 0x6F07).content = content; }))
            .info.internationalCode;
    };
    EXPECT_EQ(imsi({0xFF, 0x29, 0x43}), "234");
    EXPECT_EQ(imsi({0x00, 0x29, 0x43}), "");

    // An invalidated identity is named so, and the reading goes on.
    const GlobalRead invalidated =
        ReadGlobal(Card([](sim::SimProfile& profile) { File(profile, 0x7F20, 0x6F07).invalidated = true; }));
    ASSERT_EQ(invalidated.code, result::kOk);
    EXPECT_EQ(invalidated.info.internationalCode, "<Entry can not be ovewritten>");
    EXPECT_EQ(invalidated.info.currency, "EUR");
}

// Declining the PIN leaves what the card shows anyone: no identity, no call costs, no message.
TEST(SimInformation, AnIdentityBehindThePinEndsTheReadingQuietly) {
    SessionRig rig(Card(), {std::nullopt});
    const GlobalRead read = ReadGlobal(rig);
    EXPECT_EQ(read.code, result::kOk);
    EXPECT_EQ(rig.ui.prompts.size(), 1u);
    EXPECT_TRUE(rig.ui.messages.empty());
    EXPECT_FALSE(read.info.serialNumber.empty());
    EXPECT_EQ(read.info.phase, "2");
    EXPECT_EQ(read.info.codes[kPuk1Row].limit, "10");
    EXPECT_EQ(read.info.internationalCode, "");
    EXPECT_EQ(read.info.currency, "");
    EXPECT_EQ(read.info.creditRemaining, "");
    // The last command was the refused READ BINARY of EF IMSI.
    ASSERT_FALSE(rig.sent.empty());
    EXPECT_EQ(rig.Instructions().back(), 0xB0);
    EXPECT_EQ(rig.ui.progressOpened, rig.ui.progressClosed);
}

// Files too short for their fields fail with the fields read so far; the next page of a session never
// reads past the end of an answer.
TEST(SimInformation, ShortFilesFailWithTheFieldsReadSoFar) {
    const GlobalRead shortPrice =
        ReadGlobal(Card([](sim::SimProfile& profile) { File(profile, 0x7F20, 0x6F41).content.resize(4); }));
    EXPECT_EQ(shortPrice.code, result::kBadOrMissingRecord);
    EXPECT_EQ(shortPrice.info.internationalCode, "230011234567890");
    EXPECT_EQ(shortPrice.info.currency, "");

    const GlobalRead shortMeter = ReadGlobal(Card([](sim::SimProfile& profile) {
        File(profile, 0x7F20, 0x6F37).content = {0x00, 0x10};
    }));
    EXPECT_EQ(shortMeter.code, result::kBadOrMissingRecord);
    EXPECT_EQ(shortMeter.info.sumUsed, "  22.50");

    const GlobalRead missing = ReadGlobal(Card([](sim::SimProfile& profile) {
        std::erase_if(profile.files, [](const sim::SimElementaryFile& file) { return file.id == 0x6FAE; });
    }));
    EXPECT_EQ(missing.code, result::kBadStatusWord);

    EXPECT_EQ(InformationErrorText(result::kBadStatusWord),
              "Error during smartcard reader operation:\r\nBad SIM card response");
}

TEST(SimInformation, CapacitiesOfTheOfferedFilesOnly) {
    SessionRig rig(Card(), {"1234"});
    CapacityInformation info;
    ASSERT_EQ(ReadCapacityInformation(*rig.session, nullptr, info), result::kOk);
    EXPECT_EQ(info.phoneBookItems, "120");
    EXPECT_EQ(info.phoneBookNameLength, "16");
    EXPECT_EQ(info.fdnItems, "10");
    EXPECT_EQ(info.fdnNameLength, "16");
    EXPECT_EQ(info.smsItems, "20");
    EXPECT_EQ(rig.ui.progressOpened, rig.ui.progressClosed);

    // Services 2, 3 and 4 withdrawn one by one.
    const struct {
        std::uint8_t mask;
        std::string CapacityInformation::*field;
    } services[] = {{0x0C, &CapacityInformation::phoneBookItems},
                    {0x30, &CapacityInformation::fdnItems},
                    {0xC0, &CapacityInformation::smsItems}};
    for (const auto& service : services) {
        SessionRig without(Card([&](sim::SimProfile& profile) {
                               File(profile, 0x7F20, 0x6F38).content[0] &= static_cast<std::uint8_t>(~service.mask);
                           }),
                           {"1234"});
        CapacityInformation read;
        ASSERT_EQ(ReadCapacityInformation(*without.session, nullptr, read), result::kOk);
        EXPECT_EQ(read.*service.field, "None") << int(service.mask);
        const int offered = (read.phoneBookItems == "None") + (read.fdnItems == "None") + (read.smsItems == "None");
        EXPECT_EQ(offered, 1) << int(service.mask);
    }

    // A dialling file whose records cannot hold a number is refused, not read as a huge name length.
    SessionRig odd(Card([](sim::SimProfile& profile) {
                       sim::SimElementaryFile& fdn = File(profile, 0x7F10, 0x6F3B);
                       fdn.recordLength = 10;
                       for (Bytes& record : fdn.records) record.resize(10);
                   }),
                   {"1234"});
    CapacityInformation oddRead;
    EXPECT_EQ(ReadCapacityInformation(*odd.session, nullptr, oddRead), result::kBadOrMissingRecord);
    EXPECT_EQ(oddRead.phoneBookItems, "120");

    // No reader: nothing is asked and nothing opened.
    SessionRig absent(Card());
    absent.readerPresent = false;
    EXPECT_EQ(ReadCapacityInformation(*absent.session, nullptr, info), result::kReaderInaccessible);
    EXPECT_EQ(info.phoneBookItems, "");
    EXPECT_EQ(absent.ui.progressOpened, 0);
}

}  // namespace
}  // namespace quillet::card
