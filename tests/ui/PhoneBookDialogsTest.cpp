// The phone-book window's dialogs on real widgets: the entry dialog stays open while its fields are
// refused, the country list puts its code into a number or code field, Add Code couples its check
// boxes, and each interval dialog shows its own title and fields.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <tuple>

#include "support/ModalResponder.h"
#include "ui/CAddCodeDlg.h"
#include "ui/CEntryEditDlg.h"
#include "ui/CItemRangeDlg.h"
#include "ui/CountryListDialog.h"

namespace quillet::testing {
namespace {

class PhoneBookDialogsTest : public ::testing::Test {
protected:
    template <typename Widget>
    static Widget* Child(QWidget& dialog, const char* name) {
        auto* widget = dialog.findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static QString Text(QWidget& dialog, const char* name) { return Child<QLineEdit>(dialog, name)->text(); }
    // Chooses a country in the next country list and presses OK.
    void ChooseCountry(const QString& country) {
        responder.Expect([country](QWidget* widget) {
            auto* list = qobject_cast<ui::CountryListDialog*>(widget);
            if (list == nullptr) return false;
            list->List()->setCurrentItem(list->List()->findItems(country, Qt::MatchExactly).value(0));
            list->accept();
            return true;
        });
    }

    ModalResponder responder;
};

TEST_F(PhoneBookDialogsTest, TheEntryDialogStaysOpenWhileItsFieldsAreRefused) {
    std::vector<phonebook::EntryForm> applied;
    bool accept = false;
    ui::CEntryEditDlg dialog(nullptr, {"7", "Žofie", "0301234"}, 14, [&](const phonebook::EntryForm& form) {
        applied.push_back(form);
        return accept;
    });
    EXPECT_EQ(Child<QLineEdit>(dialog, "nameEdit")->maxLength(), 14);
    QTest::keyClicks(Child<QLineEdit>(dialog, "itemEdit"), "1x");  // digits only
    ChooseCountry("Germany");
    Child<QPushButton>(dialog, "dialingCodeButton")->click();
    EXPECT_TRUE(responder.Done());

    dialog.show();
    Child<QPushButton>(dialog, "okButton")->click();
    EXPECT_TRUE(dialog.isVisible());
    accept = true;
    Child<QPushButton>(dialog, "okButton")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(applied.size(), 2u);
    EXPECT_EQ(std::tuple(applied[1].itemNumber, applied[1].name, applied[1].number),
              std::tuple("71", "Žofie", "+490301234"));
}

TEST_F(PhoneBookDialogsTest, AddToEndTakesThePlusAndForcesForAllNumbersUntilSwitchedOff) {
    std::optional<phonebook::AddCodeRequest> applied;
    ui::CAddCodeDlg dialog(nullptr, {2, 9}, [&](const phonebook::AddCodeRequest& request) {
        applied = request;
        return true;
    });
    EXPECT_EQ(Text(dialog, "codeEdit"), "+");
    ChooseCountry("Germany");
    Child<QPushButton>(dialog, "fromDatabaseButton")->click();
    EXPECT_EQ(Text(dialog, "codeEdit"), "+49");

    QCheckBox* forAll = Child<QCheckBox>(dialog, "forAllNumbersBox");
    QCheckBox* addToEnd = Child<QCheckBox>(dialog, "addToEndBox");
    const auto shown = [&] { return std::tuple(Text(dialog, "codeEdit"), forAll->isChecked(), forAll->isEnabled()); };
    addToEnd->click();
    EXPECT_EQ(shown(), std::tuple("49", true, false));
    addToEnd->click();
    EXPECT_EQ(shown(), std::tuple("+49", false, true));

    forAll->click();
    Child<QLineEdit>(dialog, "toEdit")->setText("");
    dialog.accept();
    ASSERT_TRUE(applied.has_value());
    // An empty field reads as 0.
    EXPECT_EQ(std::tuple(applied->code, applied->range.from, applied->range.to, applied->forAllNumbers),
              std::tuple("+49", 2L, 0L, true));
}

TEST_F(PhoneBookDialogsTest, EachIntervalDialogShowsItsTitleAndFields) {
    using ui::RangeDialogKind;
    struct Case {
        RangeDialogKind kind;
        const char* title;
        bool showsTo, showsCheckBox;
    };
    for (const Case& expected : {Case{RangeDialogKind::Sort, "Quillet! - Sort", true, false},
                                 Case{RangeDialogKind::SelectItems, "Quillet! - Select Items", true, true},
                                 Case{RangeDialogKind::AddFromFile, "Quillet! - Add Entries from File", false, true},
                                 Case{RangeDialogKind::WriteToFile, "Quillet! - Write to File", true, false},
                                 Case{RangeDialogKind::Internationalize, "Quillet! - Internationalize", true, false}}) {
        SCOPED_TRACE(expected.title);
        int refusals = 0;
        ui::CItemRangeDlg dialog(nullptr, expected.kind, {3, 12}, true, [&](phonebook::ItemRange range, bool checked) {
            EXPECT_EQ(std::tuple(range.from, range.to, checked), std::tuple(3L, 12L, true));
            return ++refusals > 1;  // the first OK is refused
        });
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), expected.title);
        EXPECT_EQ(Child<QLineEdit>(dialog, "toEdit")->isVisible(), expected.showsTo);
        EXPECT_EQ(Child<QCheckBox>(dialog, "includeEmptyBox")->isVisible(), expected.showsCheckBox);
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        dialog.accept();
        EXPECT_FALSE(dialog.isVisible());
    }
}

}  // namespace
}  // namespace quillet::testing
