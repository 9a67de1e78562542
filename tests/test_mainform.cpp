// The main window: every named control with its caption, place and tab order, the grids'
// columns, the administration tab, and the life-cycle events forwarded to the program.
#include "DataError.h"
#include "DataGrid.h"
#include "DatePicker.h"
#include "DropDownComboBox.h"
#include "FixedLabel.h"
#include "GlowButton.h"
#include "GroupBox.h"
#include "MainFromUnit.h"
#include "MessageBoxes.h"
#include "OfficePager.h"
#include "ShadedPanel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>
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

} // namespace

Q_DECLARE_METATYPE(QWidget*)

class TestMainForm : public QObject {
    Q_OBJECT

    std::unique_ptr<TMainForm> form;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        MessageBoxes::setScripted(true);
        form = std::make_unique<TMainForm>("/opt/varnholt/");
    }
    void cleanupTestCase() { form.reset(); }

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
        QCOMPARE(form->AdvOfficePager1->count(), 4);
        QCOMPARE(form->AdvOfficePager1->currentIndex(), 0);
        const QList<QWidget*> pages{form->AdvOfficePage1, form->AdvOfficePage2,
                                    form->AdvOfficePage3, form->AdvOfficePage4};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(form->AdvOfficePager1->page(i), pages[i]);
            QCOMPARE(pages[i]->objectName(), QString("AdvOfficePage%1").arg(i + 1));
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
        TMainForm window("/tmp/");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.fitToFrame(frame);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(window.size(), QSize(936, 563).shrunkBy(frame));
        for (int i = 0; i < 4; ++i) {
            window.AdvOfficePager1->setCurrentIndex(i);
            QCoreApplication::sendPostedEvents();
            QCOMPARE(window.AdvOfficePager1->page(i)->size(), page);
        }
    }

    // Shown on the screen, the window fits itself to the frame it is given there.
    void shownWindowTakesItsOuterSize() {
        TMainForm window("/tmp/");
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
        row(f.AdvGlowButton15, "AdvGlowButton15", "GlowButton", "AdvPanel6", {616, 14, 105, 33},
            "打印");
        row(f.AdvGlowButton16, "AdvGlowButton16", "GlowButton", "AdvPanel6", {616, 70, 105, 33},
            "导出");
        row(f.DBGridEh3, "DBGridEh3", "DataGrid", "AdvPanel5");
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
        QCOMPARE(combos.size(), 9);
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
        QTest::newRow("administration")
            << 3 << (QWidget*)f.AdvPanel7 << 215 << (QWidget*)f.AdvPanel8 << (QWidget*)nullptr;
        QTest::newRow("product list")
            << 3 << (QWidget*)f.AdvPanel9 << 73 << (QWidget*)f.AdvPanel10 << (QWidget*)f.DBGridEh4;
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
            f.DateTimePicker7, f.TntComboBox7,    f.TntComboBox8,     f.AdvGlowButton13,
            f.AdvGlowButton15, f.AdvGlowButton16, f.DBGridEh3->view()};
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
        QTest::newRow("DBGridEh4")
            << form->DBGridEh4
            << QStringList{"ProductSerial|商品编号|100||static||blue",
                           "ProductName|商品名称|150||||", "ProductType|商品型号|150||||",
                           "ProductUnit|单位|50||||"}
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
        QCOMPARE(bool(grid->OnGetCellParams), grid == form->DBGridEh3);
        for (int i = 0; i < grid->columnCount(); ++i)
            QCOMPARE(grid->view()->columnWidth(i), grid->column(i).Width);
        QCOMPARE(grid->view()->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid->view()->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void administrationTabShowsAndHides() {
        OfficePager* pager = form->AdvOfficePager1;
        pager->setCurrentIndex(3);
        form->setAdministrationVisible(false);
        QCOMPARE(pager->visibleTabCount(), 3);
        QVERIFY(!pager->isTabVisible(3));
        QCOMPARE(pager->currentIndex(), 0);
        pager->setTabVisible(3, true);
        QCOMPARE(pager->visibleTabCount(), 4);
    }

    void lifecycleEventsAreForwarded() {
        RecordingLifecycle lifecycle;
        TMainForm window("/tmp/");
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
        TMainForm window("/tmp/");
        bool canClose = true;
        window.FormCloseQuery(canClose);
        QVERIFY(canClose);
        window.show();
        QVERIFY(window.close());
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
