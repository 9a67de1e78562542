#include "ui/MainFromUnit.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/FetchLane.h"
#include "data/Letterhead.h"
#include "data/ShareDMUnit.h"
#include "output/ExportToExcelUnit.h"
#include "output/GridSortPaint.h"
#include "output/PrintGrid.h"
#include "output/PrintList.h"
#include "product/ProductEditorUnit.h"
#include "stock/StockLists.h"
#include "stock/StockStatements.h"
#include "stock/StocktakingUnit.h"
#include "stock/StoreEditorUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GlowButton.h"
#include "widgets/Guard.h"
#include "widgets/MessageBoxes.h"
#include "widgets/OfficePager.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QMetaObject>
#include <QShortcut>
#include <QTimer>
#include <iterator>

namespace {

constexpr int AdministrationPage = 4;

} // namespace

TMainForm::TMainForm(TShareDM& dataModule, const QString& appPath, QWidget* parent)
    : QMainWindow(parent), ADOQueryStoreIn(&dataModule.ADOConnection1),
      ADOQueryStoreOut(&dataModule.ADOConnection1), ADOQueryStore(&dataModule.ADOConnection1),
      ADOQuerySummary(&dataModule.ADOConnection1), ADOQueryProduct(&dataModule.ADOConnection1),
      m_dataModule(dataModule), m_appPath(appPath) {
    setObjectName("MainForm");
    ADOQueryStoreIn.setObjectName("ADOQueryStoreIn");
    ADOQueryStoreOut.setObjectName("ADOQueryStoreOut");
    ADOQueryStore.setObjectName("ADOQueryStore");
    ADOQuerySummary.setObjectName("ADOQuerySummary");
    ADOQueryProduct.setObjectName("ADOQueryProduct");
    buildWindow();
    createPages();
    m_nextFilters.setSingleShot(true);
    connect(&m_nextFilters, &QTimer::timeout, this, &TMainForm::fillNextFilters);
    connectHandlers();
}

void TMainForm::createPages() {
    Query* lists = &m_dataModule.ADOQueryNotAllowUse;
    m_stockInPage = std::make_unique<StockMovementPage>(
        MovementKind::StockIn, DateTimePicker2, DateTimePicker3,
        ProductFilterControls{TntComboBox5, TntComboBox6, &ADOQueryStoreIn, DBGridEh1, lists});
    m_stockOutPage = std::make_unique<StockMovementPage>(
        MovementKind::StockOut, DateTimePicker1, DateTimePicker4,
        ProductFilterControls{TntComboBox1, TntComboBox2, &ADOQueryStoreOut, DBGridEh2, lists});
    m_balancePage = std::make_unique<StockBalancePage>(
        DateTimePicker7,
        ProductFilterControls{TntComboBox7, TntComboBox8, &ADOQueryStore, DBGridEh3, lists},
        BelowMinimumCheck);
    m_summaryPage = std::make_unique<StockSummaryPage>(
        DateTimePicker8, DateTimePicker9,
        ProductFilterControls{TntComboBox9, TntComboBox10, &ADOQuerySummary, DBGridEh5, lists});
    m_passwordSettings = std::make_unique<PasswordSettings>(m_dataModule, cbx1, edt1);
    m_letterheadSettings = std::make_unique<LetterheadSettings>(m_dataModule, edt2, edt3, edt4);
    m_backupRestore =
        std::make_unique<BackupRestore>(m_dataModule, this, [this] { InitializePages(); });
    ProductEditorfrm = new TProductEditorfrm(m_dataModule, this);
    m_productListPage = std::make_unique<ProductListPage>(
        ProductFilterControls{cbx2, cbx3, &ADOQueryProduct, DBGridEh4, lists}, ProductEditorfrm);
}

TMainForm::~TMainForm() {
    // The grids go with the window's children, after the queries: unbind them first.
    for (DataGrid* grid : {DBGridEh1, DBGridEh2, DBGridEh3, DBGridEh5, DBGridEh4})
        grid->setDataSet(nullptr);
}

void TMainForm::setAdministrationVisible(bool visible) {
    AdvOfficePager1->setTabVisible(AdministrationPage, visible);
}

