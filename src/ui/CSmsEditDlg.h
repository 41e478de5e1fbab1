#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "sms/SmsMessageForms.h"
#include "ui/CSmsDetailsDlg.h"

namespace Ui {
class CSmsEditDlg;
}

namespace quillet::ui {

// "Quillet! - Edit SMS Message": the text with a live count of what it takes of the record, the
// phone number, and the message's details on a copy of the entry. OK hands the copy and the
// fields to `apply`, which checks them and shows its messages; the dialog stays open while it
// refuses.
class CSmsEditDlg final : public QDialog {
    Q_OBJECT

public:
    using Apply = std::function<bool(const sms::SmsEntry& edited, const sms::SmsEditForm& form)>;

    CSmsEditDlg(QWidget* parent, const sms::SmsEntry& start, SmsDialogSources sources, Apply apply);
    ~CSmsEditDlg() override;

    sms::SmsEditForm Fields() const;
    // The copy as the details dialog left it.
    const sms::SmsEntry& Entry() const { return m_entry; }

    void accept() override;

private:
    // The text as typed; the message's own text while the box still shows it unchanged.
    std::string Text() const;
    void ShowRoom();
    void TakeFromPhoneBook();
    void EditDetails();

    std::unique_ptr<Ui::CSmsEditDlg> m_ui;
    sms::SmsEntry m_entry;
    // The box gives CR, CR LF and some spaces back in its own forms, so an untouched text is
    // recognised by what the box showed at the start and handed on as the message had it.
    std::string m_startText;
    QString m_shownText;
    SmsDialogSources m_sources;
    Apply m_apply;
};

}  // namespace quillet::ui
