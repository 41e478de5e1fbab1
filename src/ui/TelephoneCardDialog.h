#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TelephoneCardDialog;
}

namespace quillet::app {
class ApplicationContext;
}

namespace quillet::ui {

// "Telephone Card": the units, country and raw memory of a prepaid telephone chip card in the
// current reader. It reads the card when it opens and again on "Re-Read"; a reader error closes it.
class TelephoneCardDialog final : public QDialog {
    Q_OBJECT

public:
    TelephoneCardDialog(app::ApplicationContext& context, QWidget* parent);
    ~TelephoneCardDialog() override;

    // Reads the card and, unless that failed with a reader error, shows the dialog modally.
    int Run();
    // Reads the card into the fields; false after a reader error (the caller closes the dialog).
    bool ReadCard();

    QString RemainingText() const;
    QString TotalText() const;
    QString CountryText() const;
    QString BinaryText() const;

private:
    void ShowUnits(unsigned remaining, unsigned total);

    app::ApplicationContext& m_context;
    std::unique_ptr<Ui::TelephoneCardDialog> m_ui;
};

}  // namespace quillet::ui
