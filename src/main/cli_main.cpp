// quillet-cli: the card editor's commands for scripts and terminals.
#include <unistd.h>

#include <iostream>

#include "cli/CliApp.h"
#include "cli/TerminalText.h"

#ifdef QUILLET_WITH_PRINTING
#include <QByteArray>
#include <QGuiApplication>
#include <memory>

#include "cli/ReportPdfPort.h"
#include "ui/ReportPrinter.h"

namespace {

std::unique_ptr<QGuiApplication> g_application;

// print draws with Qt's fonts, which need an application: made only when printing, on no screen.
bool MakeReportPdf(bool printMessages, std::span<const quillet::phonebook::PhoneBookEntry> book,
                   std::span<const quillet::sms::SmsEntry> messages, std::string& pdf, std::string& error) {
    if (QCoreApplication::instance() == nullptr) {
        // Qt's own notes (a missing runtime folder, the platform's limits) are not the user's business.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
        });
        static int argc = 3;
        static char name[] = "quillet-cli";
        static char platformOption[] = "-platform";
        static char platform[] = "offscreen";
        static char* argv[] = {name, platformOption, platform, nullptr};
        g_application = std::make_unique<QGuiApplication>(argc, argv);
    }
    using quillet::ui::report::ReportKind;
    const quillet::ui::ReportSource source{printMessages ? ReportKind::Messages : ReportKind::PhoneBook, book,
                                           messages};
    QByteArray bytes;
    if (!quillet::ui::ReportPdf(source, bytes, error)) return false;
    pdf.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

}  // namespace
#endif

int main(int argc, char** argv) {
    quillet::cli::UseTerminalLocale();
#ifdef QUILLET_WITH_PRINTING
    quillet::cli::SetReportPdfMaker(&MakeReportPdf);
#endif
    using quillet::cli::OutputKind;
    const OutputKind output = ::isatty(STDOUT_FILENO) ? OutputKind::Terminal : OutputKind::Stream;
    const int exit =
        quillet::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, output);
#ifdef QUILLET_WITH_PRINTING
    g_application.reset();
#endif
    return exit;
}
