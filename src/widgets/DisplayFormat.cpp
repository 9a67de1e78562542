#include "DisplayFormat.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

// One section of a picture format, taken apart.
struct NumberPicture {
    QString prefix;
    QString suffix;
    int minIntegerDigits = 0;
    int minFractionDigits = 0;
    int maxFractionDigits = 0;
    bool thousands = false;
};

bool isPlaceholder(QChar c) {
    return c == u'#' || c == u'0';
}

// Splits a format into its ';'-separated sections, keeping quoted text intact.
QStringList splitSections(const QString& format) {
    QStringList sections(1);
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            sections.append(QString());
            continue;
        }
        sections.last().append(c);
    }
    return sections;
}

// Copies literal text, dropping the quotes around quoted parts.
QString literalText(QStringView text) {
    QString result;
    QChar quote;
    for (QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                result.append(c);
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else {
            result.append(c);
        }
    }
    return result;
}

NumberPicture parsePicture(const QString& section) {
    NumberPicture picture;
    int first = -1;
    int last = -1;
    QChar quote;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (isPlaceholder(c)) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0) {
        picture.prefix = literalText(section);
        return picture;
    }
    int point = section.indexOf(u'.', first);
    if (point > last)
        point = -1;
    if (point >= 0 && point == last + 1)
        last = point; // "#." keeps its point
    picture.prefix = literalText(QStringView(section).left(first));
    picture.suffix = literalText(QStringView(section).mid(last + 1));
    const int integerEnd = point >= 0 ? point : last + 1;
    bool zeroSeen = false;
    for (int i = first; i < integerEnd; ++i) {
        const QChar c = section[i];
        if (c == u',')
            picture.thousands = true;
        zeroSeen = zeroSeen || c == u'0';
        if (zeroSeen && isPlaceholder(c))
            ++picture.minIntegerDigits;
    }
    if (point >= 0) {
        for (int i = point + 1; i <= last; ++i) {
            if (!isPlaceholder(section[i]))
                continue;
            ++picture.maxFractionDigits;
            if (section[i] == u'0')
                picture.minFractionDigits = picture.maxFractionDigits;
        }
    }
    return picture;
}

// The digits of |value| rounded to `decimals` places, halves away from zero.
void roundedDigits(double value, int decimals, QString& integerDigits, QString& fractionDigits) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = std::round(std::fabs(value) * scale);
    QString digits;
    if (scaled < 9.0e15) {
        digits = QString::number(static_cast<qint64>(scaled));
    } else {
        digits = QString::number(std::fabs(value), 'f', decimals);
        digits.remove(u'.');
    }
    if (digits.size() <= decimals)
        digits = QString(decimals + 1 - digits.size(), u'0') + digits;
    integerDigits = digits.left(digits.size() - decimals);
    fractionDigits = digits.right(decimals);
}

QString groupThousands(const QString& digits, const QString& separator) {
    QString result;
    const int count = static_cast<int>(digits.size());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0)
            result += separator;
        result += digits[i];
    }
    return result;
}

QString formatWithPicture(const NumberPicture& picture, double value, bool showSign) {
    const QLocale locale;
    QString integerDigits;
    QString fractionDigits;
    roundedDigits(value, picture.maxFractionDigits, integerDigits, fractionDigits);
    while (integerDigits.startsWith(u'0'))
        integerDigits.remove(0, 1);
    if (integerDigits.size() < picture.minIntegerDigits)
        integerDigits.prepend(QString(picture.minIntegerDigits - integerDigits.size(), u'0'));
    while (fractionDigits.size() > picture.minFractionDigits && fractionDigits.endsWith(u'0'))
        fractionDigits.chop(1);

    const bool isZero = !std::any_of(integerDigits.begin(), integerDigits.end(), [](QChar c) {
        return c != u'0';
    }) && !std::any_of(fractionDigits.begin(), fractionDigits.end(), [](QChar c) {
        return c != u'0';
    });
    QString number =
        picture.thousands ? groupThousands(integerDigits, locale.groupSeparator()) : integerDigits;
    if (!fractionDigits.isEmpty())
        number += locale.decimalPoint() + fractionDigits;
    const QString sign = (showSign && value < 0 && !isZero) ? locale.negativeSign() : QString();
    return sign + picture.prefix + number + picture.suffix;
}

QString timeOfDayFormat(const QLocale& locale) {
    // The long time format without its time-zone part.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(u't');
    return format.simplified();
}

} // namespace

QString FormatFloat(const QString& format, double value) {
    if (format.isEmpty())
        return QLocale().toString(value, 'g', 15);
    const QStringList sections = splitSections(format);
    if (value == 0 && sections.size() >= 3 && !sections[2].isEmpty())
        return formatWithPicture(parsePicture(sections[2]), value, false);
    if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return formatWithPicture(parsePicture(sections[1]), value, false);
    return formatWithPicture(parsePicture(sections[0]), value, true);
}

QString FormatGridDateTime(const QDateTime& value) {
    if (!value.isValid())
        return QString();
    const QLocale locale;
    QString text = locale.toString(value.date(), QLocale::ShortFormat);
    if (value.time() != QTime(0, 0))
        text += u' ' + locale.toString(value.time(), timeOfDayFormat(locale));
    return text;
}
