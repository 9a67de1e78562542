// The data store under real conditions: compaction in place, crashes, a full disk, read-only and
// odd folders, other connections on the same file, lost edits, dates in other forms, and two
// users editing the same rows through the dialogs. Every case
// ends with the same checks: the file is whole, its balance agrees with its movements, and nothing
// is left beside it.
#include "TestSupport.h"
#include "data/CipherEngine.h"
#include "data/DataError.h"
#include "data/Schema.h"
#include "data/ShareDMUnit.h"
#include "product/ProductEditorUnit.h"
#include "product/ProductStatements.h"
#include "stock/StockStatements.h"
#include "stock/StoreEditorUnit.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GlowButton.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NumberBox.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>
#include <csignal>
#include <future>
#include <iostream>
#include <sqlcipher/sqlite3.h>
#include <thread>

namespace {

// ---- a file system that dies: SIGKILL after the n-th write to a main database file ----------

int writesBeforeKill = -1;

struct KillerFile {
    sqlite3_file base;
    sqlite3_file* real;
    bool mainDatabase;
};

sqlite3_vfs* realVfs = nullptr;

sqlite3_file* realOf(sqlite3_file* file) {
    return reinterpret_cast<KillerFile*>(file)->real;
}

int killerClose(sqlite3_file* f) {
    const int rc = realOf(f)->pMethods->xClose(realOf(f));
    sqlite3_free(realOf(f));
    return rc;
}
int killerRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return realOf(f)->pMethods->xRead(realOf(f), buffer, amount, offset);
}
int killerWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    if (reinterpret_cast<KillerFile*>(f)->mainDatabase && writesBeforeKill >= 0 &&
        writesBeforeKill-- == 0)
        raise(SIGKILL);
    return realOf(f)->pMethods->xWrite(realOf(f), buffer, amount, offset);
}
int killerTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}
int killerSync(sqlite3_file* f, int flags) {
    return realOf(f)->pMethods->xSync(realOf(f), flags);
}
int killerFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int killerLock(sqlite3_file* f, int level) {
    return realOf(f)->pMethods->xLock(realOf(f), level);
}
int killerUnlock(sqlite3_file* f, int level) {
    return realOf(f)->pMethods->xUnlock(realOf(f), level);
}
int killerCheckReserved(sqlite3_file* f, int* out) {
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int killerFileControl(sqlite3_file* f, int op, void* arg) {
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int killerSectorSize(sqlite3_file* f) {
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}
int killerDevice(sqlite3_file* f) {
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}

const sqlite3_io_methods killerMethods = {1,
                                          killerClose,
                                          killerRead,
                                          killerWrite,
                                          killerTruncate,
                                          killerSync,
                                          killerFileSize,
                                          killerLock,
                                          killerUnlock,
                                          killerCheckReserved,
                                          killerFileControl,
                                          killerSectorSize,
                                          killerDevice,
                                          nullptr,
                                          nullptr,
                                          nullptr,
                                          nullptr,
                                          nullptr,
                                          nullptr};

int killerOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* killer = reinterpret_cast<KillerFile*>(file);
    killer->base.pMethods = nullptr;
    killer->real = static_cast<sqlite3_file*>(sqlite3_malloc(realVfs->szOsFile));
    std::memset(killer->real, 0, realVfs->szOsFile);
    const int rc = realVfs->xOpen(realVfs, name, killer->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        sqlite3_free(killer->real);
        return rc;
    }
    killer->mainDatabase = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    killer->base.pMethods = &killerMethods;
    return SQLITE_OK;
}

// Makes every later connection of this process go through the killer file system.
void installKiller(int writes) {
    static sqlite3_vfs killer;
    realVfs = sqlite3_vfs_find(nullptr);
    killer = *realVfs;
    killer.zName = "killer";
    killer.szOsFile = sizeof(KillerFile);
    killer.xOpen = killerOpen;
    killer.pAppData = nullptr;
    writesBeforeKill = writes;
    sqlite3_vfs_register(&killer, 1);
}

// ---- the fixture -----------------------------------------------------------------------------

// 2,000 movements of 20 products with long remarks, every other one deleted: a file with
// plenty of free pages for a compaction to give back.
void fillAndThin(const QString& path) {
    TShareDM dm;
    dm.ADOConnection1.OpenFile(path, DatabasePassword);
    dm.ADOConnection1.Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<20) "
        "INSERT INTO Product (ProductSerial,ProductName,ProductType,ProductUnit) "
        "SELECT 'P'||i, '螺丝'||i, 'M'||(i%3), '个' FROM n");
    dm.ADOConnection1.Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000) "
        "INSERT INTO Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
        "StoreRecordDate,StoreRemark) SELECT 1+i%20, i%3=0, (i%50)+0.25, 2, ((i%50)+0.25)*2, "
        "date('2024-01-01','+'||(i%300)||' days'), printf('%.*c', 200, '备') FROM n");
    dm.ADOConnection1.Execute("delete from Store where StoreIndex%2=0");
}

