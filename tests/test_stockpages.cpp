// The stock-in, stock-out and balance pages: initialisation, filters, balances and colours.
#include "TestSupport.h"
#include "lists/Colors.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataGridModel.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GlowButton.h"
#include "widgets/MessageBoxes.h"
#include "widgets/OfficePager.h"
#include "widgets/ScreenColors.h"

#include <QCheckBox>
#include <QTableView>
#include <QtTest>
#include <memory>

namespace {

// Products: two models of 螺丝, a name holding a quote, one never moved, one with empty texts.
const QStringList Fixture = {
    "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
    "('A1','螺丝','M3','个'),('A2','螺丝','M4','个'),('B1','O''Brien','X','只'),"
    "('C1','垫圈','M3','只'),('D1','','','')",
    "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,StoreRecordDate) "
    "values (1,0,1.004,2,2.008,'2024-03-01 00:00:00'),(1,0,1.004,2,2.008,'2024-03-15 00:00:00'),"
    "(1,0,1.004,2,2.008,'2024-03-31 00:00:00'),(2,0,10,1,10,'2024-04-01 00:00:00'),"
    "(3,0,5,1,5,'2024-02-29 00:00:00'),(5,0,1,1,1,'2024-03-05 00:00:00'),"
    "(2,1,12,1,12,'2024-03-20 00:00:00'),(3,1,5,1,5,'2024-03-10 00:00:00')",
};

QStringList column(DataGrid* grid, const QString& field) {
    QStringList values;
    const Query& query = *grid->dataSet();
    const int index = query.FieldIndex(field);
    for (int row = 0; row < query.RecordCount(); ++row)
        values << query.TextAt(row, index);
    values.sort();
    return values;
}

struct Window : TestWindow {
    explicit Window(const QStringList& more = {}) : TestWindow(Fixture + more) {}
};

// Minimums over the fixture, and C1 moved to 0.3 - 0.1, a balance that the engine holds as
// 0.19999999999999998 and the grid shows as .20. As of 2024-03-31: A1 3.01 (minimum 3.01),
// A2 -12 (0), B1 0 (none), C1 .20 (.20), D1 1 (1.5).
const QStringList Minimums = {
    "update Product set ProductMinimum=3.01 where ProductSerial='A1'",
    "update Product set ProductMinimum=0 where ProductSerial='A2'",
    "update Product set ProductMinimum=0.2 where ProductSerial='C1'",
    "update Product set ProductMinimum=1.5 where ProductSerial='D1'",
    "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,StoreRecordDate) "
    "values (4,0,0.3,1,0.3,'2024-03-02 00:00:00'),(4,1,0.1,1,0.1,'2024-03-03 00:00:00')",
};

// The codes of the listed rows, in the grid's order.
QStringList listedSerials(const Query& query) {
    QStringList serials;
    const int field = query.FieldIndex("ProductSerial");
    for (int row = 0; row < query.RecordCount(); ++row)
        serials << query.TextAt(row, field);
    return serials;
}

} // namespace

