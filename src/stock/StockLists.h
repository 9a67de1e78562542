#pragma once

#include "lists/ListDefinition.h"
#include "stock/StockStatements.h"

#include <QDate>
#include <QString>

// The stock pages' lists, each defined once (see ListDefinition): the statement with the page's
// filters, the grid's columns and the report's names.

// The stock-in or stock-out list (DBGridEh1 over ADOQueryStoreIn, DBGridEh2 over
// ADOQueryStoreOut): the movements that meet the filter fragment (MovementFilterFragment).
ListDefinition MovementList(MovementKind kind, const QString& filters = QString());
// The stock balance as of the cut-off day (DBGridEh3 over ADOQueryStore), of the products that
// meet the filter fragment (ProductFilterFragment).
ListDefinition BalanceList(const QDate& cutoff, const QString& filters = QString());
// The period summary from the from-date to the end of the to-date (DBGridEh5 over
// ADOQuerySummary), of the products that meet the filter fragment (ProductFilterFragment).
ListDefinition SummaryList(const QDate& from, const QDate& to, const QString& filters = QString());

// The movement pages' filters: the date range (both days included), then name and model, where
// "所有" adds no condition.
QString MovementFilterFragment(const QDate& from, const QDate& to, const QString& name,
                               const QString& model);
// The balance page's filters: name and model as above, and with `belowMinimumOnly` ("只看低于
// 下限") only the products below their minimum.
QString BalanceFilterFragment(const QString& name, const QString& model, bool belowMinimumOnly);
