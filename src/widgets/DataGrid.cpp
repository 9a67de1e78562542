#include "widgets/DataGrid.h"

#include "data/Query.h"
#include "lists/DisplayFormat.h"
#include "widgets/BlueScheme.h"
#include "widgets/DataGridModel.h"
#include "widgets/GridColumnChooser.h"
#include "widgets/GridFooter.h"
#include "widgets/GridHeaders.h"
#include "widgets/ScreenColors.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Hands every cell to DataGrid::paintCell, so that the grid's hooks decide its look.
class GridCellDelegate : public QStyledItemDelegate {
public:
    explicit GridCellDelegate(DataGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        m_grid->paintCell(painter, option.rect, index.row(), index.column(),
                          option.state.testFlag(QStyle::State_Selected));
    }

    // The whole text as a tooltip, only over a cell that shows it shortened.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() == QEvent::ToolTip && index.isValid() &&
            m_grid->shownCellText(index.row(), index.column()) ==
                m_grid->cellText(index.row(), index.column())) {
            QToolTip::hideText();
            return true;
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

private:
    DataGrid* m_grid;
};

// Blank room between a cell's edges and its text.
constexpr int CellPadding = 2;

const char* const viewStyle = R"(
QTableView {
    border: none;
    gridline-color: rgb(192, 192, 192);
    background: white;
}
)";

} // namespace

