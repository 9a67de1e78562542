#include "data/DataError.h"
#include "data/MoneyRound.h"
#include "data/ServerSqlText.h"
#include "data/SqlDialect.h"
#include "data/SqlScript.h"
#include "stock/StockStatements.h"

#include <QDate>
#include <QStringList>
#include <QTest>

#include <cstdint>

#include <sqlcipher/sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// The export's wrapper: the visible columns under their titles around a page's statement.
QString exportStatement(const QStringList& fields, const QStringList& titles,
                        const QString& statement) {
    QString columns;
    for (qsizetype i = 0; i < fields.size(); ++i)
        columns += fields[i] + u" as "_s + titles[i] + u" ,"_s;
    columns.chop(1);
    return u"Select "_s + columns + u"from ("_s + statement + u") as t_export"_s;
}

const QStringList stockInFields = {u"ProductSerial"_s, u"ProductName"_s,     u"ProductType"_s,
                                   u"ProductUnit"_s,   u"StoreNumber"_s,     u"StorePrice"_s,
                                   u"StoreSum"_s,      u"StoreRecordDate"_s, u"StoreRemark"_s};
const QStringList stockInTitles = {u"商品编号"_s, u"商品名称"_s, u"商品型号"_s,
                                   u"单位"_s,     u"入库数量"_s, u"价格"_s,
                                   u"金额"_s,     u"入库时间"_s, u"备注"_s};
const QStringList balanceFields = {u"ProductSerial"_s,     u"ProductName"_s,   u"ProductType"_s,
                                   u"ProductUnit"_s,       u"StoreInNumber"_s, u"StoreOutNumber"_s,
                                   u"StoreBalanceNumber"_s};
const QStringList balanceTitles = {u"商品编号"_s, u"商品名称"_s, u"商品型号"_s, u"单位"_s,
                                   u"入库数量"_s, u"出库数量"_s, u"当前库存"_s};

const char* const schemaAndRows = R"(
create table Product(ProductIndex INTEGER PRIMARY KEY AUTOINCREMENT, ProductSerial TEXT,
    ProductName TEXT, ProductType TEXT, ProductUnit TEXT, ProductMinimum REAL);
create table Store(StoreIndex INTEGER PRIMARY KEY AUTOINCREMENT, StoreProduct INTEGER,
    StoreKind INTEGER, StoreNumber REAL, StorePrice REAL, StoreSum REAL, StoreRecordDate TEXT,
    StoreRemark TEXT);
create table Power(PowerIndex INTEGER PRIMARY KEY AUTOINCREMENT, PowerName TEXT, PowerKey TEXT);
create table Remarks(RemarksIndex INTEGER PRIMARY KEY AUTOINCREMENT, RemarksName TEXT,
    RemarksValue TEXT);
insert into Product(ProductSerial, ProductName, ProductType, ProductUnit) values
    ('P001', '螺丝', 'M3', '个'), ('P002', '螺母', 'M3', '个'), ('P003', '垫片', 'M4', '片'),
    ('P004', 'O''Brien #1#', 'X1', '个');
insert into Store(StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, StoreRecordDate,
    StoreRemark) values
    (1, 0, 10, 2.5, 25, '2024-01-05 00:00:00', ''),
    (1, 0, 5, 2.5, 12.5, '2024-01-31 00:00:00', '月末'),
    (1, 1, 4, 3, 12, '2024-01-20 00:00:00', ''),
    (2, 0, 0.004, 1, 0.004, '2024-01-10 00:00:00', ''),
    (2, 0, 0.004, 1, 0.004, '2024-01-11 00:00:00', ''),
    (2, 0, 0.004, 1, 0.004, '2024-01-12 00:00:00', ''),
    (3, 1, 2, 1, 2, '2024-01-15 00:00:00', ''),
    (1, 0, 100, 2.5, 250, '2024-02-01 00:00:00', '');
insert into Power(PowerName, PowerKey) values ('管理员', ''), ('张三', 'abc');
insert into Remarks(RemarksName, RemarksValue) values ('FirstRun', 'False'), ('公司名称', '瓦恩商行');
)";

// An in-memory database with the program's four tables and a few rows.
class MemoryDatabase {
public:
    MemoryDatabase() {
        sqlite3_open(":memory:", &m_db);
        MoneyRound::registerOn(m_db);
    }
    ~MemoryDatabase() { sqlite3_close(m_db); }
    MemoryDatabase(const MemoryDatabase&) = delete;
    MemoryDatabase& operator=(const MemoryDatabase&) = delete;

    // Empty text on success, else the engine's message.
    QString execute(const QString& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) == SQLITE_OK)
            return {};
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        return message;
    }

    // Every row as the named columns' texts joined by '|', NULL as "NULL". Returns an error
    // text, empty on success.
    QString select(const QString& sql, const QStringList& columns, QStringList& rows) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) !=
            SQLITE_OK)
            return QString::fromUtf8(sqlite3_errmsg(m_db));
        QString error = readRows(statement, columns, rows);
        sqlite3_finalize(statement);
        return error;
    }

    // Every row with every column as name, type and value (numbers to the last bit), NULL as
    // "NULL"; rows in the statement's order. Returns an error text, empty on success.
    QString selectExact(const QString& sql, QStringList& rows) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) !=
            SQLITE_OK)
            return QString::fromUtf8(sqlite3_errmsg(m_db));
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
                cells.append(QString::fromUtf8(sqlite3_column_name(statement, i)) + u'=' +
                             exactCell(statement, i));
            rows.append(cells.join(u'|'));
        }
        sqlite3_finalize(statement);
        return {};
    }

