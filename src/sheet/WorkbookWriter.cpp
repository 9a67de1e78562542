#include "sheet/WorkbookWriter.h"

#include "platform/Numbers.h"
#include "sheet/CellText.h"
#include "sheet/SheetLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <xlsxwriter.h>

namespace {

QString libraryMessage(lxw_error error) {
    return QString::fromUtf8(lxw_strerror(error));
}

// The file library's workbook; dropped without writing a file unless it is closed.
class FileWorkbook {
public:
    FileWorkbook(const QString& path, const QString& temporaryFolder)
        : m_path(QFile::encodeName(path)), m_tmpdir(QFile::encodeName(temporaryFolder)) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_tmpdir.data();
        m_workbook = workbook_new_opt(m_path.constData(), &options);
        if (!m_workbook)
            throw SpreadsheetError(QStringLiteral("无法建立工作簿。"));
    }
    ~FileWorkbook() {
        if (m_workbook)
            lxw_workbook_free(m_workbook);
    }
    FileWorkbook(const FileWorkbook&) = delete;
    FileWorkbook& operator=(const FileWorkbook&) = delete;

    lxw_workbook* get() const { return m_workbook; }
    lxw_error close() { return workbook_close(std::exchange(m_workbook, nullptr)); }

private:
    QByteArray m_path;
    QByteArray m_tmpdir;
    lxw_workbook* m_workbook = nullptr;
};

// Rows written over all sheets, reported every so many rows and at the end of each sheet.
class ProgressReport {
public:
    ProgressReport(const SheetProgress& progress, qint64 total)
        : m_progress(progress), m_total(total) {}
    void rowDone() {
        ++m_done;
        if ((m_done & 511) == 0)
            report();
    }
    void report() const {
        if (m_progress && !m_progress(m_done, m_total))
            throw SpreadsheetCancelled();
    }

private:
    const SheetProgress& m_progress;
    qint64 m_total;
    qint64 m_done = 0;
};

// Reads the rows of one refreshed table as the writer reaches them.
struct TableCursor {
    explicit TableCursor(const QueryTable& table)
        : source(table.Source()), header(table.HeaderTexts()), extent(table.Extent()),
          sequence(table.Sequence()), fitColumns(table.AdjustColumnWidth),
          cells(static_cast<std::size_t>(source.FieldCount())) {}

    bool covers(int row) const { return row >= extent.firstRow && row <= extent.lastRow; }
    bool coversColumn(int column) const {
        return column >= extent.firstColumn && column <= extent.lastColumn;
    }
    // Fills `cells` with the table's row at `row`: its header, or the source's next row (blank
    // once the source has ended).
    void load(int row) {
        if (!header.empty() && row == extent.firstRow) {
            for (std::size_t i = 0; i < cells.size(); ++i)
                cells[i] = {SheetCell::Kind::Text, 0, header[i], {}};
            return;
        }
        if (!ended && source.NextRow(cells))
            return;
        ended = true;
        std::fill(cells.begin(), cells.end(), SheetCell());
    }

    SheetRowSource& source;
    const std::vector<std::string>& header;
    SheetArea extent;
    int sequence;
    bool fitColumns;
    bool ended = false;
    std::vector<SheetCell> cells;
};

class SheetWriter {
public:
    SheetWriter(lxw_worksheet* sheet, const Worksheet& model, FormatCache& formats)
        : m_sheet(sheet), m_model(model), m_lastColumn(lastColumn(model)),
          m_layout(model.StyleEntries(), m_lastColumn, formats),
          m_fitted(static_cast<std::size_t>(m_lastColumn) + 1, 0.0) {
        for (const auto& table : model.Tables())
            if (table->Refreshed())
                m_tables.emplace_back(*table);
    }

    static int lastRow(const Worksheet& model);
    void writeRows(int lastRow, ProgressReport& progress);
    void writeColumns();
    qint64 cutTexts() const { return m_cutTexts; }

private:
    static int lastColumn(const Worksheet& model);
    void writeCell(int row, int column, const SheetCell& cell);
    void check(lxw_error error, int row, int column) const;

    lxw_worksheet* m_sheet;
    const Worksheet& m_model;
    int m_lastColumn;
    SheetLayout m_layout;
    std::vector<TableCursor> m_tables;
    std::vector<double> m_fitted; // column widths fitted to the tables' contents
    std::string m_textBuffer;
    qint64 m_cutTexts = 0;
};

