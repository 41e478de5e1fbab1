// The SIM information dialog on the virtual card: what each page shows, that a page reads the card
// only when first shown and after Update, and what a failed read says.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <cstdlib>
#include <functional>

#include "EditorWindowFixture.h"
#include "ui/CNewInfo1.h"
#include "ui/CNewInfo2.h"
#include "ui/CNewInfo3.h"
#include "ui/CSimInfoDlg.h"
#include "ui_CNewInfo1.h"
#include "ui_CNewInfo2.h"
#include "ui_CNewInfo3.h"
#include "ui_CSimInfoDlg.h"

namespace quillet::testing {
namespace {

class SimInfoDialog : public EditorWindowFixture {
protected:
    void InsertCard(const std::function<void(sim::SimProfile&)>& change = {}) {
        sim::SimProfile card = sim::BuildDemoSimProfile();
        if (change) change(card);
        EditorWindowFixture::InsertCard(card);
    }
    std::unique_ptr<ui::CSimInfoDlg> Open() {
        auto dialog = std::make_unique<ui::CSimInfoDlg>(*app, app->Frame());
        EXPECT_TRUE(responder.Done());
        return dialog;
    }
    // The card commands it took to show page `index`.
    std::size_t ShowPage(ui::CSimInfoDlg& dialog, int index) {
        instructions.clear();
        dialog.Form().pages->setCurrentIndex(index);
        return instructions.size();
    }
    static ui::CNewInfo1& Global(ui::CSimInfoDlg& dialog) { return dynamic_cast<ui::CNewInfo1&>(dialog.Page(0)); }
    static QStringList Lines(ui::CSimInfoDlg& dialog, int index) {
        QStringList lines;
        const QListWidget* list = dialog.Page(index).findChild<QListWidget*>("numberList");
        for (int row = 0; list != nullptr && row < list->count(); ++row) lines << list->item(row)->text();
        return lines;
    }
};

TEST_F(SimInfoDialog, EachPageReadsTheCardWhenFirstShownAndAfterUpdate) {
    InsertCard();
    AnswerPin("1234");
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "Quillet! - Information About SIM Card");
    const QTabWidget& pages = *dialog->Form().pages;
    ASSERT_EQ(pages.count(), 4);
    EXPECT_EQ((QStringList{pages.tabText(0), pages.tabText(1), pages.tabText(2), pages.tabText(3)}),
              (QStringList{"Global", "Phone Book and SMS", "Called Numbers", "Personal Numbers"}));
    EXPECT_FALSE(instructions.empty());
    Ui::CNewInfo1& global = Global(*dialog).Form();
    EXPECT_EQ(global.internationalEdit->text(), "230011234567890");
    EXPECT_EQ(global.phaseEdit->text(), "2");
    EXPECT_EQ(global.pin1ActivatedEdit->text(), "Yes");
    EXPECT_EQ(global.puk2LimitEdit->text(), "10");
    EXPECT_EQ(global.priceEdit->text(), "   0.15");
    EXPECT_EQ(global.creditEdit->text(), " 127.50");
    EXPECT_FALSE(Global(*dialog).IsStale());
    // The README's picture of the first page.
    if (const char* shots = std::getenv("QUILLET_SCREENSHOTS")) {
        // Shown without its modality, which the responder would take for a window to close.
        dialog->setWindowModality(Qt::NonModal);
        dialog->show();
        QApplication::processEvents();
        EXPECT_TRUE(dialog->grab().save(QString::fromLocal8Bit(shots) + "/sim-information.png"));
        dialog->hide();
    }

    EXPECT_GT(ShowPage(*dialog, 1), 0u);
    auto& capacities = dynamic_cast<ui::CNewInfo2&>(dialog->Page(1)).Form();
    EXPECT_EQ(capacities.phoneBookItemsEdit->text(), "120");
    EXPECT_EQ(capacities.fdnNameEdit->text(), "16");
    EXPECT_EQ(capacities.smsItemsEdit->text(), "20");
    EXPECT_GT(ShowPage(*dialog, 2), 0u);
    EXPECT_EQ(Lines(*dialog, 2).size(), 5);
    EXPECT_EQ(Lines(*dialog, 2).at(2), "  3  " + QString(10, ' ') + "Pizza Roma  +420222333444");
    EXPECT_EQ(dynamic_cast<ui::CNewInfo3&>(dialog->Page(2)).Form().itemsEdit->text(), "5");
    EXPECT_GT(ShowPage(*dialog, 3), 0u);
    EXPECT_EQ(Lines(*dialog, 3), (QStringList{"  1  " + QString(11, ' ') + "My number  +420603555123", "  2"}));

