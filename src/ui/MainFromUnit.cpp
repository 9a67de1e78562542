#include "MainFromUnit.h"

#include "DataGrid.h"
#include "DropDownComboBox.h"
#include "GlowButton.h"
#include "GridSortPaint.h"
#include "Guard.h"
#include "OfficePager.h"
#include "ShareDMUnit.h"
#include "StockStatements.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QMetaObject>

namespace {

constexpr int AdministrationPage = 3;

Connection* dataModuleConnection() {
    return ShareDM ? &ShareDM->ADOConnection1 : nullptr;
}

} // namespace

TMainForm::TMainForm(const QString& appPath, QWidget* parent)
    : QMainWindow(parent), ADOQueryStoreIn(dataModuleConnection()),
      ADOQueryStoreOut(dataModuleConnection()), ADOQueryStore(dataModuleConnection()),
      ADOQueryProduct(dataModuleConnection()), m_appPath(appPath) {
    setObjectName("MainForm");
    ADOQueryStoreIn.setObjectName("ADOQueryStoreIn");
    ADOQueryStoreOut.setObjectName("ADOQueryStoreOut");
    ADOQueryStore.setObjectName("ADOQueryStore");
    ADOQueryProduct.setObjectName("ADOQueryProduct");
    buildWindow();
    createPages();
    connectHandlers();
}

void TMainForm::createPages() {
    m_stockInPage = std::make_unique<StockMovementPage>(
        StockInKind, DateTimePicker2, DateTimePicker3,
        ProductFilterControls{TntComboBox5, TntComboBox6, &ADOQueryStoreIn, DBGridEh1});
    m_stockOutPage = std::make_unique<StockMovementPage>(
        StockOutKind, DateTimePicker1, DateTimePicker4,
        ProductFilterControls{TntComboBox1, TntComboBox2, &ADOQueryStoreOut, DBGridEh2});
    m_balancePage = std::make_unique<StockBalancePage>(
        DateTimePicker7,
        ProductFilterControls{TntComboBox7, TntComboBox8, &ADOQueryStore, DBGridEh3});
}

TMainForm::~TMainForm() {
    // The grids go with the window's children, after the queries: unbind them first.
    for (DataGrid* grid : {DBGridEh1, DBGridEh2, DBGridEh3, DBGridEh4})
        grid->setDataSet(nullptr);
}

void TMainForm::setAdministrationVisible(bool visible) {
    AdvOfficePager1->setTabVisible(AdministrationPage, visible);
}

void TMainForm::connectHandlers() {
    auto onClick = [this](GlowButton* button, void (TMainForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, Guarded(this, handler));
    };
    auto onDropDown = [this](DropDownComboBox* combo, void (TMainForm::*handler)()) {
        connect(combo, &DropDownComboBox::dropDown, this, Guarded(this, handler));
    };
    auto onDoubleClick = [this](DataGrid* grid, void (TMainForm::*handler)()) {
        connect(grid, &DataGrid::doubleClicked, this, Guarded(this, handler));
    };

    onClick(AdvGlowButton4, &TMainForm::AdvGlowButton4Click);
    onClick(AdvGlowButton1, &TMainForm::AdvGlowButton1Click);
    onClick(AdvGlowButton2, &TMainForm::AdvGlowButton2Click);
    onClick(AdvGlowButton3, &TMainForm::AdvGlowButton3Click);
    onDropDown(TntComboBox6, &TMainForm::TntComboBox6DropDown);
    onDoubleClick(DBGridEh1, &TMainForm::DBGridEh1DblClick);

    onClick(AdvGlowButton5, &TMainForm::AdvGlowButton5Click);
    onClick(AdvGlowButton6, &TMainForm::AdvGlowButton6Click);
    onClick(AdvGlowButton7, &TMainForm::AdvGlowButton7Click);
    onClick(AdvGlowButton8, &TMainForm::AdvGlowButton8Click);
    onDropDown(TntComboBox2, &TMainForm::TntComboBox2DropDown);
    onDoubleClick(DBGridEh2, &TMainForm::DBGridEh2DblClick);

    onClick(AdvGlowButton13, &TMainForm::AdvGlowButton13Click);
    onClick(AdvGlowButton15, &TMainForm::AdvGlowButton15Click);
    onClick(AdvGlowButton16, &TMainForm::AdvGlowButton16Click);
    onDropDown(TntComboBox8, &TMainForm::TntComboBox8DropDown);
    DBGridEh3->OnGetCellParams = [this](DataGrid* sender, const GridColumn& column, int row,
                                        QColor& textColor) {
        RunGuardedWhilePainting([&] { DBGridEh3GetCellParams(sender, column, row, textColor); });
    };

    // A choice made by the user; filling the list by program does not count as a change.
    connect(cbx1, &QComboBox::activated, this, Guarded(this, &TMainForm::cbx1Change));
    onClick(AdvGlowButton10, &TMainForm::AdvGlowButton10Click);
    onClick(AdvGlowButton9, &TMainForm::AdvGlowButton9Click);
    onClick(AdvGlowButton11, &TMainForm::AdvGlowButton11Click);
    onDropDown(cbx3, &TMainForm::cbx3DropDown);
    onDoubleClick(DBGridEh4, &TMainForm::DBGridEh4DblClick);

    for (DataGrid* grid : {DBGridEh1, DBGridEh2, DBGridEh3, DBGridEh4})
        connectGrid(grid);
}

