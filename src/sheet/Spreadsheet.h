#pragma once

#include "platform/Progress.h"
#include "sheet/SheetStyle.h"
#include "sheet/SpreadsheetError.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The spreadsheet application that the export drives: new workbooks with a worksheet, fonts,
// alignment, borders, cells, and external-data tables filled from the rows of a data source
// under a header row of its column names. Making the application visible saves each workbook
// as a real .xlsx file and shows it through the caller's `show` (the desktop's spreadsheet
// program).
//
// The workbook is a description until it is saved: formatting may be set before or after the
// data (as in the spreadsheet application itself), and the rows of an external-data table are
// read from their source only while the file is written, one row at a time, so that a table
// of any length is written in constant memory.

struct SheetDateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// One value of a row that a source delivers. A text is UTF-8 followed by a NUL byte and stays
// valid until the source's next row.
struct SheetCell {
    enum class Kind : std::uint8_t { Blank, Number, Text, DateTime };
    Kind kind = Kind::Blank;
    double number = 0;
    std::string_view text;
    SheetDateTime date;
};

// The rows of an external-data table (a recordset): its column names, how many rows it will
// deliver, and the rows themselves, read once, in order.
class SheetRowSource {
public:
    virtual ~SheetRowSource() = default;
    virtual int FieldCount() const = 0;
    virtual QString FieldName(int field) const = 0;
    virtual qint64 RecordCount() const = 0;
    // Fills `cells` (FieldCount() entries) with the next row; false after the last one. Failures
    // are exceptions.
    virtual bool NextRow(std::vector<SheetCell>& cells) = 0;
};

class Worksheet;

// A rectangle of cells of one worksheet and the formatting that can be set on it.
class SheetRange {
public:
    SheetRange(Worksheet* sheet, SheetArea area) : m_sheet(sheet), m_area(area) {}
    SheetArea Area() const { return m_area; }

    void SetFontName(const QString& name);
    void SetFontSize(double size);
    // Alignment codes of the spreadsheet's object model (see SheetStyle.h).
    void SetHorizontalAlignment(int code);
    void SetVerticalAlignment(int code);
    // Borders(index).LineStyle: index 7 to 12 (left, top, bottom and right edge, inside
    // vertical and inside horizontal lines), a line-style code such as 1 (continuous).
    void SetBorderLineStyle(int borderIndex, int lineStyle);
    // EntireColumn.AutoFit: fits the range's columns to the cells they hold now.
    void AutoFitColumns();

private:
    Worksheet* m_sheet;
    SheetArea m_area;
};

// An external-data table: the rows of a source placed at a destination cell, written over the
// cells there.
class QueryTable {
public:
    bool FieldNames = true;        // the first row holds the source's column names
    bool AdjustColumnWidth = true; // the table's columns are fitted to their contents

    // Takes the source's columns and row count; from now on the table spans them and its rows
    // are part of the sheet. The rows themselves are read when the workbook is written.
    void Refresh();
    bool Refreshed() const { return m_refreshed; }
    SheetArea Extent() const; // the cells the refreshed table covers
    // What the table was refreshed with (column names as UTF-8, the data row count).
    const std::vector<std::string>& HeaderTexts() const { return m_header; }
    qint64 DataRows() const { return m_rows; }
    SheetRowSource& Source() const { return *m_source; }
    int Sequence() const { return m_sequence; }

private:
    friend class Worksheet;
    QueryTable(std::shared_ptr<SheetRowSource> source, int row, int column, Worksheet* sheet)
        : m_source(std::move(source)), m_row(row), m_column(column), m_sheet(sheet) {}

    std::shared_ptr<SheetRowSource> m_source;
    int m_row, m_column;
    Worksheet* m_sheet;
    bool m_refreshed = false;
    std::vector<std::string> m_header;
    qint64 m_rows = 0;
    int m_sequence = 0;
};

// A value written into one cell by the program itself (not by a table).
struct SheetValue {
    SheetCell::Kind kind = SheetCell::Kind::Blank;
    double number = 0;
    std::string text; // UTF-8
    SheetDateTime date;
    int sequence = 0; // later writes win over earlier ones and over earlier tables