void TMainForm::connectHandlers() {
    // A list fetched in the background that fails says so when it fails.
    for (Query* query :
         {&ADOQueryStoreIn, &ADOQueryStoreOut, &ADOQueryStore, &ADOQuerySummary, &ADOQueryProduct})
        connect(query, &Query::fillFailed, this,
                [](const QString& message) { ShowWarning(message); });
    auto onClick = [this](GlowButton* button, void (TMainForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, Guarded(this, handler));
    };
    auto onDropDown = [this](DropDownComboBox* combo, void (TMainForm::*handler)()) {
        connect(combo, &DropDownComboBox::dropDown, this, Guarded(this, handler));
    };
    // Enter on a row opens it as a double-click does.
    auto onDoubleClick = [this](DataGrid* grid, void (TMainForm::*handler)()) {
        connect(grid, &DataGrid::doubleClicked, this, Guarded(this, handler));
        connect(grid, &DataGrid::enterPressed, this, Guarded(this, handler));
    };

    onClick(AdvGlowButton4, &TMainForm::AdvGlowButton4Click);
    onClick(AdvGlowButton1, &TMainForm::AdvGlowButton1Click);
    onClick(AdvGlowButton2, &TMainForm::AdvGlowButton2Click);
    onClick(AdvGlowButton3, &TMainForm::AdvGlowButton3Click);
    onDropDown(TntComboBox5, &TMainForm::TntComboBox5DropDown);
    onDropDown(TntComboBox6, &TMainForm::TntComboBox6DropDown);
    onDoubleClick(DBGridEh1, &TMainForm::DBGridEh1DblClick);

    onClick(AdvGlowButton5, &TMainForm::AdvGlowButton5Click);
    onClick(AdvGlowButton6, &TMainForm::AdvGlowButton6Click);
    onClick(AdvGlowButton7, &TMainForm::AdvGlowButton7Click);
    onClick(AdvGlowButton8, &TMainForm::AdvGlowButton8Click);
    onDropDown(TntComboBox1, &TMainForm::TntComboBox1DropDown);
    onDropDown(TntComboBox2, &TMainForm::TntComboBox2DropDown);
    onDoubleClick(DBGridEh2, &TMainForm::DBGridEh2DblClick);

    onClick(AdvGlowButton13, &TMainForm::AdvGlowButton13Click);
    onClick(AdvGlowButton15, &TMainForm::AdvGlowButton15Click);
    onClick(AdvGlowButton16, &TMainForm::AdvGlowButton16Click);
    onClick(StocktakeButton, &TMainForm::StocktakeButtonClick);
    onDropDown(TntComboBox7, &TMainForm::TntComboBox7DropDown);
    onDropDown(TntComboBox8, &TMainForm::TntComboBox8DropDown);
    connect(BelowMinimumCheck, &QCheckBox::clicked, this,
            Guarded(this, &TMainForm::BelowMinimumCheckClick));
    DBGridEh3->OnGetCellParams = [this](DataGrid* sender, const GridColumn& column, int row,
                                        QColor& textColor) {
        RunGuardedWhilePainting([&] { DBGridEh3GetCellParams(sender, column, row, textColor); });
    };

    onClick(AdvGlowButton20, &TMainForm::AdvGlowButton20Click);
    onClick(AdvGlowButton21, &TMainForm::AdvGlowButton21Click);
    onClick(AdvGlowButton22, &TMainForm::AdvGlowButton22Click);
    onDropDown(TntComboBox9, &TMainForm::TntComboBox9DropDown);
    onDropDown(TntComboBox10, &TMainForm::TntComboBox10DropDown);
    DBGridEh5->OnGetCellParams = [this](DataGrid* sender, const GridColumn& column, int row,
                                        QColor& textColor) {
        RunGuardedWhilePainting([&] { DBGridEh5GetCellParams(sender, column, row, textColor); });
    };

    // A choice made by the user; filling the list by program does not count as a change.
    connect(cbx1, &QComboBox::activated, this, Guarded(this, &TMainForm::cbx1Change));
    onClick(AdvGlowButton10, &TMainForm::AdvGlowButton10Click);
    onClick(AdvGlowButton9, &TMainForm::AdvGlowButton9Click);
    onClick(AdvGlowButton17, &TMainForm::AdvGlowButton17Click);
    onClick(AdvGlowButton18, &TMainForm::AdvGlowButton18Click);
    onClick(AdvGlowButton11, &TMainForm::AdvGlowButton11Click);
    onDropDown(cbx2, &TMainForm::cbx2DropDown);
    onDropDown(cbx3, &TMainForm::cbx3DropDown);
    onDoubleClick(DBGridEh4, &TMainForm::DBGridEh4DblClick);

    for (DataGrid* grid : {DBGridEh1, DBGridEh2, DBGridEh3, DBGridEh5, DBGridEh4})
        connectGrid(grid);
    connectKeyboard();
}

