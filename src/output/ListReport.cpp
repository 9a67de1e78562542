#include "output/ListReport.h"

#include "data/Letterhead.h"
#include "data/Query.h"
#include "data/ShareDMUnit.h"
#include "lists/DisplayFormat.h"
#include "lists/ListTable.h"
#include "report/Report.h"
#include "report/ReportBand.h"
#include "report/ReportDataSource.h"
#include "report/ReportError.h"
#include "report/ReportText.h"

#include <algorithm>
#include <cmath>
#include <vector>

const QString NarrowTemplateName = QStringLiteral("CommonPrint.frf");
const QString WideTemplateName = QStringLiteral("CommonPrint2.frf");

namespace {

// The table, in design units.
constexpr int narrowTableWidth = 716;
constexpr int wideTableWidth = 1028;
constexpr int tableLeft = 20;
constexpr int rowHeight = 20;
constexpr int headerTop = 240;
constexpr int recordTop = 280;
constexpr int totalTop = 320;
constexpr int summaryTop = 360;
constexpr int pageNumberWidth = 80;
// Every list has one footer row.
constexpr int footerRows = 1;

constexpr int centredMiddle = frtaCenter + frtaMiddle;
constexpr int allSides = frftRight + frftBottom + frftLeft + frftTop;
constexpr quint32 headerFill = 0xC0C0C0; // light grey

// A visible column of the list and the width of its cells.
struct TableColumn {
    int index;
    int width;
};

ReportBand* addBand(ReportPage& page, BandType type, int top, int height) {
    auto band = std::make_unique<ReportBand>(type);
    band->SetBounds(0, top, 0, height);
    return page.Add(std::move(band));
}

// A text object, centred across and up-down.
ReportText* addText(ReportPage& page, int left, int top, int width) {
    auto text = std::make_unique<ReportText>();
    text->SetBounds(left, top, width, rowHeight);
    text->SetProp(QStringLiteral("Alignment"), centredMiddle);
    return page.Add(std::move(text));
}

// One table row: a framed cell per visible column from the table's left edge, each next one
// starting where the one before ends, filled by `fill` (the cell, the list column's index).
template <class Fill>
void addRow(ReportPage& page, const std::vector<TableColumn>& columns, int top, Fill fill) {
    int left = tableLeft;
    for (const TableColumn& column : columns) {
        ReportText* cell = addText(page, left, top, column.width);
        cell->SetProp(QStringLiteral("FrameTyp"), allSides);
        fill(*cell, column.index);
        left += column.width;
    }
}

// A sum as a plain number: no thousands separators, no trailing zeros, at most four decimals.
QString plainNumber(double value) {
    return FormatFloat(QStringLiteral("0.####"), value);
}

void setHeading(Report& report, const QString& name, const QString& text) {
    ReportText* heading = report.FindText(name);
    heading->SetText(text);
    heading->Literal = true; // a company name is printed as typed, brackets and all
}

} // namespace

void BuildListReport(const ListTable& table, Report& report, const QString& title,
                     bool StaticFooters, const QString& narrowTemplate, const QString& wideTemplate,
                     const QString& programDir, const Letterhead& letterhead) {
    const std::vector<GridColumn>& listColumns = table.columns();
    double sum = 0;
    for (const GridColumn& column : listColumns) {
        if (column.Visible)
            sum += column.Width;
    }
    if (sum <= 0)
        throw ReportError(QStringLiteral("表格中没有可打印的列：所有的列都已隐藏。"));

    const bool wide = sum > narrowTableWidth;
    const int tableWidth = wide ? wideTableWidth : narrowTableWidth;
    report.LoadFromFile(programDir + QStringLiteral("frf/") +
                        (wide ? wideTemplate : narrowTemplate));
    report.Title = title;
    ReportPage& page = *report.Page(0);

    std::vector<TableColumn> columns;
    for (int i = 0; i < table.columnCount(); ++i) {
        const GridColumn& column = listColumns[i];
        if (column.Visible) // one division, so that a whole result stays whole
            columns.push_back({i, int(std::trunc(double(column.Width) * tableWidth / sum))});
    }

    addBand(page, BandType::PageHeader, headerTop, rowHeight);
    addRow(page, columns, headerTop, [&](ReportText& cell, int index) {
        cell.SetProp(QStringLiteral("FillColor"), headerFill);
        cell.Lines << listColumns[index].Title;
    });

    ReportBand* records = addBand(page, BandType::MasterData, recordTop, rowHeight);
    records->DataSet = report.DataSet() ? report.DataSet()->Name() : QString();
    const QString dataSetName = table.queryName();
    addRow(page, columns, recordTop, [&](ReportText& cell, int index) {
        const GridColumn& column = listColumns[index];
        cell.SetProp(QStringLiteral("Font.Color"), column.FontColor);
        cell.Lines << QStringLiteral("[%1.%2]").arg(dataSetName, column.FieldName);
    });

    addBand(page, BandType::MasterFooter, totalTop, rowHeight);
    addRow(page, columns, totalTop, [&](ReportText& cell, int index) {
        if (index == 0)
            cell.Lines << QStringLiteral("合计");
    });

    addBand(page, BandType::ReportSummary, summaryTop, rowHeight * footerRows);
    for (int row = 0; row < footerRows; ++row) {
        addRow(page, columns, summaryTop + rowHeight * row, [&](ReportText& cell, int index) {
            const GridColumn& column = listColumns[index];
            if (StaticFooters) {
                if (column.Footer == FooterKind::StaticText) {
                    cell.Lines << table.staticFooterText(index);
                    cell.SetProp(QStringLiteral("Font.Color"), column.FooterColor);
                }
            } else if (column.Footer == FooterKind::Sum) {
                cell.Lines << plainNumber(table.sum(index).value_or(0));
                cell.SetProp(QStringLiteral("Font.Color"), column.FooterColor);
            }
        });
    }

    // From the unscaled width, as the layout has always placed it, but kept on the paper: a
    // narrow list would put it left of the page, a very wide one right of it.
    const int pageNumberTop = summaryTop + 22 * footerRows;
    addBand(page, BandType::PageFooter, pageNumberTop, rowHeight);
    const int pageNumberLeft =
        std::clamp(int(std::trunc(sum - 100)), 0, tableLeft + tableWidth - pageNumberWidth);
    addText(page, pageNumberLeft, pageNumberTop, pageNumberWidth)->Lines
        << QStringLiteral("[PAGE#]/[TOTALPAGES]");

    setHeading(report, QStringLiteral("CommonKind"), title);
    setHeading(report, QStringLiteral("CompanyName"), letterhead.companyName);
    setHeading(report, QStringLiteral("CompanyAddress"),
               QStringLiteral("公司地址：") + letterhead.companyAddress);
    setHeading(report, QStringLiteral("CompanyTel"),
               QStringLiteral("电        话：") + letterhead.otherInformation);
}
