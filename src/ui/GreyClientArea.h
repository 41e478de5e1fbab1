#pragma once

#include <QWidget>

namespace quillet::ui {

// The main window's empty client area: grey, with the program's name when there is room.
class GreyClientArea final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinimumWidthForName = 450;
    static constexpr int kMinimumHeightForName = 150;

    explicit GreyClientArea(QWidget* parent);
    bool ShowsName() const;

signals:
    void Painted();

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillet::ui