private:
    static QString readRows(sqlite3_stmt* statement, const QStringList& columns,
                            QStringList& rows) {
        QList<int> indexes;
        for (const QString& column : columns) {
            const int index = columnIndex(statement, column);
            if (index < 0)
                return u"no result column "_s + column;
            indexes.append(index);
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList cells;
            for (int index : indexes)
                cells.append(sqlite3_column_type(statement, index) == SQLITE_NULL
                                 ? u"NULL"_s
                                 : QString::fromUtf8(reinterpret_cast<const char*>(
                                       sqlite3_column_text(statement, index))));
            rows.append(cells.join(u'|'));
        }
        return {};
    }

    static QString exactCell(sqlite3_stmt* statement, int i) {
        switch (sqlite3_column_type(statement, i)) {
        case SQLITE_NULL:
            return u"NULL"_s;
        case SQLITE_INTEGER:
            return u"int:"_s + QString::number(sqlite3_column_int64(statement, i));
        case SQLITE_FLOAT:
            return u"real:"_s + QString::asprintf("%.17g", sqlite3_column_double(statement, i));
        default:
            return u"text:"_s + QString::fromUtf8(reinterpret_cast<const char*>(
                                    sqlite3_column_text(statement, i)));
        }
    }

    static int columnIndex(sqlite3_stmt* statement, const QString& name) {
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            if (name.compare(QString::fromUtf8(sqlite3_column_name(statement, i)),
                             Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    sqlite3* m_db = nullptr;
};

} // namespace

class TestDialect : public QObject {
    Q_OBJECT
private slots:
    void translates_data();
    void translates();
    void rejects_data();
    void rejects();
    void roundsMoney_data();
    void roundsMoney();
    void runs_data();
    void runs();
    void balanceAsPlainlyRounded_data();
    void balanceAsPlainlyRounded();
    void splitsScripts_data();
    void splitsScripts();
    void serverTexts_data();
    void serverTexts();
};

void TestDialect::translates_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("server"); // empty: as for the file

    const auto row = [](const char* name, const QString& sql, const QString& file,
                        const QString& server = QString()) {
        QTest::newRow(name) << sql << file << server;
    };
    row("date literal means midnight", u"select * from Store where StoreRecordDate<=#2008-03-05#"_s,
        u"select * from Store where StoreRecordDate<='2008-03-05 00:00:00'"_s,
        u"select * from Store where StoreRecordDate<=TIMESTAMP '2008-03-05 00:00:00'"_s);
    row("one-digit month and day, slashes, between",
        u"where StoreRecordDate between #2008-3-5# and #2008/12/31#"_s,
        u"where StoreRecordDate between '2008-03-05 00:00:00' and '2008-12-31 00:00:00'"_s,
        u"where StoreRecordDate between TIMESTAMP '2008-03-05 00:00:00' and TIMESTAMP "
        u"'2008-12-31 00:00:00'"_s);
    row("date with time", u"where d=#2008-03-05 14:07:09# or d=#2008-3-5 9:05#"_s,
        u"where d='2008-03-05 14:07:09' or d='2008-03-05 09:05:00'"_s,
        u"where d=TIMESTAMP '2008-03-05 14:07:09' or d=TIMESTAMP '2008-03-05 09:05:00'"_s);
    row("IsNull", u"select IsNull(StoreRemark) from Store"_s,
        u"select (StoreRemark IS NULL) from Store"_s);
    row("iif", u"select iif(StoreKind=0,'in','out') from Store"_s,
        u"select (CASE WHEN StoreKind=0 THEN 'in' ELSE 'out' END) from Store"_s);
    row("nested, any letter case, spaces before the parenthesis",
        u"select IIF (a>0, Iif(b>0,1,2) , ISNULL( c )) from t"_s,
        u"select (CASE WHEN a>0 THEN (CASE WHEN b>0 THEN 1 ELSE 2 END) ELSE (c IS NULL) END) from t"_s);
    row("arguments split at top-level commas only",
        u"select iif(Round(a,2)>1,Round(b,2),'x,y') from t"_s,
        u"select (CASE WHEN money_round(a,2)>1 THEN money_round(b,2) ELSE 'x,y' END) from t"_s,
        u"select (CASE WHEN (round((a)::text::numeric,2)::double precision)>1 THEN "
        u"(round((b)::text::numeric,2)::double precision) ELSE 'x,y' END) from t"_s);
    row("Round: one argument, expressions, any letter case, nested",
        u"select ROUND(a*4), round( Sum(x) + 1 , 2 ), Round(Round(y,3),-1) from t"_s,
        u"select money_round(a*4,0), money_round(Sum(x) + 1,2), money_round(money_round(y,3),-1) "
        u"from t"_s,
        u"select (round((a*4)::text::numeric,0)::double precision), (round((Sum(x) + "
        u"1)::text::numeric,2)::double precision), (round(((round((y)::text::numeric,3)::double "
        u"precision))::text::numeric,-1)::double precision) from t"_s);
    row("round as a name is no call", u"select round from t"_s, u"select round from t"_s);
    row("quoted and bracketed names folded on the server",
        u"UPDATE \"Store\" set [StoreRemark]='x' where \"StoreIndex\"=1 and StoreKind==0"_s,
        u"UPDATE \"Store\" set [StoreRemark]='x' where \"StoreIndex\"=1 and StoreKind==0"_s,
        u"UPDATE store set storeremark='x' where storeindex=1 and StoreKind=0"_s);
    row("names that are no plain word stay quoted on the server",
        u"select [合 计], \"Order\", \"a\"\"B\", [数量] from t"_s,
        u"select [合 计], \"Order\", \"a\"\"B\", [数量] from t"_s,
        u"select \"合 计\", \"order\", \"a\"\"b\", 数量 from t"_s);
    row("postfix isnull is not a call", u"select * from t where a isnull"_s,
        u"select * from t where a isnull"_s);
    row("alias reused later in its list",
        u"select StoreProduct,Sum(StoreNumber) as tin,iif(IsNull(tin),0,Round(tin,2)) as StoreInNumber from Store group by StoreProduct"_s,
        u"select StoreProduct,Sum(StoreNumber) as tin,(CASE WHEN ((Sum(StoreNumber)) IS NULL) THEN 0 ELSE money_round((Sum(StoreNumber)),2) END) as StoreInNumber from Store group by StoreProduct"_s,
        u"select StoreProduct,Sum(StoreNumber) as tin,(CASE WHEN ((Sum(StoreNumber)) IS NULL) THEN 0 ELSE (round(((Sum(StoreNumber)))::text::numeric,2)::double precision) END) as StoreInNumber from Store group by StoreProduct"_s);
    row("alias: case-insensitive, chained", u"select a+1 AS p, P*2 as q, q-p as r from t"_s,
        u"select a+1 AS p, (a+1)*2 as q, ((a+1)*2)-(a+1) as r from t"_s);
    row("alias: not qualified, not a qualifier, not a function, not before its item",
        u"select tin, a as tin, t.tin, tin.x, tin(1), b as tin, tin from t"_s,
        u"select tin, a as tin, t.tin, tin.x, tin(1), b as tin, (b) from t"_s);
    row("alias: only within the select list",
        u"select a as tin from t where tin>0 group by tin order by tin"_s,
        u"select a as tin from t where tin>0 group by tin order by tin"_s);
    row("alias: each nested select has its own list",
        u"select a as k, (select k from u where k=1) as m, k from t"_s,
        u"select a as k, (select k from u where k=1) as m, (a) from t"_s);
    row("alias: inner list reuse inside a derived table",
        u"select * from (select distinct x as k, k*2 as d from u) as v where k>0"_s,
        u"select * from (select distinct x as k, (x)*2 as d from u) as v where k>0"_s);
    row("alias: Chinese and bracketed names",
        u"select Sum(StoreNumber) as 数量, Round(数量,2) as [合 计], [合 计]+1 from Store"_s,
        u"select Sum(StoreNumber) as 数量, money_round((Sum(StoreNumber)),2) as [合 计], (money_round((Sum(StoreNumber)),2))+1 from Store"_s,
        u"select Sum(StoreNumber) as 数量, (round(((Sum(StoreNumber)))::text::numeric,2)::double precision) as \"合 计\", ((round(((Sum(StoreNumber)))::text::numeric,2)::double precision))+1 from Store"_s);
    row("literals are never touched",
        u"select * from Product where ProductName='O''Brien #1#' and ProductType='iif(a,b,c)' and \"x#y\"=[#z#]"_s,
        u"select * from Product where ProductName='O''Brien #1#' and ProductType='iif(a,b,c)' and \"x#y\"=[#z#]"_s,
        u"select * from Product where ProductName='O''Brien #1#' and ProductType='iif(a,b,c)' and \"x#y\"=\"#z#\""_s);
    row("comment: -- to the end of the line, as the engine reads it",
        u"update Store set StoreNumber=10 --1\nwhere StoreIndex=#2024-1-5#--x"_s,
        u"update Store set StoreNumber=10  \nwhere StoreIndex='2024-01-05 00:00:00' "_s,
        u"update Store set StoreNumber=10  \nwhere StoreIndex=TIMESTAMP '2024-01-05 00:00:00' "_s);
    row("comment: hides what looks like dialect and parentheses",
        u"select iif(a -- iif(b) #x# ) '\n, 1, 2) /* ( #y# */ from t"_s,
        u"select (CASE WHEN a THEN 1 ELSE 2 END)   from t"_s);
    row("comment: not inside literals and names", u"select '--x', \"/*y*/\", [--z] from t"_s,
        u"select '--x', \"/*y*/\", [--z] from t"_s, u"select '--x', \"/*y*/\", \"--z\" from t"_s);
    row("comment: between select and distinct, and unterminated",
        u"select /*a*/ distinct x from t /* open"_s, u"select   distinct x from t  "_s);
    row("minus minus with a blank is arithmetic", u"select 5- -1"_s, u"select 5- -1"_s);
    row("empty statement", QString(), QString());

    // Forms that both engines read as they are.
    const QStringList passThrough = {
        u"select Distinct ProductName from Product where 0=0 "_s,
        MovementListStatement(MovementKind::StockIn,
                              u"  and ProductName='螺丝' and ProductType='M3'"_s),
        u"select *,(StoreInNumber-StoreOutNumber) as StoreBalanceNumber from (select * from t) as t3 left join u as t4 on t3.a=t4.a"_s,
        u"select * from (select distinct StoreProduct from Store),product where ProductIndex=StoreProduct"_s,
        u"select * from (select * from Store) t2 where StoreIndex=5"_s,
        exportStatement(stockInFields, stockInTitles,
                        MovementListStatement(MovementKind::StockIn, QString())),
        u"delete from Store where StoreIndex=5"_s,
        u"update Power set PowerKey='x' where PowerName='y'"_s,
    };
    for (const QString& sql : passThrough)
        QTest::newRow(qPrintable(u"unchanged: "_s + sql.left(60))) << sql << sql << sql;

    // A total of one kind, its alias spelled out, rounded unless a multiple of 0.25.
    const auto rounded = [](const QString& kind, bool server) {
        const QString total =
            u"(Sum((CASE WHEN StoreKind="_s + kind + u" THEN StoreNumber ELSE 0 END)))"_s;
        const auto round = [server](const QString& x, const QString& n) {
            return server
                       ? u"(round(("_s + x + u")::text::numeric,"_s + n + u")::double precision)"_s
                       : u"money_round("_s + x + u","_s + n + u")"_s;
        };
        return u"Abs("_s + total + u")<1e9 THEN (CASE WHEN "_s + total + u"*4=cast("_s + total +
               u"*4 as bigint) THEN "_s + total + u"+0.0 ELSE "_s + round(total, u"2"_s) +
               u" END) ELSE "_s + round(total, u"2"_s) + u" END)"_s;
    };
    const auto balance = [&rounded](bool server) {
        const QString onHand = u"StoreInNumber-StoreOutNumber"_s;
        return u"select Product.*,t2.*,(StoreInNumber-StoreOutNumber) as StoreBalanceNumber,"
               u"(CASE WHEN ProductMinimum is null THEN 0 ELSE (CASE WHEN "_s +
               (server ? u"(round(("_s + onHand + u")::text::numeric,2)::double precision)"_s
                       : u"money_round("_s + onHand + u",2)"_s) +
               u"<ProductMinimum THEN 1 ELSE 0 END) END) as StoreBelowMinimum from "
               u"(select StoreProduct,Sum((CASE WHEN StoreKind=0 THEN StoreNumber ELSE 0 END)) as "
               u"tin,Sum((CASE WHEN StoreKind=1 THEN StoreNumber ELSE 0 END)) as tOut,(CASE WHEN "_s +
               rounded(u"0"_s, server) + u" as StoreInNumber,(CASE WHEN "_s +
               rounded(u"1"_s, server) +
               u" as StoreOutNumber from Store where StoreRecordDate<="_s +
               (server ? u"TIMESTAMP "_s : QString()) +
               u"'2024-01-31 00:00:00' group by StoreProduct) as t2 cross join Product where "
               u"ProductIndex=t2.StoreProduct  and ProductName='螺丝'"_s;
    };
    row("stock balance statement",
        BalanceStatement(QDate(2024, 1, 31), u" and ProductName='螺丝'"_s), balance(false),
        balance(true));
}

