#pragma once

#include <string>

namespace quillet::app {

class SettingsStore;

// The per-user settings and their defaults; every reader of a setting reads these
// fields, never the store. Sections and value names are the stored ones.
struct AppSettings {
    std::string device = "COM2";      // commData/device
    int sleepDelay = 3;               // commData/sleepDelay (kept, not used)
    int autoRead = 1;                 // confirmations/autoRead
    int confirm = 1;                  // confirmations/confirm
    int screenFree = 0;               // confirmations/scrFree
    int startAsToolbar = 0;           // confirmations/startWMin
    int useCache = 1;                 // confirmations/EnCache
    int verifyWrites = 1;             // confirmations/verifyWrites: read every written record back
    std::string findText;             // findData/findStr
    std::string replaceText;          // findData/replStr
    int findScope = 0;                // findData/itemSrch
    int validityPeriod = 0;           // SMSData/validPer
    std::string serviceCentre;        // SMSData/servCenter
    std::string myCountryCode;        // SMSData/intNumber, default from the string table ("49")
    std::string internationalPrefix;  // SMSData/intSelector, default from the string table ("00")

    // Fresh settings with the string-table defaults filled in.
    static AppSettings Defaults();
};

// Reads every value; a missing one keeps the field's current value.
bool LoadSettings(const SettingsStore& store, AppSettings& settings);
// Writes every value.
bool SaveSettings(SettingsStore& store, const AppSettings& settings);

}  // namespace quillet::app
