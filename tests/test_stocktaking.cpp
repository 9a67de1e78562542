// Stocktaking: the adjusting movements of the counts (surplus, shortage, unchanged, empty, a bad
// count, a failing write, another counter in between), the dialog on the balance page, the count
// sheet and `varnholt-db stocktake`.
#include "TestSupport.h"
#include "data/DataError.h"
#include "preview/ReportPageView.h"
#include "preview/ReportPreview.h"
#include "stock/StockCountModel.h"
#include "stock/Stocktaking.h"
#include "stock/StocktakingUnit.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GlowButton.h"
#include "widgets/MessageBoxes.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTableView>
#include <QtTest>
#include <functional>

namespace {

// On hand at 2024-03-31: A1 7 (10 in, 3 out; 100 more come in April), A2 3.01 (three times
// 1.004, rounded as the balance rounds), B1 0 (5 in, 5 out), C1 none (never moved).
const QStringList Fixture = {
    "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
    "('A1','螺丝','M3','个'),('A2','螺丝','M4','个'),('B1','O''Brien','X','只'),"
    "('C1','垫圈','M3','只')",
    "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,StoreRecordDate,"
    "StoreRemark) values (1,0,10,2,20,'2024-03-01 00:00:00',''),"
    "(1,1,3,2,6,'2024-03-10 00:00:00',''),(1,0,100,2,200,'2024-04-05 00:00:00',''),"
    "(2,0,1.004,1,1.004,'2024-03-02 00:00:00',''),(2,0,1.004,1,1.004,'2024-03-03 00:00:00',''),"
    "(2,0,1.004,1,1.004,'2024-03-04 00:00:00',''),(3,0,5,1,5,'2024-03-05 00:00:00',''),"
    "(3,1,5,1,5,'2024-03-06 00:00:00','')",
};

const QDate Cutoff(2024, 3, 31);

const QString AdjustmentsStatement =
    "select ProductSerial || ' ' || iif(StoreKind=0,'in','out') || ' ' || StoreNumber || ' ' || "
    "StorePrice || ' ' || StoreSum || ' ' || StoreRecordDate from Store,Product where "
    "StoreProduct=ProductIndex and StoreRemark='盘点调整' order by ProductSerial";

struct Database : TestDatabase {
    Database() {
        for (const QString& sql : Fixture)
            exec(sql);
    }
    qint64 key(const QString& code) {
        return scalar("select ProductIndex from Product where ProductSerial=" + QuotedSql(code))
            .toLongLong();
    }
    // "code kind quantity price amount date" of every adjusting movement, by code.
    QStringList adjustments() {
        QStringList rows = column(AdjustmentsStatement);
        for (QString& row : rows)
            row.replace(".0 ", " "); // the server keeps no ".0" on a whole real
        return rows;
    }
    int movements() { return scalar("select count(*) from Store").toInt(); }
};

// "A1=9;C1=5" as counts of the database's products.
std::vector<StockCount> countsOf(Database& db, const QString& text) {
    std::vector<StockCount> counts;
    for (const QString& item : text.split(';', Qt::SkipEmptyParts)) {
        const QString code = item.section('=', 0, 0);
        counts.push_back({db.key(code), code, item.section('=', 1).toDouble()});
    }
    return counts;
}

QString written(const QString& folder, const QByteArray& content) {
    const QString path = folder + "/counts.csv";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestStocktaking : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { UseChineseLocale(); }
    void init() {
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
    }

    void recordsAdjustments_data() {
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QStringList>("expected");
        const QString day = " 0 0 2024-03-31 00:00:00";
        QTest::newRow("surplus: stock in") << "A1=9" << QStringList{"A1 in 2" + day};
        QTest::newRow("shortage: stock out") << "A1=4.5" << QStringList{"A1 out 2.5" + day};
        QTest::newRow("nothing left: all out") << "A1=0" << QStringList{"A1 out 7" + day};
        QTest::newRow("unchanged") << "A1=7;B1=0" << QStringList{};
        QTest::newRow("unchanged at two decimals") << "A2=3.01" << QStringList{};
        QTest::newRow("a count of more decimals, rounded") << "A2=3.014" << QStringList{};
        QTest::newRow("a cent more") << "A2=3.02" << QStringList{"A2 in 0.01" + day};
        QTest::newRow("never moved") << "C1=5" << QStringList{"C1 in 5" + day};
        QTest::newRow("several") << "A1=9;B1=0;C1=1;A2=1"
                                 << QStringList{"A1 in 2" + day, "A2 out 2.01" + day,
                                                "C1 in 1" + day};
    }
    // Every adjustment is one movement on the cut-off day, price and amount 0; afterwards the
    // balance at the cut-off shows the counts, and the later movements stay as they were.
    void recordsAdjustments() {
        QFETCH(QString, counts);
        QFETCH(QStringList, expected);
        Database db;
        const int before = db.movements();
        const std::vector<StockCount> given = countsOf(db, counts);
        const std::vector<StockAdjustment> recorded =
            RecordStocktaking(db.dm().ADOConnection1, Cutoff, given);
        QCOMPARE(int(recorded.size()), expected.size());
        QCOMPARE(db.adjustments(), expected);
        QCOMPARE(db.movements(), before + expected.size());
        for (const StockCount& count : given) {
            const QString onHand = db.scalar(
                BalanceStatement(Cutoff, " and ProductIndex=" + QString::number(count.product))
                    .replace("Product.*,t2.*,", ""));
            QCOMPARE(QString::number(onHand.toDouble(), 'f', 2),
                     QString::number(count.counted, 'f', 2));
        }
        QCOMPARE(db.scalar("select Sum(StoreNumber) from Store where StoreRecordDate>'2024-04-01'")
                     .toDouble(),
                 100.0);
    }

    void parsesCounts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value"); // -1: refused
        QTest::newRow("whole") << " 12 " << 12.0;
        QTest::newRow("decimal point") << "2.5" << 2.5;
        QTest::newRow("thousands separator") << "1,200.5" << 1200.5;
        QTest::newRow("rounded to cents") << "0.005" << 0.01;
        QTest::newRow("zero") << "0" << 0.0;
        QTest::newRow("letters") << "十二" << -1.0;
        QTest::newRow("number and text") << "12个" << -1.0;
        QTest::newRow("negative") << "-3" << -1.0;
        QTest::newRow("infinite") << "inf" << -1.0;
        QTest::newRow("empty") << "  " << -1.0;
    }
    void parsesCounts() {
        QFETCH(QString, text);
        QFETCH(double, value);
        const std::optional<double> parsed = ParseCount(text);
        QCOMPARE(parsed.value_or(-1), value);
    }

