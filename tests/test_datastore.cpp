// The data store: queries over the real encrypted database, settings, quoting, opening.
#include "DataError.h"
#include "FileLock.h"
#include "ShareDMUnit.h"
#include "TestSupport.h"
#include "TextRanks.h"

#include <QFile>
#include <QtTest>

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
        QCOMPARE(ReadRemark(name), QString());
        QCOMPARE(db.scalar("select count(*) from Remarks"), "0");
        QVERIFY(WriteRemark(name, "甲"));
        QCOMPARE(db.scalar("select count(*) from Remarks"), "1");
        QVERIFY(WriteRemark(name, "乙"));
        QCOMPARE(db.scalar("select count(*) from Remarks"), "1");
        QCOMPARE(ReadRemark(name), "乙");
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
        QVERIFY(WriteRemark(text, text + "'"));
        QVERIFY(WriteRemark("other", "x"));
        QCOMPARE(ReadRemark(text), text + "'");
        QCOMPARE(ReadRemark(text.trimmed() + "x"), QString());
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
        QVERIFY_THROWS_EXCEPTION(DataError, ExecSQL(q, "update Nothing set a=1"));
    }

    void statementsAreComposed() {
        QCOMPARE(DistinctStatement("Product", "ProductName", ""),
                 "select Distinct ProductName from Product where 0=0 ");
        QCOMPARE(FormatSql("a %s b", {" and x=1"}), "a  and x=1 b");
        QCOMPARE(FormatSql("%1:s-%0:s-%1:s", {"x", "y"}), "y-x-y");
        QVERIFY_THROWS_EXCEPTION(DataError, FormatSql("%2:s", {"x"}));
        QCOMPARE(QuotedSql("it's"), "'it''s'");
        QCOMPARE(BuildConnectionString("/p/Varnholt.mdb", "pw"),
                 "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/p/Varnholt.mdb;"
                 "Jet OLEDB:Database Password=pw");
        QVERIFY(GetAppPath().endsWith('/'));
        const QString temp = MakeTempFileName();
        QVERIFY(QFileInfo(temp).fileName().startsWith("~SM"));
        QVERIFY(!QFile::exists(temp));
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
    }
    void unopenableFilesGiveClearErrors() {
        QFETCH(QString, content);
        QFETCH(QString, password);
        QFETCH(QString, expected);
        TestProgramDir dir(content == "db");
        if (content == "text") {
            QFile file(dir.databasePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(5000, 'x'));
        }
        Connection connection;
        connection.SetConnectionString(BuildConnectionString(dir.databasePath(), password));
        try {
            connection.Open();
            QFAIL("opened");
        } catch (const DataError& error) {
            QVERIFY2(error.message().contains(expected), qPrintable(error.message()));
        }
        QVERIFY(!connection.Connected());
        QCOMPARE(QFile::exists(dir.databasePath()), !content.isEmpty());
    }

    void fileIsEncryptedAndNeverOverwritten() {
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