class TestStockPages : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
    }

    void pagesStartUnfiltered() {
        Window w;
        TMainForm& f = *w.form;
        const QDate today = QDate::currentDate();
        QCOMPARE(f.DateTimePicker2->date(), QDate(today.year(), today.month(), 1));
        QCOMPARE(f.DateTimePicker3->date(),
                 QDate(today.year(), today.month(), today.daysInMonth()));
        QCOMPARE(f.DateTimePicker7->date(), today);
        for (QComboBox* name : {f.TntComboBox5, f.TntComboBox1, f.TntComboBox7}) {
            QCOMPARE(name->currentText(), "所有");
            QCOMPARE(name->count(), 5); // 所有 and four distinct names
        }
        QCOMPARE(f.TntComboBox6->currentText(), "所有");
        QCOMPARE(f.TntComboBox6->count(), 5); // 所有, M3, M4, X and the empty model
        // Every movement of each kind, whatever the pickers show.
        QCOMPARE(column(f.DBGridEh1, "ProductSerial"),
                 QStringList({"A1", "A1", "A1", "A2", "B1", "D1"}));
        QCOMPARE(column(f.DBGridEh2, "ProductSerial"), QStringList({"A2", "B1"}));
        QCOMPARE(f.DBGridEh1->footerText(0), "共 6 条");
        QCOMPARE(f.DBGridEh1->footerText(4), "19.01");
        QCOMPARE(f.DBGridEh1->footerText(6), "￥ 22.02");
        QCOMPARE(f.DBGridEh2->footerText(0), "共 2 条");
        QCOMPARE(f.DBGridEh3->footerText(0), "共 4 条");
    }

    void movementFilters_data() {
        QTest::addColumn<bool>("stockIn");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("serials");
        const QDate mar1(2024, 3, 1), mar31(2024, 3, 31), wide(2030, 1, 1), early(2000, 1, 1);
        QTest::newRow("month, both ends") << true << mar1 << mar31 << "所有"
                                          << "所有" << QStringList{"A1", "A1", "A1", "D1"};
        QTest::newRow("inner days") << true << QDate(2024, 3, 2) << QDate(2024, 3, 30) << "所有"
                                    << "所有" << QStringList{"A1", "D1"};
        QTest::newRow("single day") << true << mar31 << mar31 << "所有"
                                    << "所有" << QStringList{"A1"};
        QTest::newRow("name") << true << early << wide << "螺丝"
                              << "所有" << QStringList{"A1", "A1", "A1", "A2"};
        QTest::newRow("name and model") << true << early << wide << "螺丝"
                                        << "M4" << QStringList{"A2"};
        QTest::newRow("model alone") << true << early << wide << "所有"
                                     << "M3" << QStringList{"A1", "A1", "A1"};
        QTest::newRow("quote in name") << true << early << wide << "O'Brien"
                                       << "所有" << QStringList{"B1"};
        QTest::newRow("empty name is a condition") << true << early << wide << ""
                                                   << "所有" << QStringList{"D1"};
        QTest::newRow("typed name not listed") << true << early << wide << "不存在"
                                               << "所有" << QStringList{};
        QTest::newRow("stock out") << false << mar1 << mar31 << "所有"
                                   << "所有" << QStringList{"A2", "B1"};
        QTest::newRow("stock out by name") << false << early << wide << "螺丝"
                                           << "所有" << QStringList{"A2"};
    }
    void movementFilters() {
        QFETCH(bool, stockIn);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, name);
        QFETCH(QString, model);
        QFETCH(QStringList, serials);
        Window w;
        TMainForm& f = *w.form;
        (stockIn ? f.DateTimePicker2 : f.DateTimePicker1)->setDate(from);
        (stockIn ? f.DateTimePicker3 : f.DateTimePicker4)->setDate(to);
        (stockIn ? f.TntComboBox5 : f.TntComboBox1)->setCurrentText(name);
        (stockIn ? f.TntComboBox6 : f.TntComboBox2)->setCurrentText(model);
        (stockIn ? f.AdvGlowButton4 : f.AdvGlowButton5)->click();
        DataGrid* grid = stockIn ? f.DBGridEh1 : f.DBGridEh2;
        QCOMPARE(column(grid, "ProductSerial"), serials);
        QCOMPARE(grid->footerText(0), QString("共 %1 条").arg(serials.size()));
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    void modelListFollowsTheName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("models");
        QTest::newRow("all") << "所有" << QStringList{"", "M3", "M4", "X", "所有"};
        QTest::newRow("one name") << "螺丝" << QStringList{"M3", "M4", "所有"};
        QTest::newRow("quote") << "O'Brien" << QStringList{"X", "所有"};
        QTest::newRow("unknown") << "不存在" << QStringList{"所有"};
    }
    void modelListFollowsTheName() {
        QFETCH(QString, name);
        QFETCH(QStringList, models);
        Window w;
        TMainForm& f = *w.form;
        const QList<std::tuple<QComboBox*, DropDownComboBox*>> pages = {
            {f.TntComboBox5, f.TntComboBox6},
            {f.TntComboBox1, f.TntComboBox2},
            {f.TntComboBox7, f.TntComboBox8}};
        for (const auto& [nameBox, modelBox] : pages) {
            nameBox->setCurrentText(name);
            modelBox->setCurrentText("M3");
            emit modelBox->dropDown();
            QStringList items;
            for (int i = 0; i < modelBox->count(); ++i)
                items << modelBox->itemText(i);
            QCOMPARE(modelBox->currentText(), "所有");
            QCOMPARE(items.first(), "所有");
            items.sort();
            QCOMPARE(items, models);
        }
    }

    void balance_data() {
        QTest::addColumn<QDate>("cutoff");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("model");
        // serial: in / out / balance, by serial
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("before the first movement") << QDate(2024, 2, 28) << "所有"
                                                   << "所有" << QStringList{};
        QTest::newRow("cut-off day counts") << QDate(2024, 2, 29) << "所有"
                                            << "所有" << QStringList{"B1 5 0 5"};
        // 3 × 1.004 = 3.012 gives 3.01; rounding each first would give 3.00.
        QTest::newRow("end of March")
            << QDate(2024, 3, 31) << "所有"
            << "所有" << QStringList{"A1 3.01 0 3.01", "A2 0 12 -12", "B1 5 5 0", "D1 1 0 1"};
        QTest::newRow("next day not counted")
            << QDate(2024, 3, 30) << "所有"
            << "所有" << QStringList{"A1 2.01 0 2.01", "A2 0 12 -12", "B1 5 5 0", "D1 1 0 1"};
        QTest::newRow("name") << QDate(2024, 4, 1) << "螺丝"
                              << "所有" << QStringList{"A1 3.01 0 3.01", "A2 10 12 -2"};
        QTest::newRow("name and model") << QDate(2024, 4, 1) << "螺丝"
                                        << "M4" << QStringList{"A2 10 12 -2"};
        QTest::newRow("quote") << QDate(2024, 4, 1) << "O'Brien"
                               << "所有" << QStringList{"B1 5 5 0"};
        QTest::newRow("empty name") << QDate(2024, 4, 1) << ""
                                    << "所有" << QStringList{"D1 1 0 1"};
    }
    void balance() {
        QFETCH(QDate, cutoff);
        QFETCH(QString, name);
        QFETCH(QString, model);
        QFETCH(QStringList, rows);
        Window w;
        TMainForm& f = *w.form;
        f.DateTimePicker7->setDate(cutoff);
        f.TntComboBox7->setCurrentText(name);
        f.TntComboBox8->setCurrentText(model);
        f.AdvGlowButton13->click();
        Query& q = f.ADOQueryStore;
        QStringList actual;
        for (q.First(); !q.Eof(); q.Next())
            actual << QString("%1 %2 %3 %4")
                          .arg(q.AsString("ProductSerial"))
                          .arg(q.AsFloat("StoreInNumber"))
                          .arg(q.AsFloat("StoreOutNumber"))
                          .arg(q.AsFloat("StoreBalanceNumber"));
        actual.sort();
        QCOMPARE(actual, rows);
        QCOMPARE(f.DBGridEh3->footerText(0), QString("共 %1 条").arg(rows.size()));
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    void balanceColourFollowsTheSign() {
        Window w;
        TMainForm& f = *w.form;
        f.DateTimePicker7->setDate(QDate(2024, 3, 31));
        f.AdvGlowButton13->click();
        const Query& q = f.ADOQueryStore;
        const auto& columns = f.DBGridEh3->columns();
        const GridColumn& balanceColumn = columns.back();
        QCOMPARE(balanceColumn.FieldName, "StoreBalanceNumber");
        const int field = q.FieldIndex("StoreBalanceNumber");
        for (int row = 0; row < q.RecordCount(); ++row) {
            QColor colour = Qt::black;
            f.DBGridEh3GetCellParams(f.DBGridEh3, balanceColumn, row, colour);
            QCOMPARE(colour, q.FloatAt(row, field) < 0 ? QColor(Qt::red) : QColor(Qt::blue));
            QColor other = Qt::black;
            f.DBGridEh3GetCellParams(f.DBGridEh3, columns.front(), row, other);
            QCOMPARE(other, QColor(Qt::black));
        }
        QCOMPARE(f.DBGridEh3->footerText(6), "-7.99");
    }

    // A product whose quantity on hand, as shown, is below its minimum has an amber row (the
    // selected row keeps the selection's colour); "只看低于下限" lists only those, with the name
    // and model filters and the cut-off, and the footers count what is listed.
    void lowStock_data() {
        QTest::addColumn<QDate>("cutoff");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("onlyBelow");
        QTest::addColumn<QStringList>("listed"); // codes, in code order
        QTest::addColumn<QStringList>("amber");
        QTest::newRow("every product; below zero, and below a minimum with decimals")
            << QDate(2024, 3, 31) << "所有" << false << QStringList{"A1", "A2", "B1", "C1", "D1"}
            << QStringList{"A2", "D1"};
        QTest::newRow("only those below") << QDate(2024, 3, 31) << "所有" << true
                                          << QStringList{"A2", "D1"} << QStringList{"A2", "D1"};
        QTest::newRow("only those below, of a name")
            << QDate(2024, 3, 31) << "螺丝" << true << QStringList{"A2"} << QStringList{"A2"};
        QTest::newRow("only those below, at an earlier cut-off")
            << QDate(2024, 3, 15) << "所有" << true << QStringList{"A1", "D1"}
            << QStringList{"A1", "D1"};
    }
    void lowStock() {
        QFETCH(QDate, cutoff);
        QFETCH(QString, name);
        QFETCH(bool, onlyBelow);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, amber);
        Window w(Minimums);
        TMainForm& f = *w.form;
        QVERIFY(!f.BelowMinimumCheck->isChecked());
        QCOMPARE(f.BelowMinimumCheck->text(), "只看低于下限");
        f.DateTimePicker7->setDate(cutoff);
        f.TntComboBox7->setCurrentText(name);
        if (onlyBelow)
            f.BelowMinimumCheck->click(); // lists at once with the filters typed
        else
            f.AdvGlowButton13->click();
        f.DBGridEh1TitleBtnClick(f.DBGridEh3, 0, &f.DBGridEh3->column(0)); // by code
        QCOMPARE(listedSerials(f.ADOQueryStore), listed);
        QCOMPARE(f.DBGridEh3->footerText(0), QString("共 %1 条").arg(listed.size()));

        f.resize(1000, 700);
        f.AdvOfficePager1->setCurrentIndex(2);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const int selected = int(listed.size()) - 1;
        f.ADOQueryStore.SetRecNo(selected + 1);
        QTableView* view = f.DBGridEh3->view();
        const QImage image = view->viewport()->grab().toImage();
        const QColor selection = ColorToQColor(clActiveCaption);
        for (int row = 0; row < listed.size(); ++row) {
            const QColor shown = image.pixelColor(2, view->rowViewportPosition(row) + 2);
            const QColor expected = row == selected ? selection
                                    : amber.contains(listed[row])
                                        ? StockBalancePage::LowStockBackground
                                        : ColorToQColor(row % 2 ? clInfoBk : clInactiveCaptionText);
            QVERIFY2(shown == expected, qPrintable(listed[row] + ": " + shown.name()));
        }
        // The balance keeps its colours on amber.
        QColor text = Qt::black;
        f.DBGridEh3GetCellParams(f.DBGridEh3, f.DBGridEh3->columns().back(), 0, text);
        QCOMPARE(text, QColor(listed.first() == "A2" ? Qt::red : Qt::blue));
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    void failingListLeavesGridEmptyAndFooterAsItWas() {
        Window w;
        TMainForm& f = *w.form;
        w.db.exec("drop table Product");
        for (auto [button, grid] : {std::pair{f.AdvGlowButton4, f.DBGridEh1},
                                    std::pair{f.AdvGlowButton13, f.DBGridEh3}}) {
            const QString footer = grid->footerText(0);
            MessageBoxes::clearShown();
            button->click();
            QCOMPARE(MessageBoxes::shown().size(), 1);
            QVERIFY2(MessageBoxes::shown().first().text.contains(
                         TestOnServer() ? "does not exist" : "no such table", Qt::CaseInsensitive),
                     qPrintable(MessageBoxes::shown().first().text));
            QCOMPARE(grid->model()->rowCount(), 0);
            QCOMPARE(grid->footerText(0), footer);
        }
    }
};

QTEST_MAIN(TestStockPages)
#include "test_stockpages.moc"
