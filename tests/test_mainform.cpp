// The main window: every named control with its caption, place and tab order, the grids'
// columns, the administration tab, and the life-cycle events forwarded to the program.
#include "TestSupport.h"
#include "data/DataError.h"
#include "product/ProductStatements.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataGridModel.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/FixedLabel.h"
#include "widgets/GlowButton.h"
#include "widgets/GridColumnChooser.h"
#include "widgets/GridFooter.h"
#include "widgets/GridHeaders.h"
#include "widgets/GroupBox.h"
#include "widgets/MessageBoxes.h"
#include "widgets/OfficePager.h"
#include "widgets/ShadedPanel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QToolTip>
#include <QtTest>
#include <memory>

namespace {

QString captionOf(const QWidget* widget) {
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget))
        return group->title();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    return QString();
}

QString colourName(quint32 color) {
    switch (color) {
    case clBlue:
        return "blue";
    case clRed:
        return "red";
    case clFuchsia:
        return "magenta";
    default:
        return QString::number(color, 16);
    }
}

// field|title|width|format|footer kind|footer format|footer colour
QStringList describeColumns(const DataGrid* grid) {
    QStringList described;
    for (const GridColumn& c : grid->columns()) {
        const QString footer = c.Footer == FooterKind::Sum          ? "sum"
                               : c.Footer == FooterKind::StaticText ? "static"
                                                                    : "";
        described << QStringList{c.FieldName,
                                 c.Title,
                                 QString::number(c.Width),
                                 c.DisplayFormat,
                                 footer,
                                 c.FooterFormat,
                                 footer.isEmpty() ? QString() : colourName(c.FooterColor)}
                         .join('|');
    }
    return described;
}

class RecordingLifecycle : public MainFormLifecycle {
public:
    void FormShow(TMainForm&) override { calls << "show"; }
    void FormCloseQuery(TMainForm&, bool& CanClose) override {
        calls << "query";
        if (failQuery)
            throw DataError("question failed");
        CanClose = allowClose;
    }
    void FormClose(TMainForm&) override { calls << "close"; }
    QStringList calls;
    bool allowClose = false;
    bool failQuery = false;
};

// The window over a database with a product of common values and one of long values, each
// received and shipped once; the pages filled as at start-up.
struct FilledWindow {
    FilledWindow() : form(db.dm(), db.dir().path()) {
        db.exec("insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
                "('ABCD123456','螺丝','M3','个'),"
                "('ABCDEFGHIJKLMNOPQRST','特别长的商品名称用来测试显示效果',"
                "'XJ-2000-ABCDEFGH-超长型号','立方米每小时')");
        for (int kind : {0, 1})
            db.exec(QString("insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,"
                            "StoreSum,StoreRecordDate,StoreRemark) values "
                            "(1,%1,999999.99,999999.99,999999.99,'2024-12-25 00:00:00','普通'),"
                            "(2,%1,98765432.5,12345678.9,987654321.25,'2024-12-25 14:30:00',"
                            "'这是一条很长的备注，写明了这批货物的来源、检验结果和存放位置，"
                            "超出了备注列的宽度')")
                        .arg(kind));
        form.InitializePages();
        WaitForFilledLists(form);
    }
    TestDatabase db;
    TMainForm form;
};

// Whether a colour differs clearly from another: text on a cell's background.
bool differs(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) >
           90;
}

// The first and last pixel columns of `area` where something is drawn on its background (the
// colour of each pixel row at the area's left edge); {-1, -1} when nothing is.
std::pair<int, int> inkSpan(const QImage& image, const QRect& area) {
    int first = -1;
    int last = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QColor background = image.pixelColor(area.left(), y);
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!differs(image.pixelColor(x, y), background))
                continue;
            first = first < 0 ? x : std::min(first, x);
            last = std::max(last, x);
        }
    }
    return {first, last};
}

// A text as shown in a cell: whole, or its beginning followed by "…".
bool isWholeOrShortenedAtItsEnd(const QString& shown, const QString& whole) {
    if (shown == whole)
        return true;
    return shown.endsWith(QChar(0x2026)) && whole.startsWith(shown.chopped(1));
}

// Checks a cell whose text rectangle is `textRect` (in the image) and that shows `shown` of
// `whole`: the shown text fits the rectangle, and what is painted lies within that text as
// centred there, so that nothing of it is cut off on either side.
void checkPaintedText(const QImage& image, const QRect& textRect, const QString& shown,
                      const QString& whole, const QFontMetrics& metrics, const QString& where) {
    QVERIFY2(isWholeOrShortenedAtItsEnd(shown, whole), qPrintable(where + ": " + shown));
    const int width = metrics.horizontalAdvance(shown);
    QVERIFY2(width <= textRect.width(), qPrintable(where + ": " + shown));
    if (shown.isEmpty())
        return;
    const auto [first, last] = inkSpan(image, textRect.adjusted(-1, 1, 1, -1));
    QVERIFY2(first >= 0, qPrintable(where + ": nothing painted"));
    const int left = textRect.left() + (textRect.width() - width) / 2;
    QVERIFY2(first >= left - 2 && last <= left + width + 1,
             qPrintable(QString("%1: ink %2..%3, text %4..%5")
                            .arg(where)
                            .arg(first)
                            .arg(last)
                            .arg(left)
                            .arg(left + width)));
}

void saveGrab(const QImage& image, const QString& name) {
    // For a person to look at: VARNHOLT_GRAB_DIR=/some/folder.
    const QString folder = qEnvironmentVariable("VARNHOLT_GRAB_DIR");
    if (!folder.isEmpty())
        image.save(QDir(folder).filePath(name + ".png"));
}

// The titles of the columns a grid shows, in order.
QStringList shownTitles(const DataGrid* grid) {
    QStringList titles;
    for (int i = 0; i < grid->columnCount(); ++i) {
        if (!grid->view()->isColumnHidden(i))
            titles << grid->column(i).Title;
    }
    return titles;
}

} // namespace

Q_DECLARE_METATYPE(QWidget*)

class TestMainForm : public QObject {
    Q_OBJECT

    TShareDM unconnected; // for the windows that show no data
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<FilledWindow> filled;

    // Shows the filled window on a page, laid out and painted.
    QWidget* showFilledPage(int index) {
        TMainForm& f = filled->form;
        // A menu an earlier case left open would keep the keyboard.
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        f.activateWindow();
        f.show();
        f.AdvOfficePager1->setCurrentIndex(index);
        if (!QTest::qWaitForWindowExposed(&f))
            return nullptr;
        QCoreApplication::sendPostedEvents();
        return f.AdvOfficePager1->page(index);
    }
    // The grid of a page of the filled window.
    DataGrid* filledGrid(int page) const {
        const TMainForm& f = filled->form;
        DataGrid* const grids[] = {f.DBGridEh1, f.DBGridEh2, f.DBGridEh3, f.DBGridEh5, f.DBGridEh4};
        return grids[page];
    }

private slots:
    void initTestCase() {
        UseChineseLocale();
        MessageBoxes::setScripted(true);
        // A steady text cursor: two grabs of an unchanged window are the same picture.
        QApplication::setCursorFlashTime(0);
        form = std::make_unique<TMainForm>(unconnected, "/opt/varnholt/");
        filled = std::make_unique<FilledWindow>();
    }
    void cleanupTestCase() {
        form.reset();
        filled.reset();
    }

