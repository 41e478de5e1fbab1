#include "cli/CardCommand.h"

#include <array>
#include <cstdio>

#include "cli/DeviceNames.h"
#include "sim/VirtualCardReader.h"

namespace quillet::cli {

namespace {

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char piece[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(piece, sizeof piece, "%02X", byte);
        text += piece;
    }
    return text;
}

}  // namespace

CardCommand::CardCommand(const Options& options, std::ostream& err)
    : m_err(err),
      m_ui(err, options.pin, options.pin2),
      m_readers(m_settings),
      m_context(m_readers, m_ui, m_priority),
      m_device(options.device),
      m_trace(options.trace) {
    m_context.SetVerifyWrites(options.verifyWrites);
    if (options.yes) m_ui.AnswerQuestionsYes();
}

bool CardCommand::OpenReader() {
    if (const std::optional<DeviceProblem> problem = CheckDeviceName(m_device)) {
        Complain(m_err, problem->reason);
        m_failureExit = problem->exitCode;
        return false;
    }
    const reader::ReaderResult opened = m_context.OpenReaderByName(m_device);
    if (opened != reader::result::kOk || m_context.Reader() == nullptr) {
        Complain(m_err, DescribeOpenFailure(m_device, opened));
        return false;
    }
    InstallTrace();
    return true;
}

bool CardCommand::Start(bool askChv1, bool askChv2) {
    if (!OpenReader()) return false;
    Session().BeginProgress(nullptr, 5000, 5106);
    if (Session().BeginSession(askChv1, askChv2, true)) return true;
    Finish(false);
    return false;
}

int CardCommand::Finish(bool succeeded) {
    const std::string message = succeeded ? std::string() : Session().FormatLastError();
    const bool released = End();
    if (succeeded) return released ? kExitOk : FailureExit();
    m_ui.ShowMessage(message, card::MessageIcon::Error);
    if (m_ui.QuestionWentUnasked()) {
        Complain(m_err,
                 "the card's question could not be asked without a terminal; give --yes to answer it with "
                 "yes");
    }
    return FailureExit();
}

bool CardCommand::End() {
    Session().SetLastResult(reader::result::kOk);
    Session().EndSession();
    Session().EndProgress(true);
    const reader::ReaderResult released = Session().LastResult();
    if (ReportUnsavedCard()) return false;
    if (released == reader::result::kOk) return true;
    Complain(m_err, "the card was not released properly: " + std::string(reader::ReaderResultText(released)));
    return false;
}

bool CardCommand::ReportUnsavedCard() {
    // The virtual card keeps its changes in its card file, which is saved when the card is released.
    auto* virtualCard = dynamic_cast<sim::VirtualCardReader*>(m_context.Reader());
    if (virtualCard == nullptr || virtualCard->Card() == nullptr || !virtualCard->Card()->HasUnsavedChanges()) {
        return false;
    }
    Complain(m_err, "the card's changes were not saved: " + virtualCard->LastError());
    m_failureExit = kExitFileError;
    return true;
}

int CardCommand::FailureExit() const { return m_ui.CodeWasMissing() ? kExitUsage : m_failureExit; }

// With --trace, every command and its status words go to the error stream; PIN codes are withheld.
void CardCommand::InstallTrace() {
    if (!m_trace) return;
    m_context.Reader()->SetTraceHook([this](const reader::TraceRecord& record) {
        const std::array<std::uint8_t, 2> status = {static_cast<std::uint8_t>(record.statusWord >> 8),
                                                    static_cast<std::uint8_t>(record.statusWord)};
        m_err << "> " << Hex(record.header) << ' ' << (record.dataWithheld ? "(code withheld)" : Hex(record.data))
              << " : " << Hex(status) << '\n';
    });
}

}  // namespace quillet::cli
