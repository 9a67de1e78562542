// The period summary page: its rows for periods and filters, the opening + received - shipped =
// closing identity on rows and footers, colours, and a from-date after the to-date.
#include "TestSupport.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataGridModel.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GlowButton.h"
#include "widgets/MessageBoxes.h"
#include "widgets/OfficePager.h"
#include "widgets/ShadedPanel.h"

#include <QtTest>
#include <cmath>

namespace {

// A1 moves before, at the first moment of, during, late on the last day of, and after March;
// A2 only before it (three quantities that round to 3.01 only when summed first); B1 only in
// March, shipping more than it received (amounts of 0.1 and 0.2 among them); C1 only after
// March; D1 once, shipping on New Year's day; E1 never.
const QStringList Fixture = {
    "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
    "('A1','螺丝','M3','个'),('A2','螺丝','M4','个'),('B1','O''Brien','X','只'),"
    "('C1','垫圈','M3','只'),('D1','扳手','L','把'),('E1','螺母','M3','个')",
    "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,StoreRecordDate) "
    "values (1,0,10,2,20,'2024-02-10 00:00:00'),(1,1,3,5,15,'2024-02-29 23:59:59'),"
    "(1,0,4,2,8,'2024-03-01 00:00:00'),(1,1,2.5,4,10,'2024-03-31 18:30:00'),"
    "(1,0,100,1,100,'2024-04-01 00:00:00'),(2,0,1.004,1,1.004,'2024-01-05 00:00:00'),"
    "(2,0,1.004,1,1.004,'2024-01-06 00:00:00'),(2,0,1.004,1,1.004,'2024-01-07 00:00:00'),"
    "(3,0,5,1.5,7.5,'2024-03-10 09:00:00'),(3,0,0.1,1,0.1,'2024-03-11 00:00:00'),"
    "(3,0,0.2,1,0.2,'2024-03-12 00:00:00'),(3,1,7,2,14,'2024-03-20 00:00:00'),"
    "(4,0,1,3,3,'2024-04-02 00:00:00'),(5,1,1,1,1,'2024-01-01 00:00:00')",
};

const char* const Figures[] = {"StoreBeginNumber", "StorePeriodInNumber", "StorePeriodOutNumber",
                               "StoreEndNumber",   "StorePeriodInSum",    "StorePeriodOutSum"};

// Every row as "code opening received shipped closing amount-in amount-out", sorted.
QStringList summaryRows(Query& q) {
    QStringList rows;
    for (q.First(); !q.Eof(); q.Next()) {
        QString row = q.AsString("ProductSerial");
        for (const char* field : Figures)
            row += ' ' + QString::number(q.AsFloat(field));
        rows << row;
    }
    rows.sort();
    return rows;
}

// A footer's number as the grid shows it ("1,234.50", "-.50", "￥ 15.80").
double footerNumber(const QString& text) {
    QString digits = text;
    digits.remove(QStringLiteral("￥")).remove(',').remove(' ');
    bool ok = false;
    const double value = digits.toDouble(&ok);
    if (!ok)
        qWarning() << "not a number:" << text;
    return ok ? value : std::nan("");
}

// The two-decimal text of a quantity, as the grid shows it.
QString twoDecimals(double value) {
    return QString::number(value, 'f', 2);
}

struct Window : TestWindow {
    Window() : TestWindow(Fixture) {}
    void list(const QDate& from, const QDate& to, const QString& name = "所有",
              const QString& model = "所有") {
        form->DateTimePicker8->setDate(from);
        form->DateTimePicker9->setDate(to);
        form->TntComboBox9->setCurrentText(name);
        form->TntComboBox10->setCurrentText(model);
        form->AdvGlowButton20->click();
    }
};

} // namespace

