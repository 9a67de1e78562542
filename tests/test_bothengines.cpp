// The statements the program builds, run on the encrypted file and on the database server over
// the same rows: both engines must give the same columns and the same rows. The statements name
// no order, and the engines' plans differ (the server groups and de-duplicates by hashing), so
// the rows are compared as sets here; the order the pages show is their own concern.

#include "TestSupport.h"

#include "data/Connection.h"
#include "data/Query.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "data/ShareDMUnit.h"
#include "output/WorkbookExport.h"
#include "product/ProductLists.h"
#include "product/ProductStatements.h"
#include "stock/StockLists.h"
#include "stock/StockStatements.h"

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
    "VALUES ('C1', '垫圈', NULL, '包')",
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

// The column names, then the rows in sorted order.
QStringList run(Connection& connection, const QString& statement) {
    Query query(&connection);
    OpenSQL(query, statement);
    QStringList rows = rowsOf(query);
    std::sort(rows.begin() + 1, rows.end());
    return rows;
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
        QTest::addColumn<QString>("statement");
        const QDate from(2026, 12, 1), to(2026, 12, 31);
        const QString december = MovementFilterFragment(from, to, u"所有"_qs, u"所有"_qs);
        const QString screws = MovementFilterFragment(from, to, u"螺丝"_qs, u"M3"_qs);
        const QString quoted = MovementFilterFragment(from, to, u"O'Brien 扳手"_qs, u"所有"_qs);
        QTest::newRow("stock-in, all") << MovementList(MovementKind::StockIn).statement;
        QTest::newRow("stock-in, December")
            << MovementList(MovementKind::StockIn, december).statement;
        QTest::newRow("stock-in, name and model")
            << MovementList(MovementKind::StockIn, screws).statement;
        QTest::newRow("stock-out, December")
            << MovementList(MovementKind::StockOut, december).statement;
        QTest::newRow("stock-out, a name with a quote")
            << MovementList(MovementKind::StockOut, quoted).statement;
        QTest::newRow("balance at the month's end") << BalanceList(to).statement;
        QTest::newRow("balance before any movement") << BalanceList(QDate(2026, 1, 1)).statement;
        QTest::newRow("balance of a name")
            << BalanceList(to, ProductFilterFragment(u"螺丝"_qs, u"所有"_qs)).statement;
        QTest::newRow("products") << ProductList().statement;
        QTest::newRow("products of a quoted name")
            << ProductList(ProductFilterFragment(u"O'Brien 扳手"_qs, u"所有"_qs)).statement;
        QTest::newRow("names of the filter box")
            << DistinctStatement(u"Product"_qs, u"ProductName"_qs, QString());
        QTest::newRow("models of a name")
            << DistinctStatement(u"Product"_qs, u"ProductType"_qs, ModelListFragment(u"螺丝"_qs));
        QTest::newRow("entry's models") << DistinctStatement(u"Product"_qs, u"ProductType"_qs,
                                                             EntryModelListFragment(u"螺丝"_qs));
        QTest::newRow("entry's units") << DistinctStatement(
            u"Product"_qs, u"ProductUnit"_qs, EntryUnitListFragment(u"螺丝"_qs, u"M4"_qs));
        QTest::newRow("a movement with its product") << MovementWithProductStatement(5);
        QTest::newRow("a movement") << MovementStatement(2);
        QTest::newRow("a product by key") << ProductByIndexStatement(3);
        QTest::newRow("a product by code") << ProductBySerialStatement(u"B1"_qs);
        QTest::newRow("the administrator") << UserStatement(u"管理员"_qs);
        QTest::newRow("no row") << NoRowStatement(u"Store"_qs);
        const ListDefinition balance = BalanceList(to);
        QStringList fields, titles;
        for (const GridColumn& column : balance.columns) {
            fields << column.FieldName;
            titles << column.Title;
        }
        QTest::newRow("the balance's export") << ExportStatement(fields, titles, balance.statement);
    }

    void sameRows() {
        QFETCH(QString, statement);
        const QStringList onFile = run(m_file, statement);
        const QStringList onServer = run(m_onServer, statement);
        QCOMPARE(onServer, onFile);
    }
};

QTEST_MAIN(TestBothEngines)
#include "test_bothengines.moc"
