#pragma once

#include <QString>

// A text object's font: family, size in points, weight and slant.
struct ReportFont {
    QString family;
    double size = 9;
    bool bold = false;
    bool italic = false;

    bool operator==(const ReportFont&) const = default;
};

// The family used where a template names none. Set explicitly rather than left to the font
// matcher: with it, the Chinese text of a PDF can be searched and copied.
inline QString DefaultReportFontFamily() {
    return QStringLiteral("WenQuanYi Micro Hei");
}