// Title clicks and cell painting of every grid go to the same two handlers.
void TMainForm::connectGrid(DataGrid* grid) {
    connect(grid, &DataGrid::titleBtnClick, this, [this, grid](int col, GridColumn* column) {
        RunGuarded([&] { DBGridEh1TitleBtnClick(grid, col, column); });
    });
    grid->OnDrawColumnCell = [this](DataGrid* sender, const QRect& rect, int dataCol,
                                    const GridColumn& column, bool selected) {
        RunGuardedWhilePainting(
            [&] { DBGridEh1DrawColumnCell(sender, rect, dataCol, column, selected); });
    };
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownBefore)
        return;
    m_shownBefore = true;
    // The start-up sequence runs once the window is on the screen.
    QMetaObject::invokeMethod(
        this, [this] { FormShow(); }, Qt::QueuedConnection);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::FormShow() {
    RunGuarded([this] {
        if (m_lifecycle)
            m_lifecycle->FormShow(*this);
    });
}

void TMainForm::FormCloseQuery(bool& CanClose) {
    bool answered = false;
    RunGuarded([&] {
        if (m_lifecycle)
            m_lifecycle->FormCloseQuery(*this, CanClose);
        answered = true;
    });
    // A question that failed keeps the window open.
    if (!answered)
        CanClose = false;
}

void TMainForm::FormClose() {
    RunGuarded([this] {
        if (m_lifecycle)
            m_lifecycle->FormClose(*this);
    });
}

// Fills the pages in their order: stock in, stock out, stock balance.
void TMainForm::InitializePages() {
    // The three lists are fetched at the same time, each on a connection of its own, while the
    // pages fill their filter lists; each page then takes its rows when it lists them, in the
    // order of the pages, and a failing list fails there as it always did.
    m_stockInPage->PrefetchFirstList();
    m_stockOutPage->PrefetchFirstList();
    m_balancePage->PrefetchFirstList();
    m_stockInPage->Initialize();
    m_stockOutPage->Initialize();
    m_balancePage->Initialize();
}

void TMainForm::QueryStoreIn(const QString& fragment) {
    m_stockInPage->List(fragment);
}
void TMainForm::QueryStoreOut(const QString& fragment) {
    m_stockOutPage->List(fragment);
}
void TMainForm::QueryStoreBalance(const QString& fragment) {
    m_balancePage->List(fragment);
}

void TMainForm::AdvGlowButton4Click() {
    m_stockInPage->QueryButtonClick();
}
void TMainForm::TntComboBox6DropDown() {
    m_stockInPage->ModelDropDown();
}
void TMainForm::AdvGlowButton1Click() {}
void TMainForm::DBGridEh1DblClick() {}
void TMainForm::AdvGlowButton2Click() {}
void TMainForm::AdvGlowButton3Click() {}

void TMainForm::AdvGlowButton5Click() {
    m_stockOutPage->QueryButtonClick();
}
void TMainForm::TntComboBox2DropDown() {
    m_stockOutPage->ModelDropDown();
}
void TMainForm::AdvGlowButton6Click() {}
void TMainForm::DBGridEh2DblClick() {}
void TMainForm::AdvGlowButton7Click() {}
void TMainForm::AdvGlowButton8Click() {}

void TMainForm::AdvGlowButton13Click() {
    m_balancePage->QueryButtonClick();
}
void TMainForm::TntComboBox8DropDown() {
    m_balancePage->ModelDropDown();
}
void TMainForm::DBGridEh3GetCellParams(DataGrid*, const GridColumn& Column, int Row,
                                       QColor& TextColor) {
    m_balancePage->CellColor(Column, Row, TextColor);
}
void TMainForm::AdvGlowButton15Click() {}
void TMainForm::AdvGlowButton16Click() {}

void TMainForm::cbx1Change() {}
void TMainForm::AdvGlowButton10Click() {}
void TMainForm::AdvGlowButton9Click() {}
void TMainForm::AdvGlowButton11Click() {}
void TMainForm::cbx3DropDown() {}
void TMainForm::DBGridEh4DblClick() {}

void TMainForm::DBGridEh1DrawColumnCell(DataGrid* Sender, const QRect& Rect, int DataCol,
                                        const GridColumn& Column, bool Selected) {
    PaintGridRow(Sender, Rect, DataCol, Column, Selected);
}

void TMainForm::DBGridEh1TitleBtnClick(DataGrid* Sender, int, GridColumn* Column) {
    SortGridByTitle(Sender, Column);
}
