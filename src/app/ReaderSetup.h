#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet::app {

class ApplicationContext;

// The device list of the setup dialog: "NOTHING", then "PCSC:" + each PC/SC reader with the last
// one listed first, then "COM1" … "COM8", "PCMCIA FY-1300", "RDXI DRIVER", and "VIRTUAL" (the
// built-in virtual card) at the end.
std::vector<std::string> BuildDeviceList(const std::vector<std::string>& pcscReaders);

// The position of the first entry that begins with the device name; 0 ("NOTHING") when none does.
std::size_t FindDeviceEntry(const std::vector<std::string>& devices, const std::string& device);

// The checks of the setup dialog's OK, before any reader is opened.
enum class SetupCheck {
    Ok,
    BadCountryCode,  // 57561: not a dialling string
    BadPrefix,       // 57562: not digits only
};

// Checks my country code and the international prefix; on Ok a leading '+' of the country code
// has been dropped.
SetupCheck CheckSetupValues(std::string& countryCode, const std::string& prefix);

// What FindReader needs from the screen and the system.
struct FindReaderHooks {
    // The PC/SC reader names; false when the gateway cannot list them.
    std::function<bool(std::vector<std::string>&)> listPcscReaders;
    // The "Quillet! - Find Card Peripheral" window: opened before the first candidate, shown
    // each candidate, closed after the search.
    std::function<void()> openSearchWindow;
    std::function<void(const std::string&)> showCandidate;
    std::function<void()> closeSearchWindow;
};

// The candidates of the search without a PC/SC reader, in the order they are tried.
const std::vector<std::string>& SearchCandidates();

// Looks for a connected reader: the first PC/SC reader alone when there is one, otherwise each
// search candidate in turn. The reader found stays open in the context and its device name is
// returned; when none answers, the context is left without a reader and nothing is returned.
std::optional<std::string> FindReader(ApplicationContext& context, const FindReaderHooks& hooks);

}  // namespace quillet::app