    void windowFrame() {
        QCOMPARE(form->windowTitle(), "Varnholt");
        QCOMPARE(form->size(), QSize(936, 563));
        QCOMPARE(form->appPath(), "/opt/varnholt/");
        QCOMPARE(form->centralWidget(), form->AdvOfficePager1);
        QCOMPARE(form->AdvOfficeStatusBar1->height(), 19);
        QList<int> panels;
        for (const QLabel* panel : form->AdvOfficeStatusBar1->findChildren<QLabel*>()) {
            QVERIFY(panel->text().isEmpty());
            panels << panel->width();
        }
        QCOMPARE(panels, QList<int>({80, 100}));
        QCOMPARE(form->AdvOfficePager1->count(), 5);
        QCOMPARE(form->AdvOfficePager1->currentIndex(), 0);
        const QList<QWidget*> pages{form->AdvOfficePage1, form->AdvOfficePage2,
                                    form->AdvOfficePage3, form->AdvOfficePage5,
                                    form->AdvOfficePage4};
        const int numbers[] = {1, 2, 3, 5, 4}; // the summary came after the administration
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(form->AdvOfficePager1->page(i), pages[i]);
            QCOMPARE(pages[i]->objectName(), QString("AdvOfficePage%1").arg(numbers[i]));
        }
    }

    // Whatever frame the window manager gives the window, its outer size stays 936 × 563; the
    // pages keep 755 × 506 while the frame leaves room for them.
    void outerSizeIncludesTheFrame_data() {
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QSize>("page");
        QTest::newRow("no frame") << QMargins() << QSize(755, 506);
        QTest::newRow("thin frame") << QMargins(1, 20, 1, 1) << QSize(755, 506);
        QTest::newRow("frame of the first platform") << QMargins(4, 30, 4, 4) << QSize(755, 506);
        QTest::newRow("thick frame") << QMargins(5, 40, 5, 10) << QSize(754, 494);
    }
    void outerSizeIncludesTheFrame() {
        QFETCH(QMargins, frame);
        QFETCH(QSize, page);
        TMainForm window(unconnected, "/tmp/");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.fitToFrame(frame);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(window.size(), QSize(936, 563).shrunkBy(frame));
        for (int i = 0; i < 5; ++i) {
            window.AdvOfficePager1->setCurrentIndex(i);
            QCoreApplication::sendPostedEvents();
            QCOMPARE(window.AdvOfficePager1->page(i)->size(), page);
        }
    }

    // Shown on the screen, the window fits itself to the frame it is given there.
    void shownWindowTakesItsOuterSize() {
        TMainForm window(unconnected, "/tmp/");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(window.frameGeometry().size(), QSize(936, 563));
        QCOMPARE(window.AdvOfficePage1->size(), QSize(755, 506));
    }

    void controls_data() {
        QTest::addColumn<QWidget*>("member");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("alignment"); // horizontal alignment of a label
        TMainForm& f = *form;
        auto row = [](QWidget* member, const char* name, const char* kind, const char* parent,
                      QRect place = QRect(), const QString& caption = QString(),
                      Qt::Alignment alignment = Qt::AlignLeft) {
            QTest::newRow(name) << member << QString(name) << QString(kind) << QString(parent)
                                << place << caption << int(alignment);
        };
        const Qt::Alignment right = Qt::AlignRight;
        // Stock in.
        row(f.AdvPanel2, "AdvPanel2", "ShadedPanel", "AdvOfficePage1");
        row(f.AdvPanel1, "AdvPanel1", "ShadedPanel", "AdvOfficePage1");
        row(f.AdvGroupBox2, "AdvGroupBox2", "GroupBox", "AdvPanel2", {16, 9, 569, 120}, "查询");
        row(f.TntLabel9, "TntLabel9", "QLabel", "AdvGroupBox2", {20, 25, 137, 17}, "入库范围");
        row(f.DateTimePicker2, "DateTimePicker2", "DatePicker", "AdvGroupBox2", {20, 42, 121, 21});
        row(f.DateTimePicker3, "DateTimePicker3", "DatePicker", "AdvGroupBox2", {20, 74, 121, 21});
        row(f.TntLabel10, "TntLabel10", "QLabel", "AdvGroupBox2", {160, 25, 137, 17}, "商品名称");
        row(f.TntComboBox5, "TntComboBox5", "DropDownComboBox", "AdvGroupBox2", {161, 42, 121, 21});
        row(f.TntLabel11, "TntLabel11", "QLabel", "AdvGroupBox2", {304, 25, 137, 17}, "商品型号");
        row(f.TntComboBox6, "TntComboBox6", "DropDownComboBox", "AdvGroupBox2", {302, 42, 121, 21});
        row(f.AdvGlowButton4, "AdvGlowButton4", "GlowButton", "AdvGroupBox2", {444, 45, 105, 33},
            "查询");
        row(f.AdvGlowButton1, "AdvGlowButton1", "GlowButton", "AdvPanel2", {616, 16, 105, 33},
            "添加入库");
        row(f.AdvGlowButton2, "AdvGlowButton2", "GlowButton", "AdvPanel2", {616, 56, 105, 33},
            "打印");
        row(f.AdvGlowButton3, "AdvGlowButton3", "GlowButton", "AdvPanel2", {616, 96, 105, 33},
            "导出");
        row(f.DBGridEh1, "DBGridEh1", "DataGrid", "AdvPanel1");
        // Stock out.
        row(f.AdvPanel3, "AdvPanel3", "ShadedPanel", "AdvOfficePage2");
        row(f.AdvPanel4, "AdvPanel4", "ShadedPanel", "AdvOfficePage2");
        row(f.AdvGroupBox1, "AdvGroupBox1", "GroupBox", "AdvPanel3", {16, 9, 569, 120}, "查询");
        row(f.TntLabel1, "TntLabel1", "QLabel", "AdvGroupBox1", {20, 25, 137, 17}, "出库范围");
        row(f.DateTimePicker1, "DateTimePicker1", "DatePicker", "AdvGroupBox1", {20, 42, 121, 21});
        row(f.DateTimePicker4, "DateTimePicker4", "DatePicker", "AdvGroupBox1", {20, 74, 121, 21});
        row(f.TntLabel2, "TntLabel2", "QLabel", "AdvGroupBox1", {160, 25, 137, 17}, "商品名称");
        row(f.TntComboBox1, "TntComboBox1", "DropDownComboBox", "AdvGroupBox1", {161, 42, 121, 21});
        row(f.TntLabel3, "TntLabel3", "QLabel", "AdvGroupBox1", {304, 25, 137, 17}, "商品型号");
        row(f.TntComboBox2, "TntComboBox2", "DropDownComboBox", "AdvGroupBox1", {302, 42, 121, 21});
        row(f.AdvGlowButton5, "AdvGlowButton5", "GlowButton", "AdvGroupBox1", {444, 45, 105, 33},
            "查询");
        row(f.AdvGlowButton6, "AdvGlowButton6", "GlowButton", "AdvPanel3", {616, 16, 105, 33},
            "添加出库");
        row(f.AdvGlowButton7, "AdvGlowButton7", "GlowButton", "AdvPanel3", {616, 56, 105, 33},
            "打印");
        row(f.AdvGlowButton8, "AdvGlowButton8", "GlowButton", "AdvPanel3", {616, 96, 105, 33},
            "导出");
        row(f.DBGridEh2, "DBGridEh2", "DataGrid", "AdvPanel4");
        // Stock balance.
        row(f.AdvPanel6, "AdvPanel6", "ShadedPanel", "AdvOfficePage3");
        row(f.AdvPanel5, "AdvPanel5", "ShadedPanel", "AdvOfficePage3");
        row(f.AdvGroupBox4, "AdvGroupBox4", "GroupBox", "AdvPanel6", {16, 7, 569, 97}, "查询");
        row(f.TntLabel7, "TntLabel7", "QLabel", "AdvGroupBox4", {20, 29, 137, 17}, "截止日期");
        row(f.DateTimePicker7, "DateTimePicker7", "DatePicker", "AdvGroupBox4", {20, 46, 121, 21});
        row(f.TntLabel8, "TntLabel8", "QLabel", "AdvGroupBox4", {160, 29, 137, 17}, "商品名称");
        row(f.TntComboBox7, "TntComboBox7", "DropDownComboBox", "AdvGroupBox4", {161, 46, 121, 21});
        row(f.TntLabel12, "TntLabel12", "QLabel", "AdvGroupBox4", {304, 29, 137, 17}, "商品型号");
        row(f.TntComboBox8, "TntComboBox8", "DropDownComboBox", "AdvGroupBox4", {302, 46, 121, 21});
        row(f.AdvGlowButton13, "AdvGlowButton13", "GlowButton", "AdvGroupBox4", {444, 40, 105, 33},
            "查询");
        row(f.BelowMinimumCheck, "BelowMinimumCheck", "QCheckBox", "AdvGroupBox4",
            {161, 72, 137, 19}, "只看低于下限");
        row(f.AdvGlowButton15, "AdvGlowButton15", "GlowButton", "AdvPanel6", {616, 14, 105, 33},
            "打印");
        row(f.AdvGlowButton16, "AdvGlowButton16", "GlowButton", "AdvPanel6", {616, 70, 105, 33},
            "导出");
        row(f.DBGridEh3, "DBGridEh3", "DataGrid", "AdvPanel5");
        // Period summary.
        row(f.AdvPanel11, "AdvPanel11", "ShadedPanel", "AdvOfficePage5");
        row(f.AdvPanel12, "AdvPanel12", "ShadedPanel", "AdvOfficePage5");
        row(f.AdvGroupBox6, "AdvGroupBox6", "GroupBox", "AdvPanel11", {16, 7, 569, 97}, "查询");
        row(f.TntLabel13, "TntLabel13", "QLabel", "AdvGroupBox6", {20, 20, 137, 17}, "汇总期间");
        row(f.DateTimePicker8, "DateTimePicker8", "DatePicker", "AdvGroupBox6", {20, 38, 121, 21});
        row(f.DateTimePicker9, "DateTimePicker9", "DatePicker", "AdvGroupBox6", {20, 66, 121, 21});
        row(f.TntLabel14, "TntLabel14", "QLabel", "AdvGroupBox6", {160, 29, 137, 17}, "商品名称");
        row(f.TntComboBox9, "TntComboBox9", "DropDownComboBox", "AdvGroupBox6", {161, 46, 121, 21});
        row(f.TntLabel15, "TntLabel15", "QLabel", "AdvGroupBox6", {304, 29, 137, 17}, "商品型号");
        row(f.TntComboBox10, "TntComboBox10", "DropDownComboBox", "AdvGroupBox6",
            {302, 46, 121, 21});
        row(f.AdvGlowButton20, "AdvGlowButton20", "GlowButton", "AdvGroupBox6", {444, 40, 105, 33},
            "查询");
        row(f.AdvGlowButton21, "AdvGlowButton21", "GlowButton", "AdvPanel11", {616, 14, 105, 33},
            "打印");
        row(f.AdvGlowButton22, "AdvGlowButton22", "GlowButton", "AdvPanel11", {616, 70, 105, 33},
            "导出");
        row(f.DBGridEh5, "DBGridEh5", "DataGrid", "AdvPanel12");
        // Administration.
        row(f.AdvPanel7, "AdvPanel7", "ShadedPanel", "AdvOfficePage4");
        row(f.AdvPanel8, "AdvPanel8", "ShadedPanel", "AdvOfficePage4");
        row(f.AdvPanel9, "AdvPanel9", "ShadedPanel", "AdvPanel8");
        row(f.AdvPanel10, "AdvPanel10", "ShadedPanel", "AdvPanel8");
        row(f.AdvGroupBox3, "AdvGroupBox3", "GroupBox", "AdvPanel7", {15, 14, 272, 177},
            "用户管理");
        row(f.lbl4, "lbl4", "QLabel", "AdvGroupBox3", {14, 40, 69, 17}, "用户名：", right);
        row(f.cbx1, "cbx1", "QComboBox", "AdvGroupBox3", {90, 40, 145, 21});
        row(f.lbl5, "lbl5", "QLabel", "AdvGroupBox3", {14, 76, 69, 17}, "密    码：", right);
        row(f.edt1, "edt1", "QLineEdit", "AdvGroupBox3", {90, 76, 145, 19});
        row(f.AdvGlowButton10, "AdvGlowButton10", "GlowButton", "AdvGroupBox3", {130, 112, 105, 33},
            "保存");
        row(f.AdvGroupBox5, "AdvGroupBox5", "GroupBox", "AdvPanel7", {303, 14, 433, 177},
            "打印表头信息设置");
        row(f.lbl1, "lbl1", "QLabel", "AdvGroupBox5", {20, 36, 109, 17}, "公司名称：", right);
        row(f.edt2, "edt2", "QLineEdit", "AdvGroupBox5", {136, 36, 273, 19});
        row(f.lbl2, "lbl2", "QLabel", "AdvGroupBox5", {20, 68, 109, 17}, "公司地址：", right);
        row(f.edt3, "edt3", "QLineEdit", "AdvGroupBox5", {136, 68, 273, 19});
        row(f.lbl3, "lbl3", "QLabel", "AdvGroupBox5", {12, 100, 117, 17}, "电话及其它信息：",
            right);
        row(f.edt4, "edt4", "QLineEdit", "AdvGroupBox5", {136, 100, 273, 19});
        row(f.AdvGlowButton9, "AdvGlowButton9", "GlowButton", "AdvGroupBox5", {304, 128, 105, 33},
            "保存");
        row(f.lbl6, "lbl6", "QLabel", "AdvPanel9", {12, 32, 117, 17}, "仓库商品信息",
            Qt::AlignHCenter);
        row(f.lbl7, "lbl7", "QLabel", "AdvPanel9", {160, 18, 137, 17}, "商品名称");
        row(f.cbx2, "cbx2", "DropDownComboBox", "AdvPanel9", {161, 35, 121, 21});
        row(f.lbl8, "lbl8", "QLabel", "AdvPanel9", {304, 18, 137, 17}, "商品型号");
        row(f.cbx3, "cbx3", "DropDownComboBox", "AdvPanel9", {302, 35, 121, 21});
        row(f.AdvGlowButton11, "AdvGlowButton11", "GlowButton", "AdvPanel9", {607, 20, 105, 33},
            "查询");
        row(f.DBGridEh4, "DBGridEh4", "DataGrid", "AdvPanel10");
    }
    void controls() {
        QFETCH(QWidget*, member);
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, parent);
        QFETCH(QRect, place);
        QFETCH(QString, caption);
        QFETCH(int, alignment);
        QVERIFY(member);
        QCOMPARE(member->objectName(), name);
        QCOMPARE(form->findChild<QWidget*>(name), member);
        QVERIFY2(member->inherits(kind.toLatin1()), member->metaObject()->className());
        QCOMPARE(member->parentWidget()->objectName(), parent);
        if (!place.isNull())
            QCOMPARE(member->geometry(), place);
        QCOMPARE(captionOf(member), caption);
        if (auto* label = qobject_cast<QLabel*>(member)) {
            QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), alignment);
            QCOMPARE(label->minimumSize(), label->maximumSize());
            QVERIFY(!label->autoFillBackground());
        }
    }

    void comboBoxesAcceptTypingExceptTheUserList() {
        // The pages' own boxes; the dialogs the window owns have theirs.
        const QList<QComboBox*> combos = form->AdvOfficePager1->findChildren<QComboBox*>();
        QCOMPARE(combos.size(), 11);
        for (const QComboBox* combo : combos)
            QCOMPARE(combo->isEditable(), combo != form->cbx1);
    }

    void panelsAndGridsFillTheirPages_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QWidget*>("top");
        QTest::addColumn<int>("height");
        QTest::addColumn<QWidget*>("fill");
        QTest::addColumn<QWidget*>("grid");
        TMainForm& f = *form;
        QTest::newRow("stock in") << 0 << (QWidget*)f.AdvPanel2 << 151 << (QWidget*)f.AdvPanel1
                                  << (QWidget*)f.DBGridEh1;
        QTest::newRow("stock out")
            << 1 << (QWidget*)f.AdvPanel3 << 151 << (QWidget*)f.AdvPanel4 << (QWidget*)f.DBGridEh2;
        QTest::newRow("balance") << 2 << (QWidget*)f.AdvPanel6 << 111 << (QWidget*)f.AdvPanel5
                                 << (QWidget*)f.DBGridEh3;
        QTest::newRow("summary") << 3 << (QWidget*)f.AdvPanel11 << 111 << (QWidget*)f.AdvPanel12
                                 << (QWidget*)f.DBGridEh5;
        QTest::newRow("administration")
            << 4 << (QWidget*)f.AdvPanel7 << 215 << (QWidget*)f.AdvPanel8 << (QWidget*)nullptr;
        QTest::newRow("product list")
            << 4 << (QWidget*)f.AdvPanel9 << 73 << (QWidget*)f.AdvPanel10 << (QWidget*)f.DBGridEh4;
    }
    void panelsAndGridsFillTheirPages() {
        QFETCH(int, page);
        QFETCH(QWidget*, top);
        QFETCH(int, height);
        QFETCH(QWidget*, fill);
        QFETCH(QWidget*, grid);
        form->show();
        form->AdvOfficePager1->setCurrentIndex(page);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCoreApplication::sendPostedEvents();
        const QRect area = top->parentWidget()->rect();
        QCOMPARE(top->geometry(), QRect(0, 0, area.width(), height));
        QCOMPARE(fill->geometry(), QRect(0, height, area.width(), area.height() - height));
        if (grid)
            QCOMPARE(grid->geometry(), fill->rect());
        form->AdvOfficePager1->setCurrentIndex(0);
    }

    void tabOrder_data() {
        QTest::addColumn<QList<QWidget*>>("order");
        TMainForm& f = *form;
        QTest::newRow("stock in") << QList<QWidget*>{
            f.DateTimePicker2, f.TntComboBox5,   f.TntComboBox6,
            f.DateTimePicker3, f.AdvGlowButton4, f.AdvGlowButton1,
            f.AdvGlowButton2,  f.AdvGlowButton3, f.DBGridEh1->view()};
        QTest::newRow("stock out")
            << QList<QWidget*>{f.DateTimePicker1, f.TntComboBox1,   f.TntComboBox2,
                               f.DateTimePicker4, f.AdvGlowButton5, f.AdvGlowButton6,
                               f.AdvGlowButton7,  f.AdvGlowButton8, f.DBGridEh2->view()};
        QTest::newRow("balance") << QList<QWidget*>{
            f.DateTimePicker7, f.TntComboBox7,    f.TntComboBox8,    f.BelowMinimumCheck,
            f.AdvGlowButton13, f.AdvGlowButton15, f.AdvGlowButton16, f.DBGridEh3->view()};
        QTest::newRow("summary") << QList<QWidget*>{
            f.DateTimePicker8, f.DateTimePicker9, f.TntComboBox9,    f.TntComboBox10,
            f.AdvGlowButton20, f.AdvGlowButton21, f.AdvGlowButton22, f.DBGridEh5->view()};
        QTest::newRow("administration") << QList<QWidget*>{f.cbx1,
                                                           f.edt1,
                                                           f.AdvGlowButton10,
                                                           f.edt2,
                                                           f.edt3,
                                                           f.edt4,
                                                           f.AdvGlowButton9,
                                                           f.cbx2,
                                                           f.cbx3,
                                                           f.AdvGlowButton11,
                                                           f.DBGridEh4->view()};
    }
    void tabOrder() {
        QFETCH(QList<QWidget*>, order);
        // The order in which the focus chain first reaches each of the page's controls.
        QList<QWidget*> reached;
        QWidget* widget = order.first();
        for (int step = 0; step < 500 && reached.size() < order.size(); ++step) {
            if (order.contains(widget) && !reached.contains(widget))
                reached << widget;
            widget = widget->nextInFocusChain();
        }
        QCOMPARE(reached, order);
    }

    void gridColumns_data() {
        QTest::addColumn<DataGrid*>("grid");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("query");
        auto movement = [](const QString& quantityTitle, const QString& dateTitle) {
            return QStringList{"ProductSerial|商品编号|80||static||blue",
                               "ProductName|商品名称|120||||",
                               "ProductType|商品型号|120||||",
                               "ProductUnit|单位|60||||",
                               "StoreNumber|" + quantityTitle + "|70|#,###.00|sum|#,###.00|magenta",
                               "StorePrice|价格|70|#,###.00|||",
                               "StoreSum|金额|90|￥ #,###.00|sum|￥ #,###.00|blue",
                               "StoreRecordDate|" + dateTitle + "|100||||",
                               "StoreRemark|备注|250||||"};
        };
        const QStringList in = movement("入库数量", "入库时间");
        const QStringList out = movement("出库数量", "出库时间");
        QTest::newRow("DBGridEh1") << form->DBGridEh1 << in << "ADOQueryStoreIn";
        QTest::newRow("DBGridEh2") << form->DBGridEh2 << out << "ADOQueryStoreOut";
        QTest::newRow("DBGridEh3")
            << form->DBGridEh3
            << QStringList{"ProductSerial|商品编号|100||static||blue",
                           "ProductName|商品名称|100||||",
                           "ProductType|商品型号|100||||",
                           "ProductUnit|单位|50||||",
                           "StoreInNumber|入库数量|80|#,###.00|sum||blue",
                           "StoreOutNumber|出库数量|80|#,###.00|sum||red",
                           "StoreBalanceNumber|当前库存|80|#,###.00|sum||magenta"}
            << "ADOQueryStore";
        QTest::newRow("DBGridEh5")
            << form->DBGridEh5
            << QStringList{"ProductSerial|商品编号|70||static||blue",
                           "ProductName|商品名称|90||||",
                           "ProductType|商品型号|80||||",
                           "ProductUnit|单位|40||||",
                           "StoreBeginNumber|期初库存|70|#,###.00|sum||magenta",
                           "StorePeriodInNumber|本期入库|70|#,###.00|sum||blue",
                           "StorePeriodOutNumber|本期出库|70|#,###.00|sum||red",
                           "StoreEndNumber|期末库存|70|#,###.00|sum||magenta",
                           "StorePeriodInSum|入库金额|80|￥ #,###.00|sum|￥ #,###.00|blue",
                           "StorePeriodOutSum|出库金额|80|￥ #,###.00|sum|￥ #,###.00|red"}
            << "ADOQuerySummary";
        QTest::newRow("DBGridEh4")
            << form->DBGridEh4
            << QStringList{"ProductSerial|商品编号|100||static||blue",
                           "ProductName|商品名称|150||||", "ProductType|商品型号|150||||",
                           "ProductUnit|单位|50||||", "ProductMinimum|库存下限|70|#,##0.00|||"}
            << "ADOQueryProduct";
    }
    void gridColumns() {
        QFETCH(DataGrid*, grid);
        QFETCH(QStringList, columns);
        QFETCH(QString, query);
        QCOMPARE(describeColumns(grid), columns);
        QVERIFY(grid->dataSet());
        QCOMPARE(grid->dataSet()->objectName(), query);
        QVERIFY(!grid->dataSet()->Active());
        QVERIFY(grid->OnDrawColumnCell);
        QCOMPARE(bool(grid->OnGetCellParams), grid == form->DBGridEh3 || grid == form->DBGridEh5);
        for (int i = 0; i < grid->columnCount(); ++i)
            QCOMPARE(grid->view()->columnWidth(i), grid->column(i).Width);
        QCOMPARE(grid->view()->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid->view()->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    // Every page grabbed at its layout size over long values: each cell and footer shows its
    // whole text or its beginning with "…", never a text cut at both ends; the common values
    // show whole; a shortened cell has its whole text as tooltip.
    void pagesShowNoValueCut_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("stock in") << 0;
        QTest::newRow("stock out") << 1;
        QTest::newRow("stock balance") << 2;
        QTest::newRow("period summary") << 3;
        QTest::newRow("product list") << 4;
    }
    void pagesShowNoValueCut() {
        QFETCH(int, page);
        DataGrid* g = filledGrid(page);
        QWidget* pageWidget = showFilledPage(page);
        QVERIFY(pageWidget);
        QCOMPARE(pageWidget->size(), QSize(755, 506));
        const QImage image = pageWidget->grab().toImage();
        saveGrab(image, QString("page%1").arg(page + 1));

        const QTableView* view = g->view();
        const QFontMetrics metrics(DataGrid::textFont());
        const int rows = g->model()->rowCount();
        QCOMPARE(rows, 2);
        int shortened = 0;
        for (int row = 0; row < rows; ++row) {
            const bool common = g->cellText(row, 0) == "ABCD123456";
            for (int column = 0; column < g->columnCount(); ++column) {
                const QRect cell = view->visualRect(g->model()->index(row, column));
                if (!view->viewport()->rect().contains(cell))
                    continue; // scrolled out of sight
                const QString whole = g->cellText(row, column);
                const QString shown = g->shownCellText(row, column);
                const QString where = QString("row %1, %2").arg(row).arg(g->column(column).Title);
                if (common)
                    QVERIFY2(shown == whole, qPrintable(where + ": " + shown));
                shortened += shown != whole ? 1 : 0;
                const QRect inPage(view->viewport()->mapTo(pageWidget, cell.topLeft()),
                                   cell.size());
                checkPaintedText(image, inPage.adjusted(2, 0, -2, 0), shown, whole, metrics, where);
                QCOMPARE(g->model()->index(row, column).data(Qt::ToolTipRole).toString(), whole);
            }
        }
        QVERIFY(shortened > 0);

        GridFooter* footer = g->footer();
        for (int column = 0; column < g->columnCount(); ++column) {
            const QRect cell = footer->cellRect(column);
            if (cell.right() >= footer->width())
                continue;
            const QRect inPage(footer->mapTo(pageWidget, cell.topLeft()), cell.size());
            checkPaintedText(image, inPage.adjusted(2, 1, -3, 0), footer->shownText(column),
                             g->footerText(column), metrics,
                             "footer of " + g->column(column).Title);
        }
        QVERIFY(g->footerText(0).startsWith("共 "));
    }

    void shortenedTextsHaveTheirWholeTextAsTooltip() {
        TMainForm& f = filled->form;
        QVERIFY(showFilledPage(0));
        DataGrid* g = f.DBGridEh1;
        QWidget* viewport = g->view()->viewport();
        auto hoverCell = [&](int row, int column) {
            const QPoint at = g->view()->visualRect(g->model()->index(row, column)).center();
            QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
            QCoreApplication::sendEvent(viewport, &help);
        };
        hoverCell(0, 1); // "螺丝" fits
        QVERIFY(!QToolTip::isVisible());
        QVERIFY(g->shownCellText(1, 1) != g->cellText(1, 1));
        hoverCell(1, 1);
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), g->cellText(1, 1));

        // The amount sum, a footer too long for its column.
        const int amount = 6;
        QVERIFY(g->footer()->shownText(amount) != g->footerText(amount));
        const QPoint at = g->footer()->cellRect(amount).center();
        QHelpEvent help(QEvent::ToolTip, at, g->footer()->mapToGlobal(at));
        QCoreApplication::sendEvent(g->footer(), &help);
        QCOMPARE(QToolTip::text(), g->footerText(amount));
        QToolTip::hideText();
    }

    // With a sort marker every title keeps clear of it, in the layout and in the painting:
    // blank room between the title's last stroke and the marker; a title shortened for it
    // shows whole as tooltip.
    void sortMarkerHasRoomOfItsOwn_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("narrowedTo"); // 0: the layout's widths
        QTest::newRow("stock in") << 0 << 0;
        QTest::newRow("stock in, narrow columns") << 0 << 36;
        QTest::newRow("stock balance") << 2 << 0;
        QTest::newRow("product list") << 4 << 0;
    }
    void sortMarkerHasRoomOfItsOwn() {
        QFETCH(int, page);
        QFETCH(int, narrowedTo);
        DataGrid* g = filledGrid(page);
        QVERIFY(showFilledPage(page));
        auto* header = static_cast<GridTitleHeader*>(g->view()->horizontalHeader());
        QList<int> widths;
        for (int column = 0; column < g->columnCount(); ++column) {
            widths << g->column(column).Width;
            if (narrowedTo > 0)
                g->setColumnWidth(column, narrowedTo);
        }
        for (int column = 0; column < g->columnCount(); ++column) {
            const QRect section(header->sectionViewportPosition(column), 0,
                                header->sectionSize(column), header->height());
            if (section.right() >= header->viewport()->width())
                continue;
            g->setSortMarker(column, SortMarker::smUpEh);
            const GridTitleHeader::TitleLayout layout = header->titleLayout(column);
            const QString title = g->column(column).Title;
            QVERIFY2(isWholeOrShortenedAtItsEnd(layout.text, title), qPrintable(layout.text));
            QVERIFY(section.contains(layout.textRect));
            QVERIFY(section.contains(layout.markerRect));
            QVERIFY2(layout.textRect.right() + 2 < layout.markerRect.left(), qPrintable(title));
            if (layout.text != title) { // shortened: the whole title as tooltip
                QHelpEvent help(QEvent::ToolTip, section.center(),
                                header->viewport()->mapToGlobal(section.center()));
                QCoreApplication::sendEvent(header->viewport(), &help);
                QCOMPARE(QToolTip::text(), title);
            }

            const QImage image = header->viewport()->grab().toImage();
            if (column == 4)
                saveGrab(image, QString("titles, %1").arg(QTest::currentDataTag()));
            const QRect between(layout.textRect.right() + 2, 2,
                                layout.markerRect.left() - layout.textRect.right() - 3,
                                header->height() - 4);
            QCOMPARE(inkSpan(image, between), std::make_pair(-1, -1));
            QVERIFY(inkSpan(image, layout.markerRect).first >= 0);
            QVERIFY(inkSpan(image, layout.textRect.adjusted(0, 2, 0, -2)).first >= 0);
        }
        g->setSortMarker(0, SortMarker::smNoneEh);
        for (int column = 0; column < g->columnCount(); ++column)
            g->setColumnWidth(column, widths[column]);
    }

    // A double-click on the border right of a title fits the column to its widest value, its
    // footer and its title (beside a sort marker): everything whole, and one pixel less would
    // shorten something. Dragging the border widens the column.
    void columnsFitOnDoubleClickAndWidenByDragging_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("stock in") << 0;
        QTest::newRow("stock balance") << 2;
        QTest::newRow("product list") << 4;
    }
    void columnsFitOnDoubleClickAndWidenByDragging() {
        QFETCH(int, page);
        DataGrid* g = filledGrid(page);
        QVERIFY(showFilledPage(page));
        QHeaderView* titles = g->view()->horizontalHeader();
        auto* header = static_cast<GridTitleHeader*>(titles);
        QList<int> widths;
        for (int column = 0; column < g->columnCount(); ++column)
            widths << g->column(column).Width;
        g->setSortMarker(1, SortMarker::smUpEh);
        const auto allWhole = [&](int column) {
            for (int row = 0; row < g->model()->rowCount(); ++row) {
                if (g->shownCellText(row, column) != g->cellText(row, column))
                    return false;
            }
            return g->footer()->shownText(column) == g->footerText(column) &&
                   header->titleLayout(column).text == g->column(column).Title;
        };
        // The border of a title, in the title row's coordinates, brought into sight first.
        const auto border = [&](int column) {
            g->view()->scrollTo(g->model()->index(0, column));
            QCoreApplication::processEvents();
            return QPoint(titles->sectionViewportPosition(column) + titles->sectionSize(column) - 1,
                          titles->height() / 2);
        };
        int shortenedBefore = 0;
        for (int column = 0; column < g->columnCount(); ++column) {
            shortenedBefore += allWhole(column) ? 0 : 1;
            QTest::mouseDClick(titles->viewport(), Qt::LeftButton, Qt::NoModifier, border(column));
            const int fitted = g->view()->columnWidth(column);
            QCOMPARE(fitted, g->fittingColumnWidth(column));
            QCOMPARE(g->column(column).Width, fitted);
            QVERIFY2(allWhole(column), qPrintable(g->column(column).Title));
            g->setColumnWidth(column, fitted - 1);
            QVERIFY2(!allWhole(column), qPrintable(g->column(column).Title));
            g->setColumnWidth(column, fitted);
            QCOMPARE(g->footer()->cellRect(column).width(), fitted);
        }
        QVERIFY(shortenedBefore > 0);
        saveGrab(g->window()->grab().toImage(), QString("fitted columns, page %1").arg(page + 1));

        const QPoint from = border(0);
        const int before = g->view()->columnWidth(0);
        QTest::mousePress(titles->viewport(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(titles->viewport(), from + QPoint(40, 0));
        QTest::mouseRelease(titles->viewport(), Qt::LeftButton, Qt::NoModifier,
                            from + QPoint(40, 0));
        QCOMPARE(g->view()->columnWidth(0), before + 40);
        QCOMPARE(g->column(0).Width, before + 40);
        QCOMPARE(g->sortMarker(1), SortMarker::smUpEh); // a border is no title click

        g->setSortMarker(1, SortMarker::smNoneEh);
        for (int column = 0; column < g->columnCount(); ++column)
            g->setColumnWidth(column, widths[column]);
    }

    // The indicator's title cell opens a menu of the columns with check marks: hidden columns
    // leave no gap in the rows, titles and footer, stay hidden over a new query, and come back.
    void columnChooserHidesAndShowsColumns() {
        TMainForm& f = filled->form;
        DataGrid* g = f.DBGridEh1;
        QVERIFY(showFilledPage(0));
        GridColumnChooser* chooser = g->columnChooser();
        QHeaderView* titles = g->view()->horizontalHeader();
        QCOMPARE(chooser->parentWidget(), g->view());
        QCOMPARE(chooser->geometry(),
                 QRect(0, 0, g->view()->verticalHeader()->width(), titles->height()));
        QVERIFY(chooser->isVisible());
        const QStringList all = shownTitles(g);

        auto choose = [&](int column) {
            QTest::mouseClick(chooser, Qt::LeftButton);
            QMenu* menu = chooser->menu();
            QTRY_VERIFY(menu->isVisible());
            QAction* action = menu->actions().at(column);
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            QTRY_VERIFY(!menu->isVisible());
        };
        auto checks = [&] {
            QList<bool> checked;
            for (const QAction* action : chooser->menu()->actions())
                checked << action->isChecked();
            return checked;
        };
        QTest::mouseClick(chooser, Qt::LeftButton);
        QTRY_VERIFY(chooser->menu()->isVisible());
        QStringList menuTitles;
        for (const QAction* action : chooser->menu()->actions())
            menuTitles << action->text();
        QCOMPARE(menuTitles, all);
        QCOMPARE(checks(), QList<bool>(all.size(), true));
        chooser->menu()->close();

        const int quantity = 4;
        choose(0);
        choose(quantity);
        QStringList expected = all;
        expected.removeAt(quantity);
        expected.removeAt(0);
        GridFooter* footer = g->footer();
        auto checkHidden = [&] {
            QCOMPARE(shownTitles(g), expected);
            QVERIFY(!g->column(0).Visible && !g->column(quantity).Visible);
            QCOMPARE(titles->sectionViewportPosition(1), 0);
            QVERIFY(footer->cellRect(0).isEmpty() && footer->cellRect(quantity).isEmpty());
            const int viewportLeft =
                g->view()->viewport()->mapTo(g, QPoint(0, 0)).x() - footer->x();
            QCOMPARE(footer->cellRect(1).left(), viewportLeft);
            QCOMPARE(footer->cellRect(quantity + 1).left(),
                     footer->cellRect(quantity - 1).right() + 1);
        };
        checkHidden();
        f.QueryStoreIn(QString());
        QCoreApplication::sendPostedEvents();
        checkHidden();
        QCOMPARE(g->model()->rowCount(), 2);

        QList<bool> expectedChecks(all.size(), true);
        expectedChecks[0] = expectedChecks[quantity] = false;
        choose(quantity);
        expectedChecks[quantity] = true;
        QTest::mouseClick(chooser, Qt::LeftButton);
        QTRY_VERIFY(chooser->menu()->isVisible());
        QCOMPARE(checks(), expectedChecks);
        chooser->menu()->close();
        choose(0);
        QCOMPARE(shownTitles(g), all);
        QCOMPARE(g->view()->columnWidth(0), 80);
        QCOMPARE(g->view()->columnWidth(quantity), 70);
        QCOMPARE(footer->cellRect(0).width(), 80);

        // The last column shown stays: its entry cannot be unchecked.
        for (int column = 1; column < g->columnCount(); ++column)
            g->setColumnVisible(column, false);
        QTest::mouseClick(chooser, Qt::LeftButton);
        QTRY_VERIFY(chooser->menu()->isVisible());
        QVERIFY(!chooser->menu()->actions().at(0)->isEnabled());
        QVERIFY(chooser->menu()->actions().at(1)->isEnabled());
        chooser->menu()->close();
        for (int column = 1; column < g->columnCount(); ++column)
            g->setColumnVisible(column, true);
    }

    // Maximised and back at its normal size, or made larger and back, every page looks as
    // before: the horizontal scroll bar under the footer, no gap above the footer.
    void maximiseAndRestoreGiveTheSamePicture_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("maximise"); // else resized by the user
        QTest::newRow("stock in, maximised") << 0 << true;
        QTest::newRow("stock in, resized") << 0 << false;
        QTest::newRow("stock out, maximised") << 1 << true;
        QTest::newRow("stock balance, maximised") << 2 << true;
        QTest::newRow("product list, resized") << 4 << false;
    }
    void maximiseAndRestoreGiveTheSamePicture() {
        QFETCH(int, page);
        QFETCH(bool, maximise);
        TMainForm& f = filled->form;
        QWidget* pageWidget = showFilledPage(page);
        QVERIFY(pageWidget);
        QCoreApplication::processEvents();
        const QSize normal = f.size();
        const QImage before = f.grab().toImage();
        const auto* scrollBar = filledGrid(page)->findChild<QScrollBar*>("horizontalScroll");
        QVERIFY(scrollBar);
        // The stock pages' columns are wider than the page; the balance and products fit.
        QCOMPARE(scrollBar->isVisible(), page < 2);
        for (int round = 0; round < 2; ++round) {
            if (maximise)
                f.showMaximized();
            else
                f.resize(1500, 850);
            QTRY_VERIFY(f.size().width() > normal.width());
            QCoreApplication::processEvents();
            QVERIFY(!scrollBar->isVisible()); // everything fits
            if (round == 0)
                saveGrab(f.grab().toImage(), QString("larger, page %1").arg(page + 1));
            if (maximise)
                f.showNormal();
            else
                f.resize(normal);
            QTRY_COMPARE(f.size(), normal);
            QCoreApplication::processEvents();
        }
        const QImage after = f.grab().toImage();
        saveGrab(after, QString("back to normal, page %1").arg(page + 1));
        QCOMPARE(scrollBar->isVisible(), page < 2);
        QCOMPARE(after, before);
    }

    // Ctrl+Tab and Ctrl+PgDn go to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the one
    // before, round the ends, past the administration page while it is hidden; wherever the
    // focus is on the page.
    void keysSwitchPages_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("administrator");
        QTest::addColumn<int>("to");
        const int ctrl = int(Qt::ControlModifier);
        const int ctrlShift = int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("Ctrl+Tab") << 0 << int(Qt::Key_Tab) << ctrl << true << 1;
        QTest::newRow("Ctrl+PgDn") << 1 << int(Qt::Key_PageDown) << ctrl << true << 2;
        QTest::newRow("Ctrl+Tab to the summary") << 2 << int(Qt::Key_Tab) << ctrl << true << 3;
        QTest::newRow("Ctrl+Tab to administration") << 3 << int(Qt::Key_Tab) << ctrl << true << 4;
        QTest::newRow("Ctrl+Tab round") << 4 << int(Qt::Key_Tab) << ctrl << true << 0;
        QTest::newRow("Ctrl+Tab past hidden") << 3 << int(Qt::Key_Tab) << ctrl << false << 0;
        QTest::newRow("Ctrl+Shift+Tab") << 2 << int(Qt::Key_Backtab) << ctrlShift << true << 1;
        QTest::newRow("Ctrl+PgUp round") << 0 << int(Qt::Key_PageUp) << ctrl << true << 4;
        QTest::newRow("Ctrl+PgUp past hidden") << 0 << int(Qt::Key_PageUp) << ctrl << false << 3;
    }
    void keysSwitchPages() {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, administrator);
        QFETCH(int, to);
        TMainForm& f = filled->form;
        f.setAdministrationVisible(administrator);
        QVERIFY(showFilledPage(from));
        QTRY_COMPARE(QApplication::activeWindow(), &f);
        // From a filter box, a date box and the grid.
        QWidget* const inPage[][3] = {
            {f.TntComboBox5, f.DateTimePicker3, f.DBGridEh1->view()},
            {f.TntComboBox2, f.DateTimePicker1, f.DBGridEh2->view()},
            {f.TntComboBox8, f.DateTimePicker7, f.DBGridEh3->view()},
            {f.TntComboBox10, f.DateTimePicker9, f.DBGridEh5->view()},
            {f.cbx3, f.edt2, f.DBGridEh4->view()},
        };
        for (QWidget* focus : inPage[from]) {
            f.AdvOfficePager1->setCurrentIndex(from);
            focus->setFocus();
            QCOMPARE(QApplication::focusWidget()->window(), &f);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                            Qt::KeyboardModifiers(modifiers));
            QCOMPARE(f.AdvOfficePager1->currentIndex(), to);
        }
        f.setAdministrationVisible(true);
    }

    // Ctrl+F goes to the page's first filter, its text selected for typing over.
    void ctrlFGoesToTheFirstFilter_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("filter");
        QTest::newRow("stock in") << 0 << "DateTimePicker2";
        QTest::newRow("stock out") << 1 << "DateTimePicker1";
        QTest::newRow("stock balance") << 2 << "DateTimePicker7";
        QTest::newRow("period summary") << 3 << "DateTimePicker8";
        QTest::newRow("product list") << 4 << "cbx2";
    }
    void ctrlFGoesToTheFirstFilter() {
        QFETCH(int, page);
        QFETCH(QString, filter);
        TMainForm& f = filled->form;
        QVERIFY(showFilledPage(page));
        QTRY_COMPARE(QApplication::activeWindow(), &f);
        filledGrid(page)->view()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        while (focus->objectName().isEmpty() && focus->parentWidget())
            focus = focus->parentWidget();
        QCOMPARE(focus->objectName(), filter);
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (!edit)
            edit = QApplication::focusWidget()->findChild<QLineEdit*>();
        QVERIFY(edit);
        QCOMPARE(edit->selectedText(), edit->text());
    }

    void administrationTabShowsAndHides() {
        OfficePager* pager = form->AdvOfficePager1;
        pager->setCurrentIndex(4);
        form->setAdministrationVisible(false);
        QCOMPARE(pager->visibleTabCount(), 4);
        QVERIFY(!pager->isTabVisible(4));
        QVERIFY(pager->isTabVisible(3)); // the summary is every user's
        QCOMPARE(pager->currentIndex(), 0);
        pager->setTabVisible(4, true);
        QCOMPARE(pager->visibleTabCount(), 5);
    }

    // Each window works on the data module it is given: two windows over two files, side by
    // side, list, offer and show what their own file holds, and save into it.
    void windowsWorkOnTheirOwnDatabase() {
        const auto windowOver = [](const QString& name) {
            return std::make_unique<TestWindow>(QStringList{
                "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) "
                "values ('S1','" +
                    name + "','M1','个')",
                "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
                "StoreRecordDate) values (1,0,2,3,6,'2024-01-02 00:00:00'),"
                "(1,1,1,3,3,'2024-01-03 00:00:00')",
                "insert into Remarks (RemarksName,RemarksValue) values ('公司名称','" + name + "')",
                "insert into Power (PowerName,PowerKey) values ('" + name + "','')"});
        };
        const auto first = windowOver("甲店");
        const auto second = windowOver("乙店");
        const auto entries = [](const QComboBox* combo) {
            QStringList texts;
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
            return texts;
        };
        const auto showsItsOwn = [&](const TestWindow& window, const QString& name) {
            const TMainForm& f = *window.form;
            for (const Query* list :
                 {&f.ADOQueryStoreIn, &f.ADOQueryStoreOut, &f.ADOQueryStore, &f.ADOQueryProduct}) {
                QCOMPARE(list->RecordCount(), 1);
                QCOMPARE(list->AsString("ProductName"), name);
            }
            for (const QComboBox* names : {f.TntComboBox5, f.TntComboBox1, f.TntComboBox7, f.cbx2})
                QCOMPARE(entries(names), QStringList({"所有", name}));
            QCOMPARE(entries(f.cbx1), QStringList({"管理员", name}));
            QCOMPARE(f.edt2->text(), name);
        };
        showsItsOwn(*first, "甲店");
        showsItsOwn(*second, "乙店");

        first->form->edt2->setText("甲店新名");
        first->form->AdvGlowButton9Click();
        const QString stored = "select RemarksValue from Remarks where RemarksName='公司名称'";
        QCOMPARE(first->db.scalar(stored), "甲店新名");
        QCOMPARE(second->db.scalar(stored), "乙店");
    }

    void lifecycleEventsAreForwarded() {
        RecordingLifecycle lifecycle;
        TMainForm window(unconnected, "/tmp/");
        window.setLifecycle(&lifecycle);
        window.show();
        QCOMPARE(lifecycle.calls, QStringList()); // queued: the window shows first
        QCoreApplication::processEvents();
        QCOMPARE(lifecycle.calls, QStringList{"show"});
        window.hide();
        window.show();
        QCoreApplication::processEvents();
        QCOMPARE(lifecycle.calls, QStringList{"show"}); // only the first showing

        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        lifecycle.failQuery = true;
        lifecycle.allowClose = true;
        QVERIFY(!window.close()); // a failing question keeps the window open
        QCOMPARE(MessageBoxes::shown().last().text, "question failed");
        lifecycle.failQuery = false;
        QVERIFY(window.close());
        QCOMPARE(lifecycle.calls, QStringList({"show", "query", "query", "query", "close"}));
    }

    void withoutLifecycleTheWindowSimplyCloses() {
        TMainForm window(unconnected, "/tmp/");
        bool canClose = true;
        window.FormCloseQuery(canClose);
        QVERIFY(canClose);
        window.show();
        QVERIFY(window.close());
    }

    // After log-in the grids show their first rows while the lists are still being fetched; the
    // footer says it is counting until the list is complete, then it shows what a list filled at
    // once shows, the rest added after the rows shown. The filter boxes are filled only after
    // the first rows are in.
    void listsFillInTheBackgroundAfterLogIn() {
        TestDatabase db;
        db.exec("insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
                "('A1','螺丝','M3','个')");
        db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
                "StoreRecordDate) with recursive n(x) as (select 1 union all select x+1 from n "
                "where x<600) select 1, 0, x, 1.5, x*1.5, '2024-05-01 00:00:00' from n");
        TMainForm form(db.dm(), db.dir().path());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        DataGrid* grid = form.DBGridEh1;
        QSignalSpy inserted(grid->model(), &QAbstractItemModel::rowsInserted);
        int namesWhenFirstRowsIn = -1;
        QImage whileFilling;
        connect(&form.ADOQueryStoreIn, &Query::changed, this, [&] {
            if (namesWhenFirstRowsIn < 0 && form.ADOQueryStoreIn.RowsReady() > 0) {
                namesWhenFirstRowsIn = form.TntComboBox5->count();
                whileFilling = form.grab().toImage();
            }
        });
        form.InitializePages();
        QVERIFY(form.ADOQueryStoreIn.Filling());
        QCOMPARE(grid->footerText(0), "正在统计…");
        QTRY_VERIFY(!form.ListsFilling());
        QCOMPARE(namesWhenFirstRowsIn, 0);
        // The first screen was painted while counting: rows and the footer's note, not a blank
        // grid.
        saveGrab(whileFilling, "filling");
        saveGrab(form.grab().toImage(), "filled");
        const QRect firstRow = grid->view()->visualRect(grid->model()->index(0, 1));
        const QRect inWindow(grid->view()->viewport()->mapTo(&form, firstRow.topLeft()),
                             firstRow.size());
        QVERIFY(inkSpan(whileFilling, inWindow.adjusted(1, 1, -1, -1)).first >= 0);
        QVERIFY(form.TntComboBox5->findText("螺丝") >= 0);
        QVERIFY(form.cbx2->findText("螺丝") >= 0);

        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted[0][1].toInt(), 256);
        QCOMPARE(grid->model()->rowCount(), 600);
        QStringList filled;
        for (int column = 0; column < grid->columnCount(); ++column)
            filled << grid->footerText(column);
        form.QueryStoreIn(QString());
        QStringList atOnce;
        for (int column = 0; column < grid->columnCount(); ++column)
            atOnce << grid->footerText(column);
        QCOMPARE(filled, atOnce);
        QVERIFY(filled.join('|').contains("180,300"));
    }

    // A new log-in while the boxes of the last one are still being filled starts afresh: the
    // stock-in boxes again wait for the stock-in list's first rows.
    void aNewLogInWhileTheFilterBoxesAreFilledWaitsAgain() {
        TestDatabase db;
        db.exec("insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
                "('A1','螺丝','M3','个')");
        db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
                "StoreRecordDate) values (1, 0, 2, 1.5, 3, '2024-05-01 00:00:00')");
        TMainForm form(db.dm(), db.dir().path());
        int round = 0;
        int namesWhenFirstRowsIn = -1;
        connect(&form.ADOQueryStoreIn, &Query::changed, this, [&] {
            if (form.ADOQueryStoreIn.RowsReady() == 0)
                return;
            if (round == 1) {
                round = 2; // the first rows are in: the boxes are about to be filled
                form.InitializePages();
            } else if (round == 2 && namesWhenFirstRowsIn < 0) {
                namesWhenFirstRowsIn = form.TntComboBox5->count();
            }
        });
        round = 1;
        form.InitializePages();
        QTRY_VERIFY(!form.ListsFilling());
        QCOMPARE(round, 2);
        QCOMPARE(namesWhenFirstRowsIn, 0);
        QVERIFY(form.TntComboBox5->findText("螺丝") >= 0);
        QVERIFY(form.cbx2->findText("螺丝") >= 0);
    }

    // What a clerk types into a filter box before its page's boxes are filled stays there; a box
    // nobody typed into shows the whole list's entry.
    void textTypedBeforeTheFilterBoxesAreFilledStays() {
        TestDatabase db;
        db.exec("insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
                "('A1','螺丝','M3','个'), ('A2','螺母','M4','个')");
        TMainForm form(db.dm(), db.dir().path());
        form.InitializePages();
        QCOMPARE(form.TntComboBox5->count(), 0);
        form.TntComboBox5->setEditText("螺");
        form.TntComboBox6->setEditText("M");
        form.TntComboBox7->setEditText("螺母");
        form.cbx3->setEditText("M9");
        QTRY_VERIFY(!form.ListsFilling());
        QCOMPARE(form.TntComboBox5->currentText(), "螺");
        QCOMPARE(form.TntComboBox6->currentText(), "M");
        QCOMPARE(form.TntComboBox7->currentText(), "螺母");
        QCOMPARE(form.TntComboBox7->currentIndex(), form.TntComboBox7->findText("螺母"));
        QCOMPARE(form.cbx3->currentText(), "M9");
        QCOMPARE(form.TntComboBox1->currentText(), AllItems);
        QCOMPARE(form.cbx2->currentText(), AllItems);
        QVERIFY(form.TntComboBox5->findText("螺丝") >= 0);

        // Filled again (a new log-in, a restore), the boxes start afresh.
        form.InitializePages();
        QTRY_VERIFY(!form.ListsFilling());
        QCOMPARE(form.TntComboBox5->currentText(), AllItems);
        QCOMPARE(form.cbx3->currentText(), AllItems);
    }
};

int main(int argc, char** argv) {
    // The display-less platform's screen (800 × 800) is smaller than the window, so that
    // maximising would make it smaller: give it a screen of a common desktop's size.
    QTemporaryDir folder;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && folder.isValid()) {
        QFile config(folder.filePath("screens.json"));
        if (config.open(QIODevice::WriteOnly)) {
            config.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1600,
                             "height": 900, "logicalDpi": 96, "logicalBaseDpi": 96,
                             "dpr": 1.0}]})");
            config.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
        }
    }
    QApplication app(argc, argv);
    TestMainForm test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_mainform.moc"
