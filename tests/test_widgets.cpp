// The user-interface component set: formats, colours, the data grid over a real query, combo
// boxes, number box, pager, message boxes, the handler guard and the shared control operations.
#include "TestSupport.h"
#include "data/DataError.h"
#include "data/ShareDMUnit.h"
#include "data/SqlValues.h"
#include "data/StoredDate.h"
#include "data/TextRanks.h"
#include "lists/DisplayFormat.h"
#include "lists/ListFormatter.h"
#include "platform/Numbers.h"
#include "widgets/ControlOps.h"
#include "widgets/DataGrid.h"
#include "widgets/DataGridModel.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GridFooter.h"
#include "widgets/Guard.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NumberBox.h"
#include "widgets/OfficePager.h"
#include "widgets/ScreenColors.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <QtTest>

namespace {

// Four movements; the second has no quantity. Columns: quantity (summed), amount (summed,
// own footer format), date, remark.
class GridFixture {
public:
    GridFixture() {
        db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StoreSum,StoreRecordDate,"
                "StoreRemark) values "
                "(1,0,1000,12.5,'2024-03-05 00:00:00','a'),"
                "(2,0,null,0.5,'2024-03-06 13:45:10','b'),"
                "(3,0,234.5,1000,'2024-03-07 00:00:00','c'),"
                "(4,0,0.25,-3,'2024-03-08 00:00:00','d')");
        grid.setColumns(
            {numberColumn("StoreRemark", QString(), FooterKind::StaticText, clBlue),
             numberColumn("StoreNumber", "#,###.00", FooterKind::Sum, clFuchsia),
             numberColumn("StoreSum", "#,###.00", FooterKind::Sum, clBlue, "￥ #,###.00"),
             numberColumn("StoreRecordDate", QString(), FooterKind::None, 0)});
        grid.resize(600, 300);
        grid.setDataSet(&query);
    }
    void open() { OpenSQL(query, "select * from Store where 0=0 "); }

    static GridColumn numberColumn(const QString& field, const QString& format, FooterKind footer,
                                   quint32 color, const QString& footerFormat = QString()) {
        GridColumn column;
        column.FieldName = field;
        column.Title = field;
        column.Width = 90;
        column.DisplayFormat = format;
        column.Footer = footer;
        column.FooterFormat = footerFormat;
        column.FooterColor = color;
        return column;
    }

    TestDatabase db;
    Query query{&db.dm().ADOConnection1};
    DataGrid grid;
};

double contrastWithBlack(const QColor& color) {
    auto channel = [](double c) {
        c /= 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * channel(color.red()) + 0.7152 * channel(color.green()) +
                             0.0722 * channel(color.blue());
    return (luminance + 0.05) / 0.05;
}

} // namespace

