#pragma once

struct sqlite3;

// Rounding as a person rounds money: the number as its shortest decimal form (the digits that
// read back as the same double, so 1.005 counts as 1.005 and 2.675 as 2.675), rounded to a
// number of decimal places with halves away from zero: 2.675 -> 2.68, 1.005 -> 1.01,
// -2.675 -> -2.68. The statements' Round(x, n) means this on every engine.
namespace MoneyRound {

// `value` rounded to `decimals` places; a negative count rounds to tens, hundreds and so on.
// Infinities and NaN stay as they are; a result of zero is +0.0.
double round(double value, int decimals);

// The name of the SQL function money_round(x, n) that every connection to a file has: NULL for
// a NULL argument, else round(x, n) as a real.
inline constexpr char SqlFunction[] = "money_round";

// Registers money_round on a connection; throws DataError with the engine's message.
void registerOn(sqlite3* db);

} // namespace MoneyRound
