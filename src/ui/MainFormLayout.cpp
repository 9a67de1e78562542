// The main window's layout: the pager with its five pages, their controls and grids, and the
// status bar. Positions are left, top, width, height relative to the control's parent.

#include "ui/MainFromUnit.h"

#include "product/ProductLists.h"
#include "stock/StockLists.h"
#include "ui/MovementPageLayout.h"
#include "ui/PageLayoutTools.h"
#include "widgets/BlueScheme.h"
#include "widgets/DataGrid.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/FixedLabel.h"
#include "widgets/GlowButton.h"
#include "widgets/GroupBox.h"
#include "widgets/OfficePager.h"
#include "widgets/ScreenColors.h"
#include "widgets/ShadedPanel.h"
#include "widgets/TabPicture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace {

constexpr int StatusBarHeight = 19;

QLineEdit* buildEdit(QWidget* parent, const char* name, const QRect& geometry) {
    return Placed(new QLineEdit(parent), name, geometry);
}

FixedLabel* buildLabel(QWidget* parent, const char* name, const QString& text,
                       const QRect& geometry, Qt::Alignment alignment = Qt::AlignLeft) {
    return Named(new FixedLabel(text, parent, geometry, alignment), name);
}

} // namespace

void TMainForm::buildWindow() {
    setWindowTitle(QStringLiteral("Varnholt"));
    QFont font(BlueScheme::fontFamily());
    font.setPixelSize(12);
    setFont(font);
    QPalette face = palette();
    face.setColor(QPalette::Window, ColorToQColor(clBtnFace));
    setPalette(face);

    AdvOfficePager1 = Named(new OfficePager(this), "AdvOfficePager1");
    setCentralWidget(AdvOfficePager1);
    buildStockInPage();
    buildStockOutPage();
    buildBalancePage();
    buildSummaryPage();
    buildAdministrationPage();
    AdvOfficePager1->setCurrentIndex(0);
    buildStatusBar();

    // No frame is known before the window is on the screen.
    fitToFrame(QMargins());
}

// The window manager's frame is known once it has framed the window: then the window takes its
// outer size once more, with that frame. A window without a frame keeps what it has.
void TMainForm::followWindowFrame() {
    const QWindow* window = windowHandle();
    if (m_fittedToFrame || !window || window->frameMargins().isNull())
        return;
    m_fittedToFrame = true;
    fitToFrame(window->frameMargins());
}

void TMainForm::fitToFrame(const QMargins& frame) {
    const QSize client = OuterSize.shrunkBy(frame);
    // Room that neither the frame nor the pages take is left blank right of and around the
    // pages, so that they keep the size their controls are laid out for.
    const int spareWidth = std::max(0, client.width() - OfficePager::StripWidth - PageSize.width());
    const int spareHeight = std::max(0, client.height() - StatusBarHeight - PageSize.height());
    AdvOfficePager1->setPageMargins(
        QMargins(0, spareHeight / 2, spareWidth, spareHeight - spareHeight / 2));
    resize(client);
    // A window's position is its frame's.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() -
             QPoint(OuterSize.width() / 2, OuterSize.height() / 2));
}

void TMainForm::buildStockInPage() {
    const MovementPageControls c = BuildMovementPage(
        {MovementKind::StockIn, "AdvOfficePage1", "AdvPanel2", "AdvPanel1", "AdvGroupBox2",
         "TntLabel9", "DateTimePicker2", "DateTimePicker3", "TntLabel10", "TntComboBox5",
         "TntLabel11", "TntComboBox6", "AdvGlowButton4", "AdvGlowButton1", "AdvGlowButton2",
         "AdvGlowButton3", "DBGridEh1", QStringLiteral("入库范围"), QStringLiteral("添加入库")},
        &ADOQueryStoreIn);
    AdvOfficePage1 = c.page;
    AdvPanel2 = c.topPanel;
    AdvPanel1 = c.gridPanel;
    AdvGroupBox2 = c.groupBox;
    TntLabel9 = c.rangeLabel;
    DateTimePicker2 = c.fromPicker;
    DateTimePicker3 = c.toPicker;
    TntLabel10 = c.nameLabel;
    TntComboBox5 = c.nameCombo;
    TntLabel11 = c.modelLabel;
    TntComboBox6 = c.modelCombo;
    AdvGlowButton4 = c.queryButton;
    AdvGlowButton1 = c.addButton;
    AdvGlowButton2 = c.printButton;
    AdvGlowButton3 = c.exportButton;
    DBGridEh1 = c.grid;
    AdvOfficePager1->addPage(AdvOfficePage1, DrawTabPicture(QStringLiteral("入货")));
}

