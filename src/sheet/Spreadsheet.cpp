#include "sheet/Spreadsheet.h"

#include "platform/TempFiles.h"
#include "sheet/CellText.h"
#include "sheet/SheetAddress.h"
#include "sheet/WorkbookWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

// ---- ranges --------------------------------------------------------------------------------

namespace {

StyleEntry entryOn(const SheetArea& area, StyleEntry::Property property) {
    StyleEntry entry;
    entry.area = area;
    entry.property = property;
    return entry;
}

} // namespace

void SheetRange::SetFontName(const QString& name) {
    StyleEntry entry = entryOn(m_area, StyleEntry::Property::FontName);
    entry.text = name;
    m_sheet->addStyle(entry);
}

void SheetRange::SetFontSize(double size) {
    if (!(size >= 1 && size <= 409))
        throw SpreadsheetError(QStringLiteral("字号 %1 不在 1 到 409 之间。").arg(size));
    StyleEntry entry = entryOn(m_area, StyleEntry::Property::FontSize);
    entry.number = size;
    m_sheet->addStyle(entry);
}

void SheetRange::SetHorizontalAlignment(int code) {
    StyleEntry entry = entryOn(m_area, StyleEntry::Property::Horizontal);
    entry.horizontal = HorizontalAlignmentFromCode(code);
    m_sheet->addStyle(entry);
}

void SheetRange::SetVerticalAlignment(int code) {
    StyleEntry entry = entryOn(m_area, StyleEntry::Property::Vertical);
    entry.vertical = VerticalAlignmentFromCode(code);
    m_sheet->addStyle(entry);
}

void SheetRange::SetBorderLineStyle(int borderIndex, int lineStyle) {
    if (borderIndex < EdgeLeft || borderIndex > InsideHorizontal)
        throw SpreadsheetError(QStringLiteral("电子表格不支持边框序号 %1。").arg(borderIndex));
    StyleEntry entry = entryOn(m_area, StyleEntry::Property::Border);
    entry.borderIndex = borderIndex;
    entry.line = BorderLineFromCode(lineStyle);
    m_sheet->addStyle(entry);
}

void SheetRange::AutoFitColumns() {
    m_sheet->autoFit(m_area);
}

// ---- external-data tables ------------------------------------------------------------------

void QueryTable::Refresh() {
    const int fields = m_source->FieldCount();
    const qint64 rows = m_source->RecordCount();
    const qint64 lastRow = m_row - 1 + (FieldNames ? 1 : 0) + rows;
    if (lastRow > SheetMaxRows)
        throw SpreadsheetError(
            QStringLiteral("数据有 %1 行，从第 %2 行放起超出了工作表最多的 %3 行。")
                .arg(rows)
                .arg(m_row)
                .arg(SheetMaxRows));
    if (m_column - 1 + fields > SheetMaxColumns)
        throw SpreadsheetError(QStringLiteral("数据有 %1 列，超出了工作表最多的 %2 列。")
                                   .arg(fields)
                                   .arg(SheetMaxColumns));
    m_header.clear();
    if (FieldNames)
        for (int field = 0; field < fields; ++field)
            m_header.push_back(m_source->FieldName(field).toStdString());
    m_rows = rows;
    m_refreshed = true;
    m_sequence = m_sheet->nextSequence();
}

SheetArea QueryTable::Extent() const {
    const qint64 rows = static_cast<qint64>(m_header.empty() ? 0 : 1) + m_rows;
    SheetArea area;
    area.firstRow = m_row;
    area.firstColumn = m_column;
    area.lastRow = m_row - 1 + static_cast<int>(m_refreshed ? rows : 0);
    area.lastColumn = m_column - 1 + m_source->FieldCount();
    return area;
}

// ---- worksheets ----------------------------------------------------------------------------

SheetRange Worksheet::Range(const QString& address) {
    return SheetRange(this, ParseSheetAddress(address));
}

QueryTable& Worksheet::AddQueryTable(std::shared_ptr<SheetRowSource> source,
                                     const SheetRange& destination) {
    if (!source)
        throw SpreadsheetError(QStringLiteral("外部数据表没有数据源。"));
    const SheetArea at = destination.Area();
    m_tables.push_back(std::unique_ptr<QueryTable>(
        new QueryTable(std::move(source), at.firstRow, at.firstColumn, this)));
    return *m_tables.back();
}

void Worksheet::SetText(int row, int column, const QString& text) {
    SheetValue value;
    value.kind = SheetCell::Kind::Text;
    value.text = text.toStdString();
    setValue(row, column, std::move(value));
}

