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
