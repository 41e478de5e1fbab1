// Codes held for the run leave no copy behind: the bytes a code occupied are zero once it is
// forgotten, replaced or destroyed, and a session that forgets a refused code wipes it too.
#include <gtest/gtest.h>

#include <new>
#include <string_view>

#include "card/CoreDumpGuard.h"
#include "card/SecretString.h"
#include "support/SessionRig.h"

namespace quillet::card {
namespace {

// The bytes at `data` as they are now, whatever the string that owned them says.
std::string_view Raw(const char* data, std::size_t size) { return std::string_view(data, size); }

TEST(SecretString, ClearingOrReplacingACodeZeroesTheBytesItHeld) {
    SecretString secret("1234");
    const char* bytes = secret.View().data();
    secret.Clear();
    EXPECT_TRUE(secret.Empty());
    EXPECT_EQ(Raw(bytes, 4), std::string_view("\0\0\0\0", 4));

    // A shorter code in the same place leaves nothing of the longer one after it.
    secret = SecretString("87654321");
    bytes = secret.View().data();
    secret = SecretString("56");
    ASSERT_EQ(secret.View().data(), bytes);
    EXPECT_EQ(Raw(bytes, 8), std::string_view("56\0\0\0\0\0\0", 8));
    // Assigning a code to itself keeps it.
    const SecretString& same = secret;
    secret = same;
    EXPECT_EQ(secret.View(), "56");
}

TEST(SecretString, ADestroyedCodeLeavesNoDigitsInItsStorage) {
    alignas(SecretString) unsigned char storage[sizeof(SecretString)];
    SecretString* secret = new (storage) SecretString("24681357");
    SecretString copy(*secret);
    EXPECT_EQ(copy.View(), "24681357");
    secret->~SecretString();
    // Emptying a string only zeroes its first byte: look for what would follow it.
    EXPECT_EQ(Raw(reinterpret_cast<const char*>(storage), sizeof storage).find("4681357"), std::string_view::npos);
}

// The card refuses a remembered code (changed elsewhere since): the session forgets it, and the
// code's bytes are gone from the memory that remembered it.
TEST(SecretString, ARememberedCodeTheCardRefusesIsWiped) {
    testing::SessionRig rig(testing::MakeTestSimProfile(), {"1234"});
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    rig.session->EndSession();
    rig.pin1 = SecretString("9999");
    const char* remembered = rig.pin1.View().data();
    EXPECT_FALSE(rig.session->BeginSession(true, false, true));
    EXPECT_TRUE(rig.pin1.Empty());
    EXPECT_EQ(Raw(remembered, 4), std::string_view("\0\0\0\0", 4));
}

// A core dump would carry a code to disk: none is written while any code is held, and the process
// is dumpable again once the last one is wiped, however the codes were copied and replaced.
TEST(SecretString, NoCoreDumpWhileAnyCodeIsHeld) {
    ASSERT_TRUE(CoreDumpGuard::DumpsAllowed());
    {
        SecretString pin("1234");
        EXPECT_FALSE(CoreDumpGuard::DumpsAllowed());
        SecretString copy(pin);
        SecretString later;
        later = pin;
        later = SecretString("5678");
        pin.Clear();
        pin.Clear();  // clearing twice releases once
        copy = SecretString();
        EXPECT_FALSE(CoreDumpGuard::DumpsAllowed()) << "one code is still held";
    }
    EXPECT_TRUE(CoreDumpGuard::DumpsAllowed());

    // The codes a session remembers count the same way.
    testing::SessionRig rig(testing::MakeTestSimProfile(), {"1234"});
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    rig.session->EndSession();
    EXPECT_FALSE(CoreDumpGuard::DumpsAllowed());
    rig.pin1.Clear();
    EXPECT_TRUE(CoreDumpGuard::DumpsAllowed());
}

}  // namespace
}  // namespace quillet::card
