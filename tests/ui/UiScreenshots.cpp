// Renders the main window, the setup dialog, the phone book window with its entry, Add Code and
// find dialogs, the fixed dialling numbers window, the message window with its edit and details
// dialogs and the telephone card dialog into PNG files for the README: ui_screenshots FOLDER.
// Runs on the offscreen platform with a private configuration.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string>

#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "support/QtTestEnvironment.h"
#include "ui/CAddCodeDlg.h"
#include "ui/CEntryEditDlg.h"
#include "ui/CFdnEdDlg.h"
#include "ui/CFindDlg.h"
#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"
#include "ui/CSetupDlg.h"
#include "ui/CSezEdDlg.h"
#include "ui/CSmsDetailsDlg.h"
#include "ui/CSmsEdDlg.h"
#include "ui/CSmsEditDlg.h"
#include "ui/CommandTable.h"
#include "ui/EntryListView.h"
#include "ui/PinDialog.h"
#include "ui/TelephoneCardDialog.h"
#include "ui/ToolbarIcons.h"

namespace {

bool Save(QWidget& widget, const QString& folder, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const bool saved = widget.grab().save(folder + QLatin1Char('/') + name);
    if (!saved) std::cerr << "cannot write " << name.toStdString() << "\n";
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ui_screenshots FOLDER\n";
        return 2;
    }
    const std::string base = quillet::testing::PrepareQtEnvironment("quillet-shots");
    if (base.empty()) return 1;

    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    quillet::ui::CMainApp app;
    app.listPcscReaders = [](std::vector<std::string>& readers) {
        readers = {"Virtual PCD 00 00"};
        return true;
    };
    quillet::ui::StartupOptions options;
    options.device = "VIRTUAL";
    options.programInfoSeconds = 0;
    app.StartUp(options);
    bool ok = Save(*app.Frame(), folder, QStringLiteral("main-window.png"));

    {
        quillet::ui::CSetupDlg setup({app.Settings(), app.Store(), app.Context(), app.listPcscReaders}, app.Frame());
        ok = Save(setup, folder, QStringLiteral("setup-dialog.png")) && ok;
    }

    // The demo card's phone book, read with its PIN typed in, one entry selected.
    QTimer pinTyper;
    QObject::connect(&pinTyper, &QTimer::timeout, [] {
        if (auto* pin = qobject_cast<quillet::ui::PinDialog*>(QApplication::activeModalWidget())) {
            pin->findChild<QLineEdit*>(QStringLiteral("codeEdit"))->setText(QStringLiteral("1234"));
            pin->accept();
        }
    });
    pinTyper.start(20);
    app.Frame()->OnCommand(quillet::app::CommandId::EditPhoneBook);
    if (auto* book =
            dynamic_cast<quillet::ui::CSezEdDlg*>(app.Frame()->Editors().Front(quillet::app::EditorKind::PhoneBook))) {
        book->resize(560, 380);
        book->List()->SelectOnly(2);
        ok = Save(*book, folder, QStringLiteral("phonebook-window.png")) && ok;
        const auto form = book->Table().BeginEdit({{2}, 2});
        if (form) {
            quillet::ui::CEntryEditDlg edit(book, *form, app.NameLimits().maxNameLength,
                                            [](const quillet::phonebook::EntryForm&) { return true; });
            ok = Save(edit, folder, QStringLiteral("entry-dialog.png")) && ok;
        }
        quillet::ui::CAddCodeDlg addCode(book, {1, static_cast<long>(book->Table().PositionCount())},
                                         [](const quillet::phonebook::AddCodeRequest&) { return true; });
        ok = Save(addCode, folder, QStringLiteral("add-code-dialog.png")) && ok;
        app.Settings().findText = "Roma";
        app.Settings().findScope = 3;
        quillet::ui::CFindDlg find(book, app.Settings(), app.Store(), app.Ui());
        ok = Save(find, folder, QStringLiteral("find-dialog.png")) && ok;
        book->CloseWindow();
    } else {
        ok = false;
    }

