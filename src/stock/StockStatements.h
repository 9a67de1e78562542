#pragma once

#include <QDate>
#include <QString>

// The statements of the stock lists and the stock balance, composed in one place for the pages
// and the command-line tool.

// The first item of the name and model filter lists; a box reading exactly this adds no
// condition.
extern const QString AllItems;

// Movement kinds as stored in StoreKind.
constexpr int StockInKind = 0;
constexpr int StockOutKind = 1;

// A calendar date as a date literal of the program's SQL: "#YYYY-MM-DD#".
QString DateLiteral(const QDate& date);

// " and StoreRecordDate between #from# and #to#": both days included.
QString DateRangeFragment(const QDate& from, const QDate& to);
// The name and model conditions; each is left out when its text is exactly AllItems. Any other
// text, the empty text included, is a condition.
QString ProductFilterFragment(const QString& name, const QString& model);
// The condition that narrows the model list to the chosen name (none for AllItems).
QString ModelListFragment(const QString& name);

QString MovementListStatement(int kind, const QString& fragment);
QString BalanceStatement(const QDate& cutoff, const QString& fragment);

// "共 N 条", the row count under the first column of every list.
QString RowCountText(int rows);

// The stock entry dialog's look-ups and writes.
// "select * from Product where ProductSerial='code'"
QString ProductByCodeStatement(const QString& code);
// The conditions of the name, model and unit boxes, each left out when its text is empty.
QString ProductMatchFragment(const QString& name, const QString& model, const QString& unit);
// "select * from Product where 0=0 " with a fragment.
QString ProductMatchStatement(const QString& fragment);
// One movement joined with its product, for showing it.
QString MovementWithProductStatement(int storeIndex);
// One movement alone, for writing it.
QString MovementStatement(int storeIndex);
QString DeleteMovementStatement(int storeIndex);
// The conditions of the dialog's model list (the typed name) and unit list (the typed name and
// model); added also when the texts are empty.
QString EntryModelListFragment(const QString& name);
QString EntryUnitListFragment(const QString& name, const QString& model);
// The columns of Product or Store without a row: a query to append one to.
QString NoRowStatement(const QString& table);