class TestWidgets : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        UseChineseLocale();
        MessageBoxes::setScripted(true);
    }
    void init() { MessageBoxes::clearShown(); }

    void formatFloat_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        const QString q = "#,###.00";
        const QString yuan = "￥ #,###.00";
        QTest::newRow("two decimals") << q << 12.5 << "12.50";
        QTest::newRow("no digit before the point") << q << 0.5 << ".50";
        QTest::newRow("zero") << q << 0.0 << ".00";
        QTest::newRow("thousands") << q << 1234.5 << "1,234.50";
        QTest::newRow("millions, rounded") << q << 1234567.891 << "1,234,567.89";
        QTest::newRow("negative") << q << -1234.5 << "-1,234.50";
        QTest::newRow("negative fraction") << q << -0.5 << "-.50";
        QTest::newRow("half away from zero") << q << 0.125 << ".13";
        QTest::newRow("rounds to zero, no sign") << q << -0.001 << ".00";
        // As the statements' Round gives it: the number as written, not its binary neighbour.
        QTest::newRow("1.005 as written") << q << 1.005 << "1.01";
        QTest::newRow("2.675 as written") << q << 2.675 << "2.68";
        QTest::newRow("-1.005 as written") << q << -1.005 << "-1.01";
        QTest::newRow("1.015 as written") << q << 1.015 << "1.02";
        QTest::newRow("yuan") << yuan << 12.5 << "￥ 12.50";
        QTest::newRow("yuan thousands") << yuan << 1234.5 << "￥ 1,234.50";
        QTest::newRow("yuan negative") << yuan << -3.0 << "-￥ 3.00";
        QTest::newRow("compulsory digit") << "#,##0.00" << 0.0 << "0.00";
        QTest::newRow("optional decimals") << "0.##" << 2.5 << "2.5";
        QTest::newRow("general") << QString() << 2.5 << "2.5";
        QTest::newRow("rounding carries into a new group") << q << 999.996 << "1,000.00";
        QTest::newRow("beyond fifteen digits") << q << 1e16 << "10,000,000,000,000,000.00";
        QTest::newRow("negative section") << "#,##0.00;(#,##0.00)" << -5.0 << "(5.00)";
        QTest::newRow("zero section") << "#,##0.00;-#,##0.00;零" << 0.0 << "零";
        const double infinity = std::numeric_limits<double>::infinity();
        QTest::newRow("infinity") << q << infinity << "#NUM!";
        QTest::newRow("minus infinity") << yuan << -infinity << "#NUM!";
        QTest::newRow("infinity, general form") << QString() << infinity << "#NUM!";
        // A double holds 15 significant digits; the ones after them are not shown.
        QTest::newRow("thirteen whole digits, plain")
            << "0.####" << 4503599627370.49 << "4503599627370.49";
        QTest::newRow("twelve whole digits, plain")
            << "0.####" << 563229171349.57 << "563229171349.57";
        QTest::newRow("fourteen whole digits keep their decimals' places")
            << q << 12345678901234.56 << "12,345,678,901,234.60";
    }
    void formatFloat() {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(FormatFloat(format, value), expected);
    }

    // Many equal amounts, where plain addition drifts into the fourth decimal and beyond.
    void numberSumTotalsAmountsExactly_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("total");
        QTest::addColumn<bool>("plainDrifts"); // plain addition prints another number
        QTest::newRow("eleven digits") << 363229171.35 << 100 << "36322917135" << true;
        QTest::newRow("thirteen digits") << 3456789012.34 << 300 << "1037036703702" << false;
        QTest::newRow("cents") << 0.07 << 1000 << "70" << false;
        QTest::newRow("a million amounts") << 99999.99 << 1000000 << "99999990000" << true;
        QTest::newRow("with a decimal") << 98765432109.87 << 40 << "3950617284394.8" << false;
    }
    void numberSumTotalsAmountsExactly() {
        QFETCH(double, amount);
        QFETCH(int, count);
        QFETCH(QString, total);
        QFETCH(bool, plainDrifts);
        NumberSum sum;
        double plain = 0;
        for (int i = 0; i < count; ++i) {
            sum.add(amount);
            plain += amount;
        }
        QCOMPARE(FormatFloat("0.####", sum.total()), total);
        QCOMPARE(FormatFloat("0.####", plain) != total, plainDrifts);
        // Far past the largest number the total is not finite, and shows as such.
        sum.add(std::numeric_limits<double>::max());
        sum.add(std::numeric_limits<double>::max());
        QCOMPARE(FormatFloat("0.####", sum.total()), "#NUM!");
    }

    void typedDates_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date"); // invalid: no date
        const QString zh = "zh_CN";
        const int year = QDate::currentDate().year();
        QTest::newRow("slashes") << zh << "2026/12/3" << QDate(2026, 12, 3);
        QTest::newRow("dashes") << zh << "2026-12-3" << QDate(2026, 12, 3);
        QTest::newRow("dots, leading zeros") << zh << "2026.01.09" << QDate(2026, 1, 9);
        QTest::newRow("month and day of this year") << zh << "12/3" << QDate(year, 12, 3);
        QTest::newRow("eight digits") << zh << "20261203" << QDate(2026, 12, 3);
        QTest::newRow("two-digit year") << zh << "26/12/3" << QDate(2026, 12, 3);
        QTest::newRow("blanks around") << zh << " 2026/12/3 " << QDate(2026, 12, 3);
        QTest::newRow("no such day") << zh << "2026/2/30" << QDate();
        QTest::newRow("no such month") << zh << "2026/13/1" << QDate();
        QTest::newRow("a part missing") << zh << "2026//3" << QDate();
        QTest::newRow("four parts") << zh << "2026/12/3/4" << QDate();
        QTest::newRow("a day alone") << zh << "12" << QDate();
        QTest::newRow("letters") << zh << "2026/十二/3" << QDate();
        QTest::newRow("empty") << zh << "" << QDate();
        QTest::newRow("US order") << "en_US"
                                  << "3/12/2026" << QDate(2026, 3, 12);
        QTest::newRow("US month and day") << "en_US"
                                          << "12/3" << QDate(year, 12, 3);
        QTest::newRow("British order") << "en_GB"
                                       << "3/12/2026" << QDate(2026, 12, 3);
        QTest::newRow("year first in any locale") << "en_GB"
                                                  << "2026-12-3" << QDate(2026, 12, 3);
    }
    void typedDates() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        const std::optional<QDate> parsed =
            ParseTypedDate(typed, QLocale(locale), QDate::currentDate());
        QCOMPARE(parsed.value_or(QDate()), date);
    }

    // Typed through the keyboard into the picker, read on Enter or when the box is left; the
    // calendar stays.
    void datePickerTakesTypedDates_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("ending"); // 0: Enter, 1: Tab away
        QTest::addColumn<QDate>("date");
        const QDate before(2024, 5, 20);
        QTest::newRow("full date, Enter") << "2026/12/3" << 0 << QDate(2026, 12, 3);
        QTest::newRow("dashes, Tab") << "2026-12-3" << 1 << QDate(2026, 12, 3);
        QTest::newRow("month and day") << "12/3" << 0 << QDate(QDate::currentDate().year(), 12, 3);
        QTest::newRow("no date: as before") << "2026/2/30" << 1 << before;
        QTest::newRow("letters are not taken") << "2026a/1b/2" << 0 << QDate(2026, 1, 2);
    }
    void datePickerTakesTypedDates() {
        QFETCH(QString, typed);
        QFETCH(int, ending);
        QFETCH(QDate, date);
        QWidget window;
        auto* picker = new DatePicker(&window);
        auto* next = new QLineEdit(&window);
        next->move(0, 40);
        auto* edit = picker->findChild<QLineEdit*>();
        picker->setDate(QDate(2024, 5, 20));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        next->setFocus();
        QTest::keyClick(next, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), picker);
        QCOMPARE(edit->selectedText(), edit->text());
        QTest::keyClicks(picker, typed);
        QTest::keyClick(picker, ending == 0 ? Qt::Key_Return : Qt::Key_Tab);
        QCOMPARE(picker->date(), date);
        QCOMPARE(edit->text(), QLocale().toString(date, QLocale::ShortFormat));

        // Backspace takes back what was typed.
        next->setFocus();
        picker->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(picker, "2025/1/19");
        QTest::keyClick(picker, Qt::Key_Backspace);
        QTest::keyClicks(picker, "8");
        QTest::keyClick(picker, Qt::Key_Return);
        QCOMPARE(picker->date(), QDate(2025, 1, 18));

        // The drop-down calendar still sets the date.
        QVERIFY(picker->calendarPopup());
        emit picker->calendarWidget()->clicked(QDate(2025, 7, 1));
        QCOMPARE(picker->date(), QDate(2025, 7, 1));
    }

    void gridDatesShowTimeOnlyWhenNotMidnight() {
        const ListFormatter grid({GridColumn{}});
        const qint64 day = StoredDate::daysFromCivil(2024, 3, 5) * StoredDate::SecondsPerDay;
        QCOMPARE(grid.text(0, CellValue::ofDate(day)), "2024/3/5");
        QCOMPARE(grid.text(0, CellValue::ofDate(day + 13 * 3600 + 45 * 60 + 10)),
                 "2024/3/5 13:45:10");
        QDateTime parsed;
        QVERIFY(ParseStoredDateTime(u"2024-03-05 13:45:10", parsed));
        QCOMPARE(parsed, QDateTime(QDate(2024, 3, 5), QTime(13, 45, 10)));
        QVERIFY(!ParseStoredDateTime(u"2024-13-05", parsed));
        QVERIFY(!ParseStoredDateTime(u"remark text", parsed));
    }

    void colorsDecode_data() {
        QTest::addColumn<quint32>("encoded");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("BGR order") << quint32(0x00332211) << QColor(0x11, 0x22, 0x33);
        QTest::newRow("red") << clRed << QColor(255, 0, 0);
        QTest::newRow("blue") << clBlue << QColor(0, 0, 255);
        QTest::newRow("fuchsia") << clFuchsia << QColor(255, 0, 255);
        QTest::newRow("window") << clWindow << QColor(Qt::white);
        QTest::newRow("window text") << clWindowText << QColor(Qt::black);
        QTest::newRow("unknown system index") << quint32(0xFF0000FF) << QColor(Qt::black);
    }
    void colorsDecode() {
        QFETCH(quint32, encoded);
        QFETCH(QColor, expected);
        QCOMPARE(ColorToQColor(encoded), expected);
    }

    // The row backgrounds of the grids carry black text.
    void rowBackgroundsKeepBlackTextReadable() {
        for (quint32 color : {clInfoBk, clInactiveCaptionText, clActiveCaption, clWindow})
            QVERIFY2(contrastWithBlack(ColorToQColor(color)) >= 7.0,
                     qPrintable(ColorToQColor(color).name()));
        QVERIFY(ColorToQColor(clGrayText) != ColorToQColor(clWindowText));
        QVERIFY(ColorToQColor(clBtnFace) != ColorToQColor(clWindow));
    }

    void gridModelIsConsistentThroughOpenSortAndClose() {
        GridFixture f;
        QAbstractItemModelTester tester(f.grid.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        f.open();
        QCOMPARE(f.grid.model()->rowCount(), 4);
        f.query.SetSort("StoreSum DESC");
        QCOMPARE(f.grid.cellText(0, 2), "1,000.00");
        f.query.Close();
        QCOMPARE(f.grid.model()->rowCount(), 0);
        f.open();
        QCOMPARE(f.grid.model()->rowCount(), 4);
    }

    void gridCellsUseFormatsAndTheDateRule() {
        GridFixture f;
        f.open();
        QCOMPARE(f.grid.cellText(0, 1), "1,000.00");
        QCOMPARE(f.grid.cellText(1, 1), QString()); // null quantity
        QCOMPARE(f.grid.cellText(0, 3), "2024/3/5");
        QCOMPARE(f.grid.cellText(1, 3), "2024/3/6 13:45:10");
        QCOMPARE(f.grid.cellText(2, 0), "c");
        const QModelIndex cell = f.grid.model()->index(0, 1);
        QCOMPARE(cell.data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::Alignment(Qt::AlignCenter));
    }

    // The widest text of a column as the fitting finds it (texts by their bounds, numbers and
    // dates by their shapes) is the widest of every row's text measured one by one.
    void widestCellTextIsTheWidestOfAllRows() {
        GridFixture f;
        QStringList rows;
        const QStringList remarks = {"",
                                     "iiiiiiiiiiiiiiii",
                                     "WWWWWWWWWW",
                                     "送货至城东仓库",
                                     "客户：吴主管 电话 1234567",
                                     "2024-03-05 12:00",
                                     "Wi中文 mixed ÄÖÜ ¥",
                                     "1111111111111111111"};
        for (int i = 0; i < 300; ++i) {
            const QString remark = remarks[i % remarks.size()] + QString(i % 7, u'某');
            rows << QString("(1,0,%1,%2,'2024-%3-%4 %5','%6')")
                        .arg(i % 11 == 0 ? QString("null") : QString::number((i - 150) * 1013.37))
                        .arg(i == 299 ? QString(TestOnServer() ? "'Infinity'" : "9e999")
                                      : QString::number(i * 7.5))
                        .arg(1 + i % 12, 2, 10, QChar('0'))
                        .arg(1 + i % 28, 2, 10, QChar('0'))
                        .arg(i % 5 == 0 ? "10:20:30" : "00:00:00")
                        .arg(remark);
        }
        f.db.exec("delete from Store");
        f.db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StoreSum,StoreRecordDate,"
                  "StoreRemark) values " +
                  rows.join(','));
        f.open();
        const QFontMetrics metrics(DataGrid::textFont());
        for (int column = 0; column < f.grid.columnCount(); ++column) {
            int widest = 0;
            for (int row = 0; row < f.grid.model()->rowCount(); ++row)
                widest = std::max(widest, metrics.horizontalAdvance(f.grid.cellText(row, column)));
            QCOMPARE(f.grid.model()->widestCellWidth(column, metrics), widest);
        }
        // A closed list fits to its title and footer alone.
        f.query.Close();
        QCOMPARE(f.grid.model()->widestCellWidth(0, metrics), 0);
    }

    void footerShowsSumsAndStaticText() {
        GridFixture f;
        f.grid.setFooterText(0, "共 0 条");
        QCOMPARE(f.grid.footerText(1), QString()); // closed
        f.open();
        QCOMPARE(f.grid.footerText(0), "共 0 条");
        QCOMPARE(f.grid.footerText(1), "1,234.75"); // the null counts as nothing
        QCOMPARE(f.grid.footerText(2), "￥ 1,010.00");
        QCOMPARE(f.grid.footerValue(2), std::optional<double>(1010.0));
        QCOMPARE(f.grid.footerText(3), QString());
        f.query.SetSort("StoreNumber");
        QCOMPARE(f.grid.footerText(1), "1,234.75");
        OpenSQL(f.query, "select * from Store where StoreIndex<0");
        QCOMPARE(f.grid.footerText(1), QString()); // empty result
        QCOMPARE(f.grid.footerText(0), "共 0 条");
    }

    void footerCellsFollowColumnWidthsAndScrolling() {
        GridFixture f;
        f.open();
        f.grid.resize(250, 200);
        f.grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.grid));
        GridFooter* footer = f.grid.footer();
        const QHeaderView* header = f.grid.view()->horizontalHeader();
        auto titleLeft = [&](int column) {
            return header->mapTo(&f.grid, QPoint(header->sectionViewportPosition(column), 0)).x();
        };
        auto footerLeft = [&](int column) {
            return footer->mapTo(&f.grid, footer->cellRect(column).topLeft()).x();
        };
        QCOMPARE(footerLeft(2), titleLeft(2));
        f.grid.setColumnWidth(1, 140);
        QCOMPARE(f.grid.column(1).Width, 140);
        QCOMPARE(footer->cellRect(1).width(), 140);
        QCOMPARE(footerLeft(2), titleLeft(2));
        f.grid.view()->horizontalScrollBar()->setValue(60);
        QCOMPARE(footerLeft(2), titleLeft(2));
        f.grid.setColumnVisible(1, false);
        QVERIFY(footer->cellRect(1).isEmpty());
        QCOMPARE(f.grid.column(1).Width, 140);
    }

    void oneSortMarkerPerGrid() {
        GridFixture f;
        f.grid.setSortMarker(0, SortMarker::smUpEh);
        f.grid.setSortMarker(&f.grid.column(2), SortMarker::smDownEh);
        QCOMPARE(f.grid.sortMarker(0), SortMarker::smNoneEh);
        QCOMPARE(f.grid.sortMarker(2), SortMarker::smDownEh);
        f.grid.setSortMarker(1, SortMarker::smNoneEh);
        QCOMPARE(f.grid.sortMarker(2), SortMarker::smDownEh);
        QCOMPARE(f.grid.model()->headerData(2, Qt::Horizontal, DataGridModel::SortMarkerRole),
                 QVariant(int(SortMarker::smDownEh)));
    }

    void selectionAndCurrentRecordMoveTogether() {
        GridFixture f;
        f.open();
        QCOMPARE(f.grid.currentRow(), 0);
        f.query.SetRecNo(3);
        QCOMPARE(f.grid.currentRow(), 2);
        QVERIFY(f.grid.view()->selectionModel()->isRowSelected(2, QModelIndex()));
        f.grid.view()->setCurrentIndex(f.grid.model()->index(3, 1));
        QCOMPARE(f.query.RecNo(), 4);
        QCOMPARE(f.query.AsString("StoreRemark"), "d");
        // Sorting keeps the record; the selection follows it to its new row.
        f.query.SetSort("StoreSum");
        QCOMPARE(f.query.AsString("StoreRemark"), "d");
        QCOMPARE(f.grid.currentRow(), f.query.RecNo() - 1);
        QCOMPARE(f.grid.currentRow(), 0);
    }

    void titleClicksAndDoubleClicksAreSignalled() {
        GridFixture f;
        f.open();
        f.grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.grid));
        QSignalSpy titles(&f.grid, &DataGrid::titleBtnClick);
        QSignalSpy doubles(&f.grid, &DataGrid::doubleClicked);
        QHeaderView* header = f.grid.view()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 10, 5));
        QCOMPARE(titles.size(), 1);
        QCOMPARE(titles[0][0].toInt(), 2);
        QCOMPARE(titles[0][1].value<GridColumn*>(), &f.grid.column(2));
        QTest::mouseDClick(f.grid.view()->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
        QCOMPARE(doubles.size(), 1);
    }

    // The painting hooks see the record being drawn and decide the cell's background.
    void drawHooksPaintWithCanvasColours() {
        GridFixture f;
        f.open();
        QList<int> drawn;
        f.grid.OnGetCellParams = [](DataGrid*, const GridColumn& column, int, QColor& text) {
            if (column.FieldName == "StoreNumber")
                text = Qt::red;
        };
        f.grid.OnDrawColumnCell = [&](DataGrid* grid, const QRect& rect, int dataCol,
                                      const GridColumn& column, bool selected) {
            drawn << grid->DrawingRecNo();
            QCOMPARE(grid->Canvas().fontColor(),
                     column.FieldName == "StoreNumber" ? QColor(Qt::red) : QColor(Qt::black));
            grid->Canvas().setBrushColor(selected                        ? QColor(0, 0, 200)
                                         : grid->DrawingRecNo() % 2 == 0 ? QColor(0, 200, 0)
                                                                         : QColor(200, 0, 0));
            grid->DefaultDrawColumnCell(rect, dataCol, column, selected);
        };
        const QImage image = f.grid.grab().toImage();
        QVERIFY(drawn.contains(1) && drawn.contains(4));
        auto background = [&](int row) {
            const QTableView* view = f.grid.view();
            const QRect cell = view->visualRect(f.grid.model()->index(row, 3));
            return image.pixelColor(
                view->viewport()->mapTo(&f.grid, cell.topLeft() + QPoint(3, 3)));
        };
        QCOMPARE(background(0), QColor(0, 0, 200)); // current record
        QCOMPARE(background(1), QColor(0, 200, 0));
        QCOMPARE(background(2), QColor(200, 0, 0));
        QCOMPARE(f.grid.DrawingRecNo(), 1); // outside drawing: the current record
    }

    void dropDownIsAnnouncedBeforeTheListOpens() {
        QWidget window;
        auto* combo = new DropDownComboBox(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        bool openAtSignal = true;
        connect(combo, &DropDownComboBox::dropDown, combo, [&] {
            openAtSignal = combo->view()->isVisible();
            combo->clear();
            combo->addItems({"所有", "M1"});
        });
        combo->showPopup();
        QVERIFY(!openAtSignal);
        QVERIFY(combo->view()->isVisible());
        QCOMPARE(combo->count(), 2);
        combo->hidePopup();
        QVERIFY(combo->isEditable());
    }

    void numberBoxRoundsTypedValuesOnly() {
        NumberBox box;
        box.setDisplayFormat("#,###.00");
        QSignalSpy changes(&box, &NumberBox::valueChanged);
        QTest::keyClicks(&box, "1234.567");
        QCOMPARE(box.value(), std::optional<double>(1234.57));
        box.setValue(0.125);
        QCOMPARE(box.value(), std::optional<double>(0.125));
        QCOMPARE(box.text(), ".13");
        box.setValue(0);
        QCOMPARE(box.text(), ".00");
        box.clearValue();
        QVERIFY(!box.hasValue());
        QCOMPARE(box.text(), QString());
        QVERIFY_THROWS_EXCEPTION(DataError, box.valueOrThrow());
        QVERIFY(changes.size() >= 4);
        QCOMPARE(box.alignment(), Qt::Alignment(Qt::AlignCenter));
    }

    void numberBoxSelectsItsValueWhenEntered() {
        QWidget window;
        auto* before = new QLineEdit(&window);
        auto* box = new NumberBox(&window);
        box->setDisplayFormat("#,###.00");
        box->setValue(1234.5);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->selectedText(), "1234.50");
        QTest::keyClicks(box, "3");
        QCOMPARE(box->value(), std::optional<double>(3));
        before->setFocus();
        QCOMPARE(box->text(), "3.00");
    }

    void pagerHidesTabsAndKeepsAVisibleCurrentPage() {
        OfficePager pager;
        for (int i = 0; i < 4; ++i)
            pager.addPage(new QWidget, QPixmap(128, 64));
        QSignalSpy changes(&pager, &OfficePager::currentChanged);
        QCOMPARE(pager.currentIndex(), 0);
        pager.setCurrentIndex(3);
        pager.setTabVisible(3, false);
        QCOMPARE(pager.visibleTabCount(), 3);
        QCOMPARE(pager.currentIndex(), 0);
        QVERIFY(pager.tabRect(3).isNull());
        pager.setCurrentIndex(3);
        QCOMPARE(pager.currentIndex(), 0);
        pager.setTabVisible(3, true);
        QCOMPARE(pager.visibleTabCount(), 4);
        QCOMPARE(pager.tabRect(0).top(), OfficePager::FirstTabTop);
        QCOMPARE(changes.size(), 2);
    }

    void messageBoxesAreRecordedAndScripted() {
        ShowWarning("w");
        ShowInformation("i");
        QCOMPARE(AskYesCancel("信息", "q1", QMessageBox::Information), MessageAnswer::Cancel);
        MessageBoxes::setNextAnswer(MessageAnswer::Yes);
        QCOMPARE(AskYesCancel("信息", "q2", QMessageBox::Information), MessageAnswer::Yes);
        QCOMPARE(AskYesCancel("信息", "q3", QMessageBox::Information), MessageAnswer::Cancel);
        const auto shown = MessageBoxes::shown();
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown[0].caption, "警告");
        QCOMPARE(shown[1].caption, "信息");
        QCOMPARE(shown[3].text, "q2");
    }

    // A destructive question makes "取消" the button that Enter presses: on the real box.
    void questionsDefaultToTheButtonAsked_data() {
        QTest::addColumn<int>("defaultAnswer");
        QTest::newRow("yes") << int(MessageAnswer::Yes);
        QTest::newRow("cancel") << int(MessageAnswer::Cancel);
    }
    void questionsDefaultToTheButtonAsked() {
        QFETCH(int, defaultAnswer);
        const auto asked = MessageAnswer(defaultAnswer);
        MessageBoxes::setScripted(false);
        QString defaultText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            defaultText = box->defaultButton()->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        const MessageAnswer answer =
            AskYesCancel("警告", "确定要删除吗？", QMessageBox::Warning, asked);
        MessageBoxes::setScripted(true);
        QCOMPARE(answer, asked);
        QCOMPARE(defaultText, asked == MessageAnswer::Yes ? "是" : "取消");
        QCOMPARE(MessageBoxes::shown().last().defaultAnswer, asked);
    }

    // Whatever icon a caller asks for, "警告" goes with the warning sign and "信息" with the
    // information sign; a failure caught by the guard is a "警告" as well.
    void iconsMatchCaptions_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("icon");
        QTest::newRow("warning") << 0 << "警告" << int(QMessageBox::Warning);
        QTest::newRow("information") << 1 << "信息" << int(QMessageBox::Information);
        QTest::newRow("failure") << 2 << "警告" << int(QMessageBox::Warning);
        QTest::newRow("question 信息 asked as warning")
            << 3 << "信息" << int(QMessageBox::Information);
        QTest::newRow("question 警告 asked as critical")
            << 4 << "警告" << int(QMessageBox::Warning);
    }
    void iconsMatchCaptions() {
        QFETCH(int, box);
        QFETCH(QString, caption);
        QFETCH(int, icon);
        switch (box) {
        case 0:
            ShowWarning("t");
            break;
        case 1:
            ShowInformation("t");
            break;
        case 2:
            RunGuarded([] { throw DataError("t"); });
            break;
        case 3:
            AskYesCancel("信息", "t", QMessageBox::Warning);
            break;
        default:
            AskYesCancel("警告", "t", QMessageBox::Critical);
            break;
        }
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QCOMPARE(MessageBoxes::shown()[0].caption, caption);
        QCOMPARE(int(MessageBoxes::shown()[0].icon), icon);
    }

    void guardShowsFailuresAndSwallowsSilentAborts_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("shown");
        QTest::newRow("none") << 0 << QString();
        QTest::newRow("silent abort") << 1 << QString();
        QTest::newRow("data error") << 2 << "no such table: Prodcut";
        QTest::newRow("std exception") << 3 << "out of range";
    }
    void guardShowsFailuresAndSwallowsSilentAborts() {
        QFETCH(int, failure);
        QFETCH(QString, shown);
        bool after = false;
        RunGuarded([&] {
            if (failure == 1)
                throw SilentAbort();
            if (failure == 2)
                throw DataError("no such table: Prodcut");
            if (failure == 3)
                throw std::out_of_range("out of range");
            after = true;
        });
        QCOMPARE(after, failure == 0);
        const auto boxes = MessageBoxes::shown();
        QCOMPARE(boxes.size(), shown.isEmpty() ? 0 : 1);
        if (!shown.isEmpty()) {
            QCOMPARE(boxes[0].text, shown);
            QCOMPARE(boxes[0].caption, "警告");
        }
    }

    void guardedHandlerTakesFewerArgumentsThanTheSignal() {
        struct Handler : QObject {
            int calls = 0;
            void onChange() {
                ++calls;
                throw DataError("failed");
            }
        } handler;
        QComboBox combo;
        connect(&combo, &QComboBox::currentIndexChanged, &handler,
                Guarded(&handler, &Handler::onChange));
        combo.addItem("a"); // current index 0: one change
        QCOMPARE(handler.calls, 1);
        QCOMPARE(MessageBoxes::shown().size(), 1);
    }

    // A failure while painting is reported once, after the paint, not from inside it.
    void paintingFailuresAreShownOnceAfterThePaint() {
        for (int i = 0; i < 3; ++i)
            RunGuardedWhilePainting([] { throw DataError("bad cell"); });
        QVERIFY(MessageBoxes::shown().isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QCOMPARE(MessageBoxes::shown()[0].text, "bad cell");
        RunGuardedWhilePainting([] { throw SilentAbort(); });
        QCoreApplication::processEvents();
        QCOMPARE(MessageBoxes::shown().size(), 1);
    }

    void fillDistinctComboAddsFirstItemAndSelectsEntryZero_data() {
        QTest::addColumn<bool>("flatList");
        QTest::newRow("standard list") << false;
        QTest::newRow("flat list of a drop-down box") << true;
    }
    void fillDistinctComboAddsFirstItemAndSelectsEntryZero() {
        QFETCH(bool, flatList);
        TestDatabase db;
        std::unique_ptr<QComboBox> box(flatList ? new DropDownComboBox : new QComboBox);
        QComboBox& combo = *box;
        combo.setEditable(true);
        QAbstractItemModelTester tester(combo.model());
        FillDistinctCombo(db.dm().ADOQueryNotAllowUse, &combo, "Product", "ProductName", QString(),
                          true, "所有");
        QCOMPARE(combo.count(), 1);
        QCOMPARE(combo.currentIndex(), 0);
        QCOMPARE(combo.currentText(), "所有");
        QCOMPARE(db.dm().ADOQueryNotAllowUse.SQL().first(),
                 "select Distinct ProductName from Product where 0=0 ");

        db.exec("insert into Product (ProductSerial,ProductName,ProductType) values "
                "('1','螺丝','M3'),('2','螺丝','M4'),('3','螺母','M3')");
        FillDistinctCombo(db.dm().ADOQueryNotAllowUse, &combo, "Product", "ProductType",
                          " and ProductName='螺丝'", true, QString());
        QStringList items;
        for (int i = 0; i < combo.count(); ++i)
            items << combo.itemText(i);
        std::sort(items.begin(), items.end());
        QCOMPARE(items, QStringList({"M3", "M4"}));
        QCOMPARE(combo.currentIndex(), 0);

        FillDistinctCombo(db.dm().ADOQueryNotAllowUse, &combo, "Product", "ProductName", QString(),
                          false, QString());
        QCOMPARE(combo.count(), 4); // appended behind the entries already there

        FillComboBox(db.dm().ADOQueryNotAllowUse, &combo, "select * from Product where 0=1",
                     "ProductName", true, QString());
        QCOMPARE(combo.count(), 0);
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.currentText(), QString());
        QVERIFY_THROWS_EXCEPTION(DataError,
                                 FillComboBox(db.dm().ADOQueryNotAllowUse, &combo,
                                              "select * from Product", "Nothing", true, QString()));
    }

    // Lists filled from the data read in the order a title click sorts a grid's column.
    void comboListsFollowTheGridCollation_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QStringList>("values");   // stored, one product each
        QTest::addColumn<QStringList>("expected"); // the list behind "所有"
        QTest::newRow("Chinese names in pinyin order")
            << "ProductName" << QStringList{"手套", "扳手", "油漆", "灯泡", "电钻"}
            << QStringList{"扳手", "灯泡", "电钻", "手套", "油漆"};
        QTest::newRow("codes with numbers by value")
            << "ProductSerial" << QStringList{"A10", "B1", "A2", "a3", "A1"}
            << QStringList{"A1", "A2", "a3", "A10", "B1"};
        // The Chinese collation puts Chinese characters before Latin letters.
        QTest::newRow("empty text first") << "ProductType" << QStringList{"M3", "", "M10", "钢"}
                                          << QStringList{"", "钢", "M3", "M10"};
    }
    void comboListsFollowTheGridCollation() {
        QFETCH(QString, column);
        QFETCH(QStringList, values);
        QFETCH(QStringList, expected);
        SetCollationLocale("zh_CN");
        TestDatabase db;
        for (const QString& value : values)
            db.exec(QString("insert into Product (%1) values (%2)").arg(column, QuotedSql(value)));
        for (bool flatList : {false, true}) {
            std::unique_ptr<QComboBox> combo(flatList ? new DropDownComboBox : new QComboBox);
            FillDistinctCombo(db.dm().ADOQueryNotAllowUse, combo.get(), "Product", column,
                              QString(), true, "所有");
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            QCOMPARE(items, QStringList{"所有"} + expected);
        }
    }

    void flatListTakesTheComboBoxEdits() {
        DropDownComboBox combo;
        QAbstractItemModelTester tester(combo.model());
        combo.addItems({"螺丝", "", "垫圈"});
        combo.insertItem(1, "螺母");
        combo.setItemText(2, "O'Brien");
        combo.removeItem(0);
        QStringList items;
        for (int i = 0; i < combo.count(); ++i)
            items << combo.itemText(i);
        QCOMPARE(items, QStringList({"螺母", "O'Brien", "垫圈"}));
        QCOMPARE(combo.findText("垫圈"), 2);
        combo.clear();
        QCOMPARE(combo.count(), 0);
        combo.addItem("A1");
        QCOMPARE(combo.itemText(0), "A1");
    }

    void clearInputsEmptiesTheInputsOnly() {
        QWidget window;
        auto* listed = new DropDownComboBox(&window);
        listed->addItems({"A1", "A2"});
        listed->setCurrentIndex(1);
        auto* unlisted = new DropDownComboBox(&window);
        unlisted->setEditText("备注");
        auto* choice = new QComboBox(&window); // no typing: keeps its choice
        choice->addItems({"管理员", "张三"});
        choice->setCurrentIndex(1);
        auto* number = new NumberBox(&window);
        number->setDisplayFormat("#,###.00");
        number->setValue(12.5);
        auto* edit = new QLineEdit("text", &window);
        auto* picker = new DatePicker(&window);
        picker->setDate(QDate(2024, 3, 15));

        ClearInputs(&window);
        QCOMPARE(listed->currentText(), QString());
        QCOMPARE(listed->count(), 2);
        QCOMPARE(unlisted->currentText(), QString());
        QCOMPARE(choice->currentText(), "张三");
        QCOMPARE(number->value(), std::optional<double>(0));
        QCOMPARE(number->text(), ".00");
        QCOMPARE(edit->text(), QString());
        QCOMPARE(picker->date(), QDate(2024, 3, 15));
        QVERIFY(!picker->text().isEmpty());
    }

    void requireTextRefusesOnlyEmptyText() {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        auto* other = new QLineEdit(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();

        edit->setText(" ");
        RequireText(edit, "请输入商品的编号！");
        QVERIFY(MessageBoxes::shown().isEmpty());

        edit->clear();
        QVERIFY_THROWS_EXCEPTION(SilentAbort, RequireText(edit, "请输入商品的编号！"));
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QCOMPARE(MessageBoxes::shown()[0].caption, "警告");
        QCOMPARE(MessageBoxes::shown()[0].text, "请输入商品的编号！");
        QCOMPARE(QApplication::focusWidget(), edit);

        // A number box is empty when it holds no number, whatever its text.
        auto* number = new NumberBox(&window);
        number->show();
        number->setValue(0);
        RequireText(number, "请输入价格！");
        number->selectAll();
        QTest::keyClicks(number, "-");
        QCOMPARE(number->text(), "-");
        QVERIFY_THROWS_EXCEPTION(SilentAbort, RequireText(number, "请输入价格！"));
        QCOMPARE(MessageBoxes::shown().last().text, "请输入价格！");
        QCOMPARE(QApplication::focusWidget(), number);
    }

    void setControlsEnabledColoursLabelsAndInputs() {
        QWidget window;
        auto* label = new QLabel("名称", &window);
        auto* edit = new QLineEdit(&window);
        auto* combo = new QComboBox(&window);
        auto* button = new QPushButton("确定", &window);
        const QPalette buttonPalette = button->palette();
        SetControlsEnabled({}, false);
        SetControlsEnabled({label, edit, combo, button}, false);
        for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(edit),
                           static_cast<QWidget*>(combo), static_cast<QWidget*>(button)})
            QVERIFY(!w->isEnabled());
        QCOMPARE(label->palette().color(QPalette::WindowText), ColorToQColor(clGrayText));
        QCOMPARE(edit->palette().color(QPalette::Disabled, QPalette::Base),
                 ColorToQColor(clBtnFace));
        QCOMPARE(combo->palette().color(QPalette::Base), ColorToQColor(clBtnFace));
        QCOMPARE(button->palette(), buttonPalette);

        SetControlsEnabled({label, edit}, true);
        QVERIFY(label->isEnabled() && edit->isEnabled());
        QCOMPARE(label->palette().color(QPalette::WindowText), ColorToQColor(clWindowText));
        QCOMPARE(edit->palette().color(QPalette::Base), ColorToQColor(clWindow));
    }
};

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