// A few more movements in one transaction, large enough to write many pages at its commit.
void writeMovements(Connection& connection) {
    connection.Execute("BEGIN");
    connection.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<1000) "
                       "INSERT INTO Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
                       "StoreRecordDate,StoreRemark) SELECT 1+i%20, 0, 1, 1, 1, '2024-06-01', "
                       "printf('%.*c', 300, '新') FROM n");
    connection.Execute("COMMIT");
}

struct StoreState {
    QString integrity = "ok"; // what the engine's integrity check says
    qint64 movements = 0;
    double in = 0, out = 0;
    bool operator==(const StoreState& o) const {
        return integrity == o.integrity && movements == o.movements && qAbs(in - o.in) < 0.005 &&
               qAbs(out - o.out) < 0.005;
    }
};

char* toString(const StoreState& state) {
    return QTest::toString(QString("integrity %1, %2 movements, in %3, out %4")
                               .arg(state.integrity)
                               .arg(state.movements)
                               .arg(state.in)
                               .arg(state.out));
}

double number(Query& query, const QString& sql) {
    OpenSQL(query, sql);
    return query.FloatAt(0, 0);
}

// Opens the file (which rolls back whatever a crash left), checks that it is whole and that
// the balance, summed over the products, agrees with the movements, and returns its state.
StoreState checkedState(const QString& path) {
    TShareDM dm;
    dm.ADOConnection1.OpenFile(path, DatabasePassword);
    Query& q = dm.ADOQueryTemp1;
    StoreState state;
    OpenSQL(q, "PRAGMA integrity_check");
    QStringList integrity;
    for (q.First(); !q.Eof(); q.Next())
        integrity << q.AsString("integrity_check");
    state.integrity = integrity.join('\n');
    state.movements = static_cast<qint64>(number(q, "select count(*) from Store"));
    state.in = number(q, "select total(StoreNumber) from Store where StoreKind=0");
    state.out = number(q, "select total(StoreNumber) from Store where StoreKind=1");
    const QString balance = BalanceStatement(QDate(2100, 1, 1), "");
    OpenSQL(q, "select total(StoreInNumber) as i, total(StoreOutNumber) as o from (" + balance +
                   ") as b");
    if (qAbs(q.AsFloat("i") - state.in) > 0.01 || qAbs(q.AsFloat("o") - state.out) > 0.01)
        state.movements = -1; // the balance disagrees with the movements
    return state;
}

// ---- child processes --------------------------------------------------------------------------

QByteArray childLine(QProcess& child) {
    while (!child.canReadLine())
        if (!child.waitForReadyRead(30000))
            return {};
    return child.readLine().trimmed();
}

