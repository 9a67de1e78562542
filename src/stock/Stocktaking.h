#pragma once

#include "stock/StockStatements.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

class Connection;

// Stocktaking: the shelf counts of some products on a cut-off day put the book right. Every
// product whose count differs from its quantity on hand at the cut-off gets one adjusting
// movement on that day: stock in for a surplus, stock out for a shortage, price and amount 0,
// remark StocktakingRemark.

// The remark of every adjusting movement: "盘点调整".
extern const QString StocktakingRemark;

// One product's count. `code` names the product in messages.
struct StockCount {
    qint64 product = 0;
    QString code;
    double counted = 0;
};

// One adjusting movement recorded: the product, its quantity on hand at the cut-off before the
// adjustment (as the balance shows it), the count, and the movement's kind and quantity (> 0).
struct StockAdjustment {
    qint64 product = 0;
    QString code;
    QString name;
    QString model;
    QString unit;
    double onHand = 0;
    double counted = 0;
    MovementKind kind = MovementKind::StockIn;
    double quantity = 0;
};

// A count as typed: a number of the program's locale or with a decimal point, not negative,
// rounded to two decimals as every quantity is. None for anything else (an empty text
// included).
std::optional<double> ParseCount(const QString& text);

// What stocktaking reads: the balance at the cut-off (as the balance page lists it) of the
// products `keys`, and those products from the catalogue; of every product when there are more
// keys than one statement should carry.
QString StocktakingBalanceStatement(const QDate& cutoff, const QList<qint64>& keys);
QString StocktakingProductStatement(const QList<qint64>& keys);

// Records the adjustments of `counts` on `cutoff` (at midnight, as every movement the entry
// dialog records, so that the balance at the cut-off shows the counts) and returns them in the
// order of `counts`. All in one write transaction: the quantities on hand are read inside it, so
// a movement another counter recorded meanwhile is taken into account; a failure records
// nothing. Quantities are compared at two decimals, as the balance rounds them. A product named
// twice, or gone from the catalogue, is refused (DataError), nothing recorded.
std::vector<StockAdjustment> RecordStocktaking(Connection& connection, const QDate& cutoff,
                                               const std::vector<StockCount>& counts);
