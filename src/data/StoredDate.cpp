#include "data/StoredDate.h"

namespace StoredDate {

// Howard Hinnant's days_from_civil / civil_from_days: the proleptic Gregorian calendar.
qint64 daysFromCivil(int year, int month, int day) {
    const qint64 y = static_cast<qint64>(year) - (month <= 2);
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(qint64 days, int& year, int& month, int& day) {
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 doe = days - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

namespace {

bool digits(std::string_view text, std::size_t from, std::size_t length, int& value) {
    value = 0;
    for (std::size_t i = from; i < from + length; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

bool parse(std::string_view text, bool canonicalOnly, qint64& seconds) {
    const std::size_t size = text.size();
    if (canonicalOnly ? size != 19 : (size != 10 && size != 16 && size != 19))
        return false;
    int year, month, day, hour = 0, minute = 0, second = 0;
    if (text[4] != '-' || text[7] != '-' || !digits(text, 0, 4, year) ||
        !digits(text, 5, 2, month) || !digits(text, 8, 2, day))
        return false;
    if (size > 10) {
        const bool blank = text[10] == ' ' || (!canonicalOnly && text[10] == 'T');
        if (!blank || text[13] != ':' || !digits(text, 11, 2, hour) || !digits(text, 14, 2, minute))
            return false;
    }
    if (size == 19 && (text[16] != ':' || !digits(text, 17, 2, second)))
        return false;
    // Year 0 is no date of the program's calendar (QDate has no year 0 either).
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59)
        return false;
    seconds = daysFromCivil(year, month, day) * SecondsPerDay + hour * 3600 + minute * 60 + second;
    return true;
}

void put(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

} // namespace

bool parseCanonical(std::string_view text, qint64& seconds) {
    return parse(text, true, seconds);
}

bool parseAnyForm(std::string_view text, qint64& seconds) {
    return parse(text, false, seconds);
}

QString invalidDateMessage(const QString& what) {
    return QStringLiteral("%1 不是有效的日期：日期应写成 YYYY-MM-DD 或 YYYY-MM-DD HH:MM:SS")
        .arg(what);
}

QDateTime toDateTime(qint64 seconds) {
    const qint64 days = dayOf(seconds);
    const int ofDay = static_cast<int>(seconds - days * SecondsPerDay);
    int year, month, day;
    civilFromDays(days, year, month, day);
    return QDateTime(QDate(year, month, day), QTime(ofDay / 3600, ofDay / 60 % 60, ofDay % 60));
}

void writeCanonical(qint64 seconds, char out[19]) {
    const qint64 days = dayOf(seconds);
    const int ofDay = static_cast<int>(seconds - days * SecondsPerDay);
    int year, month, day;
    civilFromDays(days, year, month, day);
    put(out, year, 4);
    out[4] = '-';
    put(out + 5, month, 2);
    out[7] = '-';
    put(out + 8, day, 2);
    out[10] = ' ';
    put(out + 11, ofDay / 3600, 2);
    out[13] = ':';
    put(out + 14, ofDay / 60 % 60, 2);
    out[16] = ':';
    put(out + 17, ofDay % 60, 2);
}

} // namespace StoredDate