void TMainForm::buildStockOutPage() {
    const MovementPageControls c = BuildMovementPage(
        {MovementKind::StockOut, "AdvOfficePage2", "AdvPanel3", "AdvPanel4", "AdvGroupBox1",
         "TntLabel1", "DateTimePicker1", "DateTimePicker4", "TntLabel2", "TntComboBox1",
         "TntLabel3", "TntComboBox2", "AdvGlowButton5", "AdvGlowButton6", "AdvGlowButton7",
         "AdvGlowButton8", "DBGridEh2", QStringLiteral("出库范围"), QStringLiteral("添加出库")},
        &ADOQueryStoreOut);
    AdvOfficePage2 = c.page;
    AdvPanel3 = c.topPanel;
    AdvPanel4 = c.gridPanel;
    AdvGroupBox1 = c.groupBox;
    TntLabel1 = c.rangeLabel;
    DateTimePicker1 = c.fromPicker;
    DateTimePicker4 = c.toPicker;
    TntLabel2 = c.nameLabel;
    TntComboBox1 = c.nameCombo;
    TntLabel3 = c.modelLabel;
    TntComboBox2 = c.modelCombo;
    AdvGlowButton5 = c.queryButton;
    AdvGlowButton6 = c.addButton;
    AdvGlowButton7 = c.printButton;
    AdvGlowButton8 = c.exportButton;
    DBGridEh2 = c.grid;
    AdvOfficePager1->addPage(AdvOfficePage2, DrawTabPicture(QStringLiteral("出货")));
}

void TMainForm::buildBalancePage() {
    const PageFrame frame =
        BuildPageFrame(nullptr, "AdvOfficePage3", "AdvPanel6", 111, "AdvPanel5");
    AdvOfficePage3 = frame.page;
    AdvPanel6 = frame.top;
    AdvPanel5 = frame.fill;

    AdvGroupBox4 = Placed(new GroupBox(QStringLiteral("查询"), AdvPanel6), "AdvGroupBox4",
                          QRect(16, 7, 569, 97));
    TntLabel7 =
        buildLabel(AdvGroupBox4, "TntLabel7", QStringLiteral("截止日期"), QRect(20, 29, 137, 17));
    DateTimePicker7 =
        Placed(new DatePicker(AdvGroupBox4), "DateTimePicker7", QRect(20, 46, 121, 21));
    TntLabel8 =
        buildLabel(AdvGroupBox4, "TntLabel8", QStringLiteral("商品名称"), QRect(160, 29, 137, 17));
    TntComboBox7 =
        Placed(new DropDownComboBox(AdvGroupBox4), "TntComboBox7", QRect(161, 46, 121, 21));
    TntLabel12 =
        buildLabel(AdvGroupBox4, "TntLabel12", QStringLiteral("商品型号"), QRect(304, 29, 137, 17));
    TntComboBox8 =
        Placed(new DropDownComboBox(AdvGroupBox4), "TntComboBox8", QRect(302, 46, 121, 21));
    AdvGlowButton13 = Placed(new GlowButton(QStringLiteral("查询"), AdvGroupBox4),
                             "AdvGlowButton13", QRect(444, 40, 105, 33));
    BelowMinimumCheck = Placed(new QCheckBox(QStringLiteral("只看低于下限"), AdvGroupBox4),
                               "BelowMinimumCheck", QRect(161, 72, 137, 19));
    AdvGlowButton15 = Placed(new GlowButton(QStringLiteral("打印"), AdvPanel6), "AdvGlowButton15",
                             QRect(616, 14, 105, 33));
    AdvGlowButton16 = Placed(new GlowButton(QStringLiteral("导出"), AdvPanel6), "AdvGlowButton16",
                             QRect(616, 70, 105, 33));
    // Under "查询", in the group's free corner.
    StocktakeButton = Placed(new GlowButton(QStringLiteral("盘点"), AdvGroupBox4),
                             "StocktakeButton", QRect(444, 74, 105, 19));
    DBGridEh3 = BuildGrid(AdvPanel5, "DBGridEh3", BalanceList(QDate::currentDate()).columns,
                          &ADOQueryStore);

    ChainTabOrder({DateTimePicker7, TntComboBox7, TntComboBox8, BelowMinimumCheck, AdvGlowButton13,
                   StocktakeButton, AdvGlowButton15, AdvGlowButton16, DBGridEh3->view()});
    AdvOfficePager1->addPage(AdvOfficePage3, DrawTabPicture(QStringLiteral("库存")));
}

