#include "stock/StockStatements.h"

#include "data/ShareDMUnit.h"
#include "platform/UserError.h"

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
// unchanged: x*4 is exact, and it equals its own whole part (a cast, no text) only for a whole
// number. Below 1e9 such a total is taken as it is; "+0.0" gives Round's real type for a whole
// sum and turns -0.0 into 0.0 as Round does. Every other total goes through Round. The size test
// comes first, in a condition of its own, so that no engine casts a sum too large for a whole
// number.
namespace {

// A total rounded to two decimals as Round(total,2) would, cheaply for multiples of 0.25.
QString RoundedTotal(const QString& total) {
    return FormatSql(QStringLiteral("iif(Abs(%0:s)<1e9,iif(%0:s*4=cast(%0:s*4 as bigint),%0:s+0.0,"
                                    "Round(%0:s,2)),Round(%0:s,2))"),
                     {total});
}

} // namespace

// A product is below its minimum when the quantity on hand, as the balance shows it (two
// decimals), is less than the minimum; a product without a minimum never is. The balance's
// column StoreBelowMinimum and the filter say it with this one condition. The column asks for a
// minimum first, so that the rounding (a text conversion on a server) is left out for the many
// products without one.
const QString BelowMinimumCondition =
    QStringLiteral("Round(StoreInNumber-StoreOutNumber,2)<ProductMinimum");

QString BalanceStatement(const QDate& cutoff, const QString& fragment) {
    const QString date = cutoff.toString(QStringLiteral("yyyy-MM-dd"));
    return FormatSql(
        QStringLiteral(
            "select Product.*,t2.*,(StoreInNumber-StoreOutNumber) as StoreBalanceNumber,"
            "iif(ProductMinimum is null,0,iif(%4:s,1,0)) as StoreBelowMinimum from "
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

// The period summary in two grouped passes joined by product. One pass over every movement up to
// the end of the to-date, answered from the balance index alone as the balance is, lists the
// products that moved and gives each its quantity on hand before the from-date. The second pass
// reads only the period's movements (found through the date index) and gives what each product
// received and shipped in it, quantities and amounts (the amounts are not in the balance index).
// Each figure is summed first and rounded once; the closing quantity is taken from the three
// rounded ones (and rounded again, which only removes the binary noise of the addition), so
// opening + received - shipped = closing holds for every row as shown and for the sums of the
// columns. A product without a movement in the period shows 0 for all four period figures.
QString SummaryStatement(const QDate& from, const QDate& to, const QString& fragment) {
    if (from > to)
        throw UserError(QStringLiteral("起始日期（%1）晚于截止日期（%2），请改正后再查询。")
                            .arg(from.toString(QStringLiteral("yyyy-MM-dd")),
                                 to.toString(QStringLiteral("yyyy-MM-dd"))));
    const auto periodFigure = [](const char* figure) {
        return FormatSql(QStringLiteral("iif(IsNull(t3.%0:s),0.0,t3.%0:s)"),
                         {QString::fromLatin1(figure)});
    };
    return FormatSql(
        QStringLiteral(
            "select Product.*,t2.*,%3:s as StorePeriodInNumber,%4:s as StorePeriodOutNumber,"
            "%5:s as StoreEndNumber,%6:s as StorePeriodInSum,%7:s as StorePeriodOutSum from "
            "(select StoreProduct,Sum(iif(StoreRecordDate<%1:s,iif(StoreKind=0,StoreNumber,"
            "iif(StoreKind=1,-StoreNumber,0)),0)) as tBegin,%8:s as StoreBeginNumber "
            "from Store where StoreRecordDate<%2:s group by StoreProduct) as t2 "
            "cross join Product left join "
            "(select StoreProduct,Sum(iif(StoreKind=0,StoreNumber,0)) as tin,"
            "Sum(iif(StoreKind=1,StoreNumber,0)) as tOut,Sum(iif(StoreKind=0,StoreSum,0)) as "
            "tInSum,Sum(iif(StoreKind=1,StoreSum,0)) as tOutSum,%9:s as pin,%10:s as pOut,"
            "%11:s as pInSum,%12:s as pOutSum from Store where StoreRecordDate>=%1:s and "
            "StoreRecordDate<%2:s group by StoreProduct) as t3 on t3.StoreProduct=t2.StoreProduct "
            "where ProductIndex=t2.StoreProduct %0:s"),
        {fragment, DateLiteral(from), DateLiteral(to.addDays(1)), periodFigure("pin"),
         periodFigure("pOut"),
         RoundedTotal(
             QStringLiteral("(StoreBeginNumber+StorePeriodInNumber-StorePeriodOutNumber)")),
         periodFigure("pInSum"), periodFigure("pOutSum"), RoundedTotal(QStringLiteral("tBegin")),
         RoundedTotal(QStringLiteral("tin")), RoundedTotal(QStringLiteral("tOut")),
         RoundedTotal(QStringLiteral("tInSum")), RoundedTotal(QStringLiteral("tOutSum"))});
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