void TestDialect::translates() {
    QFETCH(QString, sql);
    QFETCH(QString, file);
    QFETCH(QString, server);
    QCOMPARE(TranslateSql(sql), file);
    QCOMPARE(TranslateSql(sql, SqlTarget::File), file);
    QCOMPARE(TranslateSql(sql, SqlTarget::Server), server.isNull() ? file : server);
}

void TestDialect::rejects_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message"); // a part of the error's text

    QTest::newRow("unclosed parenthesis") << u"select * from (select a from t"_s << u"'('"_s;
    QTest::newRow("stray closing parenthesis") << u"select a) from t"_s << u"')'"_s;
    QTest::newRow("unterminated string") << u"where a='O''Brien"_s << u"string literal"_s;
    QTest::newRow("unterminated date") << u"where d<=#2008-01-01"_s << u"date literal"_s;
    QTest::newRow("unterminated bracketed name") << u"select [a from t"_s << u"bracketed name"_s;
    QTest::newRow("day that does not exist") << u"where d<=#2008-02-30#"_s << u"#2008-02-30#"_s;
    QTest::newRow("time that does not exist")
        << u"where d<=#2008-02-03 24:00#"_s << u"#2008-02-03 24:00#"_s;
    QTest::newRow("not a date") << u"where d<=#yesterday#"_s << u"#yesterday#"_s;
    QTest::newRow("day first") << u"where d<=#5-3-2008#"_s << u"#5-3-2008#"_s;
    QTest::newRow("iif with two arguments") << u"select iif(a,b) from t"_s << u"iif"_s;
    QTest::newRow("iif with an empty argument") << u"select iif(a, ,c) from t"_s << u"empty"_s;
    QTest::newRow("nesting beyond the engine's limit")
        << u"select "_s + u"("_s.repeated(1001) + u"1"_s + u")"_s.repeated(1001) << u"deep"_s;
    QTest::newRow("IsNull without argument") << u"select IsNull() from t"_s << u"IsNull"_s;
}

