#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

// Formats a number through a picture format such as "#,###.00" or "￥ #,###.00":
// '0' is a digit that is always shown, '#' a digit shown only when significant, ',' among the
// digit placeholders switches on thousands grouping, '.' is the decimal point, and text before
// or after the placeholders (also between quotes) is copied. "a;b;c" gives separate formats for
// positive, negative (shown without sign) and zero values. The separators are the locale's.
// An empty format gives the general number form.
QString FormatFloat(const QString& format, double value);

// A date-time as a grid shows it: the locale's short date, followed by the time of day only
// when it is not midnight.
QString FormatGridDateTime(const QDateTime& value);
