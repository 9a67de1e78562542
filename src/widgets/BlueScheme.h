#pragma once

#include <QColor>
#include <QString>

// The colours and font of the program's blue look.
namespace BlueScheme {

inline QColor panelTop() {
    return QColor(218, 234, 253);
}
inline QColor panelBottom() {
    return QColor(136, 174, 228);
}
inline QColor pageTop() {
    return QColor(218, 234, 253);
}
inline QColor pageBottom() {
    return QColor(196, 218, 250);
}
inline QColor frame() {
    return QColor(101, 147, 207);
}
inline QColor caption() {
    return QColor(21, 66, 139);
}

// The font family with all Chinese characters as real glyphs, also in printed output.
inline QString fontFamily() {
    return QStringLiteral("WenQuanYi Micro Hei");
}

} // namespace BlueScheme