void TestDialect::rejects() {
    QFETCH(QString, sql);
    QFETCH(QString, message);
    try {
        TranslateSql(sql);
        QFAIL("no DataError");
    } catch (const DataError& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void TestDialect::roundsMoney_data() {
    QTest::addColumn<QString>("round");    // as a statement writes it
    QTest::addColumn<QString>("expected"); // a real's shortest text, or NULL

    const char* const cases[][3] = {
        {"half up, where the double lies below", "Round(2.675,2)", "2.68"},
        {"half up, 1.005", "Round(1.005,2)", "1.01"},
        {"half away from zero when negative", "Round(-2.675,2)", "-2.68"},
        {"below the half", "Round(0.2849,2)", "0.28"},
        {"the shortest form counts, not the sum's last bits", "Round(0.1+0.2,2)", "0.3"},
        {"carry into a new digit", "Round(99.995,2)", "100"},
        {"one argument: no decimals", "Round(2.5)", "3"},
        {"one argument, negative", "Round(-0.5)", "-1"},
        {"fewer decimals than asked stay", "Round(123.456,5)", "123.456"},
        {"a tiny negative rounds to zero, not minus zero", "Round(-0.004,2)", "0"},
        {"everything cut away", "Round(1e-20,2)", "0"},
        {"negative places: tens", "Round(1235,-1)", "1240"},
        {"negative places below the first digit", "Round(4,-1)", "0"},
        {"large numbers keep their digits", "Round(1e300,2)", "1e+300"},
        {"an integer gives a real", "Round(7,2)", "7"},
        {"a number in a text", "Round('2.675',2)", "2.68"},
        {"NULL", "Round(NULL,2)", "NULL"},
        {"NULL places", "Round(2.5,NULL)", "NULL"},
    };
    for (const auto& row : cases)
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
}

// Rounding on the file engine, through the function its connections have.
void TestDialect::roundsMoney() {
    QFETCH(QString, round);
    QFETCH(QString, expected);
    MemoryDatabase db;
    QStringList rows;
    QCOMPARE(db.selectExact(TranslateSql(u"select "_s + round + u" as r"_s), rows), QString());
    QCOMPARE(rows.size(), 1);
    const QString wanted = expected == u"NULL"_s
                               ? u"r=NULL"_s
                               : u"r=real:"_s + QString::asprintf("%.17g", expected.toDouble());
    QCOMPARE(rows.first(), wanted);
}

void TestDialect::runs_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("probe"); // read after a changing statement; empty for a select
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("expected"); // rows in any order

    const QString dateRange = u" and StoreRecordDate between #2024-01-05# and #2024-1-31#"_s;
    const QStringList balanceColumns = {u"ProductSerial"_s, u"StoreInNumber"_s, u"StoreOutNumber"_s,
                                        u"StoreBalanceNumber"_s};
    // Summed first, rounded afterwards: three times 0.004 gives 0.01. A product with movements
    // of one kind gets 0 for the other kind, and its balance stays a number.
    const QStringList januaryBalance = {u"P001|15.0|4.0|11.0"_s, u"P002|0.01|0.0|0.01"_s,
                                        u"P003|0.0|2.0|-2.0"_s};

    QTest::newRow("distinct names")
        << u"select Distinct ProductName from Product where 0=0 "_s << QString()
        << QStringList{u"ProductName"_s}
        << QStringList{u"螺丝"_s, u"螺母"_s, u"垫片"_s, u"O'Brien #1#"_s};
    QTest::newRow("distinct models")
        << u"select Distinct ProductType from Product where 0=0 "_s << QString()
        << QStringList{u"ProductType"_s} << QStringList{u"M3"_s, u"M4"_s, u"X1"_s};
    QTest::newRow("distinct models of a name")
        << u"select Distinct ProductType from Product where 0=0  and ProductName='螺母'"_s
        << QString() << QStringList{u"ProductType"_s} << QStringList{u"M3"_s};
    QTest::newRow("distinct units of a name and model")
        << u"select Distinct ProductUnit from Product where 0=0  and ProductName='螺丝' and ProductType='M3'"_s
        << QString() << QStringList{u"ProductUnit"_s} << QStringList{u"个"_s};
    QTest::newRow("distinct users")
        << u"select Distinct PowerName from Power where 0=0 "_s << QString()
        << QStringList{u"PowerName"_s} << QStringList{u"管理员"_s, u"张三"_s};
    QTest::newRow("setting") << u"select * from Remarks where RemarksName='公司名称'"_s << QString()
                             << QStringList{u"RemarksValue"_s} << QStringList{u"瓦恩商行"_s};
    QTest::newRow("missing setting")
        << u"select * from Remarks where RemarksName='公司地址'"_s << QString()
        << QStringList{u"RemarksValue"_s} << QStringList();
    QTest::newRow("login") << u"select * from Power where PowerName='管理员'"_s << QString()
                           << QStringList{u"PowerName"_s, u"PowerKey"_s}
                           << QStringList{u"管理员|"_s};
    QTest::newRow("password change")
        << u"update Power set PowerKey='new''key #1#' where PowerName='张三'"_s
        << u"select * from Power"_s << QStringList{u"PowerName"_s, u"PowerKey"_s}
        << QStringList{u"管理员|"_s, u"张三|new'key #1#"_s};
    QTest::newRow("stock in, unfiltered")
        << MovementListStatement(MovementKind::StockIn, QString()) << QString()
        << QStringList{u"StoreIndex"_s}
        << QStringList{u"1"_s, u"2"_s, u"4"_s, u"5"_s, u"6"_s, u"8"_s};
    QTest::newRow("stock in, date range includes both ends")
        << MovementListStatement(MovementKind::StockIn, dateRange + u" and ProductName='螺丝'"_s)
        << QString() << QStringList{u"StoreIndex"_s, u"ProductSerial"_s}
        << QStringList{u"1|P001"_s, u"2|P001"_s};
    QTest::newRow("stock in, days outside the range")
        << MovementListStatement(MovementKind::StockIn,
                                 u" and StoreRecordDate between #2024-1-6# and #2024-01-30#"_s)
        << QString() << QStringList{u"StoreIndex"_s} << QStringList{u"4"_s, u"5"_s, u"6"_s};
    QTest::newRow("stock out, unfiltered")
        << MovementListStatement(MovementKind::StockOut, QString()) << QString()
        << QStringList{u"StoreIndex"_s} << QStringList{u"3"_s, u"7"_s};
    QTest::newRow("stock out, range and model")
        << MovementListStatement(MovementKind::StockOut, dateRange + u" and ProductType='M3'"_s)
        << QString() << QStringList{u"StoreIndex"_s, u"StoreNumber"_s} << QStringList{u"3|4.0"_s};
    QTest::newRow("balance on the day of a movement")
        << BalanceStatement(QDate(2024, 1, 31), QString()) << QString() << balanceColumns
        << januaryBalance;
    QTest::newRow("balance with a name, the day before")
        << BalanceStatement(QDate(2024, 1, 30), u" and ProductName='螺丝'"_s) << QString()
        << balanceColumns << QStringList{u"P001|10.0|4.0|6.0"_s};
    QTest::newRow("balance before the first movement")
        << BalanceStatement(QDate(2024, 1, 4), QString()) << QString() << balanceColumns
        << QStringList();
    QTest::newRow("products, unfiltered")
        << u"select * from Product where 0=0 "_s << QString() << QStringList{u"ProductIndex"_s}
        << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s};
    QTest::newRow("products by name, model and unit")
        << u"select * from Product where 0=0  and ProductName='螺母' and ProductType='M3' and ProductUnit='个'"_s
        << QString() << QStringList{u"ProductIndex"_s} << QStringList{u"2"_s};
    QTest::newRow("products by a name holding a quote and hashes")
        << u"select * from Product where 0=0  and ProductName='O''Brien #1#'"_s << QString()
        << QStringList{u"ProductSerial"_s} << QStringList{u"P004"_s};
    QTest::newRow("product by code")
        << u"select * from Product where ProductSerial='P003'"_s << QString()
        << QStringList{u"ProductIndex"_s} << QStringList{u"3"_s};
    QTest::newRow("product by key") << u"select * from Product where ProductIndex=2"_s << QString()
                                    << QStringList{u"ProductSerial"_s} << QStringList{u"P002"_s};
    QTest::newRow("all products") << u"select * from Product"_s << QString()
                                  << QStringList{u"ProductIndex"_s}
                                  << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s};
    QTest::newRow("movement with its product")
        << u"select * from Store,Product where StoreProduct=ProductIndex and StoreIndex=3"_s
        << QString() << QStringList{u"StoreIndex"_s, u"ProductSerial"_s, u"StoreKind"_s}
        << QStringList{u"3|P001|1"_s};
    QTest::newRow("movement by key")
        << u"select * from Store where StoreIndex=3"_s << QString()
        << QStringList{u"StoreIndex"_s, u"StoreProduct"_s} << QStringList{u"3|1"_s};
    QTest::newRow("a comment changes nothing")
        << u"update Store set StoreNumber=10 --1\n where StoreIndex=3"_s
        << u"select * from Store where StoreIndex=3"_s << QStringList{u"StoreNumber"_s}
        << QStringList{u"10.0"_s};
    QTest::newRow("movement deleted")
        << u"delete from Store where StoreIndex=5"_s
        << u"select * from Store where StoreProduct=2"_s << QStringList{u"StoreIndex"_s}
        << QStringList{u"4"_s, u"6"_s};
    QTest::newRow("export of the stock-in list")
        << exportStatement(stockInFields, stockInTitles,
                           MovementListStatement(MovementKind::StockIn,
                                                 dateRange + u" and ProductName='螺丝'"_s))
        << QString() << QStringList{u"商品编号"_s, u"入库数量"_s, u"入库时间"_s, u"备注"_s}
        << QStringList{u"P001|10.0|2024-01-05 00:00:00|"_s, u"P001|5.0|2024-01-31 00:00:00|月末"_s};
    QTest::newRow("export of the balance")
        << exportStatement(balanceFields, balanceTitles,
                           BalanceStatement(QDate(2024, 1, 31), QString()))
        << QString() << QStringList{u"商品编号"_s, u"入库数量"_s, u"出库数量"_s, u"当前库存"_s}
        << januaryBalance;
}

