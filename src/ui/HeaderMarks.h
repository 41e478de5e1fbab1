#pragma once

#include <QIcon>

namespace quillet::ui {

// The header's mark of the column a list is ordered by (a small downward triangle), or, unmarked,
// a transparent blank of the same size so every title starts at the same place.
QIcon HeaderMark(bool marked);

}  // namespace quillet::ui
