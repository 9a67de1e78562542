#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <string>

// Formats a number through a picture format such as "#,###.00" or "￥ #,###.00":
// '0' is a digit that is always shown, '#' a digit shown only when significant, ',' among the
// digit placeholders switches on thousands grouping, '.' is the decimal point, and text before
// or after the placeholders (also between quotes) is copied. "a;b;c" gives separate formats for
// positive, negative (shown without sign) and zero values. The separators are the locale's.
// An empty format gives the general number form.
QString FormatFloat(const QString& format, double value);

// A picture format taken apart once, for formatting many numbers: append() writes UTF-8 and,
// once `out` has room, allocates nothing (except for the general form of an empty format and
// for numbers beyond 15 digits).
class NumberFormat {
public:
    explicit NumberFormat(const QString& format = QString(), const QLocale& locale = QLocale());
    void append(double value, std::string& out) const;
    QString format(double value) const;

    struct Picture {
        std::string prefix;
        std::string suffix;
        int minIntegerDigits = 0;
        int minFractionDigits = 0;
        int maxFractionDigits = 0;
        bool thousands = false;
    };

private:
    void appendPicture(const Picture& picture, double value, bool showSign, std::string& out) const;

    QLocale m_locale;
    bool m_general = true;
    Picture m_sections[3];
    bool m_hasSection[3] = {false, false, false};
    std::string m_group;
    std::string m_decimal;
    std::string m_minus;
};

// The time-of-day format that follows the date.
QString GridTimeFormat(const QLocale& locale);
