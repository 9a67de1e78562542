// Backup and restore of the database file: checked copies through the engine, restores that
// refuse what they cannot use, the daily backup at exit, the administration page's buttons and
// the tool's verbs.
#include "TestSupport.h"
#include "admin/BackupRestore.h"
#include "app/ProgramLifecycle.h"
#include "app/SysLoginUnit.h"
#include "data/AutomaticBackup.h"
#include "data/BackupFiles.h"
#include "data/CipherFile.h"
#include "data/DataError.h"
#include "data/DatabaseBackup.h"
#include "data/DatabaseRestore.h"
#include "data/Schema.h"
#include "stock/StockStatements.h"
#include "ui/MainFromUnit.h"
#include "widgets/FileChoosers.h"
#include "widgets/GlowButton.h"
#include "widgets/MessageBoxes.h"

#include <QProcess>
#include <QtTest>
#include <iostream>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>

namespace {

// Texts with quotes and Chinese, a NULL, a float that has no short decimal form, keys with gaps.
const QStringList Fixture = {
    "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
    "('A1','螺丝','M3','个'),('B''2','O''Brien',NULL,'只'),('C3','垫片','M4','个')",
    "delete from Product where ProductSerial='C3'",
    "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,StoreRecordDate,"
    "StoreRemark) values (1,0,1234.5,2,2469,'2024-03-01','第一'),"
    "(2,0,0.1,3,0.30000000000000004,'2024-03-31 12:00:00',NULL),"
    "(1,1,2000,1,2000,'2024-04-02 08:30:00','')",
    "insert into Power (PowerName,PowerKey) values ('张三','a''bc')",
    "insert into Remarks (RemarksName,RemarksValue) values ('公司名称','测试公司')",
};

const QDateTime Noon(QDate(2024, 5, 6), QTime(12, 0, 0));

// Every table (the engine's own included), every row and value with its type, the schema and
// the version: two files with the same dump hold the same data.
QStringList dump(const QString& path) {
    const CipherFile::Handle db = CipherFile::openExisting(path, DatabasePassword);
    QStringList lines{"version " + QString::number(CipherFile::userVersion(db.get()))};
    QStringList tables;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db.get(), "select type, name, sql from sqlite_master order by name", -1,
                       &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const QString type = QString::fromUtf8((const char*)sqlite3_column_text(statement, 0));
        const QString name = QString::fromUtf8((const char*)sqlite3_column_text(statement, 1));
        lines << type + ' ' + name + ": " +
                     QString::fromUtf8((const char*)sqlite3_column_text(statement, 2));
        if (type == "table")
            tables << name;
    }
    sqlite3_finalize(statement);
    for (const QString& table : tables) {
        sqlite3_prepare_v2(db.get(), ("select * from " + table + " order by rowid").toUtf8(), -1,
                           &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const int type = sqlite3_column_type(statement, c);
                cells << QString::number(type) + ':' +
                             (type == SQLITE_FLOAT
                                  ? QString::number(sqlite3_column_double(statement, c), 'g', 17)
                                  : QString::fromUtf8(
                                        (const char*)sqlite3_column_text(statement, c)));
            }
            lines << table + '|' + cells.join('|');
        }
        sqlite3_finalize(statement);
    }
    return lines;
}

// The balance of every product, summed, agrees with the movements; products and movements
// come in pairs as the writer below makes them.
void checkConsistent(const QString& path, qint64 baseProducts, qint64 baseMovements) {
    AttachedDatabase db(path);
    const double in =
        db.scalar("select total(StoreNumber) from Store where StoreKind=0").toDouble();
    const double out =
        db.scalar("select total(StoreNumber) from Store where StoreKind=1").toDouble();
    const QString balance = BalanceStatement(QDate(2100, 1, 1), "");
    QCOMPARE(db.scalar("select total(StoreInNumber) from (" + balance + ") as b").toDouble(), in);
    QCOMPARE(db.scalar("select total(StoreOutNumber) from (" + balance + ") as b").toDouble(), out);
    const qint64 products = db.scalar("select count(*) from Product").toLongLong() - baseProducts;
    const qint64 movements = db.scalar("select count(*) from Store").toLongLong() - baseMovements;
    QCOMPARE(movements, 2 * products);
}