void TestDialect::runs() {
    QFETCH(QString, sql);
    QFETCH(QString, probe);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, expected);

    MemoryDatabase database;
    QCOMPARE(database.execute(QString::fromUtf8(schemaAndRows)), QString());
    QStringList rows;
    if (probe.isEmpty()) {
        QCOMPARE(database.select(TranslateSql(sql), columns, rows), QString());
    } else {
        QCOMPARE(database.execute(TranslateSql(sql)), QString());
        QCOMPARE(database.select(TranslateSql(probe), columns, rows), QString());
    }
    rows.sort();
    expected.sort();
    QCOMPARE(rows, expected);
}

// Products whose totals are hard to round: x.xx5 amounts that binary cannot hold, multiples of
// 0.25 that the balance takes without rounding, negatives, -0.0, whole numbers, NULL, totals
// beyond 1e9, a product without movements, products with one kind only, movements on and just
// after the cut-off day; then many generated totals.
const char* const balanceRows = R"(
create index StoreBalanceIndex on Store(StoreProduct, StoreKind, StoreRecordDate, StoreNumber);
insert into Product(ProductIndex, ProductSerial, ProductName, ProductType, ProductUnit) values
    (10, 'Q10', '甲', 'a', '个'), (11, 'Q11', '乙', 'a', '个'), (12, 'Q12', '丙', 'a', '个'),
    (13, 'Q13', '丁', 'a', '个'), (14, 'Q14', '戊', 'a', '个'), (15, 'Q15', '己', 'a', '个'),
    (16, 'Q16', '庚', 'a', '个'), (17, 'Q17', '辛', 'a', '个');
