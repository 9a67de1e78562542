// The database server engine: typed cells, parameters, streamed results, transactions between
// counters, and the program's checked writes, on the run's throwaway server.
#include "TestSupport.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/DatabaseTransfer.h"
#include "data/PreparedStatement.h"
#include "data/ProgramFolders.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "data/ServerCheck.h"
#include "data/ServerChoice.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "data/SqlValues.h"
#include "data/StoredDate.h"
#include "data/Transaction.h"

#include <QtTest>
#include <csignal>
#include <mutex>
#include <thread>

namespace {

// One cell of the single row a statement gives.
CellValue firstCell(EngineConnection& db, const QString& sql, std::string& buffer) {
    PreparedStatement statement(db, sql);
    if (!statement.step())
        throw DataError(QStringLiteral("no row: ") + sql);
    return statement.cell(0, buffer);
}

qint64 count(EngineConnection& db, const QString& sql) {
    PreparedStatement statement(db, sql);
    statement.step();
    return statement.integer(0);
}

// A value for a text column: numbers as the text they read as.
QVariant asText(const QVariant& value) {
    return value.isNull() ? QVariant() : QVariant(value.toString());
}

// A server database prepared as `varnholt-db init` prepares one.
struct PreparedServer {
    TestServerDatabase server;
    PreparedServer() {
        ServerEngine db(server.conninfo());
        PrepareServerDatabase(db);
    }
};

} // namespace

class TestServerEngine : public QObject {
    Q_OBJECT

private slots:
    void init() { REQUIRE_TEST_SERVER(); }

    void cellsByColumnType_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected"); // as CellValue reads: number, text or date

