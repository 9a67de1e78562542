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
// totals.
QString BalanceStatement(const QDate& cutoff, const QString& fragment) {
    const QString date = cutoff.toString(QStringLiteral("yyyy-MM-dd"));
    return FormatSql(
        QStringLiteral(
            "select *,(StoreInNumber-StoreOutNumber) as StoreBalanceNumber from (select * from "
            "product,(select StoreProduct,Sum(iif(StoreKind=0,StoreNumber,0)) as tin,"
            "Sum(iif(StoreKind=1,StoreNumber,0)) as tOut,Round(tin,2) as StoreInNumber,"
            "Round(tOut,2) as StoreOutNumber from Store where StoreRecordDate<=#%1:s# "
            "group by StoreProduct) as t2 where ProductIndex=t2.StoreProduct %0:s) as t3"),
        {fragment, date});
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
