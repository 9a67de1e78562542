#include "widgets/GlowButton.h"

namespace {

const char* const glowStyle = R"(
QPushButton {
    color: rgb(21, 66, 139);
    border: 1px solid rgb(101, 147, 207);
    border-radius: 4px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
        stop:0 rgb(250, 252, 255), stop:0.45 rgb(219, 233, 252),
        stop:0.5 rgb(196, 218, 250), stop:1 rgb(225, 238, 255));
}
QPushButton:hover {
    border-color: rgb(255, 183, 0);
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
        stop:0 rgb(255, 253, 235), stop:0.45 rgb(255, 236, 170),
        stop:0.5 rgb(255, 215, 100), stop:1 rgb(255, 240, 180));
}
QPushButton:pressed {
    border-color: rgb(194, 118, 43);
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
        stop:0 rgb(251, 219, 181), stop:0.45 rgb(254, 199, 120),
        stop:0.5 rgb(253, 173, 17), stop:1 rgb(254, 225, 122));
}
QPushButton:focus { border-color: rgb(59, 108, 181); }
QPushButton:disabled { color: rgb(141, 141, 141); border-color: rgb(180, 190, 205); }
)";

} // namespace

GlowButton::GlowButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setStyleSheet(QString::fromLatin1(glowStyle));
    resize(DefaultWidth, DefaultHeight);
    setCursor(Qt::PointingHandCursor);
}
