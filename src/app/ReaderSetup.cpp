#include "app/ReaderSetup.h"

#include <algorithm>

#include "app/ApplicationContext.h"
#include "phonebook/DialNumbers.h"
#include "reader/ReaderResult.h"

namespace quillet::app {

namespace {

constexpr const char* kPcscPrefix = "PCSC:";

char LowerAscii(char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a') : character;
}

// The list control selects by prefix without regard to case.
bool BeginsWith(const std::string& entry, const std::string& prefix) {
    if (prefix.size() > entry.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), entry.begin(),
                      [](char left, char right) { return LowerAscii(left) == LowerAscii(right); });
}

}  // namespace

std::vector<std::string> BuildDeviceList(const std::vector<std::string>& pcscReaders) {
    std::vector<std::string> devices = {"NOTHING", "COM1", "COM2", "COM3",           "COM4",       "COM5",
                                        "COM6",    "COM7", "COM8", "PCMCIA FY-1300", "RDXI DRIVER"};
    // Each name goes in right after "NOTHING", so the last one listed ends up first.
    for (const std::string& name : pcscReaders) {
        devices.insert(devices.begin() + 1, kPcscPrefix + name);
    }
    // The built-in virtual card comes last, after the hardware readers.
    devices.emplace_back("VIRTUAL");
    return devices;
}

std::size_t FindDeviceEntry(const std::vector<std::string>& devices, const std::string& device) {
    for (std::size_t index = 0; index < devices.size(); ++index) {
        if (BeginsWith(devices[index], device)) return index;
    }
    return 0;
}

SetupCheck CheckSetupValues(std::string& countryCode, const std::string& prefix) {
    if (!phonebook::IsValidNumber(countryCode)) return SetupCheck::BadCountryCode;
    if (!countryCode.empty() && countryCode.front() == '+') countryCode.erase(0, 1);
    const bool digitsOnly =
        std::all_of(prefix.begin(), prefix.end(), [](char character) { return character >= '0' && character <= '9'; });
    return digitsOnly ? SetupCheck::Ok : SetupCheck::BadPrefix;
}

const std::vector<std::string>& SearchCandidates() {
    static const std::vector<std::string> candidates = {"RDXI DRIVER", "COM1", "COM2", "COM3", "COM4",
                                                        "COM5",        "COM6", "COM7", "COM8", "PCMCIA FY-1300"};
    return candidates;
}

std::optional<std::string> FindReader(ApplicationContext& context, const FindReaderHooks& hooks) {
    std::vector<std::string> pcscReaders;
    if (hooks.listPcscReaders && hooks.listPcscReaders(pcscReaders) && !pcscReaders.empty() &&
        !pcscReaders.front().empty()) {
        // Only the first PC/SC reader is worth a try; the search window is not shown for it.
        const std::string device = kPcscPrefix + pcscReaders.front();
        if (context.OpenReaderByName(device) == reader::result::kOk) return device;
    }

    std::optional<std::string> found;
    if (hooks.openSearchWindow) hooks.openSearchWindow();
    for (const std::string& candidate : SearchCandidates()) {
        if (hooks.showCandidate) hooks.showCandidate(candidate);
        if (context.OpenReaderByName(candidate) == reader::result::kOk) {
            found = candidate;
            break;
        }
    }
    if (hooks.closeSearchWindow) hooks.closeSearchWindow();

    // A failed search leaves the program without a reader, whatever was open before.
    if (!found) context.OpenReaderByName(ApplicationContext::kNoDevice);
    return found;
}

}  // namespace quillet::app
