#include "widgets/GroupBox.h"

GroupBox::GroupBox(const QString& title, QWidget* parent, Corners corners)
    : QGroupBox(title, parent), m_corners(corners) {
    const int radius = corners == Corners::Rounded ? 6 : 0;
    setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid rgb(101, 147, 207);"
                                 " border-radius: %1px; margin-top: 7px;"
                                 " background: transparent; }"
                                 "QGroupBox::title { subcontrol-origin: margin; left: 10px;"
                                 " padding: 0 3px; color: rgb(21, 66, 139); }")
                      .arg(radius));
}