int childMain(const QStringList& args) {
    const QString mode = args[1];
    const QString path = args[2];
    try {
        if (mode == "--compact-killed") {
            installKiller(args[3].toInt());
            return CompactDatabase(path, DatabasePassword) ? 0 : 1;
        }
        if (mode == "--write-killed") {
            installKiller(args[3].toInt());
            Connection connection;
            connection.OpenFile(path, DatabasePassword);
            writeMovements(connection);
            return 0;
        }
        if (mode == "--compact-limited") {
            limitFileSize(args[3].toLongLong());
            return CompactDatabase(path, DatabasePassword) ? 0 : 1;
        }
        if (mode == "--write-limited") {
            Connection connection;
            connection.OpenFile(path, DatabasePassword);
            limitFileSize(args[3].toLongLong());
            writeMovements(connection);
            return 0;
        }
        if (mode == "--read-only-user") {
            becomeNobodyWhenRoot();
            TShareDM dm;
            dm.ADOConnection1.OpenFile(path, DatabasePassword);
            OpenSQL(dm.ADOQueryTemp1, MovementListStatement(MovementKind::StockIn, ""));
            std::cout << "listed " << dm.ADOQueryTemp1.RecordCount() << std::endl;
            try {
                ExecSQL(dm.ADOQueryTemp2, "delete from Store");
                std::cout << "written" << std::endl;
            } catch (const DataError& error) {
                std::cout << "refused " << error.message().toStdString() << std::endl;
            }
            dm.ADOConnection1.Close();
            std::cout << "compacted " << CompactDatabase(path, DatabasePassword) << std::endl;
            return 0;
        }
        if (mode == "--older-read-only") {
            // A file of an older version that this user cannot write: listed as it is.
            becomeNobodyWhenRoot();
            TShareDM dm;
            dm.ADOConnection1.OpenFile(path, DatabasePassword);
            Query& q = dm.ADOQueryTemp1;
            OpenSQL(q, BalanceStatement(QDate(2100, 1, 1), ""));
            int below = 0;
            for (q.First(); !q.Eof(); q.Next())
                below += int(q.AsInteger("StoreBelowMinimum"));
            std::cout << "balance " << q.RecordCount() << " below " << below << std::endl;
            OpenSQL(q, ProductListStatement(""));
            int minimums = 0;
            for (q.First(); !q.Eof(); q.Next())
                minimums += q.IsNullField("ProductMinimum") ? 0 : 1;
            std::cout << "products " << q.RecordCount() << " minimums " << minimums << std::endl;
            try {
                ExecSQL(dm.ADOQueryTemp2, "update Product set ProductMinimum=1");
                std::cout << "written" << std::endl;
            } catch (const DataError& error) {
                std::cout << "refused " << error.message().toStdString() << std::endl;
            }
            OpenSQL(q, "PRAGMA user_version");
            std::cout << "version " << q.AsInteger("user_version") << std::endl;
            return 0;
        }
        if (mode == "--hold") {
            // Keeps a connection open; "write" adds one movement, a closed input ends.
            TShareDM dm;
            dm.ADOConnection1.OpenFile(path, DatabasePassword);
            std::cout << "open" << std::endl;
            for (std::string line; std::getline(std::cin, line);) {
                if (line == "write")
                    ExecSQL(dm.ADOQueryTemp1,
                            "insert into Store (StoreProduct,StoreKind,StoreNumber,"
                            "StoreRecordDate) values (1,0,7,'2024-07-01')");
                if (line == "begin")
                    dm.ADOConnection1.Execute("BEGIN IMMEDIATE");
                if (line == "commit")
                    dm.ADOConnection1.Execute("COMMIT");
                std::cout << "done " << line << std::endl;
            }
            return 0;
        }
    } catch (const DataError& error) {
        std::cout << error.message().toStdString() << std::endl;
        return 1;
    }
    return 2;
}

// ---- another writer in this process, holding its write transaction open ---------------------