DataGrid::DataGrid(QWidget* parent)
    : QFrame(parent), m_model(new DataGridModel(this)), m_view(new QTableView(this)),
      m_indicator(new RowIndicatorHeader(m_view)), m_footer(nullptr), m_chooser(nullptr),
      m_scrollBar(new QScrollBar(Qt::Horizontal, this)) {
    setFont(textFont());
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setStyleSheet(QStringLiteral("DataGrid { border: 1px solid rgb(101, 147, 207); }"));

    m_view->setHorizontalHeader(new GridTitleHeader(m_view));
    m_view->setVerticalHeader(m_indicator);
    m_view->setModel(m_model);
    m_view->setItemDelegate(new GridCellDelegate(this));
    m_view->setStyleSheet(QString::fromLatin1(viewStyle));
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setShowGrid(true);
    m_view->setWordWrap(false);
    m_view->setCornerButtonEnabled(false);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->viewport()->installEventFilter(this);

    const int height = rowHeight();
    m_indicator->setMinimumSectionSize(height);
    m_indicator->setDefaultSectionSize(height);
    m_view->horizontalHeader()->setFixedHeight(height + 4);

    m_footer = new GridFooter(this);
    m_footer->setFixedHeight(height + 1);

    // Over the view's own corner cell, left of the titles and above the row indicator.
    m_chooser = new GridColumnChooser(this, m_view);
    m_chooser->setGeometry(0, 0, RowIndicatorHeader::IndicatorWidth,
                           m_view->horizontalHeader()->height());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_footer);
    layout->addWidget(m_scrollBar);
    m_scrollBar->setObjectName(QStringLiteral("horizontalScroll"));
    m_scrollBar->hide();

    // The view's own horizontal scroll bar is hidden; this one, under the footer, mirrors it.
    QScrollBar* inner = m_view->horizontalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, this, &DataGrid::mirrorScrollRange);
    connect(inner, &QScrollBar::valueChanged, m_scrollBar, &QScrollBar::setValue);
    connect(m_scrollBar, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
    connect(inner, &QScrollBar::valueChanged, m_footer, qOverload<>(&QWidget::update));

    QHeaderView* titles = m_view->horizontalHeader();
    connect(titles, &QHeaderView::sectionResized, this, [this](int index, int, int width) {
        // Hiding a column shrinks its section to 0; the column keeps its width.
        if (index >= 0 && index < columnCount() && width > 0)
            m_model->columns()[index].Width = width;
        m_footer->update();
    });
    connect(titles, &QHeaderView::geometriesChanged, m_footer, qOverload<>(&QWidget::update));
    // A double-click on a title's border fits the column to all its values, not only to the
    // rows in sight as the view would.
    disconnect(titles, &QHeaderView::sectionHandleDoubleClicked, m_view,
               &QTableView::resizeColumnToContents);
    connect(titles, &QHeaderView::sectionHandleDoubleClicked, this, &DataGrid::fitColumnWidth);
    m_view->installEventFilter(this);
    connect(titles, &QHeaderView::sectionClicked, this, [this](int index) {
        if (index >= 0 && index < columnCount())
            emit titleBtnClick(index, &m_model->columns()[index]);
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { viewRowChanged(current.row()); });
}

DataGrid::~DataGrid() = default;

void DataGrid::setDataSet(Query* query) {
    for (const auto& connection : m_queryConnections)
        disconnect(connection);
    m_queryConnections.clear();
    m_query = query;
    m_model->setQuery(query);
    if (query) {
        m_queryConnections.push_back(connect(query, &Query::changed, this, &DataGrid::reload));
        m_queryConnections.push_back(
            connect(query, &Query::currentChanged, this, &DataGrid::datasetMoved));
        m_queryConnections.push_back(
            connect(query, &Query::fillAboutToFinish, m_model, &DataGridModel::beginAppend));
        m_queryConnections.push_back(connect(query, &Query::fillFinished, this, [this] {
            m_model->endAppend();
            m_footer->update();
        }));
        // A whole-list action waits for the rest of a list still being filled.
        m_queryConnections.push_back(connect(query, &Query::fetchWaitStarted, this, [] {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }));
        m_queryConnections.push_back(connect(query, &Query::fetchWaitFinished, this,
                                             [] { QGuiApplication::restoreOverrideCursor(); }));
        m_queryConnections.push_back(
            connect(query, &QObject::destroyed, this, [this] { setDataSet(nullptr); }));
    }
    reload();
}

void DataGrid::setColumns(std::vector<GridColumn> columns) {
    m_model->setColumns(std::move(columns));
    m_staticFooters.clear();
    applyColumnLayout();
    reload();
}

int DataGrid::fittingColumnWidth(int index) const {
    const QFontMetrics metrics(textFont());
    // A cell's text has its padding on both sides and the grid line on its right.
    const int cells = m_model->widestCellWidth(index, metrics) + 2 * CellPadding + 1;
    const auto* titles = static_cast<const GridTitleHeader*>(m_view->horizontalHeader());
    return std::max({cells, m_footer->fittingWidth(index), titles->fittingWidth(index)});
}

void DataGrid::fitColumnWidth(int index) {
    if (index >= 0 && index < columnCount())
        setColumnWidth(index, fittingColumnWidth(index));
}

int DataGrid::columnCount() const {
    return int(m_model->columns().size());
}

GridColumn& DataGrid::column(int index) {
    return m_model->columns().at(index);
}

const GridColumn& DataGrid::column(int index) const {
    return m_model->columns().at(index);
}

const std::vector<GridColumn>& DataGrid::columns() const {
    return m_model->columns();
}

int DataGrid::columnIndexOf(const GridColumn* column) const {
    const auto& all = m_model->columns();
    for (int i = 0; i < int(all.size()); ++i) {
        if (&all[i] == column)
            return i;
    }
    return -1;
}

void DataGrid::setColumnWidth(int index, int width) {
    column(index).Width = width;
    m_view->setColumnWidth(index, width);
}

void DataGrid::setColumnVisible(int index, bool visible) {
    column(index).Visible = visible;
    m_view->setColumnHidden(index, !visible);
    m_footer->update();
}

void DataGrid::setSortMarker(int index, SortMarker marker) {
    auto& all = m_model->columns();
    if (marker != SortMarker::smNoneEh) {
        for (auto& other : all)
            other.Marker = SortMarker::smNoneEh;
    }
    all.at(index).Marker = marker;
    m_model->notifyHeaderChanged(0, columnCount() - 1);
}

void DataGrid::setSortMarker(const GridColumn* column, SortMarker marker) {
    const int index = columnIndexOf(column);
    if (index >= 0)
        setSortMarker(index, marker);
}

SortMarker DataGrid::sortMarker(int index) const {
    return column(index).Marker;
}

void DataGrid::setFooterText(int index, const QString& text) {
    m_staticFooters.insert(index, text);
    m_footer->update();
}

QString DataGrid::footerStaticText(int index) const {
    return m_staticFooters.value(index);
}

std::optional<double> DataGrid::footerValue(int index) const {
    return m_model->sum(index);
}

QString DataGrid::footerText(int index) const {
    const GridColumn& gridColumn = column(index);
    switch (gridColumn.Footer) {
    case FooterKind::StaticText:
        return m_staticFooters.value(index);
    case FooterKind::Sum:
        return m_model->sumText(index);
    case FooterKind::None:
        break;
    }
    return QString();
}

QString DataGrid::cellText(int row, int index) const {
    return m_model->cellText(row, index);
}

QString DataGrid::shownCellText(int row, int index) const {
    // A cell is its column's width less the grid line, as the view lays it out.
    const int cellWidth = m_view->columnWidth(index) - (m_view->showGrid() ? 1 : 0);
    return QFontMetrics(textFont())
        .elidedText(cellText(row, index), Qt::ElideRight, cellWidth - 2 * CellPadding);
}

int DataGrid::currentRow() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

int DataGrid::rowHeight() const {
    return QFontMetrics(textFont()).height() + 5;
}

QFont DataGrid::textFont() {
    QFont font(BlueScheme::fontFamily());
    font.setPixelSize(FontPixelSize);
    return font;
}

int DataGrid::DrawingRecNo() const {
    if (m_drawingRow >= 0)
        return m_drawingRow + 1;
    return m_query && m_query->Active() ? m_query->RecNo() : -1;
}

void DataGrid::paintCell(QPainter* painter, const QRect& rect, int row, int dataCol,
                         bool selected) {
    const GridColumn& gridColumn = column(dataCol);
    m_drawingRow = row;
    m_canvas.m_painter = painter;
    QColor textColor = ColorToQColor(gridColumn.FontColor);
    if (OnGetCellParams)
        OnGetCellParams(this, gridColumn, row, textColor);
    m_canvas.setFontColor(textColor);
    if (OnDrawColumnCell) {
        m_canvas.setBrushColor(selected ? palette().color(QPalette::Highlight)
                                        : ColorToQColor(clWindow));
        OnDrawColumnCell(this, rect, dataCol, gridColumn, selected);
    } else {
        if (selected) {
            m_canvas.setBrushColor(palette().color(QPalette::Highlight));
            m_canvas.setFontColor(palette().color(QPalette::HighlightedText));
        } else {
            m_canvas.setBrushColor(ColorToQColor(clWindow));
        }
        DefaultDrawColumnCell(rect, dataCol, gridColumn, selected);
    }
    m_canvas.m_painter = nullptr;
    m_drawingRow = -1;
}

void DataGrid::DefaultDrawColumnCell(const QRect& rect, int dataCol, const GridColumn&, bool) {
    QPainter* painter = m_canvas.painter();
    if (!painter)
        return;
    painter->save();
    painter->fillRect(rect, m_canvas.brushColor());
    painter->setPen(m_canvas.fontColor());
    painter->setFont(textFont());
    // Centred text that does not fit would lose both ends: it is shortened at its end instead.
    const QRect textRect = rect.adjusted(CellPadding, 0, -CellPadding, 0);
    painter->drawText(textRect, Qt::AlignCenter,
                      painter->fontMetrics().elidedText(m_model->cellText(m_drawingRow, dataCol),
                                                        Qt::ElideRight, textRect.width()));
    painter->restore();
}

bool DataGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonDblClick)
        emit doubleClicked();
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & ~Qt::KeypadModifier)) {
            emit enterPressed();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void DataGrid::reload() {
    m_syncing = true;
    m_model->reload();
    applyColumnLayout();
    m_syncing = false;
    selectRecord(m_query && m_query->Active() ? m_query->RecNo() : -1);
    m_footer->update();
}

void DataGrid::applyColumnLayout() {
    const auto& all = m_model->columns();
    for (int i = 0; i < int(all.size()); ++i) {
        if (m_view->columnWidth(i) != all[i].Width)
            m_view->setColumnWidth(i, all[i].Width);
        if (m_view->isColumnHidden(i) == all[i].Visible)
            m_view->setColumnHidden(i, !all[i].Visible);
    }
}

void DataGrid::selectRecord(int recNo) {
    m_syncing = true;
    const int row = recNo - 1;
    QItemSelectionModel* selection = m_view->selectionModel();
    if (row < 0 || row >= m_model->rowCount()) {
        selection->clear();
        m_indicator->setCurrentRow(-1);
    } else {
        int columnIndex = m_view->currentIndex().isValid() ? m_view->currentIndex().column() : 0;
        while (columnIndex < columnCount() - 1 && m_view->isColumnHidden(columnIndex))
            ++columnIndex;
        const QModelIndex index = m_model->index(row, columnIndex);
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        // A hidden view has no size yet: scrolling it now would leave rows above the top.
        if (m_view->isVisible())
            m_view->scrollTo(index);
        m_indicator->setCurrentRow(row);
    }
    m_syncing = false;
}

void DataGrid::viewRowChanged(int row) {
    m_indicator->setCurrentRow(row);
    if (m_syncing || !m_query || !m_query->Active() || row < 0)
        return;
    m_syncing = true;
    m_query->SetRecNo(row + 1);
    m_syncing = false;
}

void DataGrid::datasetMoved(int recNo) {
    if (!m_syncing)
        selectRecord(recNo);
}

void DataGrid::mirrorScrollRange() {
    const QScrollBar* inner = m_view->horizontalScrollBar();
    m_scrollBar->setRange(inner->minimum(), inner->maximum());
    m_scrollBar->setPageStep(inner->pageStep());
    m_scrollBar->setSingleStep(inner->singleStep());
    // The range changes while the grid's layout places the view. Showing or hiding the bar
    // then would change the layout inside its own pass, which loses the change: the bar keeps
    // no height and its room opens as a gap above the footer. So it is done right after.
    if (m_scrollBarPending)
        return;
    m_scrollBarPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_scrollBarPending = false;
            const QScrollBar* range = m_view->horizontalScrollBar();
            m_scrollBar->setVisible(range->maximum() > range->minimum());
        },
        Qt::QueuedConnection);
}
