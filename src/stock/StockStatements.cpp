#include "stock/StockStatements.h"

#include "data/ShareDMUnit.h"

QString DateLiteral(const QDate& date) {
    return '#' + date.toString(QStringLiteral("yyyy-MM-dd")) + '#';
}

QString DateRangeFragment(const QDate& from, const QDate& to) {
    return QStringLiteral(" and StoreRecordDate between ") + DateLiteral(from) +
           QStringLiteral(" and ") + DateLiteral(to);
}

QString MovementListStatement(MovementKind kind, const QString& fragment) {
    const QString statement =
        kind == MovementKind::StockIn
            ? QStringLiteral(
                  "select * from Store,Product where StoreProduct=ProductIndex and StoreKind=0 %s")
            : QStringLiteral(
                  "select * from Store,Product where StoreProduct=ProductIndex and StoreKind=1 %s");
    return FormatSql(statement, {fragment});
}

// One grouped pass over the movements up to the cut-off (answered from the covering index on
// product, kind, date and quantity) gives both totals of every product that moved, so a product
// with movements of one kind only shows 0 for the other and its balance stays a number. Each
// total is summed first and rounded once afterwards; the balance is taken from the rounded
// totals. The totals come first and each product is then looked up by its key ("cross join"
// keeps that order, so the totals are read as they are grouped instead of being stored first).
//
// Round(x,2) writes the number as text and reads it back, which costs more than the sum itself.
// A total that is a multiple of 0.25 already has at most two decimals, so Round returns it
// unchanged: x*4 is exact, and Round(x*4) (no decimals, no text) equals it only for a whole
// number. Below 1e9 such a total is taken as it is; "+0.0" gives Round's real type for a whole
// sum and turns -0.0 into 0.0 as Round does. Every other total goes through Round.
namespace {

// A total rounded to two decimals as Round(total,2) would, cheaply for multiples of 0.25.
QString RoundedTotal(const QString& total) {
    return FormatSql(QStringLiteral("iif(%0:s*4=Round(%0:s*4) and Abs(%0:s)<1e9,%0:s+0.0,"
                                    "Round(%0:s,2))"),
                     {total});
}

} // namespace

// A product is below its minimum when the quantity on hand, as the balance shows it (two
// decimals), is less than the minimum; a product without a minimum never is. The balance's
// column StoreBelowMinimum and the filter say it with this one condition.
const QString BelowMinimumCondition =
    QStringLiteral("Round(StoreInNumber-StoreOutNumber,2)<ProductMinimum");

QString BalanceStatement(const QDate& cutoff, const QString& fragment) {
    const QString date = cutoff.toString(QStringLiteral("yyyy-MM-dd"));
    return FormatSql(
        QStringLiteral(
            "select Product.*,t2.*,(StoreInNumber-StoreOutNumber) as StoreBalanceNumber,"
            "iif(%4:s,1,0) as StoreBelowMinimum from "
            "(select StoreProduct,Sum(iif(StoreKind=0,StoreNumber,0)) as tin,"
            "Sum(iif(StoreKind=1,StoreNumber,0)) as tOut,%2:s as StoreInNumber,%3:s as "
            "StoreOutNumber from Store where StoreRecordDate<=#%1:s# group by StoreProduct) as t2 "
            "cross join Product where ProductIndex=t2.StoreProduct %0:s"),
        {fragment, date, RoundedTotal(QStringLiteral("tin")), RoundedTotal(QStringLiteral("tOut")),
         BelowMinimumCondition});
}

QString BelowMinimumFragment() {
    return QStringLiteral(" and ") + BelowMinimumCondition;
}

QString MovementWithProductStatement(int storeIndex) {
    return QStringLiteral(
               "select * from Store,Product where StoreProduct=ProductIndex and StoreIndex=") +
           QString::number(storeIndex);
}

QString MovementStatement(int storeIndex) {
    return QStringLiteral("select * from Store where StoreIndex=") + QString::number(storeIndex);
}

QString EntryModelListFragment(const QString& name) {
    return QStringLiteral(" and ProductName=") + QuotedSql(name);
}

QString EntryUnitListFragment(const QString& name, const QString& model) {
    return EntryModelListFragment(name) + QStringLiteral(" and ProductType=") + QuotedSql(model);
}

QString NoRowStatement(const QString& table) {
    return QStringLiteral("select * from ") + table + QStringLiteral(" where 0=1");
}
