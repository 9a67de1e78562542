#include "data/MoneyRound.h"

#include "data/DataError.h"

#include <charconv>
#include <cmath>
#include <string>

#include <sqlcipher/sqlite3.h>

namespace MoneyRound {

namespace {

// |value| as 0.DIGITS x 10^scale, DIGITS its shortest decimal digits.
struct Decimal {
    std::string digits;
    long long scale = 0;
};

Decimal shortestDecimal(double magnitude) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    // "d.ddde+XX" or "de+XX"
    Decimal decimal;
    const char* p = buffer;
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p != '.')
            decimal.digits += *p;
    }
    int exponent = 0;
    if (p < result.ptr)
        std::from_chars(p + 1 + (p[1] == '+'), result.ptr, exponent);
    decimal.scale = exponent + 1LL;
    return decimal;
}

// Adds one to the last digit, carrying; a carry out of the first digit grows the scale.
void increment(Decimal& decimal) {
    auto i = static_cast<long long>(decimal.digits.size()) - 1;
    for (; i >= 0 && decimal.digits[i] == '9'; --i)
        decimal.digits[i] = '0';
    if (i >= 0) {
        ++decimal.digits[i];
    } else {
        decimal.digits.insert(decimal.digits.begin(), '1');
        ++decimal.scale;
    }
}

double toDouble(const Decimal& decimal) {
    const std::string text = "0." + decimal.digits + 'e' + std::to_string(decimal.scale);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

void roundFunction(sqlite3_context* context, int count, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL ||
        (count > 1 && sqlite3_value_type(arguments[1]) == SQLITE_NULL)) {
        sqlite3_result_null(context);
        return;
    }
    const int decimals = count > 1 ? sqlite3_value_int(arguments[1]) : 0;
    sqlite3_result_double(context, round(sqlite3_value_double(arguments[0]), decimals));
}

} // namespace

double round(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    if (value == 0)
        return 0.0;
    Decimal decimal = shortestDecimal(std::fabs(value));
    const long long kept = decimal.scale + decimals;
    if (kept >= static_cast<long long>(decimal.digits.size()))
        return value;
    if (kept < 0)
        return 0.0;
    const bool up = decimal.digits[static_cast<std::size_t>(kept)] >= '5';
    decimal.digits.resize(static_cast<std::size_t>(kept));
    if (up)
        increment(decimal);
    if (decimal.digits.empty())
        return 0.0;
    const double rounded = toDouble(decimal);
    return value < 0 ? -rounded : rounded;
}

void registerOn(sqlite3* db) {
    for (const int count : {1, 2}) {
        if (sqlite3_create_function_v2(db, SqlFunction, count, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                       nullptr, roundFunction, nullptr, nullptr,
                                       nullptr) != SQLITE_OK)
            throw DataError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
}

} // namespace MoneyRound