// Another program's write on a connection of its own: begun and written when made, committed by
// commit(). As the busy handler of a connection that waits for it, it commits at the first wait:
// so the two writes meet for certain, the waiting one after the other.
class HeldWriter {
public:
    HeldWriter(const QString& path, const QString& sql) {
        std::promise<void> written;
        std::future<void> ready = written.get_future();
        m_thread = std::thread([this, path, sql, written = std::move(written)]() mutable {
            Connection connection;
            connection.OpenFile(path, DatabasePassword);
            connection.Execute("BEGIN IMMEDIATE");
            connection.Execute(sql);
            written.set_value();
            m_commit.get_future().wait();
            connection.Execute("COMMIT");
        });
        ready.wait();
    }
    ~HeldWriter() { commit(); }
    void commit() {
        if (!m_thread.joinable())
            return;
        m_commit.set_value();
        m_thread.join();
    }
    // Makes `db` commit this writer when it first has to wait for it.
    void commitWhenWaitedFor(sqlite3* db) {
        sqlite3_busy_handler(
            db,
            [](void* writer, int attempts) {
                static_cast<HeldWriter*>(writer)->commit();
                return attempts < 100 ? 1 : 0;
            },
            this);
        m_waiter = db;
    }
    bool waitedFor() const { return m_waiter && !m_thread.joinable(); }

private:
    std::promise<void> m_commit;
    std::thread m_thread;
    sqlite3* m_waiter = nullptr;
};

} // namespace

class TestStoreFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    QString path;
    StoreState before;

    void tellChild(QProcess& child, const QByteArray& line) {
        child.write(line + '\n');
        QCOMPARE(childLine(child), "done " + line);
    }