// Laid out as the balance page, with the period's two dates in place of the cut-off.
void TMainForm::buildSummaryPage() {
    const PageFrame frame =
        BuildPageFrame(nullptr, "AdvOfficePage5", "AdvPanel11", 111, "AdvPanel12");
    AdvOfficePage5 = frame.page;
    AdvPanel11 = frame.top;
    AdvPanel12 = frame.fill;

    AdvGroupBox6 = Placed(new GroupBox(QStringLiteral("查询"), AdvPanel11), "AdvGroupBox6",
                          QRect(16, 7, 569, 97));
    TntLabel13 =
        buildLabel(AdvGroupBox6, "TntLabel13", QStringLiteral("汇总期间"), QRect(20, 20, 137, 17));
    DateTimePicker8 =
        Placed(new DatePicker(AdvGroupBox6), "DateTimePicker8", QRect(20, 38, 121, 21));
    DateTimePicker9 =
        Placed(new DatePicker(AdvGroupBox6), "DateTimePicker9", QRect(20, 66, 121, 21));
    TntLabel14 =
        buildLabel(AdvGroupBox6, "TntLabel14", QStringLiteral("商品名称"), QRect(160, 29, 137, 17));
    TntComboBox9 =
        Placed(new DropDownComboBox(AdvGroupBox6), "TntComboBox9", QRect(161, 46, 121, 21));
    TntLabel15 =
        buildLabel(AdvGroupBox6, "TntLabel15", QStringLiteral("商品型号"), QRect(304, 29, 137, 17));
    TntComboBox10 =
        Placed(new DropDownComboBox(AdvGroupBox6), "TntComboBox10", QRect(302, 46, 121, 21));
    AdvGlowButton20 = Placed(new GlowButton(QStringLiteral("查询"), AdvGroupBox6),
                             "AdvGlowButton20", QRect(444, 40, 105, 33));
    AdvGlowButton21 = Placed(new GlowButton(QStringLiteral("打印"), AdvPanel11), "AdvGlowButton21",
                             QRect(616, 14, 105, 33));
    AdvGlowButton22 = Placed(new GlowButton(QStringLiteral("导出"), AdvPanel11), "AdvGlowButton22",
                             QRect(616, 70, 105, 33));
    const QDate today = QDate::currentDate();
    DBGridEh5 =
        BuildGrid(AdvPanel12, "DBGridEh5", SummaryList(today, today).columns, &ADOQuerySummary);

    ChainTabOrder({DateTimePicker8, DateTimePicker9, TntComboBox9, TntComboBox10, AdvGlowButton20,
                   AdvGlowButton21, AdvGlowButton22, DBGridEh5->view()});
    AdvOfficePager1->addPage(AdvOfficePage5, DrawTabPicture(QStringLiteral("汇总")));
}

