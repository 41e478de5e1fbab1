// The card side of vpcd's protocol: control codes and command shapes, without a socket.
#include <gtest/gtest.h>

#include "sim/GsmSimCard.h"
#include "sim/VpcdConnector.h"
#include "support/TestSimProfile.h"

namespace quillet::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(VpcdConnector, ControlCodesPowerAndResetTheCard) {
    GsmSimCard card(testing::MakeTestSimProfile());
    VpcdConnector connector(card, {});
    const Bytes select = {0xA0, 0xA4, 0x00, 0x00, 0x02, 0x7F, 0x10};
    EXPECT_EQ(connector.Answer(select), (Bytes{0x6F, 0x00}));  // not powered yet
    EXPECT_EQ(connector.Control(4), testing::MakeTestSimProfile().atr);
    EXPECT_TRUE(connector.Control(1).empty());
    EXPECT_EQ(connector.Answer(select), (Bytes{0x9F, 0x16}));
    // Asking for the ATR changes nothing: the selection stays.
    connector.Control(4);
    EXPECT_EQ(connector.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x6F, 0x3A}), (Bytes{0x9F, 0x0F}));
    // A reset does: the MF is current again.
    int powerDowns = 0;
    connector.onPowerDown = [&] { ++powerDowns; };
    connector.Control(2);
    EXPECT_EQ(connector.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x6F, 0x3A}), (Bytes{0x94, 0x04}));
    connector.Control(0);
    EXPECT_EQ(powerDowns, 2);
}

TEST(VpcdConnector, CommandShapesStrictAndLenient) {
    GsmSimCard card(testing::MakeTestSimProfile());
    VpcdConnector strict(card, {});
    strict.Control(1);
    const Bytes answer = strict.Answer({0xA0, 0xB0, 0x00, 0x00, 0x03});  // case 2: no EF selected
    EXPECT_EQ(answer, (Bytes{0x94, 0x00}));
    EXPECT_EQ(strict.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x3F}), (Bytes{0x67, 0x00}));  // data cut short
    EXPECT_EQ(strict.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00, 0x00}), (Bytes{0x67, 0x00}));  // one too many
    EXPECT_EQ(strict.Answer({0xA0, 0xA4}), (Bytes{0x67, 0x00}));

    VpcdConnector::Options options;
    options.strictShapes = false;
    VpcdConnector lenient(card, options);
    lenient.Control(1);
    EXPECT_EQ(lenient.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00, 0x00}), (Bytes{0x9F, 0x16}));
    // Data for the host comes before the status word.
    const Bytes response = lenient.Answer({0xA0, 0xC0, 0x00, 0x00, 0x16});
    ASSERT_EQ(response.size(), 24u);
    EXPECT_EQ(response[22], 0x90);
    EXPECT_EQ(response[4], 0x3F);
}

}  // namespace
}  // namespace quillet::sim
