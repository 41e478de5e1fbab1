#pragma once

#include <QIcon>
#include <QPixmap>

namespace quillet::ui {

// The program's pictures, drawn rather than loaded so they stay sharp at every size: a SIM card
// with its gold contact plate.
QIcon ApplicationIcon();
QPixmap SimCardPicture(int width, int height);
// The small picture at the top of the information dialog: the card in a reader slot.
QPixmap ReaderPicture(int width, int height);

}  // namespace quillet::ui
