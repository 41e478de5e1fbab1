#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "card/UserInterface.h"
#include "sms/SmsMessageForms.h"

class QButtonGroup;

namespace Ui {
class CSmsDetailsDlg;
}

namespace quillet::ui {

// What the message dialogs take from the rest of the program.
struct SmsDialogSources {
    // The number of the front phone book window's one selected entry, with its '+'; nothing when
    // there is no such entry.
    std::function<std::optional<std::string>()> phoneBookNumber;
    // Where the checks of OK show their messages.
    card::UserInterface& ui;
};

// "Quillet! - Edit Message Details": status, SMS centre and the date or validity of the edit
// dialog's copy of a message. SmsDetailsForm keeps the coupling of status and validity; OK puts
// the fields into the copy when the centre is a number.
class CSmsDetailsDlg final : public QDialog {
    Q_OBJECT

public:
    CSmsDetailsDlg(QWidget* parent, sms::SmsEntry& entry, SmsDialogSources sources);
    ~CSmsDetailsDlg() override;

    // An empty entry has no details: the dialog closes at once.
    int exec() override;
    void accept() override;

private:
    void ShowFields();
    void TakeFromPhoneBook();

    std::unique_ptr<Ui::CSmsDetailsDlg> m_ui;
    sms::SmsEntry& m_entry;
    sms::SmsDetailsForm m_form;
    SmsDialogSources m_sources;
    QButtonGroup* m_validity = nullptr;
};

}  // namespace quillet::ui
