#include "stock/StocktakingUnit.h"

#include "data/DataError.h"
#include "data/EngineConnection.h"
#include "data/ShareDMUnit.h"
#include "stock/CountSheet.h"
#include "stock/StockCountModel.h"
#include "stock/Stocktaking.h"
#include "widgets/BlueScheme.h"
#include "widgets/GlowButton.h"
#include "widgets/Guard.h"
#include "widgets/MessageBoxes.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTableView>

namespace {

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

constexpr int DialogWidth = 720;
constexpr int DialogHeight = 480;

} // namespace

TStocktakingfrm::TStocktakingfrm(TShareDM& dataModule, QWidget* parent)
    : QDialog(parent), m_dataModule(dataModule), m_sheetRows(&dataModule.ADOConnection1),
      m_model(new StockCountModel(this)) {
    setObjectName("Stocktakingfrm");
    setWindowTitle(QStringLiteral("盘点"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(DialogWidth, DialogHeight);
    QFont font(BlueScheme::fontFamily());
    font.setPixelSize(12);
    setFont(font);
    buildControls();
}

void TStocktakingfrm::buildControls() {
    lblSheet = named(new QLabel(this), "lblSheet");
    lblSheet->setGeometry(15, 8, DialogWidth - 30, 36);
    lblSheet->setWordWrap(true);

    grdCounts = named(new QTableView(this), "grdCounts");
    grdCounts->setGeometry(15, 48, DialogWidth - 30, DialogHeight - 110);
    grdCounts->setModel(m_model);
    grdCounts->setSelectionMode(QAbstractItemView::SingleSelection);
    grdCounts->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grdCounts->verticalHeader()->setDefaultSectionSize(22);
    grdCounts->horizontalHeader()->setHighlightSections(false);

    auto button = [this](const char* name, const QString& text, int x) {
        auto* glow = named(new GlowButton(text, this), name);
        glow->move(x, DialogHeight - 50);
        glow->setAutoDefault(false);
        return glow;
    };
    btnPrintSheet = button("btnPrintSheet", QStringLiteral("打印盘点表"), 15);
    btnOK = button("btnOK", QStringLiteral("确定"), DialogWidth - 15 - 2 * 105 - 15);
    btnCancel = button("btnCancel", QStringLiteral("取消"), DialogWidth - 15 - 105);

    // A count ended with Enter goes on to the next product's count, so that a list is counted in
    // from the keyboard alone.
    connect(grdCounts->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                const QModelIndex current = grdCounts->currentIndex();
                if (hint == QAbstractItemDelegate::SubmitModelCache &&
                    current.row() + 1 < m_model->rowCount())
                    grdCounts->setCurrentIndex(current.siblingAtRow(current.row() + 1));
            });
    connect(btnPrintSheet, &QPushButton::clicked, this,
            Guarded(this, &TStocktakingfrm::btnPrintSheetClick));
    connect(btnOK, &QPushButton::clicked, this, Guarded(this, &TStocktakingfrm::btnOKClick));
    connect(btnCancel, &QPushButton::clicked, this,
            Guarded(this, &TStocktakingfrm::btnCancelClick));
    setTabOrder(grdCounts, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, btnPrintSheet);
}

void TStocktakingfrm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, BlueScheme::panelTop());
    gradient.setColorAt(1, BlueScheme::panelBottom());
    painter.fillRect(rect(), gradient);
}

void TStocktakingfrm::ShowSheet(const QDate& cutoff, const QString& filters) {
    m_cutoff = cutoff;
    m_recorded = 0;
    m_sheet = CountSheetList(cutoff, filters);
    m_sheetRows.setObjectName(m_sheet.query);
    OpenSQL(m_sheetRows, m_sheet.statementOn(m_dataModule.ADOConnection1.sqlTarget()));
    m_model->setSheet(&m_sheetRows, m_sheet.columns);
    const std::vector<GridColumn>& columns = m_sheet.columns;
    for (int i = 0; i < int(columns.size()); ++i)
        grdCounts->setColumnWidth(i, columns[i].Width);
    lblSheet->setText(
        QStringLiteral(
            "截止日期 %1，共 %2 种商品。请在“实盘数量”一栏填入清点的数量，空着的商品不调整；"
            "按“确定”后，数量不同的商品记录一条盘点调整（入库或出库）。")
            .arg(QLocale().toString(cutoff, QLocale::ShortFormat))
            .arg(m_model->rowCount()));
    grdCounts->setCurrentIndex(m_model->index(0, m_model->countColumn()));
}

void TStocktakingfrm::btnPrintSheetClick() {
    if (!PrintSheet)
        throw DataError(QStringLiteral("盘点表无法打印：没有打印功能。"));
    PrintSheet(m_sheet, m_sheetRows);
}

std::vector<StockCount> TStocktakingfrm::typedCounts() {
    const ListTable& table = *m_model->table();
    const int key = m_sheetRows.FieldIndex(QStringLiteral("ProductIndex"));
    std::vector<StockCount> typed;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QString text = m_model->countText(row);
        if (text.isEmpty())
            continue;
        const std::optional<double> counted = ParseCount(text);
        const QString code = table.cellText(row, 0);
        if (!counted) {
            grdCounts->setCurrentIndex(m_model->index(row, m_model->countColumn()));
            ShowWarning(QStringLiteral("第 %1 行（商品编号 %2，%3）的实盘数量“%4”不是数字，"
                                       "请改正后再按“确定”。盘点没有记录。")
                            .arg(row + 1)
                            .arg(code, table.cellText(row, 1), text));
            throw SilentAbort();
        }
        typed.push_back({m_sheetRows.IntegerAt(row, key), code, *counted});
    }
    return typed;
}

void TStocktakingfrm::btnOKClick() {
    // A count still being typed counts too.
    // (An open cell editor is the focused widget inside the view's viewport.)
    if (QWidget* editor = QApplication::focusWidget();
        editor && grdCounts->viewport()->isAncestorOf(editor))
        emit grdCounts->itemDelegate()->commitData(editor);
    const std::vector<StockCount> typed = typedCounts();
    if (typed.empty()) {
        ShowWarning(QStringLiteral("没有填入任何实盘数量：请在“实盘数量”一栏填入清点的数量。"));
        return;
    }
    const std::vector<StockAdjustment> adjustments =
        RecordStocktaking(m_dataModule.ADOConnection1, m_cutoff, typed);
    m_recorded = int(adjustments.size());
    ShowInformation(
        m_recorded == 0
            ? QStringLiteral("盘点完成：%1 种商品的实盘数量与当前库存一致，没有记录调整。")
                  .arg(typed.size())
            : QStringLiteral("盘点完成：盘点 %1 种商品，记录了 %2 条盘点调整。")
                  .arg(typed.size())
                  .arg(m_recorded));
    accept();
}

void TStocktakingfrm::btnCancelClick() {
    reject();
}