    // A write that fails part way (the engine refuses the second movement) records nothing.
    void failingWriteRecordsNothing() {
        Database db;
        const int before = db.movements();
        db.refuseWrites("RefuseCounted", "Store",
                        "new.StoreProduct=" + QString::number(db.key("C1")), "磁盘已满");
        QVERIFY_THROWS_EXCEPTION(DataError, RecordStocktaking(db.dm().ADOConnection1, Cutoff,
                                                              countsOf(db, "A1=9;C1=1")));
        db.allowWrites("RefuseCounted");
        QCOMPARE(db.movements(), before);
        QCOMPARE(db.adjustments(), QStringList());
    }

    // A product named twice, or deleted by another user, is refused before anything is written.
    void refusesCountsItCannotPlace() {
        Database db;
        const int before = db.movements();
        QVERIFY_THROWS_EXCEPTION(DataError, RecordStocktaking(db.dm().ADOConnection1, Cutoff,
                                                              countsOf(db, "A1=9;A1=8")));
        std::vector<StockCount> counts = countsOf(db, "A1=9;C1=4");
        db.exec("delete from Product where ProductSerial='C1'");
        try {
            RecordStocktaking(db.dm().ADOConnection1, Cutoff, counts);
            QFAIL("a deleted product was counted");
        } catch (const DataError& error) {
            QVERIFY2(error.message().contains("C1"), qPrintable(error.message()));
        }
        QCOMPARE(db.movements(), before);
    }

