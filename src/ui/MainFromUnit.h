#pragma once

#include "admin/BackupRestore.h"
#include "admin/LetterheadSettings.h"
#include "admin/PasswordSettings.h"
#include "data/Query.h"
#include "output/ListReportDataSet.h"
#include "product/ProductListPage.h"
#include "report/Report.h"
#include "stock/StockBalancePage.h"
#include "stock/StockMovementPage.h"
#include "stock/StockSummaryPage.h"
#include "ui/MainFormLifecycle.h"

#include <QMainWindow>
#include <QMargins>
#include <QSize>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class FetchLane;
class QCheckBox;
class DataGrid;
class DatePicker;
class DropDownComboBox;
class FixedLabel;
class GlowButton;
class GroupBox;
class OfficePager;
class ShadedPanel;
class TProductEditorfrm;
class TShareDM;
class TStoreEditorfrm;
struct GridColumn;
class QComboBox;
class QLabel;
class QLineEdit;
class QStatusBar;

// The main window: a pager with five picture tabs (stock in, stock out, stock balance, period
// summary, administration), each page a filter panel above a data grid, and a status bar.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // dataModule: the connection and scratch queries that the pages, dialogs and settings work
    // on. appPath: the folder of the program's read-only files (the report templates in frf/),
    // ending with "/": the program directory, or the share folder of an installed program.
    TMainForm(TShareDM& dataModule, const QString& appPath, QWidget* parent = nullptr);
    ~TMainForm() override;

    QString appPath() const { return m_appPath; }

    void setLifecycle(MainFormLifecycle* lifecycle) { m_lifecycle = lifecycle; }
    // The stock entry dialog that the movement pages open (made by the program entry).
    void setStoreEditor(TStoreEditorfrm* editor) { m_storeEditor = editor; }
    // Shows or hides the administration page's tab.
    void setAdministrationVisible(bool visible);

    // The window's outer size, its frame included, and the size of every page.
    static constexpr QSize OuterSize{936, 563};
    static constexpr QSize PageSize{755, 506};
    // Sizes the window for a frame of these margins, so that its outer size is OuterSize, and
    // centres it on the screen; the pages stay PageSize, with the room they leave around them.
    // The window does this itself when its window manager's frame becomes known.
    void fitToFrame(const QMargins& frame);

    // Life cycle, forwarded to the lifecycle object inside the handler guard.
    void FormShow();
    void FormCloseQuery(bool& CanClose);
    void FormClose();
    // The first filling of every page, in the order stock in, stock out, balance, summary,
    // administration.
    void InitializePages();
    // Whether a list is still being fetched in the background since InitializePages().
    bool ListsFilling() const;

    // The list routines of the pages: each runs its page's statement with a filter fragment
    // (empty: unfiltered) and writes the row count under the grid's first column.
    void QueryStoreIn(const QString& fragment);
    void QueryStoreOut(const QString& fragment);
    void QueryStoreBalance(const QString& fragment);
    void QueryStoreSummary(const QString& fragment);
    void QueryProducts(const QString& fragment);

    // Page 1, stock in.
    void AdvGlowButton4Click();
    void TntComboBox5DropDown();
    void TntComboBox6DropDown();
    void AdvGlowButton1Click();
    void DBGridEh1DblClick();
    void AdvGlowButton2Click();
    void AdvGlowButton3Click();
    // Page 2, stock out.
    void AdvGlowButton5Click();
    void TntComboBox1DropDown();
    void TntComboBox2DropDown();
    void AdvGlowButton6Click();
    void DBGridEh2DblClick();
    void AdvGlowButton7Click();
    void AdvGlowButton8Click();
    // Page 3, stock balance.
    void AdvGlowButton13Click();
    void TntComboBox7DropDown();
    void TntComboBox8DropDown();
    void DBGridEh3GetCellParams(DataGrid* Sender, const GridColumn& Column, int Row,
                                QColor& TextColor);
    void AdvGlowButton15Click();
    void AdvGlowButton16Click();
    void BelowMinimumCheckClick(); // "只看低于下限": lists the balance again with the filters
    // 盘点: the stocktaking dialog over the page's list; after OK every page is listed again.
    void StocktakeButtonClick();
    // Page 4, period summary.
    void AdvGlowButton20Click(); // 查询
    void TntComboBox9DropDown();
    void TntComboBox10DropDown();
    void DBGridEh5GetCellParams(DataGrid* Sender, const GridColumn& Column, int Row,
                                QColor& TextColor);
    void AdvGlowButton21Click(); // 打印
    void AdvGlowButton22Click(); // 导出
    // Page 5, administration.
    void cbx1Change();
    void AdvGlowButton10Click();
    void AdvGlowButton9Click();
    void AdvGlowButton17Click(); // 备份数据
    void AdvGlowButton18Click(); // 恢复数据
    void AdvGlowButton11Click();
    void cbx2DropDown();
    void cbx3DropDown();
    void DBGridEh4DblClick();
    // All five grids.
    void DBGridEh1DrawColumnCell(DataGrid* Sender, const QRect& Rect, int DataCol,
                                 const GridColumn& Column, bool Selected);
    void DBGridEh1TitleBtnClick(DataGrid* Sender, int ACol, GridColumn* Column);

    // The page queries, on the data module's connection; closed until the pages are filled.
    Query ADOQueryStoreIn;
    Query ADOQueryStoreOut;
    Query ADOQueryStore;
    Query ADOQuerySummary;
    Query ADOQueryProduct;

    // The reports of the printable pages, each with a data source over its page's grid.
    Report frReport1;
    Report frReport2;
    Report frReport3;
    Report frReport5;
    ListReportDataSet frDBDataSet1{QStringLiteral("frDBDataSet1")};
    ListReportDataSet frDBDataSet2{QStringLiteral("frDBDataSet2")};
    ListReportDataSet frDBDataSet3{QStringLiteral("frDBDataSet3")};
    ListReportDataSet frDBDataSet5{QStringLiteral("frDBDataSet5")};

    OfficePager* AdvOfficePager1 = nullptr;
    ShadedPanel* AdvOfficePage1 = nullptr;
    ShadedPanel* AdvOfficePage2 = nullptr;
    ShadedPanel* AdvOfficePage3 = nullptr;
    ShadedPanel* AdvOfficePage4 = nullptr;
    ShadedPanel* AdvOfficePage5 = nullptr; // the period summary, the fourth tab
    QStatusBar* AdvOfficeStatusBar1 = nullptr;

    // Page 1, stock in.
    ShadedPanel* AdvPanel2 = nullptr;
    ShadedPanel* AdvPanel1 = nullptr;
    GroupBox* AdvGroupBox2 = nullptr;
    FixedLabel* TntLabel9 = nullptr;
    DatePicker* DateTimePicker2 = nullptr;
    DatePicker* DateTimePicker3 = nullptr;
    FixedLabel* TntLabel10 = nullptr;
    DropDownComboBox* TntComboBox5 = nullptr;
    FixedLabel* TntLabel11 = nullptr;
    DropDownComboBox* TntComboBox6 = nullptr;
    GlowButton* AdvGlowButton4 = nullptr;
    GlowButton* AdvGlowButton1 = nullptr;
    GlowButton* AdvGlowButton2 = nullptr;
    GlowButton* AdvGlowButton3 = nullptr;
    DataGrid* DBGridEh1 = nullptr;

    // Page 2, stock out.
    ShadedPanel* AdvPanel3 = nullptr;
    ShadedPanel* AdvPanel4 = nullptr;
    GroupBox* AdvGroupBox1 = nullptr;
    FixedLabel* TntLabel1 = nullptr;
    DatePicker* DateTimePicker1 = nullptr;
    DatePicker* DateTimePicker4 = nullptr;
    FixedLabel* TntLabel2 = nullptr;
    DropDownComboBox* TntComboBox1 = nullptr;
    FixedLabel* TntLabel3 = nullptr;
    DropDownComboBox* TntComboBox2 = nullptr;
    GlowButton* AdvGlowButton5 = nullptr;
    GlowButton* AdvGlowButton6 = nullptr;
    GlowButton* AdvGlowButton7 = nullptr;
    GlowButton* AdvGlowButton8 = nullptr;
    DataGrid* DBGridEh2 = nullptr;

    // Page 3, stock balance.
    ShadedPanel* AdvPanel6 = nullptr;
    ShadedPanel* AdvPanel5 = nullptr;
    GroupBox* AdvGroupBox4 = nullptr;
    FixedLabel* TntLabel7 = nullptr;
    DatePicker* DateTimePicker7 = nullptr;
    FixedLabel* TntLabel8 = nullptr;
    DropDownComboBox* TntComboBox7 = nullptr;
    FixedLabel* TntLabel12 = nullptr;
    DropDownComboBox* TntComboBox8 = nullptr;
    GlowButton* AdvGlowButton13 = nullptr;
    GlowButton* AdvGlowButton15 = nullptr;
    GlowButton* AdvGlowButton16 = nullptr;
    QCheckBox* BelowMinimumCheck = nullptr;
    GlowButton* StocktakeButton = nullptr; // 盘点
    DataGrid* DBGridEh3 = nullptr;

    // Page 4, period summary.
    ShadedPanel* AdvPanel11 = nullptr;
    ShadedPanel* AdvPanel12 = nullptr;
    GroupBox* AdvGroupBox6 = nullptr;
    FixedLabel* TntLabel13 = nullptr;
    DatePicker* DateTimePicker8 = nullptr; // from
    DatePicker* DateTimePicker9 = nullptr; // to
    FixedLabel* TntLabel14 = nullptr;
    DropDownComboBox* TntComboBox9 = nullptr;
    FixedLabel* TntLabel15 = nullptr;
    DropDownComboBox* TntComboBox10 = nullptr;
    GlowButton* AdvGlowButton20 = nullptr;
    GlowButton* AdvGlowButton21 = nullptr;
    GlowButton* AdvGlowButton22 = nullptr;
    DataGrid* DBGridEh5 = nullptr;

    // Page 5, administration.
    ShadedPanel* AdvPanel7 = nullptr;
    ShadedPanel* AdvPanel8 = nullptr;
    ShadedPanel* AdvPanel9 = nullptr;
    ShadedPanel* AdvPanel10 = nullptr;
    GroupBox* AdvGroupBox3 = nullptr;
    FixedLabel* lbl4 = nullptr;
    QComboBox* cbx1 = nullptr;
    FixedLabel* lbl5 = nullptr;
    QLineEdit* edt1 = nullptr;
    GlowButton* AdvGlowButton10 = nullptr;
    GroupBox* AdvGroupBox5 = nullptr;
    FixedLabel* lbl1 = nullptr;
    QLineEdit* edt2 = nullptr;
    FixedLabel* lbl2 = nullptr;
    QLineEdit* edt3 = nullptr;
    FixedLabel* lbl3 = nullptr;
    QLineEdit* edt4 = nullptr;
    GlowButton* AdvGlowButton9 = nullptr;
    GlowButton* AdvGlowButton17 = nullptr;
    GlowButton* AdvGlowButton18 = nullptr;
    FixedLabel* lbl6 = nullptr;
    FixedLabel* lbl7 = nullptr;
    DropDownComboBox* cbx2 = nullptr;
    FixedLabel* lbl8 = nullptr;
    DropDownComboBox* cbx3 = nullptr;
    GlowButton* AdvGlowButton11 = nullptr;
    DataGrid* DBGridEh4 = nullptr;

    // The product editor, opened from the product list; made once, shown for every product.
    TProductEditorfrm* ProductEditorfrm = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<StockMovementPage> m_stockInPage;
    std::unique_ptr<StockMovementPage> m_stockOutPage;
    std::unique_ptr<StockBalancePage> m_balancePage;
    std::unique_ptr<StockSummaryPage> m_summaryPage;
    std::unique_ptr<PasswordSettings> m_passwordSettings;
    std::unique_ptr<LetterheadSettings> m_letterheadSettings;
    std::unique_ptr<BackupRestore> m_backupRestore;
    std::unique_ptr<ProductListPage> m_productListPage;
    // The lanes that fill the lists in the background (see InitializePages).
    std::unique_ptr<FetchLane> m_movementLane;
    std::unique_ptr<FetchLane> m_balanceLane;
    std::unique_ptr<FetchLane> m_productLane;
    // The pages whose filter boxes are still to be filled, in order; the first waits for the
    // stock-in list's first rows.
    std::vector<std::function<void()>> m_pendingFilters;
    std::array<QMetaObject::Connection, 2> m_firstRowsIn;
    QTimer m_nextFilters; // fills the next page's boxes once the window has had its turn
    void fillFiltersAfterFirstRows();
    void stopWaitingForFirstRows();
    void fillNextFilters();
    void stopFills(bool keepLists);
    // Layout (MainFormLayout.cpp).
    void buildWindow();
    void buildStockInPage();
    void buildStockOutPage();
    void buildBalancePage();
    void buildSummaryPage();
    void buildAdministrationPage();
    void buildStatusBar();
    void followWindowFrame();
    // Event bindings (MainFromUnit.cpp).
    void createPages();
    void connectHandlers();
    void connectGrid(DataGrid* grid);
    void connectKeyboard();
    // The first filter of the page shown, where Ctrl+F goes.
    QWidget* firstFilter() const;
    // The add buttons and double-clicks of both movement pages.
    void enterMovement(StockMovementPage& page, bool edit);
    // The stock pages listed again as they stand, with their filters and order, after a change
    // of products or movements made elsewhere (the product editor, a stocktaking).
    void relistStockPages();
    // The print buttons of the four printable list pages (stock in, stock out, balance, summary).
    void printPageGrid(DataGrid* grid, Report& report, ListReportDataSet& dataSet,
                       const QString& title);

    TShareDM& m_dataModule;
    QString m_appPath;
    MainFormLifecycle* m_lifecycle = nullptr;
    TStoreEditorfrm* m_storeEditor = nullptr;
    bool m_shownBefore = false;
    bool m_fittedToFrame = false;
};