void Worksheet::SetNumber(int row, int column, double number) {
    SheetValue value;
    value.kind = SheetCell::Kind::Number;
    value.number = number;
    setValue(row, column, std::move(value));
}

void Worksheet::SetDateTime(int row, int column, const QDateTime& dateTime) {
    SheetValue value;
    if (dateTime.isValid()) {
        const QDate date = dateTime.date();
        const QTime time = dateTime.time();
        value.kind = SheetCell::Kind::DateTime;
        value.date = {date.year(), date.month(),  date.day(),
                      time.hour(), time.minute(), time.second()};
    }
    setValue(row, column, std::move(value));
}

void Worksheet::addStyle(StyleEntry entry) {
    m_styles.push_back(std::move(entry));
}

void Worksheet::setValue(int row, int column, SheetValue value) {
    if (row < 1 || row > SheetMaxRows || column < 1 || column > SheetMaxColumns)
        throw SpreadsheetError(
            QStringLiteral("单元格（第 %1 行，第 %2 列）在工作表之外。").arg(row).arg(column));
    value.sequence = nextSequence();
    m_values[{row, column}] = std::move(value);
}

// Fits each column of the area that holds a value now to its widest value, in the font the
// cell is set in.
void Worksheet::autoFit(const SheetArea& area) {
    std::map<int, double> widest;
    for (const auto& [place, value] : m_values) {
        const auto [row, column] = place;
        if (!area.contains(row, column) || value.kind == SheetCell::Kind::Blank)
            continue;
        CellStyle style;
        for (const StyleEntry& entry : m_styles)
            if (entry.area.contains(row, column))
                entry.applyTo(style, row, column);
        const double width = ColumnWidthFor(CellDisplayWidth(value.cell()), style.fontSize);
        widest[column] = std::max(widest[column], width);
    }
    for (const auto& [column, width] : widest)
        m_widths[column] = width;
}

// ---- workbooks -----------------------------------------------------------------------------

Workbook::Workbook() {
    m_sheets.push_back(std::make_unique<Worksheet>(QStringLiteral("Sheet1")));
}

Worksheet& Workbook::Worksheets(const QString& name) {
    for (const auto& sheet : m_sheets)
        if (sheet->Name().compare(name, Qt::CaseInsensitive) == 0)
            return *sheet;
    throw SpreadsheetError(QStringLiteral("工作簿中没有名为“%1”的工作表。").arg(name));
}

void Workbook::SaveAs(const QString& path, const SheetProgress& progress) {
    m_cutTexts = WriteWorkbookFile(m_sheets, path, progress);
    m_fullName = QFileInfo(path).absoluteFilePath();
}

// ---- the application -----------------------------------------------------------------------

SpreadsheetApplication::SpreadsheetApplication(SpreadsheetOptions options)
    : m_options(std::move(options)) {}

SpreadsheetApplication::~SpreadsheetApplication() = default;

void SpreadsheetApplication::checkRunning() const {
    if (!m_running)
        throw SpreadsheetError(QStringLiteral("电子表格程序已经退出。"));
}

Workbook& SpreadsheetApplication::AddWorkbook() {
    checkRunning();
    if (!m_options.saveAs.isEmpty() && !m_workbooks.empty())
        throw SpreadsheetError(QStringLiteral("只能把一个工作簿保存为 %1。").arg(m_options.saveAs));
    m_workbooks.push_back(std::make_unique<Workbook>());
    return *m_workbooks.back();
}

void SpreadsheetApplication::SetVisible(bool visible) {
    checkRunning();
    m_visible = visible;
    if (!visible)
        return;
    for (const auto& workbook : m_workbooks)
        if (!workbook->Saved())
            present(*workbook);
}

// Saves the workbook as its own file and shows it. A new file in the temporary directory is
// made first, so that the name is ours; it goes again if the workbook cannot be written.
void SpreadsheetApplication::present(Workbook& workbook) {
    const bool newFile = m_options.saveAs.isEmpty();
    const QString path = newFile ? CreateUniqueFile(QDir::tempPath(), QStringLiteral("Varnholt-"),
                                                    QStringLiteral(".xlsx"))
                                 : m_options.saveAs;
    if (path.isEmpty())
        throw SpreadsheetError(
            QStringLiteral("无法在临时文件夹 %1 中建立文件。").arg(QDir::tempPath()));
    try {
        workbook.SaveAs(path, m_options.progress);
    } catch (...) {
        if (newFile)
            QFile::remove(path);
        throw;
    }
    m_shown = m_options.show && m_options.show(workbook.FullName());
}

void SpreadsheetApplication::Quit() {
    m_workbooks.clear();
    m_visible = false;
    m_running = false;
}