int SheetWriter::lastRow(const Worksheet& model) {
    int last = model.Values().empty() ? 0 : model.Values().rbegin()->first.first;
    for (const auto& table : model.Tables())
        if (table->Refreshed())
            last = std::max(last, table->Extent().lastRow);
    for (const StyleEntry& entry : model.StyleEntries())
        if (!entry.area.wholeColumns())
            last = std::max(last, entry.area.lastRow);
    return last;
}

int SheetWriter::lastColumn(const Worksheet& model) {
    int last = 0;
    for (const auto& [place, value] : model.Values())
        last = std::max(last, place.second);
    for (const auto& table : model.Tables())
        if (table->Refreshed())
            last = std::max(last, table->Extent().lastColumn);
    for (const StyleEntry& entry : model.StyleEntries())
        if (!entry.area.wholeColumns())
            last = std::max(last, entry.area.lastColumn);
    return last;
}

void SheetWriter::writeRows(int lastRow, ProgressReport& progress) {
    const auto& values = m_model.Values();
    auto nextValue = values.begin();
    std::vector<TableCursor*> active;
    for (int row = 1; row <= lastRow; ++row) {
        m_layout.enterRow(row);
        active.clear();
        int last = m_layout.lastFormattedColumn();
        for (TableCursor& table : m_tables)
            if (table.covers(row)) {
                table.load(row);
                active.push_back(&table);
                last = std::max(last, table.extent.lastColumn);
            }
        const auto rowValues = nextValue;
        while (nextValue != values.end() && nextValue->first.first == row) {
            last = std::max(last, nextValue->first.second);
            ++nextValue;
        }
        auto value = rowValues;
        for (int column = 1; column <= last; ++column) {
            // The latest write wins: a table over earlier cells, a cell over earlier tables.
            const SheetCell* cell = nullptr;
            const TableCursor* from = nullptr;
            int sequence = 0;
            for (const TableCursor* table : active)
                if (table->coversColumn(column) && table->sequence > sequence) {
                    cell = &table->cells[column - table->extent.firstColumn];
                    from = table;
                    sequence = table->sequence;
                }
            SheetCell own;
            while (value != nextValue && value->first.second < column)
                ++value;
            if (value != nextValue && value->first.second == column &&
                value->second.sequence > sequence) {
                own = value->second.cell();
                cell = &own;
                from = nullptr;
            }
            if (!cell) {
                if (m_layout.formatsEmptyCell(column))
                    writeCell(row, column, SheetCell());
                continue;
            }
            writeCell(row, column, *cell);
            if (from && from->fitColumns)
                m_fitted[column] =
                    std::max(m_fitted[column],
                             ColumnWidthFor(CellDisplayWidth(*cell), m_layout.fontSize(column)));
        }
        progress.rowDone();
    }
}

void SheetWriter::check(lxw_error error, int row, int column) const {
    if (error != LXW_NO_ERROR)
        throw SpreadsheetError(QStringLiteral("无法写入单元格（第 %1 行，第 %2 列）：%3")
                                   .arg(row)
                                   .arg(column)
                                   .arg(libraryMessage(error)));
}

void SheetWriter::writeCell(int row, int column, const SheetCell& cell) {
    const lxw_row_t r = static_cast<lxw_row_t>(row - 1);
    const lxw_col_t c = static_cast<lxw_col_t>(column - 1);
    lxw_format* general = m_layout.format(column, NumberForm::General);
    switch (cell.kind) {
    case SheetCell::Kind::Blank:
        check(worksheet_write_blank(m_sheet, r, c, general), row, column);
        return;
    case SheetCell::Kind::Number:
        if (std::isfinite(cell.number)) {
            check(worksheet_write_number(m_sheet, r, c, cell.number, general), row, column);
        } else {
            // A sheet has no infinite numbers: such a value shows as the grid shows it.
            check(worksheet_write_string(m_sheet, r, c, NonFiniteMark, general), row, column);
        }
        return;
    case SheetCell::Kind::Text: {
        bool cut = false;
        const std::string_view text = PrepareCellText(cell.text, m_textBuffer, cut);
        m_cutTexts += cut;
        check(worksheet_write_string(m_sheet, r, c, text.data(), general), row, column);
        return;
    }
    case SheetCell::Kind::DateTime:
        break;
    }
    const SheetDateTime& d = cell.date;
    // Date cells count days from 1900; a date outside the sheet's years is written as text.
    if (d.year < 1900 || d.year > 9999) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day,
                      d.hour, d.minute, d.second);
        check(worksheet_write_string(m_sheet, r, c, text, general), row, column);
        return;
    }
    lxw_datetime value{d.year, d.month, d.day, d.hour, d.minute, static_cast<double>(d.second)};
    const bool withTime = d.hour || d.minute || d.second;
    check(worksheet_write_datetime(
              m_sheet, r, c, &value,
              m_layout.format(column, withTime ? NumberForm::DateTime : NumberForm::Date)),
          row, column);
}

