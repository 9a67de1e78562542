// Copies of the whole database between the file and the server: every value kept exactly, keys
// continued after the source's last, checked per table, refused or undone as a whole.
#include "TestSupport.h"

#include "data/CipherEngine.h"
#include "data/CipherFile.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "data/DatabaseCopy.h"
#include "data/DatabaseRestore.h"
#include "data/DatabaseTransfer.h"
#include "data/PreparedStatement.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "ui/MainFromUnit.h"
#include "widgets/FileChoosers.h"
#include "widgets/GlowButton.h"
#include "widgets/MessageBoxes.h"

#include <QtTest>
#include <bit>

namespace {

// Texts that engines or the copy could change: Chinese, quotes, control characters, a text in
// the form of a date or a number, the empty text and NULL; numbers that only an exact copy keeps;
// the first and the last day a date can be; a product and movements deleted at the end, so that
// the sequences stand beyond the largest keys.
const QStringList Fixture{
    "UPDATE Power SET PowerKey='密码''1' WHERE PowerName='管理员'",
    "INSERT INTO Power (PowerName, PowerKey) VALUES ('店员', ''), ('\"引号\"', NULL)",
    "INSERT INTO Remarks (RemarksName, RemarksValue) VALUES ('公司名称', '某某商店 😀'), "
    "('地址', ''), ('电话', NULL)",
    "INSERT INTO Product (ProductSerial, ProductName, ProductType, ProductUnit) VALUES "
    "('S-1', '扳手 \"大\"', '型号''A''', '个'), ('', '', NULL, '把'), "
    "(NULL, '螺丝' || char(10) || '刀', char(9), '2026-01-02 03:04:05'), ('S-4', '删', '', '')",
    "INSERT INTO Store (StoreProduct, StoreKind, StoreNumber, StorePrice, StoreSum, "
    "StoreRecordDate, StoreRemark) VALUES "
    "(1, 0, 0.1, 10.105, 2.675, '2026-12-01 09:30:00', '备注 ''甲'''), "
    "(2, 1, 3, 0.3333333333333333, 123456789.125, '0001-01-01', ''), "
    "(3, 0, -3.5, 1e-7, 5e300, '9999-12-31 23:59:59', NULL), "
    "(1, 1, 1, 1.005, NULL, NULL, '1.50'), "
    "(4, 0, 1, 1, 1, '2026-12-02', '删')",
    "DELETE FROM Store WHERE StoreIndex=5",
    "DELETE FROM Product WHERE ProductIndex=4",
};

// A new file holding the fixture.
void makeFixtureFile(const QString& path, const QStringList& statements = Fixture) {
    Connection::CreateDatabase(path, DatabasePassword);
    Connection file;
    file.OpenFile(path, DatabasePassword);
    for (const QString& statement : statements)
        file.Execute(statement);
}

qint64 integerOf(EngineConnection& db, const QString& sql) {
    PreparedStatement statement(db, sql);
    statement.step();
    return statement.integer(0);
}

double sumOf(EngineConnection& db, const QString& sql) {
    PreparedStatement statement(db, sql);
    statement.step();
    std::string buffer;
    return statement.cell(0, buffer).real;
}

// Every stored value of a file as the file engine keeps it: type and bytes, numbers to the bit.
QStringList storedValues(const QString& path) {
    CipherEngine db(CipherFile::openExisting(path, DatabasePassword));
    QStringList values;
    for (const QString table : {"Power", "Product", "Remarks", "Store"}) {
        PreparedStatement statement(db, QStringLiteral("SELECT * FROM ") + table);
        while (statement.step()) {
            QStringList row{table};
            for (int c = 0; c < statement.columnCount(); ++c) {
                const EngineStatement& cells = statement.engineStatement();
                switch (cells.type(c)) {
                case EngineStatement::Type::Real:
                    row << "real " + QString::number(std::bit_cast<quint64>(cells.real(c)), 16);
                    break;
                case EngineStatement::Type::Integer:
                    row << "integer " + QString::number(cells.integer(c));
                    break;
                case EngineStatement::Type::Null:
                    row << "null";
                    break;
                default:
                    row << "text " + QByteArray(cells.text(c).data(),
                                                static_cast<qsizetype>(cells.text(c).size()))
                                         .toHex();
                }
            }
            values << row.join('|');
        }
    }
    return values;
}

// A product added without a key, as the program adds one: its key.
qint64 addProduct(EngineConnection& db) {
    db.execute(QStringLiteral("INSERT INTO Product (ProductName) VALUES ('新')"));
    return integerOf(db, QStringLiteral("SELECT max(ProductIndex) FROM Product"));
}

qint64 addMovement(EngineConnection& db) {
    db.execute(QStringLiteral("INSERT INTO Store (StoreProduct, StoreKind) VALUES (1, 0)"));
    return integerOf(db, QStringLiteral("SELECT max(StoreIndex) FROM Store"));
}

} // namespace

