#pragma once

#include "lists/ListDefinition.h"

#include <QDate>
#include <QString>

// The count sheet of a stocktaking (see Stocktaking.h): the products of the balance as of the
// cut-off day that meet the filter fragment (ProductFilterFragment), each with its code, name,
// model, unit and quantity on hand, and an empty column "实盘数量" that the printed sheet rules
// for writing the count in. The stocktaking dialog lists it and prints it; `varnholt-db` prints
// it as `countsheet`.
ListDefinition CountSheetList(const QDate& cutoff, const QString& filters = QString());

// The field of the empty count column: no statement has it, so its cells stay empty.
extern const QString CountedField; // "StockCountedNumber"
