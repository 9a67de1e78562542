#pragma once

#include "stock/Stocktaking.h"

#include <QString>
#include <vector>

class Connection;

// The counts of a count file: UTF-8 text, one "code,counted" a line, as a spreadsheet saves a
// CSV file (a byte-order mark, Windows line ends, fields in double quotes, trailing empty
// fields). A first line whose count is not a number and whose code no product has is the
// header and is passed over; blank lines and lines with an empty count are not counts. The
// codes are looked up in the catalogue. Anything else (text that is not UTF-8, an unknown code,
// a code that several products carry, a code given twice, a count that is not a number, more
// fields) is refused with its line number (DataError), and no count is returned.
// The look-up of the codes: every product's key and code.
QString ProductCodesStatement();

std::vector<StockCount> ReadStockCountFile(Connection& connection, const QString& path);