insert into Store(StoreProduct, StoreKind, StoreNumber, StoreRecordDate) values
    (10, 0, 0.1, '2024-01-02 00:00:00'), (10, 0, 0.2, '2024-01-03 00:00:00'),
    (10, 1, 1.005, '2024-01-03 00:00:00'), (10, 1, 2.675, '2024-01-31 00:00:00'),
    (11, 0, 487614.5, '2024-01-02 00:00:00'), (11, 1, 0.125, '2024-01-02 00:00:00'),
    (11, 1, 0.25, '2024-01-31 10:00:00'),
    (12, 0, -1.005, '2024-01-02 00:00:00'), (12, 1, -0.25, '2024-01-02 00:00:00'),
    (12, 1, -2.675, '2024-01-02 00:00:00'), (12, 0, -0.0, '2024-01-02 00:00:00'),
    (13, 1, 7, '2024-01-02 00:00:00'), (13, 1, 0.015, '2024-01-31 00:00:00'),
    (14, 0, NULL, '2024-01-02 00:00:00'), (14, 0, 1000000000.25, '2024-02-02 00:00:00'),
    (15, 0, 1e15, '2024-01-02 00:00:00'), (15, 0, 0.25, '2024-01-02 00:00:00'), (15, 1, 999999999.75, '2024-01-02 00:00:00'),
    (15, 1, 0.005, '2024-01-02 00:00:00'),
    (16, 0, -0.0, '2024-01-02 00:00:00'), (16, 1, 123456789.755, '2024-01-02 00:00:00');
)";

