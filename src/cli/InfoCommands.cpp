// info
#include <string>

#include "card/SimInformation.h"
#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"
#include "cli/TerminalText.h"
#include "phonebook/DiallingFileInformation.h"
#include "phonebook/PhoneBookTransfer.h"
#include "resources/StringTable.h"

namespace quillet::cli {

namespace {

namespace result = reader::result;

// The titles of the information dialog's pages head the parts of the output.
constexpr std::uint32_t kGlobalTitle = 6100;
constexpr std::uint32_t kCapacitiesTitle = 6101;
constexpr std::uint32_t kCalledTitle = 6102;
constexpr std::uint32_t kPersonalTitle = 6103;

void Heading(std::ostream& out, std::uint32_t title) { out << ToTerminal(resources::LoadString(title)) << '\n'; }

void Field(std::ostream& out, std::string_view label, const std::string& value) {
    out << "  " << label << ' ' << ToTerminal(value) << '\n';
}

void PrintGlobal(const card::GlobalInformation& info, std::ostream& out) {
    Heading(out, kGlobalTitle);
    Field(out, "SIM serial number:", info.serialNumber);
    Field(out, "International code:", info.internationalCode);
    Field(out, "SIM phase:", info.phase);
    const struct {
        const char* label;
        card::CodeRow row;
    } rows[] = {
        {"PIN1:", card::kPin1Row}, {"PIN2:", card::kPin2Row}, {"PUK1:", card::kPuk1Row}, {"PUK2:", card::kPuk2Row}};
    for (const auto& row : rows) {
        const card::CodeRowTexts& code = info.codes[row.row];
        std::string line = "Supported: " + code.supported + "  Limit: " + code.limit;
        if (row.row == card::kPin1Row) line += "  Activated: " + code.activated;
        Field(out, row.label, line);
    }
    Field(out, "Currency:", info.currency);
    Field(out, "Price per unit:", info.pricePerUnit);
    Field(out, "Sum used:", info.sumUsed);
    Field(out, "Credit remaining:", info.creditRemaining);
}

void PrintPlatform(const card::CardPlatformInfo& platform, std::ostream& out) {
    out << "Card\n";
    for (const auto& [label, text] : card::DescribeCardPlatform(platform)) Field(out, label, text);
}

void PrintCapacities(const card::CapacityInformation& info, std::ostream& out) {
    Heading(out, kCapacitiesTitle);
    Field(out, "Phone book items possible:", info.phoneBookItems);
    Field(out, "Phone book name length:", info.phoneBookNameLength);
    Field(out, "FDN items possible:", info.fdnItems);
    Field(out, "FDN name length:", info.fdnNameLength);
    Field(out, "SMS items possible:", info.smsItems);
}

void PrintDiallingFile(std::uint32_t title, const phonebook::DiallingFileInformation& info, std::ostream& out) {
    Heading(out, title);
    Field(out, "Items possible:", info.itemsPossible);
    Field(out, "Max. name length:", info.maxNameLength);
    // The lines hold card names, decoded for display.
    for (const std::string& line : info.lines) out << "  " << DisplayToTerminal(line) << '\n';
}

int Failed(CardCommand& command, const std::string& message) {
    command.Ui().ShowMessage(message, card::MessageIcon::Error);
    command.End();
    return command.FailureExit();
}

}  // namespace

// Each page reads the card in a session of its own, as the information dialog does; the first page
// that fails ends the command.
int RunInfo(const Options& options, const CommandLine&, std::ostream& out, std::ostream& err) {
    CardCommand command(options, err);
    if (!command.OpenReader()) return command.FailureExit();
    card::CardSession& session = command.Session();

    card::GlobalInformation global;
    reader::ReaderResult code = card::ReadGlobalInformation(session, nullptr, global);
    // A card without the GSM application has no pages to show; what it is, it can tell.
    if (code != result::kUsimOnlyCard) PrintGlobal(global, out);
    PrintPlatform(session.Platform(), out);
    if (code != result::kOk) return Failed(command, card::InformationErrorText(code));
    // Without the PIN only what the card shows anyone was read; the rest needs the code.
    if (command.Ui().CodeWasMissing()) {
        command.End();
        return command.FailureExit();
    }

    card::CapacityInformation capacities;
    code = card::ReadCapacityInformation(session, nullptr, capacities);
    if (code != result::kOk) return Failed(command, card::InformationErrorText(code));
    PrintCapacities(capacities, out);

    const struct {
        std::uint32_t title;
        std::uint16_t ef;
    } files[] = {{kCalledTitle, phonebook::kLndFile}, {kPersonalTitle, phonebook::kMsisdnFile}};
    for (const auto& file : files) {
        phonebook::DiallingFileInformation numbers;
        if (phonebook::ReadDiallingFileInformation(session, nullptr, file.ef, numbers) != result::kOk) {
            return Failed(command, numbers.failure);
        }
        PrintDiallingFile(file.title, numbers, out);
    }
    return command.End() ? kExitOk : command.FailureExit();
}

}  // namespace quillet::cli
