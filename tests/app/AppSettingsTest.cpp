// The settings: defaults, and that every value survives a save and a load.
#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "app/SettingsStore.h"

namespace quillet::app {
namespace {

TEST(AppSettings, AnEmptyStoreGivesTheDefaults) {
    MemorySettingsStore store;
    AppSettings settings = AppSettings::Defaults();
    ASSERT_TRUE(LoadSettings(store, settings));
    EXPECT_EQ(settings.device, "COM2");
    EXPECT_EQ(settings.myCountryCode, "49");
    EXPECT_EQ(settings.internationalPrefix, "00");
    EXPECT_EQ(settings.autoRead, 1);
    EXPECT_EQ(settings.confirm, 1);
    EXPECT_EQ(settings.useCache, 1);
    EXPECT_EQ(settings.verifyWrites, 1);
    EXPECT_EQ(settings.startAsToolbar, 0);
    EXPECT_EQ(settings.sleepDelay, 3);
}

TEST(AppSettings, EveryValueIsStoredUnderItsSectionAndName) {
    MemorySettingsStore store;
    AppSettings saved = AppSettings::Defaults();
    saved.device = "PCSC:Virtual PCD 00 00";
    saved.sleepDelay = 7;
    saved.autoRead = 0;
    saved.confirm = 0;
    saved.screenFree = 1;
    saved.startAsToolbar = 1;
    saved.useCache = 0;
    saved.verifyWrites = 0;
    saved.findText = "Jan";
    saved.replaceText = "Jana";
    saved.findScope = 2;
    saved.validityPeriod = 167;
    saved.serviceCentre = "+420603052000";
    saved.myCountryCode = "420";
    saved.internationalPrefix = "011";
    SaveSettings(store, saved);

    EXPECT_EQ(store.ReadString("commData", "device", ""), "PCSC:Virtual PCD 00 00");
    EXPECT_EQ(store.ReadInt("confirmations", "startWMin", -1), 1);
    EXPECT_EQ(store.ReadInt("confirmations", "verifyWrites", -1), 0);
    EXPECT_EQ(store.ReadInt("SMSData", "validPer", -1), 167);
    EXPECT_EQ(store.ReadString("SMSData", "intSelector", ""), "011");

    AppSettings loaded = AppSettings::Defaults();
    LoadSettings(store, loaded);
    EXPECT_EQ(loaded.device, saved.device);
    EXPECT_EQ(loaded.sleepDelay, 7);
    EXPECT_EQ(loaded.autoRead, 0);
    EXPECT_EQ(loaded.confirm, 0);
    EXPECT_EQ(loaded.screenFree, 1);
    EXPECT_EQ(loaded.useCache, 0);
    EXPECT_EQ(loaded.verifyWrites, 0);
    EXPECT_EQ(loaded.findText, "Jan");
    EXPECT_EQ(loaded.replaceText, "Jana");
    EXPECT_EQ(loaded.findScope, 2);
    EXPECT_EQ(loaded.serviceCentre, "+420603052000");
    EXPECT_EQ(loaded.myCountryCode, "420");
}

TEST(AppSettings, AnUnreadableNumberCountsAsMissing) {
    MemorySettingsStore store;
    store.WriteString("confirmations", "autoRead", "yes");
    store.WriteString("commData", "sleepDelay", "99999999999999");
    AppSettings settings = AppSettings::Defaults();
    LoadSettings(store, settings);
    EXPECT_EQ(settings.autoRead, 1);
    EXPECT_EQ(settings.sleepDelay, 3);
}

}  // namespace
}  // namespace quillet::app
