// The statements the program builds, run on the encrypted file and on the database server over
// the same rows: both engines must give the same columns and the same rows. A page's list must
// also give them in the same order (the server's statement names the order of the file's plan);
// the other statements name no order and are compared as sets, the server's plans (hashing)
// giving another.

#include "TestSupport.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/PreparedStatement.h"
#include "data/Query.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "data/ShareDMUnit.h"
#include "data/Transaction.h"
#include "output/WorkbookExport.h"
#include "product/ProductLists.h"
#include "product/ProductStatements.h"
#include "stock/StockCountFile.h"
#include "stock/StockLists.h"
#include "stock/StockStatements.h"
#include "stock/Stocktaking.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// The same products and movements on both engines, written through the program's dialect:
// a name with a quote, times of day on the period's edges, prices that round differently in
// binary and in decimals, a product with no movement and one that goes below zero.
const char* const Rows[] = {
    "INSERT INTO Product (ProductSerial, ProductName, ProductType, ProductUnit) "
    "VALUES ('A1', '螺丝', 'M3', '个')",
    "INSERT INTO Product (ProductSerial, ProductName, ProductType, ProductUnit) "
    "VALUES ('A2', '螺丝', 'M4', '个')",
    "INSERT INTO Product (ProductSerial, ProductName, ProductType, ProductUnit) "
    "VALUES ('B1', 'O''Brien 扳手', '12\"', '把')",
    "INSERT INTO Product (ProductSerial, ProductName, ProductType, ProductUnit) "
    "VALUES ('C1', '垫圈', '小', '包')",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES (1, 0, 10, 2.675, 26.75, #2026-11-30 23:59:59#, '上月')",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES (1, 0, 5, 1.005, 5.025, #2026-12-01#, NULL)",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES (1, 1, 3, 3.5, 10.5, #2026-12-01 08:30#, '')",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES (2, 0, 0.125, 8, 1, #2026-12-31 23:59:59#, '整')",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES (3, 1, 2, 9.995, 19.99, #2026-12-15 12:00#, '欠')",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES (2, 1, 1, 8, 8, #2027-01-01#, '下月')",
    // Orders apart: a name's products by model (no model first, then in byte order) are not in
    // key order, a name's movements (product by product) are not in date order, and December's
    // movements by date are not in entry order.
    "INSERT INTO Product (ProductSerial, ProductName, ProductType, ProductUnit) "
    "VALUES ('A3', '螺丝', 'm2', '个')",
    "INSERT INTO Product (ProductSerial, ProductName, ProductType, ProductUnit) "
    "VALUES ('C2', '垫圈', NULL, '包')",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES (1, 0, 4, 2, 8, #2026-12-31 23:59:59#, '同时')",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES (3, 0, 1, 30, 30, #2026-12-10#, '补')",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES (3, 0, 2, 30, 60, #2026-12-05#, '先')",
    // Minimums: one equal to the balance at the month's end, two above it, one never moved.
    "UPDATE Product SET ProductMinimum=16 WHERE ProductSerial='A1'",
    "UPDATE Product SET ProductMinimum=0.2 WHERE ProductSerial='A2'",
    "UPDATE Product SET ProductMinimum=1.01 WHERE ProductSerial='B1'",
    "UPDATE Product SET ProductMinimum=5 WHERE ProductSerial='C1'",
};

// Every cell of a query as text: numbers by value (an engine may give a whole sum as an
// integer or as a real), dates and texts as read, NULL apart.
QStringList rowsOf(Query& query) {
    QStringList rows;
    QStringList names;
    for (int c = 0; c < query.FieldCount(); ++c)
        names << query.FieldName(c);
    rows << names.join('|');
    for (int r = 0; r < query.RecordCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < query.FieldCount(); ++c) {
            const QVariant value = query.ValueAt(r, c);
            if (value.isNull())
                cells << QStringLiteral("NULL");
            else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong ||
                     value.typeId() == QMetaType::Int)
                cells << QString::number(value.toDouble(), 'g', 15);
            else
                cells << value.toString();
        }
        rows << cells.join('|');
    }
    return rows;
}