// Column formats (for the cells never written) and widths: runs of equal columns, then the
// columns after the last distinct one in one run.
void SheetWriter::writeColumns() {
    const auto& widths = m_model.ColumnWidths();
    const int last = std::max(
        {m_layout.lastDistinctColumn(), m_lastColumn, widths.empty() ? 0 : widths.rbegin()->first});
    auto widthOf = [&](int column) {
        double width = column <= m_lastColumn ? m_fitted[column] : 0;
        if (const auto fitted = widths.find(column); fitted != widths.end())
            width = std::max(width, fitted->second);
        return width > 0 ? width : LXW_DEF_COL_WIDTH;
    };
    auto setColumns = [&](int first, int lastOfRun, double width, lxw_format* format) {
        if (format || width != LXW_DEF_COL_WIDTH)
            check(worksheet_set_column(m_sheet, static_cast<lxw_col_t>(first - 1),
                                       static_cast<lxw_col_t>(lastOfRun - 1), width, format),
                  1, first);
    };
    int runStart = 1;
    for (int column = 1; column <= last; ++column) {
        const double width = widthOf(column);
        lxw_format* format = m_layout.columnFormat(column);
        if (column == last || widthOf(column + 1) != width ||
            m_layout.columnFormat(column + 1) != format) {
            setColumns(runStart, column, width, format);
            runStart = column + 1;
        }
    }
    if (last < SheetMaxColumns)
        setColumns(last + 1, SheetMaxColumns, LXW_DEF_COL_WIDTH,
                   m_layout.columnFormat(SheetMaxColumns));
}

qint64 writeFile(const std::vector<std::unique_ptr<Worksheet>>& sheets, const QString& path,
                 const QString& temporaryFolder, const SheetProgress& progress) {
    FileWorkbook file(path, temporaryFolder);
    FormatCache formats(file.get());
    qint64 total = 0;
    for (const auto& sheet : sheets)
        total += SheetWriter::lastRow(*sheet);
    ProgressReport report(progress, total);
    report.report();
    qint64 cut = 0;
    for (const auto& sheet : sheets) {
        lxw_worksheet* written =
            workbook_add_worksheet(file.get(), sheet->Name().toUtf8().constData());
        if (!written)
            throw SpreadsheetError(
                QStringLiteral("无法在文件夹 %1 中建立工作表的临时文件。").arg(temporaryFolder));
        SheetWriter writer(written, *sheet, formats);
        writer.writeRows(SheetWriter::lastRow(*sheet), report);
        writer.writeColumns();
        cut += writer.cutTexts();
    }
    report.report();
    if (const lxw_error error = file.close(); error != LXW_NO_ERROR)
        throw SpreadsheetError(
            QStringLiteral("无法写入工作簿文件（磁盘可能已满）：%1").arg(libraryMessage(error)));
    return cut;
}

} // namespace

qint64 WriteWorkbookFile(const std::vector<std::unique_ptr<Worksheet>>& sheets, const QString& path,
                         const SheetProgress& progress) {
    // The file and the library's own temporary files are written in a folder of our own beside
    // the target (made with mkdtemp, so nobody else can read or replace anything in it); the
    // finished file is then renamed over the target.
    const QFileInfo target(path);
    QTemporaryDir folder(QDir(target.absolutePath()).filePath(QStringLiteral(".Varnholt-XXXXXX")));
    if (!folder.isValid())
        throw SpreadsheetError(
            QStringLiteral("无法在文件夹 %1 中写入文件。").arg(target.absolutePath()));
    const QString partial = folder.filePath(QStringLiteral("workbook.xlsx"));
    const qint64 cut = writeFile(sheets, partial, folder.path(), progress);
    // A file replaced keeps its permissions; a new one has those of any new file.
    if (target.exists() && !QFile::setPermissions(partial, target.permissions()))
        throw SpreadsheetError(QStringLiteral("无法设置文件 %1 的权限。").arg(path));
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) !=
        0)
        throw SpreadsheetError(QStringLiteral("无法把工作簿保存为 %1：%2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    return cut;
}
