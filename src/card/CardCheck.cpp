#include "card/CardCheck.h"

#include <map>
#include <utility>

#include "card/ProgressWindow.h"
#include "card/WritePlanExecutor.h"
#include "resources/StringTable.h"

namespace quillet::card {

namespace {

namespace result = reader::result;

constexpr std::uint32_t kSerialNumber = 2313;
constexpr std::uint32_t kOk = 2319;
constexpr std::uint32_t kDigitsLost = 2332;
constexpr std::uint32_t kSectionTitles[kCheckSectionCount] = {2314, 2320, 2321, 2322, 2323, 2327, 2329};
constexpr const char* kLineEnd = "\r\n";
constexpr const char* kIndent = "    ";

std::string_view Text(std::uint32_t id) { return resources::LoadString(id); }

std::uint32_t ProblemText(CheckProblem problem) {
    switch (problem) {
        case CheckProblem::InvalidLink:
            return 2315;
        case CheckProblem::EmptyLink:
            return 2316;
        case CheckProblem::SharedExtension:
            return 2330;
        case CheckProblem::LoopingChain:
            return 2331;
        case CheckProblem::LostExtension:
            return 2328;
        case CheckProblem::UnsupportedNumber:
            return 2324;
        case CheckProblem::UnsupportedMessage:
            return 2325;
    }
    return 0;
}

std::string RepairText(CheckRepair repair) {
    switch (repair) {
        case CheckRepair::None:
            return {};
        case CheckRepair::Repaired:
            return " " + std::string(Text(2317));
        case CheckRepair::RemoveLink:
            return " " + std::string(Text(2318));
        case CheckRepair::RemoveItem:
            return " " + std::string(Text(2326));
    }
    return {};
}

// A section title without the blank some titles end with, so "OK" follows after one blank.
std::string Title(CheckSection section) {
    std::string title(Text(kSectionTitles[static_cast<std::size_t>(section)]));
    while (!title.empty() && title.back() == ' ') title.pop_back();
    return title;
}

// The ICCID digits, low nibble first, up to the first filler.
std::string SerialNumber(std::span<const std::uint8_t> iccid) {
    std::string digits;
    for (const std::uint8_t byte : iccid) {
        for (const std::uint8_t nibble :
             {static_cast<std::uint8_t>(byte & 0x0F), static_cast<std::uint8_t>(byte >> 4)}) {
            if (nibble == 0x0F) return digits;
            digits += nibble < 10 ? static_cast<char>('0' + nibble) : static_cast<char>('A' + nibble - 10);
        }
    }
    return digits;
}

std::string DetailLine(const CheckFinding& finding) {
    std::string line = kIndent + std::string("#") + std::to_string(finding.record);
    if (!finding.name.empty()) line += " \"" + finding.name + "\"";
    line += ": " + std::string(Text(ProblemText(finding.problem))) + RepairText(finding.repair);
    if (!finding.lostDigits.empty()) line += " (" + std::string(Text(kDigitsLost)) + finding.lostDigits + ")";
    return line + kLineEnd;
}

bool HasLoadedImages(const CardSession& session) {
    for (const GsmFile& file : GsmFiles()) {
        if (!file.image) continue;
        const bool offered = file.service == 0 || file.image == CachedFile::Ext1 || file.image == CachedFile::Ext2 ||
                             session.HasService(file.service);
        if (offered && !session.Cache().Image(*file.image)) return false;
    }
    return true;
}

}  // namespace

void AppendCheckReports(const CardCheckPlan& plan, std::span<const std::uint8_t> iccid, std::string& briefReport,
                        std::string& detailedReport) {
    const std::string serial = std::string(Text(kSerialNumber)) + SerialNumber(iccid) + kLineEnd;
    briefReport += serial;
    detailedReport += serial;
    for (std::size_t index = 0; index < kCheckSectionCount; ++index) {
        const auto section = static_cast<CheckSection>(index);
        std::map<std::pair<CheckProblem, CheckRepair>, std::size_t> counts;
        std::string details;
        for (const CheckFinding& finding : plan.findings) {
            if (finding.section != section) continue;
            ++counts[{finding.problem, finding.repair}];
            details += DetailLine(finding);
        }
        const std::string title = Title(section);
        if (counts.empty()) {
            const std::string line = title + " " + std::string(Text(kOk)) + kLineEnd;
            briefReport += line;
            detailedReport += line;
            continue;
        }
        briefReport += title + kLineEnd;
        for (const auto& [kind, count] : counts) {
            briefReport += kIndent + std::string(Text(ProblemText(kind.first))) + ": " + std::to_string(count) +
                           RepairText(kind.second) + kLineEnd;
        }
        detailedReport += title + kLineEnd + details;
    }
}

bool CheckCard(CardSession& session, std::string& briefReport, std::string& detailedReport, bool& errorsFound,
               bool& needsPin2, bool repair) {
    errorsFound = false;
    needsPin2 = false;
    // Without the service table the files cannot be told apart from files the card does not offer.
    if (session.ServiceTable().empty()) {
        const bool withoutGsm = (session.Flags() & CardSession::kWithoutGsm) != 0;
        session.SetLastResult(withoutGsm ? result::kUsimOnlyCard : result::kFileNotAccessible);
        return false;
    }
    if (!HasLoadedImages(session) &&
        !session.LoadCardFiles(
            load_mask::kAdn | load_mask::kFdn | load_mask::kLnd | load_mask::kMsisdn | load_mask::kSms, 0)) {
        return false;
    }
    CardImages images;
    for (std::size_t index = 0; index < kCachedFileCount; ++index) {
        images.files[index] = session.Cache().Image(static_cast<CachedFile>(index));
    }
    images.ext1HasOtherUsers = Ext1HasUsersBeyondGsmView(session.Platform());
    const std::optional<CardCheckPlan> plan =
        PlanCardCheck(images, [&session](std::uint32_t textId, unsigned item, unsigned total) {
            const std::string text = FormatItemText(resources::LoadString(textId), item, total);
            return session.StepProgress(text, total == 0 ? 100 : 100 * item / total);
        });
    if (!plan) {
        session.SetLastResult(result::kCancelledByUser);
        return false;
    }
    AppendCheckReports(*plan, session.Iccid(), briefReport, detailedReport);
    errorsFound = plan->ErrorsFound();
    needsPin2 = plan->needsPin2;
    if (!repair || plan->writes.writes.empty()) {
        session.SetLastResult(result::kOk);
        return true;
    }
    PlanExecution execution;
    return ExecuteWritePlan(session, plan->writes, execution);
}

}  // namespace quillet::card