void TMainForm::buildAdministrationPage() {
    const PageFrame frame =
        BuildPageFrame(nullptr, "AdvOfficePage4", "AdvPanel7", 215, "AdvPanel8");
    AdvOfficePage4 = frame.page;
    AdvPanel7 = frame.top;
    AdvPanel8 = frame.fill;
    const Qt::Alignment right = Qt::AlignRight;

    // User passwords.
    AdvGroupBox3 =
        Placed(new GroupBox(QStringLiteral("用户管理"), AdvPanel7, GroupBox::Corners::Square),
               "AdvGroupBox3", QRect(15, 14, 272, 177));
    lbl4 =
        buildLabel(AdvGroupBox3, "lbl4", QStringLiteral("用户名："), QRect(14, 40, 69, 17), right);
    cbx1 = Placed(new QComboBox(AdvGroupBox3), "cbx1", QRect(90, 40, 145, 21));
    cbx1->setEditable(false);
    lbl5 = buildLabel(AdvGroupBox3, "lbl5", QStringLiteral("密    码："), QRect(14, 76, 69, 17),
                      right);
    edt1 = buildEdit(AdvGroupBox3, "edt1", QRect(90, 76, 145, 19));
    AdvGlowButton10 = Placed(new GlowButton(QStringLiteral("保存"), AdvGroupBox3),
                             "AdvGlowButton10", QRect(130, 112, 105, 33));

    // Letterhead of the printed reports.
    AdvGroupBox5 = Placed(
        new GroupBox(QStringLiteral("打印表头信息设置"), AdvPanel7, GroupBox::Corners::Square),
        "AdvGroupBox5", QRect(303, 14, 433, 177));
    lbl1 = buildLabel(AdvGroupBox5, "lbl1", QStringLiteral("公司名称："), QRect(20, 36, 109, 17),
                      right);
    edt2 = buildEdit(AdvGroupBox5, "edt2", QRect(136, 36, 273, 19));
    lbl2 = buildLabel(AdvGroupBox5, "lbl2", QStringLiteral("公司地址："), QRect(20, 68, 109, 17),
                      right);
    edt3 = buildEdit(AdvGroupBox5, "edt3", QRect(136, 68, 273, 19));
    lbl3 = buildLabel(AdvGroupBox5, "lbl3", QStringLiteral("电话及其它信息："),
                      QRect(12, 100, 117, 17), right);
    edt4 = buildEdit(AdvGroupBox5, "edt4", QRect(136, 100, 273, 19));
    AdvGlowButton9 = Placed(new GlowButton(QStringLiteral("保存"), AdvGroupBox5), "AdvGlowButton9",
                            QRect(304, 128, 105, 33));

    // Backup and restore of the whole database, in the free space of the top panel: the row of
    // the letterhead's "保存", to its left.
    AdvGlowButton17 = Placed(new GlowButton(QStringLiteral("备份数据"), AdvPanel7),
                             "AdvGlowButton17", QRect(323, 142, 105, 33));
    AdvGlowButton18 = Placed(new GlowButton(QStringLiteral("恢复数据"), AdvPanel7),
                             "AdvGlowButton18", QRect(436, 142, 105, 33));

    // The product list: a filter panel above the grid.
    AdvPanel9 = Named(new ShadedPanel(AdvPanel8), "AdvPanel9");
    AdvPanel9->setFixedHeight(73);
    AdvPanel10 = Named(new ShadedPanel(AdvPanel8), "AdvPanel10");
    auto* listLayout = new QVBoxLayout(AdvPanel8);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    listLayout->addWidget(AdvPanel9);
    listLayout->addWidget(AdvPanel10, 1);

    lbl6 = buildLabel(AdvPanel9, "lbl6", QStringLiteral("仓库商品信息"), QRect(12, 32, 117, 17),
                      Qt::AlignHCenter);
    lbl7 = buildLabel(AdvPanel9, "lbl7", QStringLiteral("商品名称"), QRect(160, 18, 137, 17));
    cbx2 = Placed(new DropDownComboBox(AdvPanel9), "cbx2", QRect(161, 35, 121, 21));
    lbl8 = buildLabel(AdvPanel9, "lbl8", QStringLiteral("商品型号"), QRect(304, 18, 137, 17));
    cbx3 = Placed(new DropDownComboBox(AdvPanel9), "cbx3", QRect(302, 35, 121, 21));
    AdvGlowButton11 = Placed(new GlowButton(QStringLiteral("查询"), AdvPanel9), "AdvGlowButton11",
                             QRect(607, 20, 105, 33));
    DBGridEh4 = BuildGrid(AdvPanel10, "DBGridEh4", ProductList().columns, &ADOQueryProduct);

    ChainTabOrder({cbx1, edt1, AdvGlowButton10, edt2, edt3, edt4, AdvGlowButton9, AdvGlowButton17,
                   AdvGlowButton18, cbx2, cbx3, AdvGlowButton11, DBGridEh4->view()});
    AdvOfficePager1->addPage(AdvOfficePage4, DrawTabPicture(QStringLiteral("管理")));
}

void TMainForm::buildStatusBar() {
    AdvOfficeStatusBar1 = Named(new QStatusBar(this), "AdvOfficeStatusBar1");
    AdvOfficeStatusBar1->setFixedHeight(StatusBarHeight);
    AdvOfficeStatusBar1->setStyleSheet(
        QStringLiteral("QStatusBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                       " stop:0 rgb(218, 234, 253), stop:1 rgb(167, 197, 238));"
                       " border-top: 1px solid rgb(101, 147, 207); }"
                       "QStatusBar::item { border: none; }"));
    for (int width : {80, 100}) {
        auto* panel = new QLabel(AdvOfficeStatusBar1);
        panel->setFixedWidth(width);
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        AdvOfficeStatusBar1->addWidget(panel);
    }
    setStatusBar(AdvOfficeStatusBar1);
}