// The column names, then the rows: in the order read, or sorted.
QStringList run(Connection& connection, const QString& statement, bool inOrder) {
    Query query(&connection);
    OpenSQL(query, statement);
    QStringList rows = rowsOf(query);
    if (!inOrder)
        std::sort(rows.begin() + 1, rows.end());
    return rows;
}

// What a date becomes when a movement is written with it, in a transaction left undone: the
// stored date as read back, or "refused" when the engine refuses it as a date. A date starting
// with '#' or a quote is typed into the statement as it stands, any other is a parameter.
QString storedDate(Connection& connection, const QString& date) {
    Transaction transaction(connection);
    EngineConnection& db = connection.engine();
    try {
        if (date.startsWith('#') || date.startsWith('\'')) {
            Query query(&connection);
            ExecSQL(query, "INSERT INTO Store (StoreProduct, StoreKind, StoreRecordDate) VALUES "
                           "(1, 0, " +
                               date + ')');
        } else {
            PreparedStatement insert(db, "INSERT INTO Store (StoreProduct, StoreKind, "
                                         "StoreRecordDate) VALUES (1, 0, ?)");
            insert.bind(1, date);
            insert.step();
        }
    } catch (const DataError& error) {
        const bool asDate = error.message().contains(u"日期"_qs) ||
                            error.message().contains(u"date"_qs, Qt::CaseInsensitive);
        return asDate ? u"refused"_qs : error.message();
    }
    PreparedStatement read(db, "SELECT StoreRecordDate FROM Store WHERE StoreIndex=" +
                                   QString::number(db.lastInsertKey()));
    read.step();
    return read.text(0);
}

void fill(Connection& connection) {
    Query query(&connection);
    for (const char* row : Rows)
        ExecSQL(query, QString::fromUtf8(row));
}

} // namespace

class TestBothEngines : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TestServerDatabase> m_server;
    Connection m_file;
    Connection m_onServer;