// The balance as it was composed before its totals skipped Round: the grouped totals joined to
// the catalogue, each total rounded by Round(x,2).
QString plainlyRoundedBalance(const QString& date, const QString& fragment) {
    return u"select *,(StoreInNumber-StoreOutNumber) as StoreBalanceNumber,"
           u"iif(Round(StoreInNumber-StoreOutNumber,2)<ProductMinimum,1,0) as StoreBelowMinimum "
           u"from (select * from "
           u"product,(select StoreProduct,Sum(iif(StoreKind=0,StoreNumber,0)) as tin,"
           u"Sum(iif(StoreKind=1,StoreNumber,0)) as tOut,Round(tin,2) as StoreInNumber,"
           u"Round(tOut,2) as StoreOutNumber from Store where StoreRecordDate<=#"_s +
           date + u"# group by StoreProduct) as t2 where ProductIndex=t2.StoreProduct "_s +
           fragment + u") as t3"_s;
}

void TestDialect::balanceAsPlainlyRounded_data() {
    QTest::addColumn<QDate>("cutoff");
    QTest::addColumn<QString>("fragment");
    QTest::newRow("on the day of the last movements") << QDate(2024, 1, 31) << QString();
    QTest::newRow("the day before") << QDate(2024, 1, 30) << QString();
    QTest::newRow("after every movement") << QDate(2030, 1, 1) << QString();
    QTest::newRow("before every movement") << QDate(2000, 1, 1) << QString();
    QTest::newRow("with a name") << QDate(2030, 1, 1) << u" and ProductName='丙'"_s;
}