private slots:
    void init() {
        dir = std::make_unique<TestProgramDir>();
        path = dir->databasePath();
        fillAndThin(path);
        before = checkedState(path);
        QCOMPARE(before.movements, 1000);
    }
    void cleanup() { dir.reset(); }

    // Two users on one file: the entry dialog or the product editor of this program, and another
    // program (a connection of its own) that changes, deletes or writes the same rows meanwhile.
    // Nothing is overwritten, nothing deleted comes back, and no code is stored twice.
    void concurrentUsers_data() {
        QTest::addColumn<QString>("scene");
        QTest::addColumn<QStringList>("messages"); // what the dialog said, in order
        QTest::addColumn<QString>("stored");       // afterwards, by the probe of the scene
        const QString modified = "该记录已被其他用户修改（数量、备注），您的修改没有保存。\n"
                                 "要重新载入该记录，显示其他用户保存的内容吗？";
        const QString deleted = "该记录已被其他用户删除，您的修改没有保存。\n"
                                "要把输入的内容保存为一条新的记录吗？";
        QTest::newRow("movement changed under an open edit: the other change stays")
            << "changed" << QStringList{modified} << "50.0|另一个程序|2.0";
        QTest::newRow("... and is shown on reloading, then saved over knowingly")
            << "changed-reload" << QStringList{modified} << "50.0|另一个程序|9.0";
        QTest::newRow("movement deleted under an open edit: nothing comes back on 否")
            << "deleted-no" << QStringList{deleted} << "0|0";
        QTest::newRow("movement deleted under an open edit: a new one on 是")
            << "deleted-yes" << QStringList{deleted} << "0|1";
        QTest::newRow("deleting a movement changed meanwhile")
            << "delete-changed"
            << QStringList{"确定要删除该条仓库信息？",
                           "该记录已被其他用户修改（备注），没有删除。\n"
                           "要重新载入该记录，显示其他用户保存的内容吗？"}
            << "1";
        QTest::newRow("one new code from two entry dialogs at once")
            << "same-code-entry"
            << QStringList{"该商品编号已经被其它商品占用,请输入其它编号作为该商品的标识"}
            << "N1|螺丝刀|1";
        QTest::newRow("one code from the product editor and another program at once")
            << "same-code-editor" << QStringList{"该商品编号已经被其它商品占用"} << "N1|螺丝刀|1";
        QTest::newRow("product renamed under the product editor")
            << "renamed"
            << QStringList{"该商品已被其他用户修改（商品名称），您的修改没有保存。\n"
                           "要重新载入该商品，显示其他用户保存的内容吗？"}
            << "P2|改名|个";
    }
    void concurrentUsers() {
        QFETCH(QString, scene);
        QFETCH(QStringList, messages);
        QFETCH(QString, stored);
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
        TShareDM dm;
        dm.ADOConnection1.OpenFile(path, DatabasePassword);
        AttachedDatabase other(path);
        const auto probe = [&](const QString& sql) { return other.scalar(sql); };
        QString result;

        if (scene.startsWith("changed") || scene.startsWith("deleted") ||
            scene == "delete-changed") {
            TStoreEditorfrm dialog(dm);
            dialog.EditFlag = true;
            dialog.RecordIndex = 1;
            dialog.show();
            QCOMPARE(dialog.nNumber->value().value_or(-1), 1.25);
            if (scene.startsWith("changed"))
                other.exec("update Store set StoreNumber=50, StoreRemark='另一个程序' "
                           "where StoreIndex=1");
            else if (scene.startsWith("deleted"))
                other.exec("delete from Store where StoreIndex=1");
            else
                other.exec("update Store set StoreRemark='另一个程序' where StoreIndex=1");
            dialog.nPrice->setValue(9);
            const int movements = probe("select count(*) from Store").toInt();
            if (scene == "delete-changed") {
                MessageBoxes::setNextAnswer(MessageAnswer::Yes);
                dialog.AdvGlowButton3->click();
                QVERIFY(dialog.isVisible());
                result = probe("select count(*) from Store where StoreIndex=1");
            } else if (scene.startsWith("changed")) {
                if (scene == "changed-reload")
                    MessageBoxes::setNextAnswer(MessageAnswer::Yes);
                dialog.AdvGlowButton1->click();
                QVERIFY(dialog.isVisible());
                if (scene == "changed-reload") {
                    QCOMPARE(dialog.nNumber->value().value_or(-1), 50.0);
                    QCOMPARE(dialog.edtRemark->currentText(), "另一个程序");
                    dialog.nPrice->setValue(9);
                    dialog.AdvGlowButton1->click();
                    QVERIFY(!dialog.isVisible());
                }
                result = probe("select StoreNumber||'|'||StoreRemark||'|'||StorePrice from Store "
                               "where StoreIndex=1");
            } else {
                if (scene == "deleted-yes")
                    MessageBoxes::setNextAnswer(MessageAnswer::Yes);
                dialog.AdvGlowButton1->click();
                QVERIFY(!dialog.isVisible());
                QCOMPARE(dialog.result(), int(QDialog::Accepted));
                result = probe("select count(*) from Store where StoreIndex=1") + '|' +
                         QString::number(probe("select count(*) from Store").toInt() - movements);
            }
        } else if (scene.startsWith("same-code")) {
            // Another program stores a product with the code N1 and holds its write open: the
            // dialog's save of that code waits for it and then finds the code taken.
            const auto saveBesideAnotherWriter = [&](QDialog& dialog, GlowButton* ok) {
                HeldWriter writer(path, "insert into Product (ProductSerial,ProductName,"
                                        "ProductUnit) values ('N1','螺丝刀','1')");
                writer.commitWhenWaitedFor(
                    static_cast<CipherEngine&>(dm.ADOConnection1.engine()).handle());
                ok->click();
                QVERIFY(writer.waitedFor());
                QVERIFY(dialog.isVisible());
                result = probe("select group_concat(ProductSerial||'|'||ProductName||'|'||"
                               "ProductUnit) from Product where ProductSerial='N1'");
            };
            if (scene == "same-code-entry") {
                TStoreEditorfrm dialog(dm);
                dialog.show();
                dialog.cbxSerial->setEditText("N1");
                dialog.cbxName->setEditText("扳手");
                dialog.nNumber->setValue(1);
                saveBesideAnotherWriter(dialog, dialog.AdvGlowButton1);
            } else {
                TProductEditorfrm dialog(dm);
                dialog.RecordIndex = 2;
                dialog.show();
                dialog.cbxSerial->setText("N1");
                saveBesideAnotherWriter(dialog, dialog.AdvGlowButton1);
                QCOMPARE(probe("select ProductSerial from Product where ProductIndex=2"), "P2");
            }
        } else if (scene == "renamed") {
            TProductEditorfrm dialog(dm);
            dialog.RecordIndex = 2;
            dialog.show();
            other.exec("update Product set ProductName='改名' where ProductIndex=2");
            dialog.cbxUnit->setCurrentText("盒");
            dialog.AdvGlowButton1->click();
            QVERIFY(dialog.isVisible());
            result = probe("select ProductSerial||'|'||ProductName||'|'||ProductUnit from Product "
                           "where ProductIndex=2");
        } else {
            QFAIL("unknown scene");
        }
        QCOMPARE(ShownMessageTexts(), messages);
        QCOMPARE(result, stored);
        QCOMPARE(checkedState(path).integrity, "ok");
    }

    void compactionShrinksTheFileInPlace() {
        const qint64 size = QFileInfo(path).size();
        const ino_t inode = inodeOf(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray salt = file.read(16);
        file.close();
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));

        QVERIFY(CompactDatabase(path, DatabasePassword));

        QVERIFY(QFileInfo(path).size() < size * 3 / 4);
        QCOMPARE(inodeOf(path), inode);
        QCOMPARE(modeOf(path), mode_t(0600));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(16), salt);
        QCOMPARE(checkedState(path), before);
        TShareDM dm;
        dm.ADOConnection1.OpenFile(path, DatabasePassword);
        OpenSQL(dm.ADOQueryTemp1, "PRAGMA user_version");
        QCOMPARE(dm.ADOQueryTemp1.AsInteger("user_version"), SchemaVersion);
    }

    // A file of version 3 that cannot be written is opened as it is: the balance and product
    // list show every product, none with a minimum, and a write is refused as on any read-only
    // file. Nothing about the file changes.
    void olderFileThatCannotBeWrittenIsListed_data() {
        QTest::addColumn<bool>("folderWritable");
        QTest::newRow("write-protected file") << true;
        QTest::newRow("folder without write permission") << false;
    }
    void olderFileThatCannotBeWrittenIsListed() {
        QFETCH(bool, folderWritable);
        QString balanceRows, products;
        {
            AttachedDatabase db(path);
            balanceRows = db.scalar("select count(*) from (" +
                                    BalanceStatement(QDate(2100, 1, 1), "") + ") as b");
            products = db.scalar("select count(*) from Product");
        }
        MakeOlderFile(path, 3);
        const QByteArray content = digest(path);
        const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                         QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                         QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(path, folderWritable ? QFileDevice::Permissions(0x4444)
                                                           : QFileDevice::Permissions(0x6666)));
        QVERIFY(QFile::setPermissions(
            dir->path(), folderWritable ? all | QFileDevice::WriteGroup | QFileDevice::WriteOther
                                        : all & ~QFileDevice::WriteOwner));
        const QStringList lines = runChild({"--older-read-only", path}).split('\n');
        QVERIFY(QFile::setPermissions(dir->path(), all));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(lines.value(0), "balance " + balanceRows + " below 0");
        QCOMPARE(lines.value(1), "products " + products + " minimums 0");
        QVERIFY2(lines.value(2).startsWith("refused 文件是只读的"), qPrintable(lines.join('|')));
        QCOMPARE(lines.value(3), "version 3");
        QCOMPARE(digest(path), content);
        QCOMPARE(filesIn(dir->path()), QStringList{DatabaseFileName});
    }

    void compactionRefusesWhatItCannotOpen_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("present");
        QTest::newRow("wrong password") << "not-the-password" << true;
        QTest::newRow("missing file") << DatabasePassword << false;
    }
    void compactionRefusesWhatItCannotOpen() {
        QFETCH(QString, password);
        QFETCH(bool, present);
        if (!present)
            QVERIFY(QFile::remove(path));
        const QByteArray content = digest(path);
        QVERIFY(!CompactDatabase(path, password));
        QCOMPARE(digest(path), content);
        QCOMPARE(filesIn(dir->path()), present ? QStringList{DatabaseFileName} : QStringList());
    }

    // Each case does something to the file; afterwards it is whole, its balance agrees with its
    // movements, it holds the expected movements and nothing else is in its folder.
    void faults_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("addedMovements");
        QTest::newRow("killed at the first write of a compaction") << "compact-killed:1" << 0;
        QTest::newRow("killed in the middle of a compaction") << "compact-killed:40" << 0;
        QTest::newRow("killed in the middle of a commit") << "write-killed:3" << 0;
        QTest::newRow("disk full during a compaction") << "compact-limited" << 0;
        QTest::newRow("disk full during a write") << "write-limited" << 0;
        QTest::newRow("read-only folder") << "read-only-folder" << 0;
        QTest::newRow("other connections idle during a compaction") << "idle-connections" << 1;
        QTest::newRow("another program writing during a compaction") << "busy-writer" << 1;
        QTest::newRow("symbolic link to the file") << "symlink" << 0;
        QTest::newRow("folder with ; and blanks") << "odd-folder" << 1;
        QTest::newRow("row deleted under a pending edit") << "deleted-under-edit" << -1;
        QTest::newRow("short-form date from the tool") << "short-date" << 1;
    }
    void faults() {
        QFETCH(QString, fault);
        QFETCH(int, addedMovements);
        QString file = path; // the path by which the case reached the database
        QStringList expectedFiles{DatabaseFileName};

        if (fault.startsWith("compact-killed") || fault == "write-killed:3") {
            const QStringList parts = fault.split(':');
            QProcess::ExitStatus status;
            runChild({"--" + parts[0], path, parts[1]}, &status);
            QCOMPARE(status, QProcess::CrashExit);
            QVERIFY(QFile::exists(path + "-journal")); // the crash left its journal behind
        } else if (fault.endsWith("-limited")) {
            // A compaction needs room for a journal of the whole file; a write needs a few pages.
            const qint64 size = QFileInfo(path).size();
            const qint64 limit = fault == "write-limited" ? size + 65536 : size / 2;
            int code = 0;
            const QString output =
                runChild({"--" + fault, path, QString::number(limit)}, nullptr, &code);
            QCOMPARE(code, 1);
            QVERIFY2(fault == "compact-limited" ||
                         output.startsWith("读写文件时出错（输入/输出错误），磁盘可能已满"),
                     qPrintable(output));
        } else if (fault == "read-only-folder") {
            const QString stockIn =
                AttachedDatabase(path).scalar("select count(*) from Store where StoreKind=0");
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6666)));
            const auto folder = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                QFileDevice::ReadOther | QFileDevice::ExeOther;
            QVERIFY(QFile::setPermissions(dir->path(), folder));
            const QStringList lines = runChild({"--read-only-user", path}).split('\n');
            QVERIFY(QFile::setPermissions(dir->path(), folder | QFileDevice::WriteOwner));
            QCOMPARE(lines.value(0), "listed " + stockIn);
            QVERIFY2(lines.value(1).startsWith("refused"), qPrintable(lines.join('|')));
            QCOMPARE(lines.value(2), "compacted 0");
        } else if (fault == "idle-connections") {
            AttachedDatabase here(path); // this process keeps a connection open too
            std::unique_ptr<QProcess> other(startChild({"--hold", path}));
            QCOMPARE(childLine(*other), "open");
            const qint64 size = QFileInfo(path).size();
            QVERIFY(CompactDatabase(path, DatabasePassword));
            QVERIFY(QFileInfo(path).size() < size);
            tellChild(*other, "write"); // the other program goes on writing
            other->closeWriteChannel();
            QVERIFY(other->waitForFinished(30000));
            QCOMPARE(here.scalar("select count(*) from Store"), "1001");
        } else if (fault == "busy-writer") {
            std::unique_ptr<QProcess> other(startChild({"--hold", path}));
            QCOMPARE(childLine(*other), "open");
            tellChild(*other, "begin");
            tellChild(*other, "write");
            const QByteArray content = digest(path);
            QVERIFY(!CompactDatabase(path, DatabasePassword));
            QCOMPARE(digest(path), content);
            tellChild(*other, "commit");
            other->closeWriteChannel();
            QVERIFY(other->waitForFinished(30000));
            QVERIFY(CompactDatabase(path, DatabasePassword));
        } else if (fault == "symlink") {
            const QString real = dir->path() + "real/" + DatabaseFileName;
            QVERIFY(QDir(dir->path()).mkdir("real"));
            QVERIFY(QFile::rename(path, real));
            QVERIFY(QFile::link(real, path));
            QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner));
            const ino_t inode = inodeOf(real);
            QVERIFY(CompactDatabase(path, DatabasePassword));
            QVERIFY(QFileInfo(path).isSymLink());
            QCOMPARE(inodeOf(real), inode);
            QCOMPARE(modeOf(real), mode_t(0600));
            QCOMPARE(filesIn(dir->path() + "real"), QStringList{DatabaseFileName});
            expectedFiles = QStringList{"real", DatabaseFileName};
        } else if (fault == "odd-folder") {
            const QString folder = dir->path() + "a;b c/";
            QVERIFY(QDir().mkpath(folder));
            file = folder + DatabaseFileName;
            QVERIFY(QFile::rename(path, file));
            {
                AttachedDatabase there(file);
                there.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,"
                           "StoreRecordDate) values (1,0,7,'2024-07-01')");
            }
            QVERIFY(CompactDatabase(file, DatabasePassword));
            expectedFiles = QStringList{"a;b c"};
        } else if (fault == "deleted-under-edit") {
            AttachedDatabase here(path);
            Query& q = here.query();
            OpenSQL(q, "select * from Store where StoreIndex=1");
            q.Edit();
            q.SetField("StoreNumber", 99.0);
            {
                AttachedDatabase other(path);
                QCOMPARE(other.exec("delete from Store where StoreIndex=1"), 1);
            }
            try {
                q.Post();
                QFAIL("posted");
            } catch (const RowConflict& conflict) {
                QCOMPARE(conflict.kind(), RowConflict::Kind::Deleted);
                QCOMPARE(conflict.message(), "该记录已被其他用户删除，您的修改没有保存。");
            }
            QVERIFY(q.Editing()); // the edit is still there to be saved again or cancelled
            QCOMPARE(q.AsFloat("StoreNumber"), 1.25);
            QCOMPARE(here.scalar("select count(*) from Store where StoreNumber=99"), "0");
            before.in -= 1.25;
        } else if (fault == "short-date") {
            const QString tool = qEnvironmentVariable("VARNHOLT_TOOLS_DIR") + "/varnholt-db";
            QProcess process;
            process.start(tool, {"sql", path,
                                 "insert into Store (StoreProduct,StoreKind,StoreNumber,"
                                 "StoreRecordDate) values (1,0,5,'2023-03-01')"});
            QVERIFY(process.waitForFinished(30000));
            QCOMPARE(process.exitCode(), 0);
            AttachedDatabase here(path);
            QCOMPARE(here.scalar("select StoreRecordDate from Store where StoreNumber=5"),
                     "2023-03-01 00:00:00");
            const QDate day(2023, 3, 1);
            QCOMPARE(here.scalar(
                         "select count(*) from (" +
                         MovementListStatement(MovementKind::StockIn, DateRangeFragment(day, day)) +
                         ") as l"),
                     "1");
            QCOMPARE(here.scalar("select total(StoreInNumber) from (" + BalanceStatement(day, "") +
                                 ") as b"),
                     "5");
        } else {
            QFAIL("unknown fault");
        }

        StoreState expected = before;
        expected.movements += addedMovements;
        if (addedMovements > 0)
            expected.in += fault == "short-date" ? 5 : 7;
        QCOMPARE(checkedState(file), expected);
        QCOMPARE(filesIn(dir->path()), expectedFiles);
        QCOMPARE(filesIn(QFileInfo(file).absolutePath()).contains(DatabaseFileName + "-journal"),
                 false);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1].startsWith("--"))
        return childMain(args);
    TestStoreFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_storefaults.moc"