class TestDatabaseCopy : public QObject {
    Q_OBJECT

private slots:
    void init() { REQUIRE_TEST_SERVER(); }

    // file -> server -> new file: the same values, bytes and bits on both ends, the same tally
    // on all three, and new keys after the last key the first file handed out.
    void roundTripKeepsEveryValue() {
        QTemporaryDir dir;
        const QString first = dir.filePath("first.mdb");
        const QString second = dir.filePath("second.mdb");
        makeFixtureFile(first);
        TestServerDatabase server;

        const DatabaseTally there = CopyDatabase(first, server.conninfo(), DatabasePassword);
        const DatabaseTally back = CopyDatabase(server.conninfo(), second, DatabasePassword);

        QCOMPARE(storedValues(second), storedValues(first));
        QCOMPARE(back, there);
        CipherEngine original(CipherFile::openExisting(first, DatabasePassword));
        QCOMPARE(TallyTables(original), there);
        QCOMPARE(there.size(), std::size_t(4));
        QCOMPARE(there[2].table, QStringLiteral("Remarks"));
        QCOMPARE(there[2].rows, qint64(3));
        ServerEngine db(server.conninfo());
        const QString sums = QStringLiteral("SELECT sum(StoreNumber * StorePrice) FROM Store");
        QCOMPARE(sumOf(db, sums), sumOf(original, sums));
        QCOMPARE(integerOf(db, "SELECT count(*) FROM store WHERE storerecorddate = "
                               "'0001-01-01 00:00:00'"),
                 qint64(1));

        // Product 4 and movement 5 were deleted in the first file: their keys stay unused.
        CipherEngine copied(CipherFile::openExisting(second, DatabasePassword));
        QCOMPARE(addProduct(db), qint64(5));
        QCOMPARE(addMovement(db), qint64(6));
        QCOMPARE(addProduct(copied), qint64(5));
        QCOMPARE(addMovement(copied), qint64(6));
    }

    // A target with data is refused before anything is written: a server whose tables hold
    // rows, or whose administrator has a password already; a file that exists.
    void targetWithDataRefused_data() {
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a product") << "INSERT INTO Product (ProductName) VALUES ('已有')"
                                   << "Product 不是空的";
        QTest::newRow("a movement") << "INSERT INTO Store (StoreProduct, StoreKind) VALUES (1, 0)"
                                    << "Store 不是空的";
        QTest::newRow("the administrator's password") << "UPDATE Power SET PowerKey='x'"
                                                      << "Power 不是空的";
        QTest::newRow("a setting") << "INSERT INTO Remarks (RemarksName) VALUES ('公司名称')"
                                   << "Remarks 不是空的";
        QTest::newRow("an existing file") << ""
                                          << "已经存在";
    }
    void targetWithDataRefused() {
        QFETCH(QString, prepare);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString source = dir.filePath("source.mdb");
        makeFixtureFile(source);
        TestServerDatabase server;
        QString target = server.conninfo();
        DatabaseTally before;
        if (prepare.isEmpty()) {
            target = dir.filePath("existing.mdb");
            Connection::CreateDatabase(target, DatabasePassword);
        } else {
            ServerEngine db(server.conninfo());
            PrepareServerDatabase(db);
            db.execute(prepare);
            before = TallyTables(db);
        }
        const QByteArray existing = digest(dir.filePath("existing.mdb"));

        try {
            CopyDatabase(source, target, DatabasePassword);
            QFAIL("copied onto a target with data");
        } catch (const DataError& error) {
            QVERIFY2(error.message().contains(refusal), qPrintable(error.message()));
        }
        if (prepare.isEmpty()) {
            QCOMPARE(digest(target), existing);
        } else {
            ServerEngine db(server.conninfo());
            QCOMPARE(TallyTables(db), before);
        }
    }