    // The fixed dialling numbers, read with the PIN remembered.
    app.Frame()->OnCommand(quillet::app::CommandId::FixedDialingNumbers);
    if (auto* fdn = dynamic_cast<quillet::ui::CFdnEdDlg*>(
            app.Frame()->Editors().Front(quillet::app::EditorKind::FixedDialing))) {
        fdn->resize(560, 380);
        fdn->List()->SelectOnly(0);
        ok = Save(*fdn, folder, QStringLiteral("fdn-window.png")) && ok;
        fdn->CloseWindow();
    } else {
        ok = false;
    }

    // The demo card's messages with the pane showing one, and the message to send in its dialogs.
    app.Frame()->OnCommand(quillet::app::CommandId::EditMessages);
    if (auto* messages =
            dynamic_cast<quillet::ui::CSmsEdDlg*>(app.Frame()->Editors().Front(quillet::app::EditorKind::Sms))) {
        messages->resize(620, 480);
        messages->List()->SelectOnly(1);
        ok = Save(*messages, folder, QStringLiteral("sms-window.png")) && ok;
        std::optional<quillet::sms::SmsEntry> start = messages->Table().BeginEdit({{3}, 3});
        if (start) {
            const quillet::ui::SmsDialogSources sources{[] { return std::optional<std::string>(); }, app.Ui()};
            quillet::ui::CSmsEditDlg edit(
                messages, *start, sources,
                [](const quillet::sms::SmsEntry&, const quillet::sms::SmsEditForm&) { return true; });
            ok = Save(edit, folder, QStringLiteral("sms-edit.png")) && ok;
            quillet::ui::CSmsDetailsDlg details(messages, *start, sources);
            ok = Save(details, folder, QStringLiteral("sms-details.png")) && ok;
        } else {
            ok = false;
        }
        messages->CloseWindow();
    } else {
        ok = false;
    }

    std::string error;
    const std::string card = base + "/telephone-card.json";
    quillet::sim::SaveSimProfile(card, quillet::sim::BuildDemoTelephoneCard(), error);
    app.Context().OpenReaderByName("VIRTUAL:" + card);
    {
        quillet::ui::TelephoneCardDialog telephone(app.Context(), app.Frame());
        telephone.ReadCard();
        ok = Save(telephone, folder, QStringLiteral("telephone-card.png")) && ok;
    }
    // A dual-mode UICC's phone book: the window says what its GSM view leaves out.
    const std::string uicc = base + "/uicc-card.json";
    quillet::sim::SaveSimProfile(uicc, quillet::sim::BuildDemoDualModeProfile(), error);
    app.Context().OpenReaderByName("VIRTUAL:" + uicc);
    app.Frame()->OnCommand(quillet::app::CommandId::EditPhoneBook);
    if (auto* book =
            dynamic_cast<quillet::ui::CSezEdDlg*>(app.Frame()->Editors().Front(quillet::app::EditorKind::PhoneBook))) {
        book->resize(560, 420);
        ok = Save(*book, folder, QStringLiteral("uicc-phonebook.png")) && ok;
    } else {
        ok = false;
    }
    // The toolbar's pictures, enabled, four times their size.
    std::vector<quillet::app::CommandId> buttons;
    for (const quillet::app::CommandId command : quillet::ui::ToolbarCommands()) {
        if (command != quillet::app::CommandId::None) buttons.push_back(command);
    }
    QImage sheet(static_cast<int>(buttons.size()) * 72, 68, QImage::Format_ARGB32);
    sheet.fill(QColor(240, 240, 240));
    {
        QPainter painter(&sheet);
        for (std::size_t index = 0; index < buttons.size(); ++index) {
            const QPixmap icon = quillet::ui::ToolbarIcon(buttons[index]).pixmap(QSize(16, 15), 4.0);
            painter.drawPixmap(QRect(static_cast<int>(index) * 72 + 4, 4, 64, 60), icon);
        }
    }
    ok = sheet.save(folder + QStringLiteral("/toolbar-icons.png")) && ok;
    QDir(QString::fromStdString(base)).removeRecursively();
    return ok ? 0 : 1;
}
