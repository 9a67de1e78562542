#include "stock/Stocktaking.h"

#include "data/DataError.h"
#include "data/MoneyRound.h"
#include "data/Query.h"
#include "data/ShareDMUnit.h"
#include "data/Transaction.h"
#include "stock/MovementWriter.h"

#include <QHash>
#include <QLocale>
#include <QSet>
#include <cmath>

const QString StocktakingRemark = QStringLiteral("盘点调整");

namespace {

// Up to this many products are looked up by their keys; more read the whole list once (a
// statement of tens of thousands of keys is longer than an engine takes).
constexpr qsizetype MaxKeysInStatement = 1000;

// " and ProductIndex in (…)" for the keys; empty (no condition) for too many of them.
QString keyFragment(const QList<qint64>& keys) {
    if (keys.isEmpty() || keys.size() > MaxKeysInStatement)
        return QString();
    QStringList numbers;
    numbers.reserve(keys.size());
    for (const qint64 key : keys)
        numbers << QString::number(key);
    return QStringLiteral(" and ProductIndex in (") + numbers.join(',') + ')';
}

struct ProductOnHand {
    QString code;
    QString name;
    QString model;
    QString unit;
    double onHand = 0;
};

// The products of `keys` from a query of Product rows (with StoreBalanceNumber when the query
// has it), by key.
void collect(const Query& query, const QSet<qint64>& keys, QHash<qint64, ProductOnHand>& found) {
    const int key = query.FieldIndex(QStringLiteral("ProductIndex"));
    const int code = query.FieldIndex(QStringLiteral("ProductSerial"));
    const int name = query.FieldIndex(QStringLiteral("ProductName"));
    const int model = query.FieldIndex(QStringLiteral("ProductType"));
    const int unit = query.FieldIndex(QStringLiteral("ProductUnit"));
    const int balance = query.FieldIndex(QStringLiteral("StoreBalanceNumber"));
    for (int row = 0; row < query.RecordCount(); ++row) {
        const qint64 product = query.IntegerAt(row, key);
        if (!keys.contains(product) || found.contains(product))
            continue;
        found.insert(product,
                     {query.TextAt(row, code), query.TextAt(row, name), query.TextAt(row, model),
                      query.TextAt(row, unit), balance >= 0 ? query.FloatAt(row, balance) : 0.0});
    }
}

// The counted products with their quantities on hand at the cut-off, read as the balance page
// reads them; a product without a movement up to then has 0. Throws for a product that is gone.
QHash<qint64, ProductOnHand> readOnHand(Connection& connection, const QDate& cutoff,
                                        const std::vector<StockCount>& counts) {
    QSet<qint64> keys;
    QList<qint64> ordered;
    for (const StockCount& count : counts) {
        if (keys.contains(count.product))
            throw DataError(
                QStringLiteral("商品 %1 的实盘数量出现了两次，盘点没有记录。").arg(count.code));
        keys.insert(count.product);
        ordered << count.product;
    }
    QHash<qint64, ProductOnHand> found;
    Query query(&connection);
    OpenSQL(query, StocktakingBalanceStatement(cutoff, ordered));
    collect(query, keys, found);

    QList<qint64> unmoved;
    for (const qint64 key : ordered)
        if (!found.contains(key))
            unmoved << key;
    if (!unmoved.isEmpty()) {
        OpenSQL(query, StocktakingProductStatement(unmoved));
        collect(query, keys, found);
    }
    for (const StockCount& count : counts)
        if (!found.contains(count.product))
            throw DataError(
                QStringLiteral("商品 %1 已被其他用户删除，盘点没有记录。").arg(count.code));
    return found;
}

} // namespace

QString StocktakingBalanceStatement(const QDate& cutoff, const QList<qint64>& keys) {
    return BalanceStatement(cutoff, keyFragment(keys));
}

QString StocktakingProductStatement(const QList<qint64>& keys) {
    return QStringLiteral("select * from Product where 0=0") + keyFragment(keys);
}

std::optional<double> ParseCount(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value) || value < 0)
        return std::nullopt;
    return MoneyRound::round(value, 2);
}

std::vector<StockAdjustment> RecordStocktaking(Connection& connection, const QDate& cutoff,
                                               const std::vector<StockCount>& counts) {
    std::vector<StockAdjustment> adjustments;
    if (counts.empty())
        return adjustments;
    Transaction transaction(connection);
    const QHash<qint64, ProductOnHand> onHand = readOnHand(connection, cutoff, counts);
    for (const StockCount& count : counts) {
        const ProductOnHand& product = onHand[count.product];
        const double counted = MoneyRound::round(count.counted, 2);
        const double difference = MoneyRound::round(counted - product.onHand, 2);
        if (difference == 0)
            continue;
        adjustments.push_back({count.product, product.code, product.name, product.model,
                               product.unit, MoneyRound::round(product.onHand, 2), counted,
                               difference > 0 ? MovementKind::StockIn : MovementKind::StockOut,
                               std::abs(difference)});
    }
    if (!adjustments.empty()) {
        Query store(&connection);
        OpenSQL(store, NoRowStatement(QStringLiteral("Store")));
        const QDateTime recorded(cutoff, QTime(0, 0));
        for (const StockAdjustment& adjustment : adjustments) {
            store.Append();
            PostMovement(store, {adjustment.product, adjustment.kind, 0, adjustment.quantity, 0,
                                 recorded, StocktakingRemark});
        }
    }
    transaction.Commit();
    return adjustments;
}