private slots:
    void initTestCase() {
        UseChineseLocale();
        REQUIRE_TEST_SERVER();
        const QString path = m_dir.filePath("Varnholt.mdb");
        Connection::CreateDatabase(path, DatabasePassword);
        m_file.OpenFile(path, DatabasePassword);
        m_server = std::make_unique<TestServerDatabase>();
        {
            ServerEngine db(m_server->conninfo());
            PrepareServerDatabase(db);
        }
        m_onServer.OpenServer(m_server->conninfo());
        fill(m_file);
        fill(m_onServer);
    }

    void cleanupTestCase() {
        m_onServer.Close();
        m_server.reset();
    }

    void sameRows_data() {
        QTest::addColumn<QString>("onFile");
        QTest::addColumn<QString>("onServer");
        QTest::addColumn<bool>("inOrder");
        const auto list = [](const char* name, const ListDefinition& definition) {
            QTest::newRow(name) << definition.statementOn(SqlTarget::File)
                                << definition.statementOn(SqlTarget::Server) << true;
        };
        const auto set = [](const char* name, const QString& statement) {
            QTest::newRow(name) << statement << statement << false;
        };
        const QDate from(2026, 12, 1), to(2026, 12, 31);
        const QString december = MovementFilterFragment(from, to, u"所有"_qs, u"所有"_qs);
        const QString screws = MovementFilterFragment(from, to, u"螺丝"_qs, u"M3"_qs);
        const QString quoted = MovementFilterFragment(from, to, u"O'Brien 扳手"_qs, u"所有"_qs);
        list("stock-in, all", MovementList(MovementKind::StockIn));
        list("stock-in, December", MovementList(MovementKind::StockIn, december));
        list("stock-in, name and model", MovementList(MovementKind::StockIn, screws));
        list("stock-in of a name in December",
             MovementList(MovementKind::StockIn,
                          MovementFilterFragment(from, to, u"螺丝"_qs, u"所有"_qs)));
        list("stock-in of a name, any day",
             MovementList(MovementKind::StockIn, ProductFilterFragment(u"螺丝"_qs, u"所有"_qs)));
        list("stock-out, December", MovementList(MovementKind::StockOut, december));
        list("stock-out, a name with a quote", MovementList(MovementKind::StockOut, quoted));
        list("stock-out of a model in December",
             MovementList(MovementKind::StockOut,
                          MovementFilterFragment(from, to, u"所有"_qs, u"M4"_qs)));
        list("balance at the month's end", BalanceList(to));
        list("balance before any movement", BalanceList(QDate(2026, 1, 1)));
        list("balance of a name", BalanceList(to, ProductFilterFragment(u"螺丝"_qs, u"所有"_qs)));
        list("summary of December", SummaryList(from, to));
        list("summary of the period's last day", SummaryList(to, to));
        list("summary before any movement", SummaryList(QDate(2026, 1, 1), QDate(2026, 1, 31)));
        list("summary of a quoted name",
             SummaryList(from, to, ProductFilterFragment(u"O'Brien 扳手"_qs, u"所有"_qs)));
        list("balance below the minimums", BalanceList(to, BelowMinimumFragment()));
        list("balance of a name below the minimums",
             BalanceList(to,
                         ProductFilterFragment(u"螺丝"_qs, u"所有"_qs) + BelowMinimumFragment()));
        list("products", ProductList());
        list("products of a name", ProductList(ProductFilterFragment(u"螺丝"_qs, u"所有"_qs)));
        list("products of a name, one without model",
             ProductList(ProductFilterFragment(u"垫圈"_qs, u"所有"_qs)));
        list("products of a quoted name",
             ProductList(ProductFilterFragment(u"O'Brien 扳手"_qs, u"所有"_qs)));
        set("names of the filter box",
            DistinctStatement(u"Product"_qs, u"ProductName"_qs, QString()));
        set("models of a name",
            DistinctStatement(u"Product"_qs, u"ProductType"_qs, ModelListFragment(u"螺丝"_qs)));
        set("entry's models", DistinctStatement(u"Product"_qs, u"ProductType"_qs,
                                                EntryModelListFragment(u"螺丝"_qs)));
        set("entry's units", DistinctStatement(u"Product"_qs, u"ProductUnit"_qs,
                                               EntryUnitListFragment(u"螺丝"_qs, u"M4"_qs)));
        set("a movement with its product", MovementWithProductStatement(5));
        set("a movement", MovementStatement(2));
        set("a product by key", ProductByIndexStatement(3));
        set("a product by code", ProductBySerialStatement(u"B1"_qs));
        set("the administrator", UserStatement(u"管理员"_qs));
        set("no row", NoRowStatement(u"Store"_qs));
        set("stocktaking's balance of some products", StocktakingBalanceStatement(to, {1, 3, 99}));
        set("stocktaking's products", StocktakingProductStatement({2, 3}));
        set("stocktaking's codes", ProductCodesStatement());
        const ListDefinition balance = BalanceList(to);
        const ExportColumns columns = VisibleExportColumns(balance.columns);
        QTest::newRow("the balance's export")
            << ExportStatement(columns.fieldNames, columns.titles,
                               balance.statementOn(SqlTarget::File))
            << ExportStatement(columns.fieldNames, columns.titles,
                               balance.statementOn(SqlTarget::Server))
            << true;
    }

    // A date is taken or refused alike: the forms the file accepts are stored in the one stored
    // form, and the server's other readings ("now", "infinity", other orders, time zones,
    // fractions of a second, hour 24) are refused.
    void sameDates_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("stored");
        const QString refused = u"refused"_qs;
        const struct {
            const char* date;
            QString stored;
        } cases[] = {
            {"2024-01-05", u"2024-01-05 00:00:00"_qs},
            {"2024-01-05 10:30", u"2024-01-05 10:30:00"_qs},
            {"2024-01-05T10:30:15", u"2024-01-05 10:30:15"_qs},
            {"now", refused},
            {"today", refused},
            {"tomorrow", refused},
            {"infinity", refused},
            {"-infinity", refused},
            {"epoch", refused},
            {"", refused},
            {"20240105", refused},
            {"Jan 5 2024", refused},
            {"2024-1-5", refused},
            {"2024-02-30", refused},
            {"2024-01-05 24:00:00", refused},
            {"2024-01-05 10:30:15.6", refused},
            {"2024-01-05 10:30:15+02", refused},
            {"J2460315", refused},
            {"#now#", refused},
            {"#today#", refused},
            {"#infinity#", refused},
            {"#2024-02-30#", refused},
            {"#2024-1-5 9:05#", u"2024-01-05 09:05:00"_qs},
            {"'now'", refused},
            {"'infinity'", refused},
            {"'Jan 5 2024'", refused},
            {"'2024-01-05 10:30'", u"2024-01-05 10:30:00"_qs},
        };
        for (const auto& c : cases)
            QTest::newRow(*c.date ? c.date : "empty") << QString::fromUtf8(c.date) << c.stored;
    }

    void sameDates() {
        QFETCH(QString, date);
        QFETCH(QString, stored);
        QCOMPARE(storedDate(m_file, date), stored);
        QCOMPARE(storedDate(m_onServer, date), stored);
    }

    void sameRows() {
        QFETCH(QString, onFile);
        QFETCH(QString, onServer);
        QFETCH(bool, inOrder);
        QCOMPARE(run(m_onServer, onServer, inOrder), run(m_file, onFile, inOrder));
    }

    // The balance's totals skip Round where it would change nothing: on each engine they equal
    // every total put through Round(x,2), for totals that are and are not multiples of 0.25, of
    // both signs, -0.0, halves that binary cannot hold, and sums beyond the shortcut's range.
    // Runs last: the rows it adds stay.
    void roundedTotals() {
        const char* const totals[][2] = {
            {"0", "1e15"},  {"0", "0.25"},          {"1", "999999999.75"},  {"1", "0.005"},
            {"0", "-0.0"},  {"1", "123456789.755"}, {"0", "1000000000.25"}, {"0", "0.1"},
            {"0", "0.2"},   {"1", "1.005"},         {"1", "2.675"},         {"0", "487614.5"},
            {"1", "0.125"}, {"0", "-1.005"},        {"1", "-0.25"},         {"1", "-2.675"},
            {"0", "-1e12"}, {"1", "7.5"},           {"1", "0.015"},
        };
        for (Connection* connection : {&m_file, &m_onServer}) {
            Query query(connection);
            for (int i = 0; i < int(std::size(totals)); ++i) {
                const QString product = QString::number(100 + i / 2);
                if (i % 2 == 0)
                    ExecSQL(query, "INSERT INTO Product (ProductIndex, ProductSerial, ProductName) "
                                   "VALUES (" +
                                       product + ", 'R" + product + "', '舍入')");
                ExecSQL(query, "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, "
                               "StoreRecordDate) VALUES (" +
                                   product + ", " + totals[i][0] + ", " + totals[i][1] +
                                   ", #2026-06-01#)");
            }
        }
        const QString plain = u"select Product.*,t2.*,(StoreInNumber-StoreOutNumber) as "
                              u"StoreBalanceNumber from (select StoreProduct,Sum(iif(StoreKind=0,"
                              u"StoreNumber,0)) as tin,Sum(iif(StoreKind=1,StoreNumber,0)) as tOut,"
                              u"Round(Sum(iif(StoreKind=0,StoreNumber,0)),2) as StoreInNumber,"
                              u"Round(Sum(iif(StoreKind=1,StoreNumber,0)),2) as StoreOutNumber "
                              u"from Store where StoreRecordDate<=#2026-12-31# group by "
                              u"StoreProduct) as t2 cross join Product where "
                              u"ProductIndex=t2.StoreProduct and ProductName='舍入'"_qs;
        // The totals and the balance of each product, as the balance and as the plain form give
        // them.
        const auto figures = [](const QString& statement) {
            return u"select ProductIndex,StoreInNumber,StoreOutNumber,StoreBalanceNumber from ("_qs +
                   statement + u") as b"_qs;
        };
        const ListDefinition balance =
            BalanceList(QDate(2026, 12, 31), ProductFilterFragment(u"舍入"_qs, u"所有"_qs));
        const QStringList onFile =
            run(m_file, figures(balance.statementOn(SqlTarget::File)), false);
        QCOMPARE(onFile.size(), 1 + 10);
        QCOMPARE(onFile, run(m_file, figures(plain), false));
        QCOMPARE(run(m_onServer, figures(balance.statementOn(SqlTarget::Server)), false), onFile);
        QCOMPARE(run(m_onServer, figures(plain), false), onFile);
    }
};

QTEST_MAIN(TestBothEngines)
#include "test_bothengines.moc"