    // A copy that fails part-way leaves the target as it was: a server without the program's
    // tables, a prepared one with nothing but its administrator, no file.
    void failedCopyLeavesNothing_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("prepared");
        QTest::addColumn<QString>("reason");
        // A file from before codes were unique: the server's unique index refuses the rows.
        QTest::newRow("a code twice")
            << "DROP INDEX ProductSerialIndex; UPDATE Product SET ProductSerial='S-1'" << false
            << "不能建立索引：could not create unique index \"productserialindex\"";
        // The server's integer column rounds it: the check finds the difference.
        QTest::newRow("a fraction in a whole-number column")
            << "UPDATE Store SET StoreKind=1.5 WHERE StoreIndex=2" << true
            << "数据表 Store 与原数据不一致";
    }
    void failedCopyLeavesNothing() {
        QFETCH(QString, fault);
        QFETCH(bool, prepared);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString source = dir.filePath("source.mdb");
        makeFixtureFile(source, Fixture + fault.split(QStringLiteral("; ")));
        TestServerDatabase server;
        if (prepared) {
            ServerEngine db(server.conninfo());
            PrepareServerDatabase(db);
        }

        try {
            CopyDatabase(source, server.conninfo(), DatabasePassword);
            QFAIL("copied");
        } catch (const DataError& error) {
            QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
        }
        ServerEngine db(server.conninfo());
        QCOMPARE(HoldsServerSchema(db), prepared);
        if (prepared)
            QVERIFY(HoldsNoData(db));
    }

    // The tool: `copy` prints each table's rows as equal and refuses a second copy onto the same
    // server; `backup` of a server writes a file holding exactly the data; `restore` onto a server
    // replaces its rows and keeps what it replaced beside the backup.
    void toolCopiesBacksUpAndRestores() {
        QTemporaryDir dir;
        const QString source = dir.filePath("source.mdb");
        makeFixtureFile(source);
        TestServerDatabase server;
        TestServerDatabase other;
        {
            ServerEngine db(other.conninfo());
            PrepareServerDatabase(db);
            db.execute(QStringLiteral("INSERT INTO Product (ProductName) VALUES ('旧的')"));
        }

        const ToolRun copy = RunTool({"copy", source, server.conninfo()});
        QVERIFY2(copy.exitCode == 0, qPrintable(copy.error));
        QVERIFY2(copy.out.contains("Product\t3\t一致\n") && copy.out.contains("Store\t4\t一致\n"),
                 qPrintable(copy.out));
        const ToolRun again = RunTool({"copy", source, server.conninfo()});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.error.contains("不是空的"), qPrintable(again.error));

        const QString folder = dir.filePath("backups");
        QVERIFY(QDir().mkpath(folder));
        const ToolRun backup = RunTool({"backup", server.conninfo(), folder});
        QVERIFY2(backup.exitCode == 0, qPrintable(backup.error));
        QCOMPARE(filesIn(folder).size(), 1);
        const QString backupFile = QDir(folder).filePath(filesIn(folder).first());
        QCOMPARE(storedValues(backupFile), storedValues(source));
        QCOMPARE(modeOf(backupFile), mode_t(0600));

        const ToolRun restore = RunTool({"restore", other.conninfo(), backupFile});
        QVERIFY2(restore.exitCode == 0, qPrintable(restore.error));
        CipherEngine original(CipherFile::openExisting(source, DatabasePassword));
        ServerEngine restored(other.conninfo());
        QCOMPARE(TallyTables(restored), TallyTables(original));
        QCOMPARE(addProduct(restored), qint64(5));
        const QStringList kept = filesIn(folder).filter("Varnholt-server.mdb.before-restore-");
        QCOMPARE(kept.size(), 1);
        QVERIFY2(restore.out.contains(kept.first()), qPrintable(restore.out));
        CipherEngine before(
            CipherFile::openExisting(QDir(folder).filePath(kept.first()), DatabasePassword));
        QCOMPARE(integerOf(before, "SELECT count(*) FROM Product WHERE ProductName='旧的'"),
                 qint64(1));
    }

    // A backup that the server refuses part-way (a code twice, from before codes were unique)
    // changes nothing there and leaves no copy of the data behind.
    void failedRestoreChangesNothing() {
        QTemporaryDir dir;
        const QString backup = dir.filePath("Varnholt-20261201-120000.mdb");
        makeFixtureFile(backup, Fixture + QStringList{"DROP INDEX ProductSerialIndex",
                                                      "UPDATE Product SET ProductSerial='S-1'"});
        TestServerDatabase server;
        DatabaseTally before;
        {
            ServerEngine db(server.conninfo());
            PrepareServerDatabase(db);
            db.execute(QStringLiteral("INSERT INTO Product (ProductName) VALUES ('旧的')"));
            before = TallyTables(db);
        }

        const ToolRun restore = RunTool({"restore", server.conninfo(), backup});
        QCOMPARE(restore.exitCode, 1);
        QVERIFY2(restore.error.contains("复制数据表 Product 时出错") &&
                     restore.error.contains("当前的数据没有改变"),
                 qPrintable(restore.error));
        ServerEngine db(server.conninfo());
        QCOMPARE(TallyTables(db), before);
        QCOMPARE(filesIn(dir.path()), QStringList{QFileInfo(backup).fileName()});
    }

    // A backup that an older program made (version 3, before ProductMinimum) is restored onto
    // the server: the same rows, every product without a minimum.
    void olderBackupRestoresOntoTheServer() {
        QTemporaryDir dir;
        const QString backup = dir.filePath("Varnholt-20261201-120000.mdb");
        makeFixtureFile(backup);
        MakeOlderFile(backup, 3);
        TestServerDatabase server;
        {
            ServerEngine db(server.conninfo());
            PrepareServerDatabase(db);
            db.execute(QStringLiteral("INSERT INTO Product (ProductName, ProductMinimum) VALUES "
                                      "('旧的', 3)"));
        }
        DatabaseRestore(server.conninfo(), DatabasePassword)
            .RestoreFrom(backup, QDateTime(QDate(2026, 12, 1), QTime(12, 0)));
        ServerEngine db(server.conninfo());
        CipherEngine original(CipherFile::openExisting(backup, DatabasePassword));
        QCOMPARE(original.schemaVersion(), 3);
        QCOMPARE(TallyTables(db), TallyTables(original));
        QCOMPARE(integerOf(db, "SELECT count(*) FROM Product WHERE ProductMinimum IS NULL"),
                 integerOf(original, "SELECT count(*) FROM Product"));
    }

    // The administration page's buttons on a server: the backup is a file of the server's data;
    // the restore asks as on the file, names where the data replaced is kept, and the pages list
    // the restored data.
    void windowBacksUpAndRestoresTheServer() {
        QTemporaryDir dir;
        const QString source = dir.filePath("source.mdb");
        makeFixtureFile(source);
        TestServerDatabase server;
        CopyDatabase(source, server.conninfo(), DatabasePassword);
        const QString folder = dir.filePath("backups");
        QVERIFY(QDir().mkpath(folder));
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
        FileChoosers::setScripted(true);
        FileChoosers::clear();
        TShareDM dm;
        dm.ADOConnection1.OpenServer(server.conninfo());
        TMainForm form(dm, dir.path() + '/');
        form.InitializePages();
        WaitForFilledLists(form);

        FileChoosers::setNextChoice(folder);
        form.AdvGlowButton17->click();
        QCOMPARE(filesIn(folder).size(), 1);
        const QString backup = QDir(folder).filePath(filesIn(folder).first());
        QCOMPARE(MessageBoxes::shown().value(0).text,
                 "数据已备份到：\n" + backup + "\n\n备份中有 4 条出入库记录，3 种商品。");
        // The folder chosen is remembered in the data before the backup is taken.
        {
            ServerEngine db(server.conninfo());
            CipherEngine file(CipherFile::openExisting(backup, DatabasePassword));
            QCOMPARE(TallyTables(file), TallyTables(db));
        }

        dm.ADOConnection1.Execute(QStringLiteral("DELETE FROM Store"));
        MessageBoxes::clearShown();
        FileChoosers::setNextChoice(backup);
        MessageBoxes::setNextAnswer(MessageAnswer::Yes);
        form.AdvGlowButton18->click();
        WaitForFilledLists(form);
        QCOMPARE(MessageBoxes::shown().size(), 2);
        QVERIFY2(MessageBoxes::shown()[0].text.contains(
                     "当前的数据：0 条出入库记录，3 种商品\n\n恢复之前，当前的数据会另存为 " +
                     QDir(folder).filePath("Varnholt-server.mdb") + ".before-restore-"),
                 qPrintable(MessageBoxes::shown()[0].text));
        QCOMPARE(form.ADOQueryStoreIn.RecordCount() + form.ADOQueryStoreOut.RecordCount(), 4);
        const QStringList kept = filesIn(folder).filter("before-restore");
        QCOMPARE(kept.size(), 1);
        QVERIFY(MessageBoxes::shown()[1].text.endsWith(QDir(folder).filePath(kept.first())));
    }
};

QTEST_MAIN(TestDatabaseCopy)
#include "test_databasecopy.moc"
