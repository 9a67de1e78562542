#pragma once

#include "sheet/SheetStyle.h"

#include <array>
#include <map>
#include <utility>
#include <vector>

struct lxw_workbook;
struct lxw_format;

// How a cell's value is shown: as it stands, as a date, or as a date with its time of day.
enum class NumberForm : std::uint8_t { General, Date, DateTime };

// The file formats of one workbook, one per distinct cell style and number form.
class FormatCache {
public:
    explicit FormatCache(lxw_workbook* workbook) : m_workbook(workbook) {}
    // Null for the default style shown as it stands.
    lxw_format* get(const CellStyle& style, NumberForm form);

private:
    lxw_format* make(const CellStyle& style, NumberForm form);

    lxw_workbook* m_workbook;
    std::map<std::pair<CellStyle, NumberForm>, lxw_format*> m_formats;
};

// The formatting of one worksheet as its rows are written in order. The settings of a sheet
// are few rectangles, so its rows fall into a few bands in which every row stands in the same
// relation to every rectangle (above, on its first row, inside, on its last row, below); the
// formats of a band's cells are worked out once per column.
class SheetLayout {
public:
    SheetLayout(const std::vector<StyleEntry>& entries, int columns, FormatCache& formats);

    // Rows are entered in increasing order.
    void enterRow(int row);
    // Whether a cell of the current row is written although it holds nothing, because a
    // rectangle set on it gives it a format.
    bool formatsEmptyCell(int column) const { return m_emptyCells[column] != 0; }
    int lastFormattedColumn() const { return m_lastFormatted; }
    lxw_format* format(int column, NumberForm form);
    double fontSize(int column);

    // The format of a whole column (for the cells that are never written).
    lxw_format* columnFormat(int column);
    // The last column whose settings differ from those of the columns after it.
    int lastDistinctColumn() const;

private:
    struct ColumnFormats {
        bool resolved = false;
        double fontSize = 0;
        std::array<lxw_format*, 3> forms{};
    };
    CellStyle styleAt(int row, int column, bool wholeColumnsOnly) const;
    void resolve(int column);

    const std::vector<StyleEntry>& m_entries;
    FormatCache& m_formats;
    std::vector<int> m_bandStarts;
    std::size_t m_band = 0;
    int m_row = 0;
    std::vector<ColumnFormats> m_columns; // of the current band, by column
    std::vector<char> m_emptyCells;       // of the current band, by column
    int m_lastFormatted = 0;
};
