#include "cli/DeviceNames.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "cli/CliMessages.h"
#include "cli/CommandTable.h"
#include "cli/TerminalText.h"
#include "reader/ScLinkReader.h"
#include "reader/SerialCardReader.h"

namespace quillet::cli {

namespace {

constexpr const char* kNoDevice = "NOTHING";
constexpr const char* kVirtualPrefix = "VIRTUAL:";
constexpr int kFirstSerialPort = 1;
constexpr int kLastSerialPort = 8;

bool Matches(const DeviceSpec& form, const std::string& device) {
    switch (form.match) {
        case DeviceMatch::Exact:
            return device == form.text;
        case DeviceMatch::Prefix:
            return device.size() > form.text.size() && device.starts_with(form.text);
        case DeviceMatch::SerialPort:
            for (int port = kFirstSerialPort; port <= kLastSerialPort; ++port) {
                if (device == form.text + std::to_string(port)) return true;
            }
            return false;
    }
    return false;
}

std::string DeviceForms() {
    std::string forms;
    const auto& devices = Devices();
    for (std::size_t index = 0; index < devices.size(); ++index) {
        forms += index == 0 ? "" : (index + 1 == devices.size() ? " or " : ", ");
        forms += devices[index].shown;
    }
    return forms;
}

std::string DescribeSerialFailure(const std::string& device, reader::ReaderResult code) {
    const std::string path = reader::DefaultPortPath(device);
    if (code == reader::result::kPortNotSet && ::access(path.c_str(), R_OK | W_OK) != 0) {
        return device + " is the serial port " + path + ", which cannot be opened: " + std::strerror(errno);
    }
    return device + " (" + path + "): " + ToTerminal(reader::ReaderResultText(code));
}

std::string DescribePcscFailure(reader::ReaderResult code) {
    if (code == reader::result::kReaderLibraryError) {
        return "PC/SC readers need libpcsclite.so.1, which cannot be loaded (install libpcsclite1)";
    }
    if (code == reader::result::kGeneralReaderError) {
        return "the PC/SC service cannot be reached; is pcscd running?";
    }
    return "the PC/SC reader cannot be opened: " + ToTerminal(reader::ReaderResultText(code));
}

}  // namespace

std::optional<DeviceProblem> CheckDeviceName(const std::string& device) {
    if (device.empty() || device == kNoDevice) {
        return DeviceProblem{
            "no reader is chosen (device NOTHING); choose one with --device NAME or $QUILLET_DEVICE "
            "(\"quillet-cli readers\" lists them)",
            kExitUsage};
    }
    bool known = false;
    for (const DeviceSpec& form : Devices()) known = known || Matches(form, device);
    if (!known) return DeviceProblem{"unknown device \"" + device + "\"; use " + DeviceForms(), kExitUsage};
    if (device.starts_with(kVirtualPrefix)) {
        const std::string path = device.substr(std::strlen(kVirtualPrefix));
        if (const std::optional<std::string> why = WhyUnreadable(path)) {
            return DeviceProblem{"cannot read the card file " + path + ": " + *why, kExitFileError};
        }
    }
    return std::nullopt;
}

std::string DescribeOpenFailure(const std::string& device, reader::ReaderResult code) {
    const bool unloadable = code == reader::result::kPortNotSet;
    if (unloadable && device.starts_with(kVirtualPrefix)) {
        const std::string path = device.substr(std::strlen(kVirtualPrefix));
        return path + " is not a card file a virtual SIM can be made of (\"quillet-simcard dump " + path +
               "\" says why)";
    }
    if (unloadable && device == "VIRTUAL") {
        return "the demo card of the VIRTUAL device (Quillet/demo-card.json in $XDG_DATA_HOME or "
               "~/.local/share) cannot be made or loaded";
    }
    if (device.starts_with("COM")) return DescribeSerialFailure(device, code);
    if (device.starts_with("PCSC:")) return DescribePcscFailure(code);
    return "cannot open the reader " + device + ": " + ToTerminal(reader::ReaderResultText(code));
}

int ListReaders(std::ostream& out) {
    std::vector<std::string> pcsc;
    reader::ScLinkReader::ListGatewayReaders(pcsc);
    for (const std::string& name : pcsc) out << "PCSC:" << name << '\n';
    for (int port = kFirstSerialPort; port <= kLastSerialPort; ++port) out << "COM" << port << '\n';
    for (const DeviceSpec& form : Devices()) {
        if (form.match == DeviceMatch::Exact && form.text != kNoDevice) out << form.text << '\n';
    }
    return kExitOk;
}

}  // namespace quillet::cli
