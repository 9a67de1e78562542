#pragma once

#include "product/ProductStatements.h"

#include <QDate>
#include <QString>

// The statements of the stock lists and the stock balance, composed in one place for the pages
// and the command-line tool. Their name and model filters are the product catalogue's
// (ProductStatements.h).

// The kinds of movement, with the values stored in StoreKind.
enum class MovementKind { StockIn = 0, StockOut = 1 };

// A calendar date as a date literal of the program's SQL: "#YYYY-MM-DD#".
QString DateLiteral(const QDate& date);

// " and StoreRecordDate between #from# and #to#": both days included.
QString DateRangeFragment(const QDate& from, const QDate& to);

QString MovementListStatement(MovementKind kind, const QString& fragment);
// The balance of every product that moved up to the cut-off day; its column StoreBelowMinimum
// is 1 for a product whose quantity on hand is below its minimum (ProductMinimum), else 0.
QString BalanceStatement(const QDate& cutoff, const QString& fragment);
// The period summary from `from` to the end of `to` (both days whole, times of day included).
// A from-date after the to-date is refused (UserError): no period lies between them.
QString SummaryStatement(const QDate& from, const QDate& to, const QString& fragment);
// The balance's filter fragment that keeps only the products below their minimum: added to
// the name and model filters.
QString BelowMinimumFragment();

// The stock entry dialog's look-ups and writes; its product look-ups are the catalogue's own
// (ProductStatements.h).

// One movement joined with its product, for showing it.
QString MovementWithProductStatement(int storeIndex);
// One movement alone, for writing or deleting it.
QString MovementStatement(int storeIndex);
// The conditions of the dialog's model list (the typed name) and unit list (the typed name and
// model); added also when the texts are empty.
QString EntryModelListFragment(const QString& name);
QString EntryUnitListFragment(const QString& name, const QString& model);
// The columns of Product or Store without a row: a query to append one to.
QString NoRowStatement(const QString& table);
