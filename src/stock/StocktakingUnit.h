#pragma once

#include "data/Query.h"
#include "lists/ListDefinition.h"
#include "stock/Stocktaking.h"

#include <QDate>
#include <QDialog>
#include <functional>
#include <vector>

class GlowButton;
class QLabel;
class QTableView;
class StockCountModel;
class TShareDM;

// The stocktaking dialog (盘点), opened from the balance page: the products of the page's list
// with their quantity on hand at the page's cut-off date and an empty column "实盘数量" for the
// counts. "打印盘点表" prints the list as a count sheet; "确定" records the adjusting movements of
// the counts typed (see Stocktaking.h) and closes the dialog; products left empty are not
// touched.
class TStocktakingfrm : public QDialog {
    Q_OBJECT
public:
    explicit TStocktakingfrm(TShareDM& dataModule, QWidget* parent = nullptr);

    // Lists the count sheet of `cutoff` for the product filter fragment, every count empty.
    void ShowSheet(const QDate& cutoff, const QString& filters);
    // Prints the sheet as listed (set by the window, which owns the report engine's printing).
    std::function<void(const ListDefinition& sheet, const Query& rows)> PrintSheet;
    // The adjustments recorded by the last "确定".
    int RecordedCount() const { return m_recorded; }

    QLabel* lblSheet;
    QTableView* grdCounts;
    GlowButton* btnPrintSheet; // 打印盘点表
    GlowButton* btnOK;         // 确定
    GlowButton* btnCancel;     // 取消
    StockCountModel* counts() const { return m_model; }

    void btnPrintSheetClick();
    void btnOKClick();
    void btnCancelClick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    // The counts typed, by product; refuses the first that is no number, naming its row.
    std::vector<StockCount> typedCounts();

    TShareDM& m_dataModule;
    Query m_sheetRows;
    ListDefinition m_sheet;
    QDate m_cutoff;
    StockCountModel* m_model;
    int m_recorded = 0;
};
