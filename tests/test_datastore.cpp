// The data store: queries over the real encrypted database, settings, quoting, opening.
#include "TestSupport.h"
#include "data/CipherFile.h"
#include "data/DataError.h"
#include "data/DatabaseBackup.h"
#include "data/DatabaseCheck.h"
#include "data/DatabaseCompactor.h"
#include "data/DatabaseRestore.h"
#include "data/RowStream.h"
#include "data/Schema.h"
#include "data/ShareDMUnit.h"
#include "data/TextRanks.h"
#include "data/Transaction.h"
#include "product/ProductLists.h"
#include "stock/StockListing.h"
#include "stock/StockLists.h"

#include <QFile>
#include <QtTest>
#include <sqlcipher/sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// A list as its grid and the tool show it: one line per row, cells between tabs.
class CollectedLines : public ListingWriter {
public:
    QStringList lines;
    void cell(std::string_view text) override {
        m_line << QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
    void endLine() override {
        lines << m_line.join('\t');
        m_line.clear();
    }

private:
    QStringList m_line;
};

QStringList listed(Connection& connection, const ListDefinition& list) {
    RowStream rows(connection, list.statementOn(connection.engine().sqlTarget()));
    CollectedLines out;
    WriteListing(rows, list.columns, out);
    return out.lines;
}

} // namespace

class TestDataStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetCollationLocale("zh_CN"); }

    void queryCountsNavigatesAndReads() {
        TestDatabase db;
        db.exec("insert into Product (ProductSerial,ProductName,ProductType) values "
                "('A1','螺丝','M3'),('A2','螺母',''),('A3','垫圈',null)");
        Query& q = db.dm().ADOQueryTemp1;
        OpenSQL(q, "select * from Product where 0=0 ");
        QCOMPARE(q.RecordCount(), 3);
        QCOMPARE(q.RecNo(), 1);
        QStringList serials;
        for (q.First(); !q.Eof(); q.Next())
            serials << q.AsString("ProductSerial");
        QCOMPARE(serials, QStringList({"A1", "A2", "A3"}));
        QCOMPARE(q.SQL(), QStringList{"select * from Product where 0=0 "});
        q.SetRecNo(3);
        QVERIFY(q.IsNullField("ProductType"));
        QCOMPARE(q.AsString("ProductType"), QString());
        QCOMPARE(q.AsInteger("ProductIndex"), 3);
        QVERIFY_THROWS_EXCEPTION(DataError, q.AsString("NoSuchField"));
    }

    void emptyResultReadsAsEmpty() {
        TestDatabase db;
        Query& q = db.dm().ADOQueryTemp1;
        OpenSQL(q, "select * from Store,Product where StoreProduct=ProductIndex and StoreKind=0 ");
        QCOMPARE(q.RecordCount(), 0);
        QCOMPARE(q.RecNo(), -1);
        QVERIFY(q.Eof());
        QCOMPARE(q.AsString("ProductName"), QString());
        QCOMPARE(q.AsFloat("StoreNumber"), 0.0);
        QCOMPARE(q.AsInteger("StoreIndex"), 0);
        QVERIFY(q.AsDateTime("StoreRecordDate").isNull());
    }

    void appendedRowShowsGeneratedKey() {
        TestDatabase db;
        db.exec("insert into Product (ProductSerial) values ('X')");
        Query& q = db.dm().ADOQueryTemp1;
        OpenSQL(q, "select * from Product where ProductSerial=" + QuotedSql("NEW"));
        q.Append();
        q.SetField("ProductSerial", "NEW");
        q.SetField("ProductName", "新品");
        q.Post();
        QCOMPARE(q.AsInteger("ProductIndex"), 2);
        QCOMPARE(q.RecordCount(), 1);

        OpenSQL(q, "select * from Store where StoreIndex=99");
        q.Edit(); // no such row: editing appends
        q.SetField("StoreNumber", 2.5);
        q.SetField("StoreRecordDate", QDateTime(QDate(2024, 3, 15), QTime(0, 0)));
        q.Post();
        QCOMPARE(q.AsInteger("StoreIndex"), 1);
        QCOMPARE(db.scalar("select StoreRecordDate from Store"), "2024-03-15 00:00:00");
        QCOMPARE(q.AsDateTime("StoreRecordDate"), QDateTime(QDate(2024, 3, 15), QTime(0, 0)));
    }

    void editedRowIsWrittenInPlace() {
        TestDatabase db;
        db.exec("insert into Store (StoreNumber,StoreRemark) values (1,'a'),(2,'b')");
        Query& q = db.dm().ADOQueryTemp1;
        OpenSQL(q, "select * from Store where StoreIndex=2");
        q.Edit();
        q.SetField("StoreRemark", "改过");
        q.Post();
        QCOMPARE(q.AsString("StoreRemark"), "改过");
        QCOMPARE(q.AsFloat("StoreNumber"), 2.0);
        QCOMPARE(db.scalar("select count(*) from Store"), "2");
        QCOMPARE(db.scalar("select StoreRemark from Store where StoreIndex=1"), "a");
    }

    void editIsWrittenByTheTablesKey() {
        TestDatabase db;
        db.exec("create table Keyed (Code TEXT PRIMARY KEY, Name TEXT)");
        db.exec("insert into Keyed values ('B','b'),('A','a')");
        Query& q = db.dm().ADOQueryTemp1;
        OpenSQL(q, "select * from Keyed where Code='A'");
        q.Edit();
        q.SetField("Name", "甲");
        q.Post();
        QCOMPARE(db.column("select Code||Name from Keyed order by Code"),
                 QStringList({"A甲", "Bb"}));
        q.Edit();
        q.SetField("Code", "C"); // a changed key is read back under its new value
        q.Post();
        QCOMPARE(q.AsString("Code"), "C");
        QCOMPARE(db.column("select Code||Name from Keyed order by Code"),
                 QStringList({"Bb", "C甲"}));
    }

    void editDuringAppendKeepsThePendingRow() {
        TestDatabase db;
        Query& q = db.dm().ADOQueryTemp1;
        OpenSQL(q, "select * from Remarks where RemarksName='x'");
        q.Append();
        q.SetField("RemarksName", "x");
        q.Edit();
        q.SetField("RemarksValue", "1");
        q.Post();
        QCOMPARE(db.scalar("select RemarksName||RemarksValue from Remarks"), "x1");
    }

    void floatsReadAsTextWithFifteenDigits_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("text");
        QTest::newRow("sum with binary error") << u"0.1+0.2"_s << u"0.3"_s;
        QTest::newRow("fraction") << u"1234.5"_s << u"1234.5"_s;
        QTest::newRow("third") << u"1.0/3"_s << u"0.333333333333333"_s;
        QTest::newRow("whole") << u"2.0"_s << u"2"_s;
        QTest::newRow("negative") << u"-0.07*3"_s << u"-0.21"_s;
    }
    void floatsReadAsTextWithFifteenDigits() {
        QFETCH(QString, expression);
        QFETCH(QString, text);
        TestDatabase db;
        QCOMPARE(db.scalar("select " + expression), text);
    }

    void onlyOneStatementAtATime() {
        TestDatabase db;
        Query& q = db.dm().ADOQueryTemp1;
        QVERIFY_THROWS_EXCEPTION(DataError, OpenSQL(q, "select * from Power; delete from Power"));
        QVERIFY_THROWS_EXCEPTION(DataError,
                                 ExecSQL(q, "update Power set PowerKey='1'; delete from Power"));
        QCOMPARE(db.column("select PowerKey from Power"), QStringList(QString())); // one, unchanged
        OpenSQL(q, "select * from Power;  \n"); // a closing ";" is fine
        QCOMPARE(q.RecordCount(), 1);
    }

    void storedDatesTakeTheOneForm_data() {
        QTest::addColumn<QString>("value");  // as SQL
        QTest::addColumn<QString>("stored"); // "!": refused; empty: no date
        QTest::newRow("stored form") << u"'2024-03-01 08:30:15'"_s << u"2024-03-01 08:30:15"_s;
        QTest::newRow("date only") << u"'2024-03-01'"_s << u"2024-03-01 00:00:00"_s;
        QTest::newRow("minutes") << u"'2024-03-01 08:30'"_s << u"2024-03-01 08:30:00"_s;
        QTest::newRow("T separator") << u"'2024-03-01T08:30:15'"_s << u"2024-03-01 08:30:15"_s;
        QTest::newRow("program literal") << u"#2024-3-1#"_s << u"2024-03-01 00:00:00"_s;
        QTest::newRow("no date") << u"null"_s << u""_s;
        QTest::newRow("day that does not exist") << u"'2024-02-30'"_s << u"!"_s;
        QTest::newRow("hour that does not exist") << u"'2024-03-01 25:00'"_s << u"!"_s;
        QTest::newRow("slashes") << u"'2024/03/01'"_s << u"!"_s;
        QTest::newRow("time zone") << u"'2024-03-01 08:30:00+02:00'"_s << u"!"_s;
        QTest::newRow("now") << u"'now'"_s << u"!"_s;
        QTest::newRow("julian day number") << u"2460000"_s << u"!"_s;
        QTest::newRow("words") << u"'明天'"_s << u"!"_s;
    }
    void storedDatesTakeTheOneForm() {
        QFETCH(QString, value);
        QFETCH(QString, stored);
        TestDatabase db;
        db.exec("insert into Store (StoreNumber,StoreRecordDate) values (1,'2020-01-01')");
        const QStringList writes = {
            "insert into Store (StoreNumber,StoreRecordDate) values (2," + value + ")",
            "update Store set StoreRecordDate=" + value + " where StoreNumber=1"};
        for (const QString& write : writes) {
            if (stored == "!") {
                QString refusal = "accepted: " + write;
                try {
                    db.exec(write);
                } catch (const DataError& error) {
                    refusal = error.message();
                }
                // The server refuses a number for a date as a number of the wrong type, before
                // any date rule sees it: refused, in other words.
                if (TestOnServer() && QByteArray(QTest::currentDataTag()) == "julian day number") {
                    QVERIFY2(!refusal.startsWith("accepted"), qPrintable(refusal));
                    continue;
                }
                QVERIFY2(refusal.contains("不是有效的日期"), qPrintable(refusal));
            } else {
                QCOMPARE(db.exec(write), 1);
            }
        }
        const QStringList dates =
            db.column("select StoreRecordDate from Store order by StoreNumber");
        if (stored == "!")
            QCOMPARE(dates, QStringList{"2020-01-01 00:00:00"});
        else
            QCOMPARE(dates, QStringList({stored, stored}));
    }

    void olderFileIsPutRightWhenOpened() {
        FILE_ONLY("the upgrade of an older file");
        TestProgramDir dir;
        {
            // A file as the first version wrote it: no date checks, dates in several forms.
            AttachedDatabase old(dir.databasePath());
            for (const char* trigger : {"StoreDateCheckInsert", "StoreDateCheckUpdate",
                                        "StoreDateFormInsert", "StoreDateFormUpdate"})
                old.connection().Execute(QString("drop trigger ") + trigger);
            old.exec("insert into Store (StoreNumber,StoreRecordDate) values (1,'2024-03-01'),"
                     "(2,'2024-03-01 08:30'),(3,'2024-03-02 00:00:00'),(4,'坏日期'),(5,null)");
            old.connection().Execute("PRAGMA user_version = 1");
        }
        AttachedDatabase db(dir.databasePath());
        QCOMPARE(db.scalar("select group_concat(ifnull(StoreRecordDate,'-'),'|') from "
                           "(select * from Store order by StoreNumber)"),
                 "2024-03-01 00:00:00|2024-03-01 08:30:00|2024-03-02 00:00:00|坏日期|-");
        QCOMPARE(db.scalar("PRAGMA user_version"), QString::number(SchemaVersion));
        QVERIFY_THROWS_EXCEPTION(
            DataError, db.exec("insert into Store (StoreRecordDate) values ('2024-13-01')"));
    }

    // A file that an older program left (data version 1, 2 or 3, without ProductMinimum) is
    // checked as it is; opened, it is brought to the current version, shows its product list
    // and balance as before with no product below a minimum, and takes minimums.
    void olderFileGainsTheMinimum_data() {
        QTest::addColumn<int>("version");
        QTest::newRow("version 3") << 3;
        QTest::newRow("version 2") << 2;
        QTest::newRow("version 1") << 1;
    }
    void olderFileGainsTheMinimum() {
        QFETCH(int, version);
        FILE_ONLY("the upgrade of an older file");
        TestProgramDir dir;
        {
            AttachedDatabase fresh(dir.databasePath());
            fresh.exec("insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) "
                       "values ('A1','螺丝','M3','个'),('B1','O''Brien','X','只')");
            fresh.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StoreRecordDate) "
                       "values (1,0,10,'2024-03-01 00:00:00'),(1,1,12.5,'2024-03-02 08:00:00'),"
                       "(2,0,3,'2024-03-03 00:00:00')");
        }
        MakeOlderFile(dir.databasePath(), version);
        QCOMPARE(CheckDatabaseFile(dir.databasePath(), DatabasePassword).schemaVersion, version);

        AttachedDatabase db(dir.databasePath());
        QCOMPARE(db.scalar("PRAGMA user_version"), QString::number(SchemaVersion));
        QCOMPARE(listed(db.connection(), ProductList()),
                 QStringList({"商品编号\t商品名称\t商品型号\t单位\t库存下限", "A1\t螺丝\tM3\t个\t",
                              "B1\tO'Brien\tX\t只\t", "共 2 条\t\t\t\t"}));
        const QStringList balance = {
            "商品编号\t商品名称\t商品型号\t单位\t入库数量\t出库数量\t当前库存",
            "A1\t螺丝\tM3\t个\t10.00\t12.50\t-2.50", "B1\tO'Brien\tX\t只\t3.00\t.00\t3.00",
            "共 2 条\t\t\t\t13.00\t12.50\t.50"};
        QCOMPARE(listed(db.connection(), BalanceList(QDate(2024, 3, 31))), balance);
        QCOMPARE(listed(db.connection(), BalanceList(QDate(2024, 3, 31), BelowMinimumFragment())),
                 QStringList({balance.first(), "共 0 条\t\t\t\t\t\t"}));

        QCOMPARE(db.exec("update Product set ProductMinimum=3.5 where ProductSerial='B1'"), 1);
        QCOMPARE(listed(db.connection(), BalanceList(QDate(2024, 3, 31), BelowMinimumFragment())),
                 QStringList({balance.first(), balance[2], "共 1 条\t\t\t\t3.00\t.00\t3.00"}));
        QCOMPARE(CheckDatabaseFile(dir.databasePath(), DatabasePassword).schemaVersion,
                 SchemaVersion);
    }

    // From version 3 a code is carried by one product at most: a new file and an upgraded one
    // refuse a second product with a taken code; a file that already holds a code twice is
    // brought to version 3 all the same and goes on working, and the check lists its codes.
    void productCodesBecomeUnique_data() {
        QTest::addColumn<int>("version"); // of the file before it is opened; 0: a new file
        QTest::addColumn<QString>("codes");
        QTest::addColumn<bool>("unique");
        QTest::newRow("new file") << 0 << "A1,A2" << true;
        QTest::newRow("version 2, every code once") << 2 << "A1,A2,," << true;
        QTest::newRow("version 1, every code once") << 1 << "A1,A2" << true;
        QTest::newRow("version 2, a code twice") << 2 << "A1,A2,A1,B,B,B" << false;
    }
    void productCodesBecomeUnique() {
        QFETCH(int, version);
        QFETCH(QString, codes);
        QFETCH(bool, unique);
        FILE_ONLY("the upgrade of an older file and the file's check");
        TestProgramDir dir;
        {
            AttachedDatabase old(dir.databasePath());
            if (version == 1)
                for (const char* trigger : {"StoreDateCheckInsert", "StoreDateCheckUpdate",
                                            "StoreDateFormInsert", "StoreDateFormUpdate"})
                    old.connection().Execute(QString("drop trigger ") + trigger);
            if (version > 0) {
                old.exec("drop index ProductSerialIndex");
                old.exec("create index ProductSerialIndex on Product (ProductSerial)");
                old.connection().Execute(QString("PRAGMA user_version = %1").arg(version));
            }
            for (const QString& code : codes.split(','))
                old.exec("insert into Product (ProductSerial) values (" +
                         (code.isEmpty() ? QString("null") : QuotedSql(code)) + ")");
        }
        AttachedDatabase db(dir.databasePath());
        QCOMPARE(db.scalar("PRAGMA user_version"), QString::number(SchemaVersion));
        QCOMPARE(HasUniqueProductCodes(db.connection().engine()), unique);
        const bool refused = [&] {
            try {
                db.exec("insert into Product (ProductSerial) values ('A2')");
                return false;
            } catch (const DataError&) {
                return true;
            }
        }();
        QCOMPARE(refused, unique);
        QCOMPARE(db.exec("insert into Product (ProductSerial) values (null)"), 1);

        const DatabaseSummary summary = CheckDatabaseFile(dir.databasePath(), DatabasePassword);
        QCOMPARE(summary.uniqueCodes, unique);
        QStringList duplicates;
        for (const DuplicateCode& duplicate : summary.duplicateCodes) {
            QStringList keys;
            for (qint64 key : duplicate.productKeys)
                keys << QString::number(key);
            duplicates << duplicate.code + ':' + keys.join(',');
        }
        QCOMPARE(duplicates, unique ? QStringList() : QStringList({"A1:1,3", "A2:2,7", "B:4,5,6"}));
    }

    // A file of a newer data version is refused by everything that opens it, with its reason,
    // and stays byte for byte as it was.
    void newerVersionIsRefusedUntouched_data() {
        QTest::addColumn<QString>("opener");
        for (const char* opener : {"connection", "check", "backup", "restore", "compaction"})
            QTest::newRow(opener) << opener;
    }
    void newerVersionIsRefusedUntouched() {
        QFETCH(QString, opener);
        FILE_ONLY("the file's data version and its check, backup and compaction");
        TestProgramDir dir;
        const QString path = dir.databasePath();
        const QString other = dir.path() + "other.mdb";
        Connection::CreateDatabase(other, DatabasePassword);
        {
            const CipherFile::Handle db = CipherFile::openExisting(path, DatabasePassword);
            CipherFile::execute(db.get(),
                                QString("PRAGMA user_version = %1").arg(SchemaVersion + 1));
        }
        const QByteArray before = digest(path);
        QString message;
        try {
            if (opener == "connection")
                Connection().OpenFile(path, DatabasePassword);
            else if (opener == "check")
                CheckDatabaseFile(path, DatabasePassword);
            else if (opener == "backup")
                DatabaseBackup(path, DatabasePassword).WriteInto(dir.path(), QDateTime());
            else if (opener == "restore")
                DatabaseRestore(path, DatabasePassword).RestoreFrom(other, QDateTime());
            DatabaseCompactor compactor(path, DatabasePassword);
            QVERIFY(opener != "compaction" || !compactor.run());
            message = compactor.refusal();
        } catch (const DataError& error) {
            message = error.message();
        }
        QVERIFY2(message.contains(QString("的数据版本是 %1，比本程序所能使用的版本 %2 新")
                                      .arg(SchemaVersion + 1)
                                      .arg(SchemaVersion)),
                 qPrintable(message));
        QCOMPARE(digest(path), before);
        QCOMPARE(filesIn(dir.path()), QStringList({"other.mdb", "Varnholt.mdb"}));
    }

    // A write of a row read earlier goes through only while the columns it writes (a deletion:
    // every column read) still hold what was read. Each row: what the row holds when it is
    // read, what another program does to it meanwhile, and the outcome. Texts stored in another
    // encoding, blobs, NULLs and floats without a short decimal form compare equal to themselves.
    void checkedWrites_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("deleting");
        QTest::addColumn<QString>("outcome"); // "written", "deleted", or the changed fields

        const QString odd = "update Store set StoreRemark=CAST(X'C2DDCBBF80FF' AS TEXT), "
                            "StoreNumber=0.1+0.2, StoreSum=NULL where StoreIndex=1";
        const QString blob = "update Store set StoreRemark=X'41E89EBA', StoreNumber=1e300";
        const QString changed =
            "update Store set StoreNumber=50, StoreRemark='另一个程序' where StoreIndex=1";
        QTest::newRow("nothing happened") << QString() << QString() << false << "written";
        QTest::newRow("GB18030 text, float, NULL") << odd << QString() << false << "written";
        QTest::newRow("blob, large float") << blob << QString() << false << "written";
        QTest::newRow("changed where it writes")
            << odd << changed << false << "StoreNumber,StoreRemark";
        QTest::newRow("changed elsewhere")
            << QString() << "update Store set StoreSum=9" << false << "written";
        QTest::newRow("deleted") << odd << "delete from Store where StoreIndex=1" << false
                                 << "deleted";
        QTest::newRow("delete, nothing happened") << odd << QString() << true << "written";
        QTest::newRow("delete, changed anywhere")
            << QString() << "update Store set StoreSum=9" << true << "StoreSum";
        QTest::newRow("delete, deleted") << QString() << "delete from Store" << true << "deleted";
    }
    void checkedWrites() {
        QFETCH(QString, stored);
        QFETCH(QString, meanwhile);
        QFETCH(bool, deleting);
        QFETCH(QString, outcome);
        TestDatabase db;
        db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StoreSum,StoreRecordDate,"
                "StoreRemark) values (1,0,4,8,'2024-03-01 08:00:00','备注')");
        if (!stored.isEmpty())
            db.exec(stored);
        Query& q = db.dm().ADOQueryTemp1;
        OpenSQL(q, "select * from Store where StoreIndex=1");
        if (!meanwhile.isEmpty())
            AttachedDatabase(db.dir().databasePath()).exec(meanwhile);
        const auto storedCells = [&] {
            QStringList cells;
            for (const char* field : {"StoreRemark", "StoreNumber", "StoreSum"})
                cells << db.scalar(QString("select %1 from Store").arg(field));
            return cells;
        };
        const QStringList after = storedCells();
        QString result = "written";
        try {
            if (deleting) {
                q.Delete();
                QCOMPARE(q.RecordCount(), 0);
            } else {
                q.Edit();
                q.SetField("StoreNumber", 7.5);
                q.SetField("StoreRemark", "新的");
                q.SetField("StoreRecordDate", QDateTime(QDate(2024, 3, 2), QTime(9, 0)));
                q.Post();
            }
        } catch (const RowConflict& conflict) {
            result = conflict.kind() == RowConflict::Kind::Deleted
                         ? "deleted"
                         : conflict.changedFields().join(',');
            QCOMPARE(q.Editing(), !deleting); // the edit stays pending
        }
        QCOMPARE(result, outcome);
        const QStringList now = storedCells();
        if (outcome != "written")
            QCOMPARE(now, after); // the other program's change (or deletion) stands
        else if (deleting)
            QCOMPARE(db.scalar("select count(*) from Store"), "0");
        else
            QCOMPARE(now, QStringList({"新的", "7.5", after.last()}));
    }

    // The engine's failures that a user meets are told in Chinese, with the engine's own words
    // in brackets; a statement's own error keeps the engine's words.
    void engineFailuresAreToldInChinese_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::newRow("locked") << "locked"
                                << "数据库文件正被其它程序使用，请稍后再试。（database is locked）";
        QTest::newRow("read-only")
            << "read-only"
            << "文件是只读的（或者没有写入的权限），数据没有写入。（attempt to write a readonly "
               "database）";
        QTest::newRow("damaged") << "damaged"
                                 << "数据库文件已经损坏。（";
        QTest::newRow("statement") << "statement"
                                   << "no such table: Nothing";
    }
    void engineFailuresAreToldInChinese() {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        FILE_ONLY("the file engine's own failures (the server's are in test_serverengine)");
        TestProgramDir dir;
        const QString path = dir.databasePath();
        AttachedDatabase other(path);
        other.exec("with recursive n(i) as (select 1 union all select i+1 from n where i<300) "
                   "insert into Store (StoreRemark) select printf('%.*c', 300, '备') from n");
        QString said;
        try {
            if (failure == "locked") {
                other.connection().Execute("BEGIN IMMEDIATE");
                const CipherFile::Handle db = CipherFile::openExisting(path, DatabasePassword, 0);
                CipherFile::execute(db.get(), "BEGIN IMMEDIATE");
            } else if (failure == "read-only") {
                const CipherFile::Handle db(
                    CipherFile::open(path, DatabasePassword, SQLITE_OPEN_READONLY));
                CipherFile::execute(db.get(), "delete from Store");
            } else {
                if (failure == "damaged") {
                    QFile file(path);
                    QVERIFY(file.open(QIODevice::ReadWrite));
                    QVERIFY(file.seek(file.size() / 4096 / 2 * 4096 + 100));
                    file.write(QByteArray(64, '\xA5'));
                }
                Connection connection;
                connection.OpenFile(path, DatabasePassword);
                Query query(&connection);
                OpenSQL(query,
                        failure == "damaged" ? "select * from Store" : "select * from Nothing");
            }
            QFAIL("no failure");
        } catch (const DataError& error) {
            said = error.message();
        }
        QVERIFY2(said.startsWith(message), qPrintable(said));
    }

    void joinedResultIsNotEditable() {
        TestDatabase db;
        Query& q = db.dm().ADOQueryTemp1;
        OpenSQL(q, "select * from Store,Product where StoreProduct=ProductIndex");
        q.Append();
        q.SetField("StoreRemark", "x");
        QVERIFY_THROWS_EXCEPTION(DataError, q.Post());
    }

    void sortReordersInMemoryAndKeepsCurrentRecord_data() {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QStringList>("serials");
        QTest::newRow("none") << "" << QStringList{"a", "b", "c", "d", "e"};
        QTest::newRow("number ascending") << "StoreNumber" << QStringList{"e", "c", "b", "a", "d"};
        QTest::newRow("number descending")
            << "StoreNumber DESC" << QStringList{"d", "a", "b", "c", "e"};
        // Pinyin: 阿 a, 李 li, 王 wang, 张 zhang; the null name first.
        QTest::newRow("pinyin") << "ProductName" << QStringList{"e", "c", "d", "b", "a"};
        QTest::newRow("date desc")
            << "StoreRecordDate DESC" << QStringList{"c", "b", "a", "d", "e"};
    }
    void sortReordersInMemoryAndKeepsCurrentRecord() {
        QFETCH(QString, sort);
        QFETCH(QStringList, serials);
        TestDatabase db;
        db.exec("insert into Product (ProductSerial,ProductName) values "
                "('a','张'),('b','王'),('c','阿'),('d','李'),('e',null)");
        db.exec("insert into Store (StoreProduct,StoreNumber,StoreRecordDate) values "
                "(1,10,'2024-01-02 00:00:00'),(2,9,'2024-01-03 00:00:00'),"
                "(3,-1,'2024-01-10 00:00:00'),(4,100,'2023-12-31 00:00:00'),"
                "(5,-2,null)");
        Query q(&db.dm().ADOConnection1);
        OpenSQL(q, "select * from Store,Product where StoreProduct=ProductIndex");
        q.SetRecNo(2); // product b
        q.SetSort("StoreNumber DESC");
        q.SetSort(sort);
        QCOMPARE(q.Sort(), sort);
        QStringList actual;
        for (int row = 0; row < q.RecordCount(); ++row)
            actual << q.TextAt(row, q.FieldIndex("ProductSerial"));
        QCOMPARE(actual, serials);
        QCOMPARE(q.AsString("ProductSerial"), "b");
        QCOMPARE(q.RecNo(), serials.indexOf("b") + 1);
    }

    void remarksAreReadAndWrittenByName() {
        TestDatabase db;
        const QString name = "公司名称";
        QCOMPARE(db.dm().ReadRemark(name), QString());
        QCOMPARE(db.scalar("select count(*) from Remarks"), "0");
        QVERIFY(db.dm().WriteRemark(name, "甲"));
        QCOMPARE(db.scalar("select count(*) from Remarks"), "1");
        QVERIFY(db.dm().WriteRemark(name, "乙"));
        QCOMPARE(db.scalar("select count(*) from Remarks"), "1");
        QCOMPARE(db.dm().ReadRemark(name), "乙");
    }

    void textsWithQuotesAreStoredAndFoundExactly_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("apostrophe") << "O'Brien's";
        QTest::newRow("injection") << "x' or '1'='1";
        QTest::newRow("date-like") << "#2024-01-01#";
        QTest::newRow("blanks") << "  a  ";
    }
    void textsWithQuotesAreStoredAndFoundExactly() {
        QFETCH(QString, text);
        TestDatabase db;
        QVERIFY(db.dm().WriteRemark(text, text + "'"));
        QVERIFY(db.dm().WriteRemark("other", "x"));
        QCOMPARE(db.dm().ReadRemark(text), text + "'");
        QCOMPARE(db.dm().ReadRemark(text.trimmed() + "x"), QString());
        QCOMPARE(db.scalar("select count(*) from Remarks where RemarksName=" + QuotedSql(text)),
                 "1");
        QCOMPARE(db.exec("update Power set PowerKey=" + QuotedSql(text) +
                         " where PowerName=" + QuotedSql("管理员")),
                 1);
        QCOMPARE(db.scalar("select PowerKey from Power"), text);
    }

    void execReportsChangedRows() {
        TestDatabase db;
        db.exec("insert into Power (PowerName,PowerKey) values ('a',''),('b','')");
        Query& q = db.dm().ADOQueryTemp1;
        QCOMPARE(ExecSQL(q, "update Power set PowerKey='1' where PowerName='nobody'"), 0);
        QCOMPARE(ExecSQL(q, "update Power set PowerKey='1' where PowerName<>'管理员'"), 2);
        QCOMPARE(ExecSQL(q, "delete from Store where StoreIndex=1"), 0);
        QCOMPARE(q.SQL(), QStringList{"delete from Store where StoreIndex=1"});
        QCOMPARE(ExecSQL(q, "update Power set PowerKey='2'"), 3);
        QCOMPARE(ExecSQL(q, "create table Scratch (x integer)"), 0); // not the update's count
        QCOMPARE(ExecSQL(q, "select * from Power"), 0);
        QVERIFY_THROWS_EXCEPTION(DataError, ExecSQL(q, "update Nothing set a=1"));
    }

    void transactionWritesAllOrNothing() {
        TestDatabase db;
        Connection& connection = db.dm().ADOConnection1;
        const QString count = "select count(*) from Product";
        {
            Transaction transaction(connection);
            db.exec("insert into Product (ProductSerial) values ('A1')");
            QCOMPARE(db.scalar(count), "1");
        } // ended without a commit
        QCOMPARE(db.scalar(count), "0");
        {
            Transaction transaction(connection);
            db.exec("insert into Product (ProductSerial) values ('A2')");
            transaction.Commit();
            transaction.Rollback(); // too late: nothing happens
        }
        QCOMPARE(db.scalar("select ProductSerial from Product"), "A2");
    }

    void readSnapshotKeepsOtherWritersOut() {
        FILE_ONLY("the file's read lock; the server's snapshot lets writers on");
        TestDatabase db;
        AttachedDatabase other(db.dm().ADOConnection1.FilePath());
        other.connection().Execute("PRAGMA busy_timeout = 0"); // fail at once, not after a wait
        const QString count = "select count(*) from Product";
        {
            const Transaction snapshot(db.dm().ADOConnection1, Transaction::Mode::ReadSnapshot);
            QVERIFY_THROWS_EXCEPTION(
                DataError, other.exec("insert into Product (ProductSerial) values ('B')"));
            QCOMPARE(db.scalar(count), "0");
        }
        other.exec("insert into Product (ProductSerial) values ('B')"); // the snapshot has ended
        QCOMPARE(db.scalar(count), "1");
    }

    void statementsAreComposed() {
        QCOMPARE(DistinctStatement("Product", "ProductName", ""),
                 "select Distinct ProductName from Product where 0=0 ");
        QCOMPARE(FormatSql("a %s b", {" and x=1"}), "a  and x=1 b");
        QCOMPARE(FormatSql("%1:s-%0:s-%1:s", {"x", "y"}), "y-x-y");
        QVERIFY_THROWS_EXCEPTION(DataError, FormatSql("%2:s", {"x"}));
        QCOMPARE(QuotedSql("it's"), "'it''s'");
        QVERIFY(GetAppPath().endsWith('/'));
    }

    void unopenableFilesGiveClearErrors_data() {
        QTest::addColumn<QString>("content"); // empty: no file at all
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << "" << DatabasePassword << "找不到数据库文件";
        QTest::newRow("wrong password") << "db"
                                        << "wrong"
                                        << "密码不正确";
        QTest::newRow("not a database") << "text" << DatabasePassword << "不是本系统的数据库";
        QTest::newRow("a folder") << "folder" << DatabasePassword << "是一个文件夹";
    }
    void unopenableFilesGiveClearErrors() {
        QFETCH(QString, content);
        QFETCH(QString, password);
        QFETCH(QString, expected);
        FILE_ONLY("files that cannot be opened");
        TestProgramDir dir(content == "db");
        if (content == "text") {
            QFile file(dir.databasePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(5000, 'x'));
        } else if (content == "folder") {
            QVERIFY(QDir().mkdir(dir.databasePath()));
        }
        Connection connection;
        try {
            connection.OpenFile(dir.databasePath(), password);
            QFAIL("opened");
        } catch (const DataError& error) {
            QVERIFY2(error.message().contains(expected), qPrintable(error.message()));
            QVERIFY(error.message().contains(dir.databasePath()));
        }
        QVERIFY(!connection.Connected());
        QCOMPARE(QFileInfo::exists(dir.databasePath()), !content.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(),
                 content == "db" || content == "text" ? 1 : 0);
    }

    void fileIsEncryptedAndNeverOverwritten() {
        FILE_ONLY("the file's encryption");
        TestProgramDir dir;
        QFile file(dir.databasePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.read(16).startsWith("SQLite format 3"));
        file.close();
        QVERIFY_THROWS_EXCEPTION(DataError,
                                 Connection::CreateDatabase(dir.databasePath(), DatabasePassword));
        TShareDM dm;
        dm.ADOConnection1.OpenFile(dir.databasePath(), DatabasePassword);
        OpenSQL(dm.ADOQueryTemp1, "PRAGMA cipher_page_size");
        QCOMPARE(dm.ADOQueryTemp1.AsInteger("cipher_page_size"), 4096);
        OpenSQL(dm.ADOQueryTemp1, "select * from Power");
        QCOMPARE(dm.ADOQueryTemp1.AsString("PowerName"), "管理员");
        QCOMPARE(dm.ADOQueryTemp1.AsString("PowerKey"), QString());
    }

    void noPlainSqliteLibraryInProcess() {
        QFile maps("/proc/self/maps");
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray content = maps.readAll();
        QVERIFY(content.contains("libsqlcipher"));
        QVERIFY(!content.contains("libsqlite3"));
    }
};

QTEST_GUILESS_MAIN(TestDataStore)
#include "test_datastore.moc"