// The same rows in the same order with the same columns, types and values to the last bit.
void TestDialect::balanceAsPlainlyRounded() {
    QFETCH(QDate, cutoff);
    QFETCH(QString, fragment);
    MemoryDatabase database;
    QCOMPARE(database.execute(QString::fromUtf8(schemaAndRows)), QString());
    QCOMPARE(database.execute(QString::fromUtf8(balanceRows)), QString());
    // Generated totals: steps of 1/8 (some multiples of 0.25, some not) and of 1/1000, both
    // signs, up to a few million.
    QString generated = u"insert into Store(StoreProduct, StoreKind, StoreNumber, "
                        u"StoreRecordDate) values "_s;
    std::uint32_t seed = 21;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int product = 100; product < 400; ++product) {
        for (int movement = 0; movement < 4; ++movement) {
            const std::int64_t steps = std::int64_t(next() % 4000000) - 1000000;
            const double number = product % 2 ? steps / 8.0 : steps / 1000.0;
            generated += QString::asprintf("(%d,%u,%.17g,'2024-01-%02u 00:00:00'),", product,
                                           next() % 2, number, 1 + next() % 31);
        }
    }
    generated.chop(1);
    QCOMPARE(database.execute(generated), QString());
    QCOMPARE(database.execute(u"insert into Product(ProductIndex, ProductSerial, ProductName) "
                              u"select StoreProduct, 'G' || StoreProduct, '生成' from Store "
                              u"where StoreProduct>=100 group by StoreProduct"_s),
             QString());

    QStringList rows;
    QStringList expected;
    QCOMPARE(database.selectExact(TranslateSql(BalanceStatement(cutoff, fragment)), rows),
             QString());
    QCOMPARE(database.selectExact(
                 TranslateSql(plainlyRoundedBalance(cutoff.toString(u"yyyy-MM-dd"_s), fragment)),
                 expected),
             QString());
    QCOMPARE(rows, expected);
    if (cutoff.year() == 2030 && fragment.isEmpty())
        QCOMPARE(rows.size(), 3 + 7 + 300); // three of the other rows, seven here, generated
}

void TestDialect::splitsScripts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("one without ;") << u"select 1"_s << QStringList{u"select 1"_s};
    QTest::newRow("two, blanks trimmed")
        << u" select 1 ;\n select 2;  "_s << QStringList{u"select 1"_s, u"select 2"_s};
    QTest::newRow("; in literal, name and date")
        << u"select 'a;b', \"c;d\", [e;f] from t where d<#2024-01-01#; select 2"_s
        << QStringList{u"select 'a;b', \"c;d\", [e;f] from t where d<#2024-01-01#"_s,
                       u"select 2"_s};
    QTest::newRow("doubled quote")
        << u"select 'it''s;';select 2"_s << QStringList{u"select 'it''s;'"_s, u"select 2"_s};
    QTest::newRow("comments only between")
        << u"select 1; -- done;\n /* ; */ ;"_s << QStringList{u"select 1"_s};
    QTest::newRow("trigger body")
        << u"create trigger x after insert on t begin update t set a=1; end; select 2"_s
        << QStringList{u"create trigger x after insert on t begin update t set a=1; end"_s,
                       u"select 2"_s};
    QTest::newRow("; in a back-quoted name and a dollar body")
        << u"select `a;b` from t; create function f() returns int as $x$ select 1; $x$; select 2"_s
        << QStringList{u"select `a;b` from t"_s,
                       u"create function f() returns int as $x$ select 1; $x$"_s, u"select 2"_s};
    QTest::newRow("nothing") << u"  ;; -- x"_s << QStringList{};
}

void TestDialect::splitsScripts() {
    QFETCH(QString, text);
    QFETCH(QStringList, statements);
    QCOMPARE(SplitSqlStatements(text), statements);
    QCOMPARE(IsBlankSql(text), statements.isEmpty());
}

// What the server receives: "?" numbered in order outside literals, names and comments; quoted
// names folded; comments as blanks; bodies as written.
void TestDialect::serverTexts_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<int>("parameters");
    QTest::newRow("parameters") << u"update T set a=?, b='?' where c=? -- ?"_s
                                << u"update T set a=$1, b='?' where c=$2  "_s << 2;
    QTest::newRow("quoted names, a subscript")
        << u"select \"Store\".\"StoreIndex\", k[0] from \"Store\""_s
        << u"select store.storeindex, k[0] from store"_s << 0;
    QTest::newRow("reserved and odd names kept quoted")
        << u"select \"User\", \"a b\", `x\"y` from t"_s
        << u"select \"user\", \"a b\", \"x\"\"y\" from t"_s << 0;
    QTest::newRow("dollar body and comment")
        << u"do $b$ begin perform '?'; end $b$; /* ? */ select ?"_s
        << u"do $b$ begin perform '?'; end $b$;   select $1"_s << 1;
}

void TestDialect::serverTexts() {
    QFETCH(QString, sql);
    QFETCH(QString, sent);
    QFETCH(int, parameters);
    const ServerSqlText text = ServerSqlText::from(sql);
    QCOMPARE(QString::fromUtf8(text.text), sent);
    QCOMPARE(text.parameters, parameters);
}

QTEST_GUILESS_MAIN(TestDialect)
#include "test_dialect.moc"
