#pragma once

#include <QtGlobal>
#include <cstdint>
#include <string_view>

// One value of a fetched row as the engine gave it, viewed without a copy: nothing, a whole
// number, a floating-point number, a text (UTF-8), or a stored date. A text in the one stored
// date form "YYYY-MM-DD HH:MM:SS" is held as a date: the seconds since 1970-01-01 00:00:00 on
// the calendar, without any time zone. Its text, its order and its reads are those of the text.
struct CellValue {
    enum class Kind : std::uint8_t { Null, Integer, Real, Text, Date };

    Kind kind = Kind::Null;
    qint64 integer = 0;    // Integer, and the seconds of a Date
    double real = 0;       // Real
    std::string_view text; // Text: valid as long as the row or the result it came from

    static CellValue null() { return {}; }
    static CellValue ofInteger(qint64 v) { return {Kind::Integer, v, 0, {}}; }
    static CellValue ofReal(double v) { return {Kind::Real, 0, v, {}}; }
    static CellValue ofText(std::string_view v) { return {Kind::Text, 0, 0, v}; }
    static CellValue ofDate(qint64 seconds) { return {Kind::Date, seconds, 0, {}}; }
};

// The value as a floating-point number, as every read path and every column sum takes it: a
// number as it is, a text through its C-locale number form (0 when it is none), nothing and a
// date as 0.
double CellAsFloat(const CellValue& value);
