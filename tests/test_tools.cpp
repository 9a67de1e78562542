// The command-line tool varnholt-db, run as a separate process on a real database file.
#include "TestSupport.h"

#include <QProcess>
#include <QScopeGuard>
#include <QtTest>
#include <sys/stat.h>

namespace {

struct Result {
    int exitCode;
    QStringList lines; // standard output
    QString error;     // standard error
};

Result runTool(const QStringList& args) {
    const ToolRun run = RunTool(args);
    QString out = run.out;
    if (out.endsWith('\n'))
        out.chop(1);
    return {run.exitCode, out.isEmpty() ? QStringList() : out.split('\n'), run.error};
}

// The engine's own words for a table that does not exist.
QString NoSuchTable() {
    return TestOnServer() ? "does not exist" : "no such table";
}

const QStringList Fixture = {
    "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
    "('A1','螺丝','M3','个'),('B1','O''Brien','X','只')",
    "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,StoreRecordDate,"
    "StoreRemark) values (1,0,1234.5,2,2469,'2024-03-01 00:00:00','第一\tbatch'),"
    "(2,0,0.5,3,1.5,'2024-03-31 00:00:00',''),(1,1,2000,1,2000,'2024-04-02 08:30:00','')",
};

} // namespace

class TestTools : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db;
    QString file;