// Ctrl+Tab and Ctrl+PgDn go to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the one before
// (a hidden page is passed over); Ctrl+F goes to the page's first filter.
void TMainForm::connectKeyboard() {
    const auto onKeys = [this](std::initializer_list<QKeySequence> keys, auto action) {
        for (const QKeySequence& key : keys) {
            auto* shortcut = new QShortcut(key, this);
            connect(shortcut, &QShortcut::activated, this, [action] { RunGuarded(action); });
        }
    };
    onKeys({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
           [this] { AdvOfficePager1->stepPage(1); });
    onKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
            QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
           [this] { AdvOfficePager1->stepPage(-1); });
    onKeys({QKeySequence::Find}, [this] {
        if (QWidget* filter = firstFilter())
            filter->setFocus(Qt::ShortcutFocusReason);
    });
}

QWidget* TMainForm::firstFilter() const {
    QWidget* const filters[] = {DateTimePicker2, DateTimePicker1, DateTimePicker7, DateTimePicker8,
                                cbx2};
    const int page = AdvOfficePager1->currentIndex();
    return page >= 0 && page < int(std::size(filters)) ? filters[page] : nullptr;
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
    followWindowFrame();
    if (m_shownBefore)
        return;
    m_shownBefore = true;
    // The start-up sequence runs once the window is on the screen.
    QMetaObject::invokeMethod(
        this, [this] { FormShow(); }, Qt::QueuedConnection);
}

// A window manager frames the window after it is shown, which moves its client area.
void TMainForm::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    followWindowFrame();
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
        stopFills(false); // nothing reads the file while it is backed up and compacted
        if (m_lifecycle)
            m_lifecycle->FormClose(*this);
    });
}

// Fills the pages in their order: stock in, stock out, stock balance, period summary, then the
// administration page (passwords and letterhead, then the product list).
void TMainForm::InitializePages() {
    // The lists are fetched in the background, each grid showing its first rows as soon as they
    // are in, so that the window is usable at once. The two movement lists both read the whole
    // movement table: they share one lane, so that the second finds the pages the first decrypted
    // in its cache. The balance and the summary (which both read the balance index) share a
    // lane as well; they and the product list (the catalogue) have
    // lanes of their own. The program's connection stays with this thread.
    stopFills(false);
    const Connection& connection = m_dataModule.ADOConnection1;
    m_movementLane =
        std::make_unique<FetchLane>(connection.Address(), connection.password(), false);
    m_balanceLane = std::make_unique<FetchLane>(connection.Address(), connection.password(), true);
    m_productLane = std::make_unique<FetchLane>(connection.Address(), connection.password(), true);
    m_stockInPage->Initialize(m_movementLane.get());
    m_stockOutPage->Initialize(m_movementLane.get());
    m_balancePage->Initialize(m_balanceLane.get());
    m_summaryPage->Initialize(m_balanceLane.get());
    m_productListPage->Initialize(m_productLane.get());
    m_passwordSettings->Initialize();
    m_letterheadSettings->Initialize();
    // The filter boxes (some 20,000 product names on every page) are filled on this thread: only
    // once the stock-in grid has taken and painted its first rows, one page at a time.
    m_pendingFilters = {
        [this] { m_stockInPage->InitializeFilters(); },
        [this] { m_stockOutPage->InitializeFilters(); },
        [this] { m_balancePage->InitializeFilters(); },
        [this] { m_summaryPage->InitializeFilters(); },
        [this] { m_productListPage->InitializeFilters(); },
    };
    fillFiltersAfterFirstRows();
}

void TMainForm::fillFiltersAfterFirstRows() {
    if (ADOQueryStoreIn.Filling() && ADOQueryStoreIn.RowsReady() == 0) {
        // Its first rows, its end, a failure or a new statement end the wait.
        if (!m_firstRowsIn[0]) {
            const auto check = [this] {
                if (ADOQueryStoreIn.Filling() && ADOQueryStoreIn.RowsReady() == 0)
                    return;
                stopWaitingForFirstRows();
                fillFiltersAfterFirstRows();
            };
            m_firstRowsIn = {connect(&ADOQueryStoreIn, &Query::changed, this, check),
                             connect(&ADOQueryStoreIn, &Query::fillFinished, this, check)};
        }
        return;
    }
    if (DBGridEh1->isVisible())
        DBGridEh1->repaint();
    m_nextFilters.start(0);
}

void TMainForm::stopWaitingForFirstRows() {
    for (QMetaObject::Connection& connection : m_firstRowsIn)
        disconnect(connection);
    m_firstRowsIn = {};
}