    // Going back shows what was read.
    EXPECT_EQ(ShowPage(*dialog, 0), 0u);
    EXPECT_EQ(ShowPage(*dialog, 2), 0u);
    EXPECT_EQ(global.priceEdit->text(), "   0.15");

    // Update reads the page on view at once and the others when they are next shown.
    instructions.clear();
    dialog->Form().updateButton->click();
    EXPECT_FALSE(instructions.empty());
    EXPECT_EQ(Lines(*dialog, 2).size(), 5);
    EXPECT_TRUE(Global(*dialog).IsStale());
    EXPECT_GT(ShowPage(*dialog, 0), 0u);
    EXPECT_EQ(global.priceEdit->text(), "   0.15");
    EXPECT_EQ(ShowPage(*dialog, 2), 0u);
    EXPECT_GT(ShowPage(*dialog, 3), 0u);
    EXPECT_TRUE(responder.texts.isEmpty());
    EXPECT_EQ(responder.unexpected, 0);
}

TEST_F(SimInfoDialog, AFailedReadSaysWhyKeepsWhatWasReadAndTriesAgainNextTime) {
    InsertCard([](sim::SimProfile& card) {
        card.FindFile(0x7F20, 0x6F41)->content.resize(4);   // a price without its exponent
        card.FindFile(0x7F10, 0x6F40)->invalidated = true;  // own numbers protected
    });
    AnswerPin("1234");
    responder.icons.clear();
    responder.AnswerMessage();
    auto dialog = Open();
    EXPECT_EQ(responder.texts, QStringList{"Error during smartcard reader operation:\nBad or missing record in card"});
    EXPECT_EQ(responder.icons, std::vector{QMessageBox::Critical});
    EXPECT_EQ(Global(*dialog).Form().internationalEdit->text(), "230011234567890");
    EXPECT_EQ(Global(*dialog).Form().currencyEdit->text(), "");
    EXPECT_TRUE(Global(*dialog).IsStale());

    // Another page reads well; coming back tries the failed one again.
    EXPECT_GT(ShowPage(*dialog, 1), 0u);
    responder.AnswerMessage();
    EXPECT_GT(ShowPage(*dialog, 0), 0u);
    EXPECT_TRUE(responder.Done());

    responder.texts.clear();
    responder.AnswerMessage();
    ShowPage(*dialog, 3);
    EXPECT_EQ(responder.texts, QStringList{"Entry can not be overwritten, password protected"});
    EXPECT_TRUE(Lines(*dialog, 3).isEmpty());
    EXPECT_TRUE(dialog->Page(3).IsStale());
    EXPECT_EQ(responder.unexpected, 0);
}

TEST_F(SimInfoDialog, TheGlobalPageSaysWhatKindOfCardItIs) {
    EditorWindowFixture::InsertCard(sim::BuildDemoDualModeProfile());
    AnswerPin("1234");
    auto dialog = Open();
    const QStringList card = Global(*dialog).Form().cardLabel->text().split('\n');
    ASSERT_GE(card.size(), 3);
    EXPECT_EQ(card[0], "Card type: UICC with the USIM and GSM applications");
    EXPECT_EQ(card[2], "Global phone book: 2 sets");

    // A card without the GSM application: the page tells what it is and why it shows nothing more.
    EditorWindowFixture::InsertCard(sim::BuildDemoUsimOnlyProfile(), "usim.json");
    AnswerPin("1234");
    responder.AnswerMessage();
    dialog->Update();
    ASSERT_EQ(responder.texts.size(), 1);
    EXPECT_TRUE(responder.texts[0].startsWith("This card is a USIM card without the GSM application"));
    EXPECT_TRUE(Global(*dialog).Form().cardLabel->text().startsWith(
        "Card type: UICC with the USIM application only (no GSM application)"));
    EXPECT_EQ(responder.unexpected, 0);
}

}  // namespace
}  // namespace quillet::testing