private slots:
    void init() {
        db = std::make_unique<TestDatabase>();
        for (const QString& sql : Fixture)
            db->exec(sql);
        file = db->dir().databasePath();
    }
    void cleanup() { db.reset(); }

    void initPreparesAndNeverOverwrites() {
        const QString fresh = db->dir().path() + "new.mdb";
        QCOMPARE(runTool({"init", fresh}).exitCode, 0);
        const Result again = runTool({"init", fresh});
        QVERIFY(again.exitCode != 0);
        QVERIFY(again.error.contains("已经存在"));
        QCOMPARE(runTool({"sql", fresh, "select PowerName,PowerKey from Power"}).lines,
                 QStringList({"PowerName\tPowerKey", "管理员\t"}));
    }

    void sqlPrintsRowsOrCounts() {
        QCOMPARE(runTool({"sql", file,
                          "select ProductSerial,ProductName from Product where "
                          "ProductName='O''Brien'"})
                     .lines,
                 QStringList({"ProductSerial\tProductName", "B1\tO'Brien"}));
        QCOMPARE(runTool({"sql", file, "select StoreRemark from Store where StoreIndex=1"}).lines,
                 QStringList({"StoreRemark", "第一\\tbatch"}));
        QCOMPARE(runTool({"sql", file,
                          "select count(*) as n from Store where StoreRecordDate "
                          "between #2024-03-01# and #2024-03-31#"})
                     .lines,
                 QStringList({"n", "2"}));
        QCOMPARE(
            runTool({"sql", file, "update Power set PowerKey='x' where PowerName='nobody'"}).lines,
            QStringList{"0"});
    }

    void sqlRunsSeveralStatementsAllOrNothing() {
        const Result both = runTool({"sql", file,
                                     "update Power set PowerKey='a;b' where PowerName='管理员';\n"
                                     "select PowerKey from Power;"});
        QCOMPARE(both.exitCode, 0);
        QCOMPARE(both.lines, QStringList({"1", "PowerKey", "a;b"}));

        const Result failing =
            runTool({"sql", file, "delete from Store; insert into Nothing values (1)"});
        QVERIFY(failing.exitCode != 0);
        QVERIFY2(failing.error.contains(NoSuchTable()) && failing.error.contains("撤销"),
                 qPrintable(failing.error));
        QCOMPARE(runTool({"sql", file, "select count(*) as n from Store"}).lines,
                 QStringList({"n", "3"}));
        QVERIFY(runTool({"sql", file, " ; "}).exitCode != 0);
    }

    void compactReportsItsResult() {
        FILE_ONLY("compaction");
        // The test's own connection stays open: compaction leaves it working.
        const Result done = runTool({"compact", file});
        QCOMPARE(done.exitCode, 0);
        QVERIFY(done.lines.value(0).contains(file));
        const Result missing = runTool({"compact", file + ".none"});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.error.contains(file + ".none"));
        QCOMPARE(db->scalar("select count(*) from Store"), "3");
    }

    void listsAsTheGridShowsThem() {
        const Result in = runTool(
            {"list", file, "in", "--from", "2024-03-01", "--to", "2024-03-31", "--name", "螺丝"});
        QCOMPARE(in.exitCode, 0);
        QCOMPARE(in.lines,
                 QStringList({
                     "商品编号\t商品名称\t商品型号\t单位\t入库数量\t价格\t金额\t入库时间\t备注",
                     "A1\t螺丝\tM3\t个\t1,234.50\t2.00\t￥ 2,469.00\t2024/3/1\t第一\\tbatch",
                     "共 1 条\t\t\t\t1,234.50\t\t￥ 2,469.00\t\t",
                 }));
        const Result out = runTool({"list", file, "out"});
        QCOMPARE(out.lines.size(), 3);
        QCOMPARE(out.lines[1].section('\t', 7, 7), "2024/4/2 08:30:00");
        QCOMPARE(runTool({"list", file, "in", "--name", "O'Brien"}).lines.last(),
                 "共 1 条\t\t\t\t.50\t\t￥ 1.50\t\t");

        // An amount stored as infinity by another program: the grid's mark, in its row and total.
        db->exec(QString("update Store set StoreSum=%1 where StoreIndex=2")
                     .arg(TestOnServer() ? "'-Infinity'" : "-9e999"));
        const Result infinite = runTool({"list", file, "in", "--name", "O'Brien"});
        QCOMPARE(infinite.lines[1].section('\t', 6, 6), "#NUM!");
        QCOMPARE(infinite.lines.last().section('\t', 6, 6), "#NUM!");
    }

    void balanceAsTheGridShowsIt() {
        const Result result = runTool({"balance", file, "2024-04-03"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.lines.first(),
                 "商品编号\t商品名称\t商品型号\t单位\t入库数量\t出库数量\t当前库存");
        QStringList rows = result.lines.mid(1, result.lines.size() - 2);
        rows.sort();
        QCOMPARE(rows, QStringList({"A1\t螺丝\tM3\t个\t1,234.50\t2,000.00\t-765.50",
                                    "B1\tO'Brien\tX\t只\t.50\t.00\t.50"}));
        QCOMPARE(result.lines.last(), "共 2 条\t\t\t\t1,235.00\t2,000.00\t-765.00");
        QCOMPARE(runTool({"balance", file, "2024-02-01"}).lines.last(), "共 0 条\t\t\t\t\t\t");
    }

    // The summary from the first day to the end of the last (08:30 on the to-date counts).
    void summaryAsTheGridShowsIt() {
        const Result result = runTool({"summary", file, "2024-04-01", "2024-04-02"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.lines.first(), "商品编号\t商品名称\t商品型号\t单位\t期初库存\t本期入库\t"
                                       "本期出库\t期末库存\t入库金额\t出库金额");
        QStringList rows = result.lines.mid(1, result.lines.size() - 2);
        rows.sort();
        QCOMPARE(rows, QStringList({"A1\t螺丝\tM3\t个\t1,234.50\t.00\t2,000.00\t-765.50\t￥ .00\t"
                                    "￥ 2,000.00",
                                    "B1\tO'Brien\tX\t只\t.50\t.00\t.00\t.50\t￥ .00\t￥ .00"}));
        QCOMPARE(result.lines.last(), "共 2 条\t\t\t\t1,235.00\t.00\t2,000.00\t-765.00\t￥ .00\t"
                                      "￥ 2,000.00");
        QCOMPARE(runTool({"summary", file, "2024-03-01", "2024-03-31", "--name", "O'Brien"}).lines,
                 QStringList({result.lines.first(),
                              "B1\tO'Brien\tX\t只\t.00\t.50\t.00\t.50\t￥ 1.50\t￥ .00",
                              "共 1 条\t\t\t\t.00\t.50\t.00\t.50\t￥ 1.50\t￥ .00"}));
    }

    // --below-minimum lists what the balance page's "只看低于下限" lists, with the other options
    // in any order, and print and export take it as part of the balance command line.
    void balanceBelowTheMinimum() {
        db->exec("update Product set ProductMinimum=0 where ProductSerial='A1'");
        db->exec("update Product set ProductMinimum=0.5 where ProductSerial='B1'"); // on hand .50
        const Result below = runTool({"balance", file, "2024-04-03", "--below-minimum"});
        QCOMPARE(below.exitCode, 0);
        QCOMPARE(below.lines.mid(1), QStringList({"A1\t螺丝\tM3\t个\t1,234.50\t2,000.00\t-765.50",
                                                  "共 1 条\t\t\t\t1,234.50\t2,000.00\t-765.50"}));
        QCOMPARE(runTool({"balance", file, "2024-04-03", "--below-minimum", "--name", "O'Brien"})
                     .lines.last(),
                 "共 0 条\t\t\t\t\t\t");
        // After --name it is the name looked for.
        QCOMPARE(runTool({"balance", file, "2024-04-03", "--name", "--below-minimum"}).lines.last(),
                 "共 0 条\t\t\t\t\t\t");
        QCOMPARE(runTool({"balance", file, "2024-04-03"}).lines.size(), 4);

        const QString pdf = db->dir().path() + "低于下限.pdf";
        const Result print =
            runTool({"print", pdf, "balance", file, "2024-04-03", "--below-minimum"});
        QVERIFY2(print.exitCode == 0, qPrintable(print.error));
        const QString text = PdfText(pdf);
        QVERIFY2(text.contains("螺丝") && !text.contains("Brien"), qPrintable(text));

        const Result list = runTool({"list", file, "in", "--below-minimum"});
        QVERIFY(list.exitCode != 0);
        QVERIFY2(list.error.contains("--below-minimum"), qPrintable(list.error));
    }

    void productsAsTheGridShowsThem() {
        const Result all = runTool({"products", file});
        QCOMPARE(all.exitCode, 0);
        QCOMPARE(all.lines,
                 QStringList({"商品编号\t商品名称\t商品型号\t单位\t库存下限", "A1\t螺丝\tM3\t个\t",
                              "B1\tO'Brien\tX\t只\t", "共 2 条\t\t\t\t"}));
        db->exec("update Product set ProductMinimum=1234.5 where ProductSerial='B1'");
        QCOMPARE(runTool({"products", file, "--name", "O'Brien"}).lines.mid(1),
                 QStringList({"B1\tO'Brien\tX\t只\t1,234.50", "共 1 条\t\t\t\t"}));
        QCOMPARE(runTool({"products", file, "--model", "M4"}).lines.last(), "共 0 条\t\t\t\t");
    }

    // Control characters of stored texts never reach the terminal as they are; texts in another
    // encoding arrive decoded.
    void listsEscapeControlCharactersAndDecodeTexts() {
        FILE_ONLY("texts stored in another encoding, which the server never holds");
        db->exec("update Store set StoreRemark='红'||char(27)||'[31m'||char(7)||char(127)||"
                 "char(155)||'\\' where StoreIndex=1");
        db->exec("update Product set ProductName=CAST(X'C2DDCBBFB5B6FF' AS TEXT) "
                 "where ProductIndex=1");
        const Result in = runTool({"list", file, "in"});
        QCOMPARE(in.exitCode, 0);
        QCOMPARE(in.lines.value(1).section('\t', 1, 1), "螺丝刀\uFFFD");
        QCOMPARE(in.lines.value(1).section('\t', 8, 8), "红\\x1b[31m\\x07\\x7f\\u009b\\\\");
        const Result sql =
            runTool({"sql", file, "select StoreRemark from Store where StoreIndex=1"});
        QCOMPARE(sql.lines.value(1), "红\\x1b[31m\\x07\\x7f\\u009b\\\\");
    }

    // The check lists the codes that several products carry, with their keys.
    void checkListsDuplicateCodes() {
        FILE_ONLY("the check of a file (a server's check is built apart)");
        {
            AttachedDatabase old(file);
            old.exec("drop index ProductSerialIndex");
            old.exec("create index ProductSerialIndex on Product (ProductSerial)");
            old.connection().Execute("PRAGMA user_version = 2");
            old.exec("insert into Product (ProductSerial,ProductName) values ('A1','另一个'),"
                     "('B1','又一个'),('A1','第三个')");
        }
        const Result check = runTool({"check", file});
        QCOMPARE(check.exitCode, 0);
        QCOMPARE(
            check.lines.mid(check.lines.size() - 3),
            QStringList({"重复的商品编号（2 个；商品编号不唯一时，按编号只能找到其中第一种商品，"
                         "请改正后再用）：",
                         "A1\tProductIndex 1,3,5", "B1\tProductIndex 2,4"}));
        QCOMPARE(runTool({"sql", file, "select count(*) from Product"}).lines.value(1), "5");
    }

    // Every command refuses a file of a newer data version with the reason, and leaves it as it
    // was.
    void newerVersionIsRefused_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("sql") << QStringList{"sql", "FILE", "delete from Store"};
        QTest::newRow("list") << QStringList{"list", "FILE", "in"};
        QTest::newRow("balance") << QStringList{"balance", "FILE", "2024-12-31"};
        QTest::newRow("summary") << QStringList{"summary", "FILE", "2024-12-01", "2024-12-31"};
        QTest::newRow("products") << QStringList{"products", "FILE"};
        QTest::newRow("export") << QStringList{"export", "DIR/x.xlsx", "list", "FILE", "in"};
        QTest::newRow("print") << QStringList{"print", "DIR/x.pdf", "list", "FILE", "in"};
        QTest::newRow("compact") << QStringList{"compact", "FILE"};
        QTest::newRow("backup") << QStringList{"backup", "FILE", "DIR"};
        QTest::newRow("restore") << QStringList{"restore", "FILE", "DIR/other.mdb"};
        QTest::newRow("check") << QStringList{"check", "FILE"};
    }
    void newerVersionIsRefused() {
        QFETCH(QStringList, args);
        FILE_ONLY("the file's data version");
        db->dm().ADOConnection1.Execute("PRAGMA user_version = 99");
        db->dm().ADOConnection1.Close();
        QTemporaryDir dir;
        QCOMPARE(runTool({"init", dir.filePath("other.mdb")}).exitCode, 0);
        const QByteArray before = digest(file);
        args.replaceInStrings("FILE", file).replaceInStrings("DIR", dir.path());
        const Result result = runTool(args);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.error.contains("的数据版本是 99，比本程序所能使用的版本"),
                 qPrintable(result.error));
        QCOMPARE(digest(file), before);
        QCOMPARE(filesIn(dir.path()), QStringList{"other.mdb"});
    }

    // What the tool writes of a private database stays private: a backup and the copy a restore
    // keeps take the database file's mode, a replaced PDF or workbook keeps the mode of the file
    // it replaces, and nothing else is left beside them (under the usual umask 022).
    void filesKeepTheirOwnersPrivacy_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("written"); // a pattern of the file written in DIR
        QTest::addColumn<int>("before");      // the mode of a file already there; 0: none
        QTest::addColumn<int>("mode");
        QTest::newRow("backup") << QStringList{"backup", "FILE", "DIR"} << "Varnholt-*.mdb" << 0
                                << 0600;
        QTest::newRow("safety copy of a restore") << QStringList{"restore", "FILE", "BACKUP"}
                                                  << "Varnholt.mdb.before-restore-*" << 0 << 0600;
        QTest::newRow("workbook replaced")
            << QStringList{"export", "DIR/out.xlsx", "list", "FILE", "in"} << "out.xlsx" << 0600
            << 0600;
        QTest::newRow("new workbook") << QStringList{"export", "DIR/out.xlsx", "list", "FILE", "in"}
                                      << "out.xlsx" << 0 << 0644;
        QTest::newRow("PDF replaced") << QStringList{"print", "DIR/out.pdf", "list", "FILE", "in"}
                                      << "out.pdf" << 0640 << 0640;
    }
    void filesKeepTheirOwnersPrivacy() {
        QFETCH(QStringList, args);
        QFETCH(QString, written);
        QFETCH(int, before);
        QFETCH(int, mode);
        FILE_ONLY("file modes of backups and of files beside the database file");
        const mode_t umaskBefore = ::umask(022);
        const auto restoreUmask = qScopeGuard([&] { ::umask(umaskBefore); });
        QVERIFY(::chmod(QFile::encodeName(file), 0600) == 0);
        QTemporaryDir backups;
        const QString backup = runTool({"backup", file, backups.path()}).lines.value(0);
        QVERIFY(backup.startsWith("已备份到 "));
        // A restore keeps its copy beside the database file.
        QTemporaryDir target;
        const QString folder = args.first() == "restore" ? db->dir().path() : target.path();
        if (before) {
            QFile existing(folder + '/' + written);
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("older");
            existing.close();
            QVERIFY(::chmod(QFile::encodeName(existing.fileName()), mode_t(before)) == 0);
        }
        const QString backupFile = backups.path() + '/' + filesIn(backups.path()).value(0);
        args.replaceInStrings("FILE", file)
            .replaceInStrings("BACKUP", backupFile)
            .replaceInStrings("DIR", folder);
        const Result result = runTool(args);
        QCOMPARE(result.exitCode, 0);
        const QStringList made = QDir(folder).entryList({written}, QDir::Files);
        QCOMPARE(made.size(), 1);
        QCOMPARE(modeOf(folder + '/' + made.first()), mode_t(mode));
        if (args.first() != "restore")
            QCOMPARE(filesIn(folder), made); // no temporary file left beside it
    }

    void helpSaysWhereTheDataIs_data() {
        QTest::addColumn<QString>("varnholtData");
        QTest::addColumn<QString>("database");
        const QString buildFolder =
            QDir(qEnvironmentVariable("VARNHOLT_TOOLS_DIR")).canonicalPath();
        QTest::newRow("beside the tool in the build folder") << "" << buildFolder + "/Varnholt.mdb";
        QTest::newRow("VARNHOLT_DATA") << "/srv/商店"
                                       << "/srv/商店/Varnholt.mdb";
    }
    void helpSaysWhereTheDataIs() {
        QFETCH(QString, varnholtData);
        QFETCH(QString, database);
        const QByteArray before = qgetenv("VARNHOLT_DATA");
        qputenv("VARNHOLT_DATA", varnholtData.toUtf8());
        const Result result = runTool({"--help"});
        qputenv("VARNHOLT_DATA", before);
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.lines.contains("  varnholt-db check FILE"));
        QVERIFY2(result.lines.contains("  数据文件：" + database),
                 qPrintable(result.lines.join('\n')));
    }

    void badInputFailsWithAMessage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("bad date") << QStringList{"balance", "FILE", "2024-13-01"} << "日期";
        QTest::newRow("from without to")
            << QStringList{"list", "FILE", "in", "--from", "2024-01-01"} << "--to";
        QTest::newRow("unknown option")
            << QStringList{"list", "FILE", "in", "--colour", "x"} << "--colour";
        QTest::newRow("missing file")
            << QStringList{"list", "/nonexistent/x.mdb", "in"} << "找不到数据库文件";
        QTest::newRow("engine error")
            << QStringList{"sql", "FILE", "select * from Nothing"} << NoSuchTable();
        QTest::newRow("usage") << QStringList{"list", "FILE", "sideways"} << "用法";
        QTest::newRow("summary from after to")
            << QStringList{"summary", "FILE", "2024-04-02", "2024-04-01"}
            << "起始日期（2024-04-02）晚于截止日期（2024-04-01）";
        QTest::newRow("summary's bad to-date")
            << QStringList{"summary", "FILE", "2024-04-01", "2024-02-30"} << "日期";
        QTest::newRow("summary without its to-date")
            << QStringList{"summary", "FILE", "2024-04-01"} << "用法";
        QTest::newRow("products without a value")
            << QStringList{"products", "FILE", "--name"} << "--name";
    }
    void badInputFailsWithAMessage() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        args.replaceInStrings("FILE", file);
        const Result result = runTool(args);
        QVERIFY(result.exitCode != 0);
        QVERIFY2(result.error.contains(message), qPrintable(result.error));
        QVERIFY(result.lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTools)
#include "test_tools.moc"