void TMainForm::fillNextFilters() {
    if (m_pendingFilters.empty())
        return;
    const std::function<void()> fill = std::move(m_pendingFilters.front());
    m_pendingFilters.erase(m_pendingFilters.begin());
    RunGuarded(fill);
    if (!m_pendingFilters.empty())
        m_nextFilters.start(0);
}

bool TMainForm::ListsFilling() const {
    return !m_pendingFilters.empty() || ADOQueryStoreIn.Filling() || ADOQueryStoreOut.Filling() ||
           ADOQueryStore.Filling() || ADOQuerySummary.Filling() || ADOQueryProduct.Filling();
}

// Ends the background fetches: keeping the lists, it waits for them; else it drops them. Either
// way no connection of a lane stays open on the file.
void TMainForm::stopFills(bool keepLists) {
    for (Query* query : {&ADOQueryStoreIn, &ADOQueryStoreOut, &ADOQueryStore, &ADOQuerySummary,
                         &ADOQueryProduct}) {
        if (!query->Filling())
            continue;
        if (keepLists)
            query->WaitForFetch();
        else
            query->Close();
    }
    m_movementLane.reset();
    m_balanceLane.reset();
    m_productLane.reset();
    stopWaitingForFirstRows();
    if (keepLists) {
        while (!m_pendingFilters.empty())
            fillNextFilters();
    } else {
        m_pendingFilters.clear();
    }
    m_nextFilters.stop(); // a turn asked for by an earlier start-up is not this one's
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
void TMainForm::QueryStoreSummary(const QString& fragment) {
    m_summaryPage->List(fragment);
}
void TMainForm::QueryProducts(const QString& fragment) {
    m_productListPage->List(fragment);
}

void TMainForm::AdvGlowButton4Click() {
    m_stockInPage->QueryButtonClick();
}
void TMainForm::TntComboBox5DropDown() {
    m_stockInPage->NameDropDown();
}
void TMainForm::TntComboBox6DropDown() {
    m_stockInPage->ModelDropDown();
}
void TMainForm::AdvGlowButton1Click() {
    enterMovement(*m_stockInPage, false);
}
void TMainForm::DBGridEh1DblClick() {
    enterMovement(*m_stockInPage, true);
}
void TMainForm::AdvGlowButton2Click() {
    printPageGrid(DBGridEh1, frReport1, frDBDataSet1, MovementList(MovementKind::StockIn).title);
}
void TMainForm::AdvGlowButton3Click() {
    if (ADOQueryStoreIn.RecordCount() > 0)
        ExportGridToExcel(m_dataModule, DBGridEh1, nullptr, nullptr,
                          MovementList(MovementKind::StockIn).title);
}

void TMainForm::AdvGlowButton5Click() {
    m_stockOutPage->QueryButtonClick();
}
void TMainForm::TntComboBox1DropDown() {
    m_stockOutPage->NameDropDown();
}
void TMainForm::TntComboBox2DropDown() {
    m_stockOutPage->ModelDropDown();
}
void TMainForm::AdvGlowButton6Click() {
    enterMovement(*m_stockOutPage, false);
}
void TMainForm::DBGridEh2DblClick() {
    enterMovement(*m_stockOutPage, true);
}
void TMainForm::AdvGlowButton7Click() {
    printPageGrid(DBGridEh2, frReport2, frDBDataSet2, MovementList(MovementKind::StockOut).title);
}
void TMainForm::AdvGlowButton8Click() {
    if (ADOQueryStoreOut.Active() && ADOQueryStoreOut.RecordCount() > 0)
        ExportGridToExcel(m_dataModule, DBGridEh2, nullptr, nullptr,
                          MovementList(MovementKind::StockOut).title);
}

// After OK the page's own list and the balance are listed again, unfiltered; after Cancel
// nothing is refreshed.
void TMainForm::enterMovement(StockMovementPage& page, bool edit) {
    if (!m_storeEditor)
        throw DataError(QStringLiteral("录入窗口尚未建立。"));
    const bool changed =
        edit ? page.EditMovement(*m_storeEditor) : page.AddMovement(*m_storeEditor);
    if (!changed)
        return;
    page.List(QString());
    QueryStoreBalance(QString());
    m_summaryPage->Relist();
}

void TMainForm::AdvGlowButton13Click() {
    m_balancePage->QueryButtonClick();
}
void TMainForm::TntComboBox7DropDown() {
    m_balancePage->NameDropDown();
}
void TMainForm::TntComboBox8DropDown() {
    m_balancePage->ModelDropDown();
}
void TMainForm::DBGridEh3GetCellParams(DataGrid*, const GridColumn& Column, int Row,
                                       QColor& TextColor) {
    m_balancePage->CellColor(Column, Row, TextColor);
}
void TMainForm::AdvGlowButton15Click() {
    printPageGrid(DBGridEh3, frReport3, frDBDataSet3, BalanceList(QDate::currentDate()).title);
}
void TMainForm::AdvGlowButton16Click() {
    if (ADOQueryStore.RecordCount() > 0)
        ExportGridToExcel(m_dataModule, DBGridEh3, nullptr, nullptr,
                          BalanceList(QDate::currentDate()).title);
}

void TMainForm::BelowMinimumCheckClick() {
    m_balancePage->QueryButtonClick();
}
void TMainForm::AdvGlowButton20Click() {
    m_summaryPage->QueryButtonClick();
}
void TMainForm::TntComboBox9DropDown() {
    m_summaryPage->NameDropDown();
}
void TMainForm::TntComboBox10DropDown() {
    m_summaryPage->ModelDropDown();
}
void TMainForm::DBGridEh5GetCellParams(DataGrid*, const GridColumn& Column, int Row,
                                       QColor& TextColor) {
    m_summaryPage->CellColor(Column, Row, TextColor);
}
void TMainForm::AdvGlowButton21Click() {
    printPageGrid(DBGridEh5, frReport5, frDBDataSet5,
                  SummaryList(QDate::currentDate(), QDate::currentDate()).title);
}
void TMainForm::AdvGlowButton22Click() {
    if (ADOQuerySummary.RecordCount() > 0)
        ExportGridToExcel(m_dataModule, DBGridEh5, nullptr, nullptr,
                          SummaryList(QDate::currentDate(), QDate::currentDate()).title);
}
void TMainForm::StocktakeButtonClick() {
    auto* dialog = new TStocktakingfrm(m_dataModule, this);
    const std::unique_ptr<TStocktakingfrm> owned(dialog);
    dialog->PrintSheet = [this, dialog](const ListDefinition& sheet, const Query& rows) {
        PrintList(sheet, rows, true, m_appPath, ReadLetterhead(m_dataModule), dialog);
    };
    dialog->ShowSheet(DateTimePicker7->date(), m_balancePage->QueryFilters());
    if (dialog->exec() != QDialog::Accepted)
        return;
    relistStockPages();
}

void TMainForm::cbx1Change() {
    m_passwordSettings->ShowPassword();
}
void TMainForm::AdvGlowButton10Click() {
    m_passwordSettings->SavePassword();
}
void TMainForm::AdvGlowButton9Click() {
    m_letterheadSettings->SaveLetterhead();
}
void TMainForm::AdvGlowButton17Click() {
    m_backupRestore->BackupData();
}
void TMainForm::AdvGlowButton18Click() {
    stopFills(true); // a restore writes the whole file: nothing else may be reading it
    m_backupRestore->RestoreData();
}
void TMainForm::AdvGlowButton11Click() {
    m_productListPage->QueryButtonClick();
}
void TMainForm::cbx2DropDown() {
    m_productListPage->NameDropDown();
}
void TMainForm::cbx3DropDown() {
    m_productListPage->ModelDropDown();
}
// A saved product changes what the stock lists show of it (its code, name, model or unit):
// they are listed again as they stand, with their filters and order.
void TMainForm::DBGridEh4DblClick() {
    if (!m_productListPage->EditCurrentProduct())
        return;
    relistStockPages();
}

void TMainForm::relistStockPages() {
    m_stockInPage->Relist();
    m_stockOutPage->Relist();
    m_balancePage->Relist();
    m_summaryPage->Relist();
}

void TMainForm::DBGridEh1DrawColumnCell(DataGrid* Sender, const QRect& Rect, int DataCol,
                                        const GridColumn& Column, bool Selected) {
    if (Sender == DBGridEh3)
        if (const auto background =
                m_balancePage->RowBackground(Sender->DrawingRecNo() - 1, Selected)) {
            Sender->Canvas().setBrushColor(*background);
            Sender->DefaultDrawColumnCell(Rect, DataCol, Column, Selected);
            return;
        }
    PaintGridRow(Sender, Rect, DataCol, Column, Selected);
}

// The report reads the page's grid; the list is printed whether or not it holds rows.
void TMainForm::printPageGrid(DataGrid* grid, Report& report, ListReportDataSet& dataSet,
                              const QString& title) {
    PrintGrid(grid, report, dataSet, title, false, NarrowTemplateName, WideTemplateName, m_appPath,
              ReadLetterhead(m_dataModule));
}

void TMainForm::DBGridEh1TitleBtnClick(DataGrid* Sender, int, GridColumn* Column) {
    SortGridByTitle(Sender, Column);
}
