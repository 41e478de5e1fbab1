#pragma once

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class CountryListDialog;
}

class QTreeWidget;

namespace quillet::ui {

// "Quillet! - Country Dialing Codes": the built-in country list in two columns, ordered by
// country or by dialling code with a click on the header. OK returns the selected row's code.
class CountryListDialog final : public QDialog {
    Q_OBJECT

public:
    enum class Order { ByCountry, ByCode };

    explicit CountryListDialog(QWidget* parent);
    ~CountryListDialog() override;

    // The code of the selected row after OK; empty when no row was selected.
    const std::string& ChosenCode() const { return m_chosenCode; }
    void ShowOrder(Order order);
    Order CurrentOrder() const { return m_order; }
    QTreeWidget* List() const;

    void accept() override;

private:
    void FitColumnToText(int column);

    std::unique_ptr<Ui::CountryListDialog> m_ui;
    Order m_order = Order::ByCountry;
    std::string m_chosenCode;
};

}  // namespace quillet::ui