// Overwrites bytes in the middle of a file grown to many pages of movements.
void damageInTheMiddle(const QString& path) {
    AttachedDatabase(path).connection().Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<300) "
        "INSERT INTO Store (StoreProduct,StoreKind,StoreNumber,StoreRecordDate,StoreRemark) "
        "SELECT 1, 0, 1, '2024-01-01', printf('%.*c', 300, '备') FROM n");
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.seek(file.size() / 4096 / 2 * 4096 + 100);
    file.write(QByteArray(64, '\xA5'));
}

// ---- child processes --------------------------------------------------------------------------

// One write of the writer: a new product with a movement in and a movement out, all or nothing.
// Its code is the writer's own.
void writePair(Connection& connection, int i) {
    connection.Execute("BEGIN IMMEDIATE");
    connection.Execute(QString("insert into Product (ProductSerial,ProductName) values "
                               "('W%1-%2','写入%2')")
                           .arg(QCoreApplication::applicationPid())
                           .arg(i));
    connection.Execute("insert into Store (StoreProduct,StoreKind,StoreNumber,StoreRecordDate,"
                       "StoreRemark) values (last_insert_rowid(),0,10,'2024-06-01',"
                       "printf('%.*c', 400, 'x'))");
    connection.Execute("insert into Store (StoreProduct,StoreKind,StoreNumber,StoreRecordDate) "
                       "select StoreProduct,1,4,'2024-06-02' from Store where "
                       "StoreIndex=last_insert_rowid()");
    connection.Execute("COMMIT");
}

// A writer of pairs that pauses `pauseMs` after each; it is ended when it goes.
struct WriterProcess : QProcess {
    ~WriterProcess() override {
        kill();
        waitForFinished();
    }
};

std::unique_ptr<QProcess> startWriter(const QString& path, int pauseMs) {
    auto writer = std::make_unique<WriterProcess>();
    writer->start(QCoreApplication::applicationFilePath(),
                  {"--write-loop", path, QString::number(pauseMs)});
    if (!writer->waitForReadyRead(30000) || writer->readLine().trimmed() != "started")
        return nullptr;
    return writer;
}