class TestSummary : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
    }

    // The fourth tab, after the balance, for every user; this month and every product at first.
    void pageStartsWithThisMonth() {
        Window w;
        TMainForm& f = *w.form;
        QCOMPARE(f.AdvOfficePager1->page(3), f.AdvOfficePage5);
        QVERIFY(f.AdvOfficePager1->isTabVisible(3));
        const QDate today = QDate::currentDate();
        QCOMPARE(f.DateTimePicker8->date(), QDate(today.year(), today.month(), 1));
        QCOMPARE(f.DateTimePicker9->date(),
                 QDate(today.year(), today.month(), today.daysInMonth()));
        QCOMPARE(f.TntComboBox9->currentText(), "所有");
        QCOMPARE(f.TntComboBox10->currentText(), "所有");
        QVERIFY(f.ADOQuerySummary.Active());
        // Every product has moved before this month: each is listed with its stock as opening.
        QCOMPARE(f.ADOQuerySummary.RecordCount(), 5);
        QCOMPARE(f.DBGridEh5->footerText(0), "共 5 条");
        QStringList titles;
        for (int i = 0; i < f.DBGridEh5->columnCount(); ++i)
            titles << f.DBGridEh5->model()->headerData(i, Qt::Horizontal).toString();
        QCOMPARE(titles, QStringList({"商品编号", "商品名称", "商品型号", "单位", "期初库存",
                                      "本期入库", "本期出库", "期末库存", "入库金额", "出库金额"}));
    }

    void summary_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("rows");
        const QString all = "所有";
        const QStringList march{"A1 7 4 2.5 8.5 8 10", "A2 3.01 0 0 3.01 0 0",
                                "B1 0 5.3 7 -1.7 7.8 14", "D1 -1 0 0 -1 0 0"};
        QTest::newRow("March: both boundaries, the last day's evening, nothing after")
            << QDate(2024, 3, 1) << QDate(2024, 3, 31) << all << all << march;
        QTest::newRow("a day earlier leaves out the last day's evening")
            << QDate(2024, 3, 1) << QDate(2024, 3, 30) << all << all
            << QStringList{"A1 7 4 0 11 8 0", "A2 3.01 0 0 3.01 0 0", "B1 0 5.3 7 -1.7 7.8 14",
                           "D1 -1 0 0 -1 0 0"};
        QTest::newRow("the last day alone")
            << QDate(2024, 3, 31) << QDate(2024, 3, 31) << all << all
            << QStringList{"A1 11 0 2.5 8.5 0 10", "A2 3.01 0 0 3.01 0 0", "B1 -1.7 0 0 -1.7 0 0",
                           "D1 -1 0 0 -1 0 0"};
        QTest::newRow("the first day alone: no product that moves only later")
            << QDate(2024, 3, 1) << QDate(2024, 3, 1) << all << all
            << QStringList{"A1 7 4 0 11 8 0", "A2 3.01 0 0 3.01 0 0", "D1 -1 0 0 -1 0 0"};
        QTest::newRow("January: summed first, rounded once")
            << QDate(2024, 1, 1) << QDate(2024, 1, 31) << all << all
            << QStringList{"A2 0 3.01 0 3.01 3.01 0", "D1 0 0 1 -1 0 1"};
        QTest::newRow("April: a product new in the period")
            << QDate(2024, 4, 1) << QDate(2024, 4, 30) << all << all
            << QStringList{"A1 8.5 100 0 108.5 100 0", "A2 3.01 0 0 3.01 0 0",
                           "B1 -1.7 0 0 -1.7 0 0", "C1 0 1 0 1 3 0", "D1 -1 0 0 -1 0 0"};
        QTest::newRow("before any movement")
            << QDate(2023, 12, 1) << QDate(2023, 12, 31) << all << all << QStringList{};
        QTest::newRow("name") << QDate(2024, 3, 1) << QDate(2024, 3, 31) << "螺丝" << all
                              << march.mid(0, 2);
        QTest::newRow("name and model") << QDate(2024, 3, 1) << QDate(2024, 3, 31) << "螺丝"
                                        << "M4" << march.mid(1, 1);
        QTest::newRow("quote in the name")
            << QDate(2024, 3, 1) << QDate(2024, 3, 31) << "O'Brien" << all << march.mid(2, 1);
        QTest::newRow("name of a product that never moved")
            << QDate(2024, 3, 1) << QDate(2024, 3, 31) << "螺母" << all << QStringList{};
    }
    void summary() {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, name);
        QFETCH(QString, model);
        QFETCH(QStringList, rows);
        Window w;
        w.list(from, to, name, model);
        QCOMPARE(MessageBoxes::shown().size(), 0);
        QCOMPARE(summaryRows(w.form->ADOQuerySummary), rows);
        QCOMPARE(w.form->DBGridEh5->footerText(0), QString("共 %1 条").arg(rows.size()));
    }

    // Opening + received - shipped = closing, on every row as shown and on the footers' sums.
    void closingIsOpeningPlusReceivedLessShipped() {
        Window w;
        // Quantities whose binary sums are not their decimal ones (0.1 + 0.2 and the like), and
        // E1's -2.675 (shown -2.68) and 1.004 (shown 1.00): its closing is -1.68 as shown, where
        // rounding its whole total would give -1.67.
        w.db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
                  "StoreRecordDate) values (5,0,0.1,1,0.1,'2024-02-01 00:00:00'),"
                  "(5,0,0.2,1,0.2,'2024-02-02 00:00:00'),(5,1,0.7,1,0.7,'2024-03-03 00:00:00'),"
                  "(5,0,1.1,1,1.1,'2024-03-04 00:00:00'),(6,1,2.675,1,2.675,'2024-02-05 10:00:00'),"
                  "(6,0,1.004,1,1.004,'2024-03-06 00:00:00')");
        w.list(QDate(2024, 3, 1), QDate(2024, 3, 31));
        Query& q = w.form->ADOQuerySummary;
        QCOMPARE(q.RecordCount(), 5);
        for (q.First(); !q.Eof(); q.Next())
            QCOMPARE(twoDecimals(q.AsFloat("StoreBeginNumber") + q.AsFloat("StorePeriodInNumber") -
                                 q.AsFloat("StorePeriodOutNumber")),
                     twoDecimals(q.AsFloat("StoreEndNumber")));
        DataGrid* grid = w.form->DBGridEh5;
        const QStringList footers{grid->footerText(4), grid->footerText(5), grid->footerText(6),
                                  grid->footerText(7), grid->footerText(8), grid->footerText(9)};
        QCOMPARE(footers, QStringList({"6.63", "11.40", "10.20", "7.83", "￥ 17.90", "￥ 24.70"}));
        QCOMPARE(twoDecimals(footerNumber(footers[0]) + footerNumber(footers[1]) -
                             footerNumber(footers[2])),
                 twoDecimals(footerNumber(footers[3])));
    }

    void openingAndClosingColourFollowTheSign() {
        Window w;
        TMainForm& f = *w.form;
        w.list(QDate(2024, 3, 1), QDate(2024, 3, 31));
        const Query& q = f.ADOQuerySummary;
        int negative = 0;
        for (const GridColumn& column : f.DBGridEh5->columns()) {
            const bool onHand =
                column.FieldName == "StoreBeginNumber" || column.FieldName == "StoreEndNumber";
            const int field = q.FieldIndex(column.FieldName);
            for (int row = 0; row < q.RecordCount(); ++row) {
                QColor colour = Qt::black;
                f.DBGridEh5GetCellParams(f.DBGridEh5, column, row, colour);
                if (!onHand) {
                    QCOMPARE(colour, QColor(Qt::black));
                    continue;
                }
                const bool below = q.FloatAt(row, field) < 0;
                negative += below;
                QCOMPARE(colour, below ? QColor(Qt::red) : QColor(Qt::blue));
            }
        }
        QCOMPARE(negative, 3); // B1's closing, D1's opening and closing
        // For a person to look at: VARNHOLT_GRAB_DIR=/some/folder.
        const QString folder = qEnvironmentVariable("VARNHOLT_GRAB_DIR");
        if (!folder.isEmpty()) {
            f.show();
            f.AdvOfficePager1->setCurrentIndex(3);
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            f.grab().save(QDir(folder).filePath("summary.png"));
        }
    }

    // A from-date after the to-date is a message; the list shown stays as it was.
    void fromAfterToIsRefused() {
        Window w;
        TMainForm& f = *w.form;
        w.list(QDate(2024, 3, 1), QDate(2024, 3, 31));
        const QString statement = f.ADOQuerySummary.SQL().value(0);
        w.list(QDate(2024, 4, 1), QDate(2024, 3, 31));
        const auto shown = MessageBoxes::shown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().text.contains("起始日期（2024-04-01）晚于截止日期（2024-03-31）"),
                 qPrintable(shown.first().text));
        QCOMPARE(shown.first().caption, "警告");
        QCOMPARE(f.ADOQuerySummary.SQL().value(0), statement);
        QCOMPARE(f.ADOQuerySummary.RecordCount(), 4);
        QCOMPARE(f.DBGridEh5->footerText(0), "共 4 条");
    }
};

QTEST_MAIN(TestSummary)
#include "test_summary.moc"