    // The dialog lists the balance page's list at its cut-off with empty counts; OK records the
    // counts typed (rows left empty untouched), says how many, and the balance shows the counts.
    void dialogRecordsTheCountsTyped() {
        TestWindow w(Fixture);
        TMainForm& f = *w.form;
        InstallReportTemplates(w.db.dir().path());
        f.DateTimePicker7->setDate(Cutoff);
        f.TntComboBox7->setEditText("螺丝");
        f.AdvGlowButton13Click();
        bool checked = false;
        QTimer::singleShot(0, &f, [&] {
            auto* dialog = f.findChild<TStocktakingfrm*>("Stocktakingfrm");
            QVERIFY(dialog && dialog->isVisible());
            // A failed check ends the lambda: the dialog is closed, so that the test goes on.
            const auto closeAnyway = qScopeGuard([dialog] {
                if (dialog->isVisible())
                    dialog->reject();
            });
            StockCountModel& model = *dialog->counts();
            QAbstractItemModelTester tester(&model);
            QCOMPARE(model.rowCount(), 2);
            QStringList rows;
            for (int row = 0; row < model.rowCount(); ++row) {
                QStringList cells;
                for (int column = 0; column < model.columnCount(); ++column)
                    cells << model.index(row, column).data().toString();
                rows << cells.join('|');
            }
            rows.sort();
            QCOMPARE(rows, QStringList({"A1|螺丝|M3|个|7.00|", "A2|螺丝|M4|个|3.01|"}));
            QCOMPARE(model.headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), "实盘数量");
            QVERIFY(model.flags(model.index(0, 5)) & Qt::ItemIsEditable);
            QVERIFY(!(model.flags(model.index(0, 4)) & Qt::ItemIsEditable));
            // The count sheet, through the report engine: the list, its empty column.
            dialog->btnPrintSheet->click();
            auto* preview = dialog->findChild<ReportPreview*>();
            QVERIFY(preview);
            QStringList printed;
            for (const PreparedText& text : preview->pageView()->report().Page(0).texts)
                printed << text.text;
            QVERIFY(printed.contains("盘点表（截止日期 2024-03-31）"));
            QVERIFY(printed.contains("实盘数量"));
            QVERIFY(printed.contains("共 2 条"));
            QCOMPARE(printed.count("3.01"), 1);
            preview->close();
            for (int row = 0; row < model.rowCount(); ++row)
                if (model.index(row, 0).data().toString() == "A1")
                    QVERIFY(model.setData(model.index(row, 5), " 5 ", Qt::EditRole));
            dialog->btnOK->click();
            checked = true;
        });
        f.StocktakeButton->click();
        QVERIFY(checked);
        QCOMPARE(ShownMessageTexts(),
                 QStringList{"盘点完成：盘点 1 种商品，记录了 1 条盘点调整。"});
        QCOMPARE(w.db.column(AdjustmentsStatement).size(), 1);
        QVERIFY(w.db.column(AdjustmentsStatement).first().startsWith("A1 out 2"));
        // The page lists again with its filter; A1 now shows the count.
        const Query& balance = *f.DBGridEh3->dataSet();
        QCOMPARE(balance.RecordCount(), 2);
        for (int row = 0; row < balance.RecordCount(); ++row)
            if (balance.TextAt(row, balance.FieldIndex("ProductSerial")) == "A1")
                QCOMPARE(balance.FloatAt(row, balance.FieldIndex("StoreBalanceNumber")), 5.0);
        QVERIFY(f.findChild<TStocktakingfrm*>() == nullptr);
    }

    // With "只看低于下限" checked the dialog counts what the page lists: the products below their
    // minimum (A2, 3.01 of 5), not those at or above it (A1, 7 of 7).
    void dialogListsWhatThePageWouldList() {
        TestWindow w(Fixture);
        TMainForm& f = *w.form;
        w.db.exec("update Product set ProductMinimum=5 where ProductSerial='A2'");
        w.db.exec("update Product set ProductMinimum=7 where ProductSerial='A1'");
        f.DateTimePicker7->setDate(Cutoff);
        f.TntComboBox7->setEditText("螺丝");
        f.BelowMinimumCheck->setChecked(true);
        QStringList listed;
        QTimer::singleShot(0, &f, [&] {
            auto* dialog = f.findChild<TStocktakingfrm*>("Stocktakingfrm");
            if (!dialog)
                return;
            const StockCountModel& model = *dialog->counts();
            for (int row = 0; row < model.rowCount(); ++row)
                listed << model.index(row, 0).data().toString();
            dialog->reject();
        });
        f.StocktakeButton->click();
        QCOMPARE(listed, QStringList{"A2"});
    }

    void dialogRefusesWhatItCannotRecord_data() {
        QTest::addColumn<QString>("secondCount");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a number")
            << "12个"
            << "第 2 行（商品编号 "
               "A2，螺丝）的实盘数量“12个”不是数字，请改正后再按“确定”。盘点没有记录。";
        QTest::newRow("negative")
            << "-1"
            << "第 2 行（商品编号 "
               "A2，螺丝）的实盘数量“-1”不是数字，请改正后再按“确定”。盘点没有记录。";
        QTest::newRow("nothing typed")
            << ""
            << "没有填入任何实盘数量：请在“实盘数量”一栏填入清点的数量。";
    }
    // Nothing is recorded, the dialog stays open with what was typed.
    void dialogRefusesWhatItCannotRecord() {
        QFETCH(QString, secondCount);
        QFETCH(QString, message);
        Database db;
        TStocktakingfrm dialog(db.dm());
        dialog.ShowSheet(Cutoff, " and ProductName='螺丝'");
        StockCountModel& model = *dialog.counts();
        QCOMPARE(model.index(1, 0).data().toString(), "A2");
        if (!secondCount.isEmpty())
            model.setCountText(0, "9");
        model.setCountText(1, secondCount);
        const int before = db.movements();
        dialog.open();
        dialog.btnOK->click();
        QCOMPARE(ShownMessageTexts(), QStringList{message});
        QCOMPARE(db.movements(), before);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(model.countText(1), secondCount);
    }

    // Counts are typed from the keyboard: a count ended with Enter goes on to the next row, and
    // a count still being typed when "确定" is pressed counts too.
    void countsTypedFromTheKeyboard() {
        Database db;
        TStocktakingfrm dialog(db.dm());
        dialog.ShowSheet(Cutoff, " and ProductName='螺丝'");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTableView* view = dialog.grdCounts;
        view->setFocus();
        QCOMPARE(view->currentIndex().row(), 0);
        QTest::keyClicks(view, "9");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::qWait(1); // the cell editor ends after the key
        QCOMPARE(dialog.counts()->countText(0), "9");
        QCOMPARE(view->currentIndex().row(), 1);
        // The next row's count is open for typing at once.
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor && view->viewport()->isAncestorOf(editor));
        QTest::keyClicks(editor, "2");
        // For a person to look at: VARNHOLT_GRAB_DIR=/some/folder.
        const QString folder = qEnvironmentVariable("VARNHOLT_GRAB_DIR");
        if (!folder.isEmpty())
            dialog.grab().save(QDir(folder).filePath("stocktaking.png"));
        dialog.btnOK->click();
        QCOMPARE(db.adjustments(), QStringList({"A1 in 2 0 0 2024-03-31 00:00:00",
                                                "A2 out 1.01 0 0 2024-03-31 00:00:00"}));
    }

    // A movement another counter records after the dialog listed the products is counted in:
    // the adjustment takes the book to the count as it stands when it is recorded.
    void anotherCounterInBetween() {
        Database db;
        TStocktakingfrm dialog(db.dm());
        dialog.ShowSheet(Cutoff, " and ProductName='螺丝'");
        AttachedDatabase other(db.dir().databasePath());
        other.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
                   "StoreRecordDate,StoreRemark) values (1,1,2,2,4,'2024-03-20 00:00:00','')");
        StockCountModel& model = *dialog.counts();
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.index(row, 0).data().toString() == "A1")
                model.setCountText(row, "7");
        dialog.btnOK->click();
        QCOMPARE(db.adjustments(), QStringList{"A1 in 2 0 0 2024-03-31 00:00:00"});
    }

    // The count sheet printed by the tool (the same list and report as the dialog's): the
    // heading, the products with their quantities, and the empty column.
    void printsTheCountSheet() {
        Database db;
        InstallReportTemplates(db.dir().path());
        const QString pdf = db.dir().path() + "sheet.pdf";
        const ToolRun run = RunTool(
            {"print", pdf, "countsheet", db.dir().databasePath(), "2024-03-31", "--name", "螺丝"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.error));
        const QString text = PdfText(pdf);
        for (const char* expected :
             {"盘点表（截止日期 2024-03-31）", "实盘数量", "当前库存", "A1", "7.00", "A2", "3.01"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(!text.contains("B1"));
    }

    // A spreadsheet's CSV file: a byte-order mark, a header line, Windows line ends, a quoted
    // field, a blank line and a line with an empty count.
    void toolRecordsAFileOfCounts() {
        Database db;
        const QString csv =
            written(db.dir().path(), "\xEF\xBB\xBF商品编号,实盘数量\r\nA1,9\r\n\r\n\"B1\",\"0\"\r\n"
                                     "A2,\r\nC1,1,,\r\n");
        const ToolRun run = RunTool({"stocktake", db.dir().databasePath(), "2024-03-31", csv});
        QVERIFY2(run.exitCode == 0, qPrintable(run.error));
        QCOMPARE(run.out.split('\n', Qt::SkipEmptyParts),
                 QStringList({"商品编号\t商品名称\t商品型号\t单位\t当前库存\t实盘数量\t调整",
                              "A1\t螺丝\tM3\t个\t7.00\t9.00\t入库 2.00",
                              "C1\t垫圈\tM3\t只\t0.00\t1.00\t入库 1.00",
                              "盘点 3 种商品，记录了 2 条盘点调整（日期 2024-03-31）。"}));
        QCOMPARE(db.adjustments(), QStringList({"A1 in 2 0 0 2024-03-31 00:00:00",
                                                "C1 in 1 0 0 2024-03-31 00:00:00"}));
    }

    void toolRefusesABadFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown code")
            << QByteArray("A1,9\nZZ,1\n") << "盘点文件第 2 行：没有商品编号为“ZZ”的商品。";
        QTest::newRow("not a number") << QByteArray("code,counted\nA1,9\nC1,one\n")
                                      << "盘点文件第 3 行：实盘数量“one”不是数字";
        QTest::newRow("counted twice")
            << QByteArray("A1,9\nC1,1\nA1,8\n") << "盘点文件第 3 行：商品“A1”在第 1 行已经盘点过";
        QTest::newRow("more fields")
            << QByteArray("A1,9,螺丝\n") << "盘点文件第 1 行：每行应为“商品编号,实盘数量”两项";
        QTest::newRow("not UTF-8")
            << QByteArray("A1,9\n\xC2\xDD\xCB\xBF,1\n") << "盘点文件第 2 行：不是 UTF-8 编码的文字";
    }
    void toolRefusesABadFile() {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        Database db;
        const int before = db.movements();
        const ToolRun run = RunTool({"stocktake", db.dir().databasePath(), "2024-03-31",
                                     written(db.dir().path(), content)});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.error.contains(error), qPrintable(run.error));
        QVERIFY(run.error.contains("盘点没有记录"));
        QCOMPARE(db.movements(), before);
    }
};

QTEST_MAIN(TestStocktaking)
#include "test_stocktaking.moc"
