#include "app/AppSettings.h"

#include "app/SettingsStore.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace quillet::app {

namespace {

constexpr const char* kCommData = "commData";
constexpr const char* kConfirmations = "confirmations";
constexpr const char* kFindData = "findData";
constexpr const char* kSmsData = "SMSData";

// One walk over the fields in their stored order serves both directions.
template <typename Visitor>
void VisitSettings(AppSettings& settings, Visitor&& visit) {
    visit(kCommData, "device", settings.device);
    visit(kCommData, "sleepDelay", settings.sleepDelay);
    visit(kConfirmations, "autoRead", settings.autoRead);
    visit(kConfirmations, "confirm", settings.confirm);
    visit(kConfirmations, "scrFree", settings.screenFree);
    visit(kConfirmations, "startWMin", settings.startAsToolbar);
    visit(kConfirmations, "EnCache", settings.useCache);
    visit(kConfirmations, "verifyWrites", settings.verifyWrites);
    visit(kFindData, "findStr", settings.findText);
    visit(kFindData, "replStr", settings.replaceText);
    visit(kFindData, "itemSrch", settings.findScope);
    visit(kSmsData, "validPer", settings.validityPeriod);
    visit(kSmsData, "servCenter", settings.serviceCentre);
    visit(kSmsData, "intNumber", settings.myCountryCode);
    visit(kSmsData, "intSelector", settings.internationalPrefix);
}

struct Loader {
    const SettingsStore& store;
    void operator()(const char* section, const char* key, std::string& value) const {
        value = store.ReadString(section, key, value);
    }
    void operator()(const char* section, const char* key, int& value) const {
        value = store.ReadInt(section, key, value);
    }
};

struct Saver {
    SettingsStore& store;
    void operator()(const char* section, const char* key, const std::string& value) const {
        store.WriteString(section, key, value);
    }
    void operator()(const char* section, const char* key, int value) const { store.WriteInt(section, key, value); }
};

}  // namespace

AppSettings AppSettings::Defaults() {
    AppSettings settings;
    settings.myCountryCode = std::string(resources::LoadString(resources::string_id::kDefaultCountryCode));
    settings.internationalPrefix =
        std::string(resources::LoadString(resources::string_id::kDefaultInternationalPrefix));
    return settings;
}

bool LoadSettings(const SettingsStore& store, AppSettings& settings) {
    VisitSettings(settings, Loader{store});
    return true;
}

bool SaveSettings(SettingsStore& store, const AppSettings& settings) {
    AppSettings copy = settings;
    VisitSettings(copy, Saver{store});
    return true;
}

}  // namespace quillet::app