    SheetCell cell() const { return {kind, number, std::string_view(text), date}; }
};

class Worksheet {
public:
    explicit Worksheet(QString name) : m_name(std::move(name)) {}
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    QString Name() const { return m_name; }

    SheetRange Cells() { return SheetRange(this, SheetArea::WholeSheet()); }
    // An address such as "A1", "B2:D9" or "C:D"; a malformed one is an error.
    SheetRange Range(const QString& address);

    // QueryTables.Add: a table whose header row begins at the destination's first cell.
    QueryTable& AddQueryTable(std::shared_ptr<SheetRowSource> source,
                              const SheetRange& destination);

    // Cells written by the program; rows and columns numbered from 1.
    void SetText(int row, int column, const QString& text);
    void SetNumber(int row, int column, double value);
    void SetDateTime(int row, int column, const QDateTime& value);

    // What the writer reads.
    const std::vector<StyleEntry>& StyleEntries() const { return m_styles; }
    const std::map<std::pair<int, int>, SheetValue>& Values() const { return m_values; }
    const std::vector<std::unique_ptr<QueryTable>>& Tables() const { return m_tables; }
    const std::map<int, double>& ColumnWidths() const { return m_widths; }

private:
    friend class SheetRange;
    friend class QueryTable;
    void addStyle(StyleEntry entry);
    void setValue(int row, int column, SheetValue value);
    void autoFit(const SheetArea& area);
    int nextSequence() { return ++m_sequence; }

    QString m_name;
    std::vector<StyleEntry> m_styles;
    std::map<std::pair<int, int>, SheetValue> m_values; // (row, column) → value
    std::vector<std::unique_ptr<QueryTable>> m_tables;
    std::map<int, double> m_widths; // column → width in characters, where fitted
    int m_sequence = 0;
};

// Reports the rows written so far and the rows to write; returning false stops the writing.
using SheetProgress = Progress;

class Workbook {
public:
    Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // A new workbook has one worksheet, "Sheet1"; names are found in any letter case.
    Worksheet& Worksheets(const QString& name);

    // Writes the workbook to `path` as .xlsx, replacing a file of that name only once the new
    // one is complete: on a failure or a cancel no file is left behind (the old one stays).
    void SaveAs(const QString& path, const SheetProgress& progress = {});
    bool Saved() const { return !m_fullName.isEmpty(); }
    QString FullName() const { return m_fullName; }
    // Texts longer than a cell can hold that were cut when the workbook was saved.
    qint64 CutTexts() const { return m_cutTexts; }

private:
    std::vector<std::unique_ptr<Worksheet>> m_sheets;
    QString m_fullName;
    qint64 m_cutTexts = 0;
};

struct SpreadsheetOptions {
    // Where a workbook is saved when the application becomes visible: this file, or, when
    // empty, a new file in the temporary directory.
    QString saveAs;
    // Shows a saved workbook; false when nothing could open it. Empty: nothing is shown.
    std::function<bool(const QString& file)> show;
    SheetProgress progress;
};

class SpreadsheetApplication {
public:
    explicit SpreadsheetApplication(SpreadsheetOptions options);
    SpreadsheetApplication(const SpreadsheetApplication&) = delete;
    SpreadsheetApplication& operator=(const SpreadsheetApplication&) = delete;
    ~SpreadsheetApplication();

    Workbook& AddWorkbook(); // Workbooks.Add

    // Visible := true saves every workbook not saved yet and shows it; a failure (or a cancel)
    // leaves no file of that workbook and is raised.
    void SetVisible(bool visible);
    bool Visible() const { return m_visible; }
    // Whether the last workbook made visible was opened by a program.
    bool Shown() const { return m_shown; }

    // Ends the application; workbooks never made visible are dropped without a file.
    void Quit();
    bool Running() const { return m_running; }

private:
    void checkRunning() const;
    void present(Workbook& workbook);

    SpreadsheetOptions m_options;
    std::vector<std::unique_ptr<Workbook>> m_workbooks;
    bool m_visible = false;
    bool m_shown = false;
    bool m_running = true;
};