int childMain(const QStringList& args) {
    const QString mode = args[1];
    const QString path = args[2];
    try {
        if (mode == "--write-loop") {
            Connection connection;
            connection.OpenFile(path, DatabasePassword);
            writePair(connection, 0);
            std::cout << "started" << std::endl;
            for (int i = 1;; ++i) {
                writePair(connection, i);
                QThread::msleep(args[3].toInt());
            }
        }
        if (mode == "--backup-as-nobody" || mode == "--backup-limited") {
            if (mode == "--backup-as-nobody")
                becomeNobodyWhenRoot();
            else
                limitFileSize(args[4].toLongLong());
            DatabaseBackup(path, DatabasePassword).WriteInto(args[3], Noon);
            return 0;
        }
    } catch (const DataError& error) {
        std::cout << error.message().toStdString() << std::endl;
        return 1;
    }
    return 2;
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db;
    QString path;     // the current database file
    QString folder;   // a folder for backups, empty at the start
    QStringList data; // the current file's dump after the fixture

    // A backup of the current file into `folder`, taken at `time`.
    QString backUp(const QDateTime& time = Noon) {
        return DatabaseBackup(path, DatabasePassword).WriteInto(folder, time).path;
    }
    QStringList filesBesideDatabase() { return filesIn(db->dir().path()); }

private slots:
    void init() {
        db = std::make_unique<TestDatabase>();
        for (const QString& sql : Fixture)
            db->exec(sql);
        path = db->dir().databasePath();
        folder = db->dir().path() + "backups";
        QVERIFY(QDir().mkpath(folder));
        data = dump(path);
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
        FileChoosers::setScripted(true);
        FileChoosers::clear();
    }
    void cleanup() { db.reset(); }

    void backupThenRestoreRoundTripsEveryValue() {
        std::vector<std::pair<int, int>> progress;
        DatabaseBackup backup(path, DatabasePassword);
        backup.setPagesPerStep(2);
        backup.setProgress([&](int copied, int total) { progress.emplace_back(copied, total); });
        const BackupResult written = backup.WriteInto(folder, Noon);
        QCOMPARE(written.path, folder + "/Varnholt-20240506-120000.mdb");
        QCOMPARE(filesIn(folder), QStringList{"Varnholt-20240506-120000.mdb"});
        QCOMPARE(written.summary.movements(), 3);
        QCOMPARE(written.summary.products(), 2);
        QVERIFY(progress.size() > 2);
        QCOMPARE(progress.back().first, progress.back().second);
        QCOMPARE(dump(written.path), data);

        // Changes after the backup: they are in the safety copy and gone after the restore.
        db->exec("delete from Store where StoreKind=0");
        db->exec("update Power set PowerKey='neu' where PowerName='管理员'");
        db->exec("insert into Product (ProductSerial) values ('N1')");
        const QStringList changed = dump(path);
        const ino_t inode = inodeOf(path);
        AttachedDatabase other(path); // another program with the file open

        const RestoreResult restored =
            DatabaseRestore(path, DatabasePassword).RestoreFrom(written.path, Noon.addSecs(60));

        QCOMPARE(restored.safetyCopy, path + ".before-restore-20240506-120100");
        QCOMPARE(dump(path), data);
        QCOMPARE(dump(restored.safetyCopy), changed);
        QCOMPARE(inodeOf(path), inode);
        QCOMPARE(other.scalar("select count(*) from Store"), "3");
        QCOMPARE(db->scalar("select PowerKey from Power where PowerName='管理员'"), "");
        other.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StoreRecordDate) "
                   "values (1,0,1,'2024-07-01')");
        QCOMPARE(db->scalar("select count(*) from Store"), "4");
        QCOMPARE(filesBesideDatabase(),
                 QStringList(
                     {"backups", "Varnholt.mdb", "Varnholt.mdb.before-restore-20240506-120100"}));
    }

    void restoreBringsAnOlderVersionUpToDate() {
        const QString old = backUp();
        {
            AttachedDatabase file(old);
            for (const char* trigger : {"StoreDateCheckInsert", "StoreDateCheckUpdate",
                                        "StoreDateFormInsert", "StoreDateFormUpdate"})
                file.connection().Execute(QString("DROP TRIGGER ") + trigger);
            file.connection().Execute("PRAGMA user_version = 1");
        }
        DatabaseRestore(path, DatabasePassword).RestoreFrom(old, Noon);
        QCOMPARE(db->scalar("PRAGMA user_version"), QString::number(SchemaVersion));
        QVERIFY_THROWS_EXCEPTION(DataError, db->exec("insert into Store (StoreRecordDate) "
                                                     "values ('gestern')"));
    }

    // A backup that an older program made (version 3, before ProductMinimum) is checked as it
    // is, and restored: the restored file is brought up to date, its products without minimums
    // (those of the data replaced are kept in the safety copy), and takes minimums again.
    void restoreOfABackupBeforeMinimums() {
        const QString products = db->scalar("select count(*) from Product");
        const QString old = backUp();
        MakeOlderFile(old, 3);
        db->exec("update Product set ProductMinimum=4");
        DatabaseRestore restore(path, DatabasePassword);
        QCOMPARE(restore.Inspect(old).schemaVersion, 3);
        const RestoreResult result = restore.RestoreFrom(old, Noon);
        QCOMPARE(db->scalar("PRAGMA user_version"), QString::number(SchemaVersion));
        QCOMPARE(db->scalar("select count(*) from Product where ProductMinimum is null"), products);
        QCOMPARE(QString::number(db->exec("update Product set ProductMinimum=1")), products);
        AttachedDatabase before(result.safetyCopy);
        QCOMPARE(before.scalar("select count(*) from Product where ProductMinimum=4"), products);
    }

    // A second program writes pairs of movements without a pause while backups are taken: each
    // backup opens cleanly and holds every pair whole or not at all. Then one is restored while
    // a program writes every few milliseconds: its connection survives and goes on writing
    // whole pairs on top of the restored data.
    void backupAndRestoreWhileAnotherProgramWrites() {
        db->dm().ADOConnection1.Execute(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000) "
            "INSERT INTO Store (StoreProduct,StoreKind,StoreNumber,StoreRecordDate,StoreRemark) "
            "SELECT 1, i%2, i%7, '2024-01-01', printf('%.*c', 300, '备') FROM n");
        const qint64 products = db->scalar("select count(*) from Product").toLongLong();
        const qint64 movements = db->scalar("select count(*) from Store").toLongLong();
        std::unique_ptr<QProcess> writer = startWriter(path, 0);
        QVERIFY(writer);
        QStringList backups;
        for (int i = 0; i < 4; ++i) {
            DatabaseBackup backup(path, DatabasePassword);
            backup.setPagesPerStep(8);
            backups << backup.WriteInto(folder, Noon.addSecs(i)).path;
        }
        QCOMPARE(writer->state(), QProcess::Running); // it wrote all the time
        writer.reset();
        qint64 previous = 0;
        for (const QString& backup : backups) {
            checkConsistent(backup, products, movements);
            const qint64 count =
                AttachedDatabase(backup).scalar("select count(*) from Store").toLongLong();
            QVERIFY(count >= previous);
            previous = count;
        }
        QVERIFY(previous > movements + 2); // the writer's pairs made it into the backups

        writer = startWriter(path, 2);
        QVERIFY(writer);
        DatabaseRestore(path, DatabasePassword).RestoreFrom(backups[0], Noon);
        const QString restored = db->scalar("select count(*) from Store");
        QTRY_VERIFY(db->scalar("select count(*) from Store") != restored);
        QCOMPARE(writer->state(), QProcess::Running);
        writer.reset();
        checkConsistent(path, products, movements);
    }

    // Each file is refused with its reason; the current file stays byte for byte as it was and
    // nothing is left beside it.
    void refusedBackups_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("bytes overwritten in the middle") << "damaged"
                                                         << "已经损坏";
        QTest::newRow("plain unencrypted database") << "plain"
                                                    << "没有加密的 SQLite 数据库";
        QTest::newRow("wrong key") << "wrong key"
                                   << "密码不正确";
        QTest::newRow("newer version") << "newer"
                                       << "比本程序所能使用的版本";
        QTest::newRow("not a database") << "text"
                                        << "密码不正确，或者该文件不是本系统的数据库";
        QTest::newRow("empty file") << "empty"
                                    << "是空的";
        QTest::newRow("database of another program") << "foreign"
                                                     << "没有数据表";
        QTest::newRow("table without a column") << "column"
                                                << "中没有列 StoreKind";
        QTest::newRow("the current file itself") << "itself"
                                                 << "当前正在使用";
        QTest::newRow("missing file") << "missing"
                                      << "找不到";
    }
    void refusedBackups() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QString file = folder + "/chosen.mdb";
        if (kind == "damaged" || kind == "newer" || kind == "foreign" || kind == "column") {
            QVERIFY(QFile::rename(backUp(), file));
            AttachedDatabase chosen(file);
            if (kind == "newer")
                chosen.connection().Execute(
                    QString("PRAGMA user_version = %1").arg(SchemaVersion + 1));
            if (kind == "foreign")
                chosen.connection().Execute("DROP TABLE Store");
            if (kind == "column")
                chosen.connection().Execute(
                    "CREATE TABLE Store2 AS SELECT StoreIndex, StoreProduct "
                    "FROM Store; DROP TABLE Store; ALTER TABLE Store2 "
                    "RENAME TO Store");
        }
        if (kind == "damaged") {
            damageInTheMiddle(file);
        } else if (kind == "plain") {
            sqlite3* plain = nullptr;
            sqlite3_open(file.toUtf8(), &plain);
            for (const QString& statement : SchemaStatements())
                sqlite3_exec(plain, statement.toUtf8(), nullptr, nullptr, nullptr);
            sqlite3_close(plain);
        } else if (kind == "wrong key") {
            Connection::CreateDatabase(file, "another password");
        } else if (kind == "text" || kind == "empty") {
            QFile text(file);
            QVERIFY(text.open(QIODevice::WriteOnly));
            if (kind == "text")
                text.write(QString("商品编号,商品名称\nA1,螺丝\n").repeated(400).toUtf8());
        } else if (kind == "itself") {
            file = path;
        } else if (kind == "missing") {
            file = folder + "/gone.mdb";
        }
        const QByteArray before = digest(path);
        const QStringList folderBefore = filesIn(folder);
        try {
            DatabaseRestore(path, DatabasePassword).RestoreFrom(file, Noon);
            QFAIL("restored");
        } catch (const DataError& error) {
            QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
            QVERIFY(error.message().contains("当前的数据没有改变"));
        }
        QCOMPARE(digest(path), before);
        QCOMPARE(filesBesideDatabase(), QStringList({"backups", "Varnholt.mdb"}));
        QCOMPARE(filesIn(folder), folderBefore);
        QCOMPARE(dump(path), data);
    }

    void restoreChangesNothingWhileAnotherProgramWrites() {
        const QString backup = backUp();
        db->exec("delete from Store");
        const QStringList changed = dump(path);
        AttachedDatabase other(path);
        other.connection().Execute("BEGIN IMMEDIATE"); // another program in the middle of a write
        try {
            DatabaseRestore(path, DatabasePassword).RestoreFrom(backup, Noon);
            QFAIL("restored");
        } catch (const DataError& error) {
            QVERIFY2(error.message().contains("正被其它程序使用"), qPrintable(error.message()));
        }
        other.connection().Execute("ROLLBACK");
        QCOMPARE(dump(path), changed);
        QCOMPARE(filesBesideDatabase(), QStringList({"backups", "Varnholt.mdb"}));
    }

    // No backup is made, the message says why, and the folder is left as it was.
    void backupFailures_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full") << "full"
                                   << "没有完成备份";
        QTest::newRow("folder without write permission") << "read-only"
                                                         << "权限";
        QTest::newRow("missing folder") << "missing"
                                        << "不存在";
        QTest::newRow("a file, not a folder") << "file"
                                              << "不是一个文件夹";
        QTest::newRow("backup of that second exists") << "exists"
                                                      << "已经存在";
    }
    void backupFailures() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        db->dm().ADOConnection1.Execute(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<500) "
            "INSERT INTO Store (StoreProduct,StoreKind,StoreNumber,StoreRecordDate,StoreRemark) "
            "SELECT 1, 0, 1, '2024-01-01', printf('%.*c', 300, '备') FROM n");
        QString target = folder;
        QString message;
        int code = 0;
        if (kind == "full") {
            const QString limit = QString::number(QFileInfo(path).size() / 2);
            message = runChild({"--backup-limited", path, folder, limit}, nullptr, &code);
        } else if (kind == "read-only") {
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6644)));
            QVERIFY(QFile::setPermissions(db->dir().path(), QFileDevice::Permissions(0x7755)));
            QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x5555)));
            message = runChild({"--backup-as-nobody", path, folder}, nullptr, &code);
            QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7700)));
        } else {
            if (kind == "missing")
                target = folder + "/gone";
            if (kind == "file")
                target = path;
            if (kind == "exists")
                backUp();
            try {
                DatabaseBackup(path, DatabasePassword).WriteInto(target, Noon);
                code = 0;
            } catch (const DataError& error) {
                message = error.message();
                code = 1;
            }
            if (kind == "file")
                target = folder;
        }
        QCOMPARE(code, 1);
        QVERIFY2(message.contains(reason), qPrintable(message));
        QCOMPARE(filesIn(target),
                 kind == "exists" ? QStringList{"Varnholt-20240506-120000.mdb"} : QStringList());
    }

    // The backups at exit, by an injected clock: each row is a run of exits, "HH:MM" on day N
    // ("+" when the session wrote), and the backups left afterwards. Days count from 2024-05-06;
    // a negative day is the clock set back.
    void automaticBackupPolicy_data() {
        QTest::addColumn<QStringList>("exits");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("first exit of a day, whatever was written")
            << QStringList{"0 08:05", "0 08:30", "1 07:00"} << QStringList{"0 08:05", "1 07:00"};
        QTest::newRow("a session that wrote, when the latest backup is over an hour old")
            << QStringList{"0 08:05", "0 09:00+", "0 09:10+", "0 09:20+", "0 18:00", "0 23:30+"}
            << QStringList{"0 08:05", "0 09:10+", "0 23:30+"};
        QTest::newRow("clock set back: the new backup stays, the oldest taken goes")
            << QStringList{"0 12:00",   "1 12:00",    "2 12:00",   "3 12:00", "4 12:00",
                           "5 12:00",   "6 12:00",    "7 12:00",   "8 12:00", "9 12:00",
                           "-30 12:00", "-30 12:10+", "-30 13:30+"}
            << QStringList{"2 12:00", "3 12:00", "4 12:00", "5 12:00",   "6 12:00",
                           "7 12:00", "8 12:00", "9 12:00", "-30 12:00", "-30 13:30+"};
        QStringList daily;
        QStringList left;
        for (int day = 1; day <= 45; ++day) {
            daily << QString("%1 08:00").arg(day);
            if (day >= 16)
                left << daily.last();
        }
        for (int hour = 10; hour <= 18; hour += 2) {
            daily << QString("45 %1:00+").arg(hour);
            left << daily.last();
        }
        QTest::newRow("the newest ten and the newest of each of the last 30 days") << daily << left;
    }
    void automaticBackupPolicy() {
        QFETCH(QStringList, exits);
        QFETCH(QStringList, left);
        const auto timeOf = [](const QString& exit) {
            const QStringList parts = exit.chopped(exit.endsWith('+')).split(' ');
            return QDateTime(Noon.date().addDays(parts[0].toInt()),
                             QTime::fromString(parts[1], "HH:mm"));
        };
        const QString backups = folder + "/backup";
        AutomaticBackup automatic(path, DatabasePassword, backups);
        QStringList expected;
        for (const QString& exit : exits) {
            const QString written = automatic.RunIfDue(timeOf(exit), exit.endsWith('+'));
            QVERIFY2(written.isEmpty() || QFileInfo::exists(written), qPrintable(exit));
            if (left.contains(exit))
                QCOMPARE(QFileInfo(written).fileName(), BackupFiles::BackupName(timeOf(exit)));
        }
        for (const QString& exit : left)
            expected << BackupFiles::BackupName(timeOf(exit));
        expected.sort();
        QCOMPARE(filesIn(backups), expected);
    }

    // At exit, before compaction: a backup into "backup" in the program directory when one is
    // due; a failing backup is a message and no reason to keep the program from ending or from
    // compacting. A file the program did not open is neither backed up nor compacted.
    void exitBacksUpAndCompacts() {
        TMainForm form(db->dm(), db->dir().path());
        TSysLoginfrm login(db->dm(), &form);
        const QString backups = db->dir().path() + "backup";
        const auto exitAt = [&](const QDateTime& time) {
            ProgramLifecycle lifecycle(db->dm(), db->dir().path(), login);
            lifecycle.setCloseWaitMs(0);
            lifecycle.setClock([time] { return time; });
            lifecycle.FormClose(form);
            QCOMPARE(lifecycle.state(), ProgramLifecycle::State::Ending);
            QVERIFY(!db->dm().ADOConnection1.Connected());
        };
        // A backup of a private database is private too, whatever the umask.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        const mode_t umaskBefore = ::umask(022);
        exitAt(Noon);
        ::umask(umaskBefore);
        QCOMPARE(dump(backups + "/Varnholt-20240506-120000.mdb"), data);
        QCOMPARE(modeOf(backups + "/Varnholt-20240506-120000.mdb"), mode_t(0600));

        db->dm().ADOConnection1.OpenFile(path, DatabasePassword);
        exitAt(Noon.addSecs(2 * 3600)); // nothing written
        db->dm().ADOConnection1.OpenFile(path, DatabasePassword);
        db->exec("delete from Store where StoreKind=1");
        exitAt(Noon.addSecs(3 * 3600));
        QCOMPARE(filesIn(backups),
                 QStringList({"Varnholt-20240506-120000.mdb", "Varnholt-20240506-150000.mdb"}));
        QCOMPARE(MessageBoxes::shown().size(), 0);

        QVERIFY(QDir(backups).removeRecursively());
        QFile blocker(backups);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        db->dm().ADOConnection1.OpenFile(path, DatabasePassword);
        db->exec("update Store set StoreRemark=printf('%.*c', 20000, 'x')");
        db->exec("update Store set StoreRemark=''");
        const qint64 size = QFileInfo(path).size();
        exitAt(Noon.addDays(1));
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QVERIFY2(MessageBoxes::shown()[0].text.startsWith("退出前的自动备份没有完成："),
                 qPrintable(MessageBoxes::shown()[0].text));
        QVERIFY(QFileInfo(path).size() < size); // compacted all the same

        QVERIFY(QFile::remove(backups));
        const QByteArray content = digest(path);
        exitAt(Noon.addDays(2)); // the connection was never opened
        QVERIFY(!QFileInfo::exists(backups));
        QCOMPARE(digest(path), content);
    }

    void administrationPageButtons() {
        TMainForm form(db->dm(), db->dir().path());
        form.InitializePages();
        QCOMPARE(form.AdvGlowButton17->text(), "备份数据");
        QCOMPARE(form.AdvGlowButton18->text(), "恢复数据");

        FileChoosers::setNextChoice(folder);
        form.AdvGlowButton17->click();
        const QString backup = folder + "/" + filesIn(folder).value(0);
        QVERIFY(BackupFiles::IsBackupName(QFileInfo(backup).fileName()));
        QCOMPARE(FileChoosers::shown().value(0).startFolder, QDir::homePath());
        QCOMPARE(db->dm().ReadRemark(BackupRestore::FolderSetting), folder);
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QCOMPARE(MessageBoxes::shown()[0].text,
                 "数据已备份到：\n" + backup + "\n\n备份中有 3 条出入库记录，2 种商品。");

        db->exec("delete from Store");
        form.QueryStoreIn("");
        QCOMPARE(form.ADOQueryStoreIn.RecordCount(), 0);
        const QByteArray emptied = digest(path);

        // Cancelled at the question: nothing changes.
        MessageBoxes::clearShown();
        FileChoosers::clear();
        FileChoosers::setNextChoice(backup);
        MessageBoxes::setNextAnswer(MessageAnswer::Cancel);
        form.AdvGlowButton18->click();
        QCOMPARE(FileChoosers::shown().value(0).startFolder, folder);
        QCOMPARE(MessageBoxes::shown().size(), 1);
        const QString question = MessageBoxes::shown()[0].text;
        QCOMPARE(MessageBoxes::shown()[0].caption, "警告");
        QCOMPARE(MessageBoxes::shown()[0].defaultAnswer, MessageAnswer::Cancel); // Enter is safe
        QVERIFY2(question.contains("备份时间：" +
                                   QLocale().toString(BackupFiles::BackupTime(backup).date(),
                                                      QLocale::ShortFormat)),
                 qPrintable(question));
        QVERIFY(question.contains("备份中的数据：3 条出入库记录，2 种商品\n"
                                  "当前的数据：0 条出入库记录，2 种商品"));
        QCOMPARE(digest(path), emptied);

        // A file that is no backup: the reason, and nothing changes.
        MessageBoxes::clearShown();
        const QString text = folder + "/notes.mdb";
        QFile notes(text);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write(QByteArray(8192, 'n'));
        notes.close();
        FileChoosers::setNextChoice(text);
        form.AdvGlowButton18->click();
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QVERIFY(MessageBoxes::shown()[0].text.startsWith("不能用文件 " + text + " 恢复数据"));
        QCOMPARE(digest(path), emptied);

        // "是": restored, and the pages list the restored data.
        MessageBoxes::clearShown();
        FileChoosers::setNextChoice(backup);
        MessageBoxes::setNextAnswer(MessageAnswer::Yes);
        form.AdvGlowButton18->click();
        QCOMPARE(form.ADOQueryStoreIn.RecordCount(), 2);
        QCOMPARE(form.ADOQueryStoreOut.RecordCount(), 1);
        QCOMPARE(MessageBoxes::shown().size(), 2);
        const QStringList safety = QDir(db->dir().path()).entryList({"*.before-restore-*"});
        QCOMPARE(safety.size(), 1);
        QCOMPARE(MessageBoxes::shown()[1].text,
                 "数据已恢复，现有 3 条出入库记录，2 种商品。\n\n恢复之前的数据保存在：\n" +
                     db->dir().path() + safety[0]);
        QCOMPARE(
            AttachedDatabase(db->dir().path() + safety[0]).scalar("select count(*) from Store"),
            "0");

        // Choosing nothing does nothing.
        MessageBoxes::clearShown();
        form.AdvGlowButton17->click();
        form.AdvGlowButton18->click();
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    void toolBacksUpChecksAndRestores() {
        const ToolRun backup = RunTool({"backup", path, folder});
        QCOMPARE(backup.exitCode, 0);
        const QString file = folder + "/" + filesIn(folder).value(0);
        QCOMPARE(backup.out, "已备份到 " + file + "：3 条出入库记录，2 种商品\n");

        const ToolRun check = RunTool({"check", file});
        QCOMPARE(check.exitCode, 0);
        QCOMPARE(check.out, QString("完整性检查：正常\n数据版本：%1\nPower\t2\nProduct\t2\n"
                                    "Remarks\t1\nStore\t3\nsqlite_sequence\t4\n")
                                .arg(SchemaVersion));

        db->exec("delete from Store");
        const ToolRun restore = RunTool({"restore", path, file});
        QCOMPARE(restore.exitCode, 0);
        const QStringList safety = QDir(db->dir().path()).entryList({"*.before-restore-*"});
        QCOMPARE(safety.size(), 1);
        QCOMPARE(restore.out, "已恢复数据：3 条出入库记录，2 种商品\n恢复之前的数据保存在 " +
                                  db->dir().path() + safety[0] + '\n');
        QCOMPARE(dump(path), data);

        damageInTheMiddle(file);
        const ToolRun refused = RunTool({"check", file});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.error.contains("已经损坏"), qPrintable(refused.error));
        const QByteArray current = digest(path);
        const ToolRun notRestored = RunTool({"restore", path, file});
        QCOMPARE(notRestored.exitCode, 1);
        QVERIFY(notRestored.error.contains("当前的数据没有改变"));
        QCOMPARE(digest(path), current);
        QCOMPARE(RunTool({"backup", path, folder + "/gone"}).exitCode, 1);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1].startsWith("--"))
        return childMain(args);
    TestBackup test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_backup.moc"