        using K = CellValue::Kind;
        QTest::newRow("int2") << "32000::int2" << int(K::Integer) << "32000";
        QTest::newRow("int4") << "-7::int4" << int(K::Integer) << "-7";
        QTest::newRow("int8") << "9007199254740993::int8" << int(K::Integer) << "9007199254740993";
        QTest::newRow("double keeps 10.105")
            << "10.105::double precision" << int(K::Real) << "10.105";
        QTest::newRow("numeric") << "2.675::numeric" << int(K::Real) << "2.675";
        QTest::newRow("bool true") << "true" << int(K::Integer) << "1";
        QTest::newRow("bool false") << "false" << int(K::Integer) << "0";
        QTest::newRow("text") << "'库存 O''Brien'::text" << int(K::Text) << "库存 O'Brien";
        QTest::newRow("varchar") << "'件'::varchar(4)" << int(K::Text) << "件";
        QTest::newRow("bpchar") << "'ab'::char(3)" << int(K::Text) << "ab ";
        QTest::newRow("timestamp is a date")
            << "'2024-02-29 13:05:09'::timestamp(0)" << int(K::Date) << "2024-02-29 13:05:09";
        QTest::newRow("timestamp fractions dropped")
            << "'2024-02-29 13:05:09.75'::timestamp" << int(K::Date) << "2024-02-29 13:05:09";
        QTest::newRow("bytea") << "convert_to('货品', 'UTF8')" << int(K::Text) << "货品";
        QTest::newRow("null") << "NULL::int4" << int(K::Null) << "";
    }
    void cellsByColumnType() {
        QFETCH(QString, expression);
        QFETCH(int, kind);
        QFETCH(QString, expected);
        ServerEngine db(TestServerInfo());
        std::string buffer;
        const CellValue cell = firstCell(db, "SELECT " + expression, buffer);
        QCOMPARE(int(cell.kind), kind);
        switch (cell.kind) {
        case CellValue::Kind::Integer:
            QCOMPARE(QString::number(cell.integer), expected);
            break;
        case CellValue::Kind::Real:
            QCOMPARE(cell.real, expected.toDouble());
            break;
        case CellValue::Kind::Text:
            QCOMPARE(QString::fromUtf8(cell.text.data(), qsizetype(cell.text.size())), expected);
            break;
        case CellValue::Kind::Date:
            char written[19];
            StoredDate::writeCanonical(cell.integer, written);
            QCOMPARE(QString::fromLatin1(written, 19), expected);
            break;
        case CellValue::Kind::Null:
            break;
        }
    }

    // Texts go to the server apart from the statement: quotes, semicolons, question marks and
    // Chinese arrive as typed, a NULL as NULL, and a "?" inside a literal is no parameter.
    void parametersArriveAsBound_data() {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("quotes and a statement") << QVariant("O'Brien'); DROP TABLE product; --");
        QTest::newRow("Chinese") << QVariant("螺丝钉（不锈钢）");
        QTest::newRow("question mark") << QVariant("多少?");
        QTest::newRow("dollar quote") << QVariant("$$ $1 $tag$");
        QTest::newRow("null") << QVariant();
        QTest::newRow("whole number") << QVariant(qint64(1) << 40);
        QTest::newRow("real") << QVariant(10.105);
    }
    void parametersArriveAsBound() {
        QFETCH(QVariant, value);
        PreparedServer server;
        ServerEngine db(server.server.conninfo());
        {
            PreparedStatement insert(
                db, "INSERT INTO \"Product\" (\"ProductName\", ProductType) VALUES (?, '?')");
            insert.bind(1, asText(value));
            QVERIFY(!insert.step());
            QCOMPARE(db.changes(), qint64(1));
        }
        PreparedStatement read(db, "SELECT ProductName, ProductType FROM Product WHERE "
                                   "ProductName IS NOT DISTINCT FROM ?");
        read.bind(1, asText(value));
        QVERIFY(read.step());
        QCOMPARE(read.text(0), value.isNull() ? QString() : value.toString());
        QCOMPARE(read.text(1), QStringLiteral("?"));
        QCOMPARE(count(db, "SELECT count(*) FROM product"), qint64(1));
    }

    void typedParametersKeepTheirValues() {
        ServerEngine db(TestServerInfo());
        PreparedStatement statement(db, "SELECT ? + 1, ? * 2, ?");
        statement.bind(1, QVariant(qint64(1) << 40));
        statement.bind(2, QVariant(10.105));
        statement.bind(3, QVariant());
        QVERIFY(statement.step());
        std::string buffers[3];
        QCOMPARE(statement.integer(0), (qint64(1) << 40) + 1);
        QCOMPARE(statement.cell(1, buffers[1]).real, 20.21);
        QCOMPARE(int(statement.cell(2, buffers[2]).kind), int(CellValue::Kind::Null));
        QVERIFY_THROWS_EXCEPTION(DataError, statement.bind(4, QVariant(1)));
    }

    // Result names and their source columns come back in the program's spelling.
    void columnsInTheProgramsSpelling() {
        PreparedServer server;
        ServerEngine db(server.server.conninfo());
        PreparedStatement statement(db, "SELECT PowerName, PowerKey AS \"KeyText\", "
                                        "length(PowerName) AS NameLength FROM Power");
        QCOMPARE(statement.columnCount(), 3);
        const EngineStatement& columns = statement.engineStatement();
        QCOMPARE(columns.columnName(0), QStringLiteral("PowerName"));
        QCOMPARE(columns.columnTable(0), QStringLiteral("Power"));
        QCOMPARE(columns.columnOrigin(0), QStringLiteral("PowerName"));
        QCOMPARE(columns.columnName(1), QStringLiteral("KeyText"));
        QCOMPARE(columns.columnOrigin(1), QStringLiteral("PowerKey"));
        QCOMPARE(columns.columnName(2), QStringLiteral("NameLength"));
        QCOMPARE(columns.columnTable(2), QString());
        QCOMPARE(db.keyColumns("Store"), QStringList{"StoreIndex"});
        QCOMPARE(db.schemaVersion(), SchemaVersion);
    }

    // A large result comes row by row; another statement may run on the connection before its
    // last row, and both give every row.
    void streamsAndInterleaves() {
        ServerEngine db(TestServerInfo());
        PreparedStatement rows(db, "SELECT n, 'row ' || n FROM generate_series(1, 300000) n");
        qint64 sum = 0, seen = 0;
        while (rows.step()) {
            sum += rows.integer(0);
            if (++seen == 1000)
                QCOMPARE(count(db, "SELECT count(*) FROM generate_series(1, 10)"), qint64(10));
            if (seen == 2000)
                QCOMPARE(rows.text(1), QStringLiteral("row 2000"));
        }
        QCOMPARE(seen, qint64(300000));
        QCOMPARE(sum, qint64(300000) * 300001 / 2);
        // A statement left before its last row does not hold the connection up.
        {
            PreparedStatement left(db, "SELECT n FROM generate_series(1, 300000) n");
            QVERIFY(left.step());
        }
        QCOMPARE(count(db, "SELECT 41 + 1"), qint64(42));
    }

    void errorsInTheUsersWords() {
        ServerEngine db(TestServerInfo());
        try {
            PreparedStatement bad(db, "SELECT * FROM no_such_table");
            bad.step();
            QFAIL("a missing table was accepted");
        } catch (const DataError& error) {
            QVERIFY2(QString(error.what()).contains("no_such_table"), error.what());
        }
        // The connection is usable afterwards.
        QCOMPARE(count(db, "SELECT 1"), qint64(1));

        try {
            ServerEngine nowhere(TestServerInfo() + " dbname=no_such_database");
            QFAIL("a missing database was accepted");
        } catch (const DataError& error) {
            QVERIFY2(QString(error.what()).startsWith("无法连接数据库服务器"), error.what());
        }
    }

    // One writer at a time: a second counter waits for the first one's lock and gives up with
    // the busy message; a snapshot reads the data as it was when it began.
    void writersWaitAndSnapshotsHold() {
        PreparedServer server;
        ServerEngine first(server.server.conninfo());
        ServerEngine second(server.server.conninfo());
        {
            Transaction writing(first, Transaction::Mode::Write);
            first.execute("INSERT INTO product (productserial) VALUES ('A1')");
            try {
                Transaction waiting(second, Transaction::Mode::Write);
                QFAIL("two writers at once");
            } catch (const DataError& error) {
                QVERIFY2(QString(error.what()).contains("正被其它程序使用"), error.what());
            }
            QVERIFY(!second.inTransaction());
            writing.Commit();
        }
        Transaction snapshot(second, Transaction::Mode::ReadSnapshot);
        QCOMPARE(count(second, "SELECT count(*) FROM product"), qint64(1));
        {
            Transaction writing(first, Transaction::Mode::Write);
            first.execute("INSERT INTO product (productserial) VALUES ('A2')");
            writing.Commit();
        }
        QCOMPARE(count(second, "SELECT count(*) FROM product"), qint64(1));
        QVERIFY_THROWS_EXCEPTION(DataError, second.execute("DELETE FROM product"));
    }

    // A program killed while it holds the write lock frees it at once.
    void killedClientFreesItsLock() {
        PreparedServer server;
        QProcess::ExitStatus status;
        runChild({"--hold-lock-and-die", server.server.conninfo()}, &status);
        QCOMPARE(status, QProcess::CrashExit);
        ServerEngine db(server.server.conninfo());
        Transaction writing(db, Transaction::Mode::Write);
        QCOMPARE(count(db, "SELECT count(*) FROM product"), qint64(0)); // nothing of the child's
    }

    // Insert, edit and delete through a query: keys drawn by the server, and a row changed or
    // deleted by another counter in between is a conflict, never overwritten.
    void checkedWritesThroughQuery() {
        PreparedServer server;
        Connection connection;
        connection.OpenServer(server.server.conninfo());
        QVERIFY(connection.DatabaseName().contains("varnholt_test_"));
        Query query(&connection);
        query.SQL() = QStringList{"SELECT * FROM Product"};
        query.Open();
        query.Append();
        query.SetField("ProductSerial", "P-1");
        query.SetField("ProductName", "螺母");
        query.Post();
        QCOMPARE(query.AsString("ProductName"), QStringLiteral("螺母"));
        QCOMPARE(query.AsInteger("ProductIndex"), qint64(1));

        Connection other;
        other.OpenServer(server.server.conninfo());
        other.Execute("UPDATE product SET productname = '垫圈' WHERE productserial = 'P-1'");
        query.Edit();
        query.SetField("ProductName", "螺栓");
        try {
            query.Post();
            QFAIL("an edit overwrote another counter's change");
        } catch (const RowConflict& conflict) {
            QCOMPARE(conflict.kind(), RowConflict::Kind::Modified);
            QCOMPARE(conflict.changedFields(), QStringList{"ProductName"});
        }
        query.Cancel();
        query.Open();
        query.SetRecNo(query.RecordCount());
        QCOMPARE(query.AsString("ProductName"), QStringLiteral("垫圈"));
        query.Edit();
        query.SetField("ProductName", "螺栓");
        query.Post();
        other.Execute("DELETE FROM product WHERE productserial = 'P-1'");
        QVERIFY_THROWS_EXCEPTION(RowConflict, query.Delete());
    }

    // "init URI" prepares an empty server database once; with VARNHOLT_SERVER set, the tool's
    // commands that take FILE work on that server.
    void toolPreparesAndUsesTheServer() {
        TestServerDatabase server;
        const ToolRun init = RunTool({"init", server.conninfo()});
        QVERIFY2(init.exitCode == 0, qPrintable(init.error));
        const ToolRun again = RunTool({"init", server.conninfo()});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.error.contains("已经有本程序的表"), qPrintable(again.error));

        // A connection string in place of FILE names the server too, as the usage says.
        const ToolRun byAddress = RunTool({"products", server.conninfo()});
        QVERIFY2(byAddress.exitCode == 0, qPrintable(byAddress.error));
        QVERIFY2(byAddress.out.contains("共 0 条"), qPrintable(byAddress.out));

        qputenv("VARNHOLT_SERVER", server.conninfo().toUtf8());
        const QString file = QStringLiteral("/nonexistent/Varnholt.mdb");
        const ToolRun sql = RunTool(
            {"sql", file,
             "INSERT INTO Product (ProductSerial, ProductName) VALUES ('S-1', '扳手');"
             "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
             "StoreRecordDate) VALUES (1, 0, 4, 2.5, 10, #2026-12-01 09:30#)"});
        QTemporaryDir out;
        const QString workbook = out.filePath("balance.xlsx");
        const ToolRun list = RunTool({"list", file, "in"});
        const ToolRun exported = RunTool({"export", workbook, "balance", file, "2026-12-31"});
        const ToolRun check = RunTool({"check", file});
        const ToolRun compact = RunTool({"compact", file});
        qunsetenv("VARNHOLT_SERVER");
        QVERIFY2(sql.exitCode == 0, qPrintable(sql.error));
        QVERIFY2(list.exitCode == 0, qPrintable(list.error));
        QVERIFY2(list.out.contains("扳手"), qPrintable(list.out));
        QVERIFY2(exported.exitCode == 0, qPrintable(exported.error));
        QVERIFY(QFileInfo(workbook).size() > 0);
        // The check reads the server's data; it cannot check the server's pages and says so.
        QVERIFY2(check.exitCode == 0, qPrintable(check.error));
        QVERIFY2(check.out.contains(ServerPagesNote), qPrintable(check.out));
        QVERIFY2(check.out.contains(QStringLiteral("数据版本：%1").arg(SchemaVersion)),
                 qPrintable(check.out));
        QVERIFY2(check.out.contains("Product\t1\n") && check.out.contains("Store\t1\n"),
                 qPrintable(check.out));
        // The file-only commands say that the program uses a server, not that the file is missing.
        QCOMPARE(compact.exitCode, 1);
        QVERIFY2(compact.error.contains("只适用于数据库文件"), qPrintable(compact.error));
        ServerEngine db(server.conninfo());
        QCOMPARE(count(db, "SELECT count(*) FROM product WHERE productname = '扳手'"), qint64(1));
        QCOMPARE(count(db, "SELECT count(*) FROM power WHERE powername = '管理员'"), qint64(1));
    }

    // The check of a server database finds what makes it unusable or unlike the program's, and
    // lists the codes several products carry; it changes nothing.
    void checksAServerDatabase_data() {
        QTest::addColumn<QString>("change");  // made to a prepared database before the check
        QTest::addColumn<QString>("refusal"); // a part of the error's text; none: it passes
        QTest::addColumn<int>("duplicates");
        QTest::newRow("as prepared") << QString() << QString() << 0;
        QTest::newRow("two products with one code")
            << u"DROP INDEX productserialindex; INSERT INTO product (productserial) VALUES "
               u"('X'), ('X'), ('Y')"_qs
            << QString() << 1;
        QTest::newRow("a newer data version")
            << u"UPDATE varnholt_version SET version = %1"_qs.arg(SchemaVersion + 1)
            << u"比本程序所能使用的版本"_qs << 0;
        QTest::newRow("no data version")
            << u"DROP TABLE varnholt_version"_qs << u"没有数据版本"_qs << 0;
        QTest::newRow("a table missing")
            << u"DROP TABLE remarks"_qs << u"没有数据表 remarks"_qs << 0;
        QTest::newRow("a column missing")
            << u"ALTER TABLE store DROP COLUMN storeremark"_qs << u"没有列 storeremark"_qs << 0;
        QTest::newRow("dates with fractions of a second")
            << u"ALTER TABLE store ALTER COLUMN storerecorddate TYPE timestamp(3)"_qs
            << u"timestamp(0)"_qs << 0;
        QTest::newRow("no date rule")
            << u"ALTER TABLE store DROP CONSTRAINT storerecorddate_valid"_qs << u"没有日期规则"_qs
            << 0;
        QTest::newRow("a date rule that left the rows unchecked")
            << u"ALTER TABLE store DROP CONSTRAINT storerecorddate_valid; INSERT INTO store "
               u"(storerecorddate) VALUES ('infinity'); ALTER TABLE store ADD CONSTRAINT "
               u"storerecorddate_valid CHECK (storerecorddate BETWEEN '0001-01-01 00:00:00' "
               u"AND '9999-12-31 23:59:59') NOT VALID"_qs
            << u"1 条出入库记录的日期不是有效的日期"_qs << 0;
    }

    void checksAServerDatabase() {
        QFETCH(QString, change);
        QFETCH(QString, refusal);
        QFETCH(int, duplicates);
        PreparedServer prepared;
        ServerEngine db(prepared.server.conninfo());
        if (!change.isEmpty())
            db.execute(change);
        db.execute(u"INSERT INTO product (productserial) VALUES ('A')"_qs);
        if (!refusal.isEmpty()) {
            try {
                CheckServerDatabase(db);
                QFAIL("the check passed");
            } catch (const DataError& error) {
                QVERIFY2(error.message().contains(refusal), qPrintable(error.message()));
            }
            return;
        }
        const DatabaseSummary summary = CheckServerDatabase(db);
        QCOMPARE(summary.schemaVersion, SchemaVersion);
        QCOMPARE(summary.products(), qint64(duplicates ? 4 : 1));
        QCOMPARE(summary.rowsOf(u"Power"_qs), qint64(1));
        QCOMPARE(summary.uniqueCodes, duplicates == 0);
        QCOMPARE(int(summary.duplicateCodes.size()), duplicates);
        if (duplicates)
            QCOMPARE(summary.duplicateCodes.front().code, u"X"_qs);
    }

    // A server database of data version 3 (before ProductMinimum) is brought up to date by
    // whatever opens it first, once, also when several copies open it at the same moment; its
    // rows stay. A server that only allows reading is refused with the reason and stays as it
    // was. The check takes version 3 as it is.
    void olderServerDatabaseIsUpgradedOnce_data() {
        QTest::addColumn<QString>("opener");
        QTest::newRow("the program") << "program";
        QTest::newRow("three copies at the same moment") << "copies";
        QTest::newRow("the tool") << "tool";
        QTest::newRow("a copy into it") << "copy";
        QTest::newRow("a server that only allows reading") << "read-only";
    }
    void olderServerDatabaseIsUpgradedOnce() {
        QFETCH(QString, opener);
        PreparedServer prepared;
        const QString conninfo = prepared.server.conninfo();
        {
            ServerEngine db(conninfo);
            db.execute(u"ALTER TABLE product DROP COLUMN productminimum; UPDATE varnholt_version "
                       u"SET version = 3"_qs);
            if (opener != "copy")
                db.execute(u"INSERT INTO product (productserial, productname) VALUES ('A1', "
                           u"'螺丝')"_qs);
            QCOMPARE(CheckServerDatabase(db).schemaVersion, 3);
            if (opener == "read-only") {
                PreparedStatement name(db, u"SELECT current_database()"_qs);
                name.step();
                db.execute(u"ALTER DATABASE "_qs + QuotedName(name.text(0)) +
                           u" SET default_transaction_read_only = on"_qs);
            }
        }
        QString failure;
        if (opener == "program" || opener == "read-only") {
            try {
                Connection().OpenServer(conninfo);
            } catch (const DataError& error) {
                failure = error.message();
            }
        } else if (opener == "copies") {
            std::vector<std::thread> copies;
            QStringList failures;
            std::mutex guard;
            for (int i = 0; i < 3; ++i)
                copies.emplace_back([&] {
                    try {
                        Connection().OpenServer(conninfo);
                    } catch (const DataError& error) {
                        const std::lock_guard lock(guard);
                        failures << error.message();
                    }
                });
            for (std::thread& copy : copies)
                copy.join();
            failure = failures.join('\n');
        } else if (opener == "tool") {
            const ToolRun run = RunTool({"balance", conninfo, "2024-12-31", "--below-minimum"});
            failure = run.exitCode == 0 ? QString() : run.error;
        } else {
            QTemporaryDir dir;
            const QString file = dir.filePath("source.mdb");
            Connection::CreateDatabase(file, DatabasePassword);
            {
                Connection source;
                source.OpenFile(file, DatabasePassword);
                source.Execute(u"INSERT INTO Product (ProductSerial, ProductName, ProductMinimum) "
                               u"VALUES ('A1', '螺丝', 2.5)"_qs);
            }
            try {
                CopyDatabase(file, conninfo, DatabasePassword);
            } catch (const DataError& error) {
                failure = error.message();
            }
        }
        ServerEngine db(conninfo);
        if (opener == "read-only") {
            QVERIFY2(failure.contains("的数据版本是 3，需要升级到版本") &&
                         failure.contains("只允许读取"),
                     qPrintable(failure));
            QCOMPARE(db.schemaVersion(), 3);
            return;
        }
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(count(db, u"SELECT count(*) FROM varnholt_version"_qs), qint64(1));
        QCOMPARE(db.schemaVersion(), SchemaVersion);
        QCOMPARE(CheckServerDatabase(db).schemaVersion, SchemaVersion);
        QCOMPARE(count(db, u"SELECT count(*) FROM product WHERE productserial = 'A1'"_qs),
                 qint64(1));
        QCOMPARE(count(db, u"SELECT count(*) FROM product WHERE productminimum IS NULL"_qs),
                 qint64(opener == "copy" ? 0 : 1));
    }

    // The server file's first line names the server; the environment wins over it.
    void serverChosenByFileOrEnvironment() {
        QTemporaryDir dir;
        const ProgramFolders folders(dir.path() + '/');
        QProcessEnvironment env;
        QCOMPARE(ChosenServer(folders, env, dir.path() + "/none/"), QString());
        QFile file(folders.program + "Varnholt.server");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("postgresql://shop/stock?sslmode=verify-full\n# second line\n");
        file.close();
        QCOMPARE(ChosenServer(folders, env, dir.path() + "/none/"),
                 QStringLiteral("postgresql://shop/stock?sslmode=verify-full"));
        env.insert("VARNHOLT_SERVER", "service=stock");
        QCOMPARE(ChosenServer(folders, env, dir.path() + "/none/"),
                 QStringLiteral("service=stock"));
        QVERIFY(IsServerAddress("host=/tmp dbname=x"));
        QVERIFY(!IsServerAddress("/home/shop/Varnholt.mdb"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--hold-lock-and-die") {
        ServerEngine db(args[2]);
        db.begin(EngineConnection::TransactionMode::Write);
        db.execute("INSERT INTO product (productserial) VALUES ('never')");
        std::raise(SIGKILL);
    }
    TestServerEngine test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_serverengine.moc"
