#include "lists/DisplayFormat.h"

#include "data/MoneyRound.h"
#include "platform/Numbers.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

using NumberPicture = NumberFormat::Picture;

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
        picture.prefix = literalText(section).toStdString();
        return picture;
    }
    int point = section.indexOf(u'.', first);
    if (point > last)
        point = -1;
    if (point >= 0 && point == last + 1)
        last = point; // "#." keeps its point
    picture.prefix = literalText(QStringView(section).left(first)).toStdString();
    picture.suffix = literalText(QStringView(section).mid(last + 1)).toStdString();
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

// A double holds 15 significant decimal digits; any digit after them is an artefact of its
// binary form ("1234567890123.4501" for a sum of amounts with two decimals).
constexpr int SignificantDigits = 15;

// The decimals of |value| that lie within its significant digits, at most `decimals`.
int significantDecimals(double value, int decimals) {
    const double magnitude = std::fabs(value);
    int integerDigits = 1;
    for (double power = 10; power <= magnitude && integerDigits < 400; power *= 10)
        ++integerDigits;
    return std::clamp(SignificantDigits - integerDigits, 0, decimals);
}

// The digits of |value| rounded to `decimals` places as MoneyRound rounds, at least
// decimals + 1 of them; places beyond the significant digits are zeros. Returns their count.
int roundedDigits(double value, int wantedDecimals, char* digits, int capacity) {
    const int decimals = significantDecimals(value, wantedDecimals);
    const int padding = wantedDecimals - decimals;
    capacity -= padding;
    // Rounded as the statements' Round rounds money (the number as written, halves away from
    // zero); the scaled result is then a whole number up to the last bit.
    value = MoneyRound::round(value, decimals);
    const double scaled = std::round(std::fabs(value) * std::pow(10.0, decimals));
    int count;
    if (scaled < 9.0e15) {
        count = static_cast<int>(
            std::to_chars(digits, digits + capacity, static_cast<qint64>(scaled)).ptr - digits);
    } else {
        QByteArray text = QByteArray::number(std::fabs(value), 'f', decimals);
        text.replace(".", "");
        count = std::min(static_cast<int>(text.size()), capacity);
        std::memcpy(digits, text.constData(), count);
    }
    if (count <= decimals) {
        const int pad = decimals + 1 - count;
        std::memmove(digits + pad, digits, count);
        std::memset(digits, '0', pad);
        count += pad;
    }
    std::memset(digits + count, '0', padding);
    return count + padding;
}

QString timeOfDayFormat(const QLocale& locale) {
    // The long time format without its time-zone part.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(u't');
    return format.simplified();
}

} // namespace

NumberFormat::NumberFormat(const QString& format, const QLocale& locale)
    : m_locale(locale), m_general(format.isEmpty()), m_group(locale.groupSeparator().toStdString()),
      m_decimal(locale.decimalPoint().toStdString()), m_minus(locale.negativeSign().toStdString()) {
    if (m_general)
        return;
    const QStringList sections = splitSections(format);
    for (int i = 0; i < 3 && i < sections.size(); ++i) {
        m_hasSection[i] = i == 0 || !sections[i].isEmpty();
        if (m_hasSection[i])
            m_sections[i] = parsePicture(sections[i]);
    }
}

void NumberFormat::appendPicture(const Picture& picture, double value, bool showSign,
                                 std::string& out) const {
    // 309 digits of the largest double, the decimals and room to pad them.
    char digits[400];
    const int decimals = std::min(picture.maxFractionDigits, 60);
    const int count = roundedDigits(value, decimals, digits, sizeof digits);
    int integerBegin = 0;
    const int integerEnd = count - decimals;
    while (integerBegin < integerEnd && digits[integerBegin] == '0')
        ++integerBegin;
    int fractionEnd = count;
    while (fractionEnd - integerEnd > picture.minFractionDigits && digits[fractionEnd - 1] == '0')
        --fractionEnd;
    const int integerCount = integerEnd - integerBegin;
    const int zeros = std::max(0, picture.minIntegerDigits - integerCount);
    bool isZero = true;
    for (int i = integerBegin; i < fractionEnd && isZero; ++i)
        isZero = digits[i] == '0';

    if (showSign && value < 0 && !isZero)
        out += m_minus;
    out += picture.prefix;
    const int shown = zeros + integerCount;
    for (int i = 0; i < shown; ++i) {
        if (picture.thousands && i > 0 && (shown - i) % 3 == 0)
            out += m_group;
        out += i < zeros ? '0' : digits[integerBegin + i - zeros];
    }
    if (fractionEnd > integerEnd) {
        out += m_decimal;
        out.append(digits + integerEnd, fractionEnd - integerEnd);
    }
    out += picture.suffix;
}

void NumberFormat::append(double value, std::string& out) const {
    if (!std::isfinite(value)) {
        out += NonFiniteMark;
        return;
    }
    if (m_general) {
        out += m_locale.toString(value, 'g', 15).toStdString();
        return;
    }
    if (value == 0 && m_hasSection[2])
        appendPicture(m_sections[2], value, false, out);
    else if (value < 0 && m_hasSection[1])
        appendPicture(m_sections[1], value, false, out);
    else
        appendPicture(m_sections[0], value, true, out);
}

QString NumberFormat::format(double value) const {
    std::string out;
    append(value, out);
    return QString::fromStdString(out);
}

QString FormatFloat(const QString& format, double value) {
    return NumberFormat(format).format(value);
}

QString GridTimeFormat(const QLocale& locale) {
    return timeOfDayFormat(locale);
}
