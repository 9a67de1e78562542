#pragma once

#include <QDateTime>
#include <QtGlobal>
#include <string_view>

// Calendar arithmetic for stored dates, without time zones, system calls or allocations: a date
// and time of day is the number of seconds since 1970-01-01 00:00:00 on the calendar.
namespace StoredDate {

constexpr qint64 SecondsPerDay = 86400;

qint64 daysFromCivil(int year, int month, int day);
void civilFromDays(qint64 days, int& year, int& month, int& day);

// The one stored form "YYYY-MM-DD HH:MM:SS" of a valid date and time; false for any other text.
bool parseCanonical(std::string_view text, qint64& seconds);
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS" (a "T" may stand for the blank) of a
// valid date and time: the forms that lists show as dates.
bool parseAnyForm(std::string_view text, qint64& seconds);
// Writes the stored form, 19 characters, to `out`. Years outside 0..9999 are not stored dates.
void writeCanonical(qint64 seconds, char out[19]);

// The message for a value that is no date in the forms above: "WHAT 不是有效的日期：…", as the
// file's date rule words it.
QString invalidDateMessage(const QString& what);

// The date and time of day of a stored date, as Qt holds it (local time, no time zone given).
QDateTime toDateTime(qint64 seconds);

inline qint64 dayOf(qint64 seconds) {
    return seconds >= 0 ? seconds / SecondsPerDay
                        : -((-seconds + SecondsPerDay - 1) / SecondsPerDay);
}

} // namespace StoredDate
