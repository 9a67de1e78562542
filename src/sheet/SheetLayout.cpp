#include "sheet/SheetLayout.h"

#include "sheet/SpreadsheetError.h"

#include <algorithm>
#include <xlsxwriter.h>

namespace {

std::uint8_t horizontalCode(HorizontalAlignment alignment) {
    switch (alignment) {
    case HorizontalAlignment::General:
        return LXW_ALIGN_NONE;
    case HorizontalAlignment::Left:
        return LXW_ALIGN_LEFT;
    case HorizontalAlignment::Center:
        return LXW_ALIGN_CENTER;
    case HorizontalAlignment::Right:
        return LXW_ALIGN_RIGHT;
    case HorizontalAlignment::Fill:
        return LXW_ALIGN_FILL;
    case HorizontalAlignment::Justify:
        return LXW_ALIGN_JUSTIFY;
    case HorizontalAlignment::CenterAcrossSelection:
        return LXW_ALIGN_CENTER_ACROSS;
    case HorizontalAlignment::Distributed:
        return LXW_ALIGN_DISTRIBUTED;
    }
    return LXW_ALIGN_NONE;
}

std::uint8_t verticalCode(VerticalAlignment alignment) {
    switch (alignment) {
    case VerticalAlignment::Bottom:
        return LXW_ALIGN_NONE; // the format's own default
    case VerticalAlignment::Top:
        return LXW_ALIGN_VERTICAL_TOP;
    case VerticalAlignment::Center:
        return LXW_ALIGN_VERTICAL_CENTER;
    case VerticalAlignment::Justify:
        return LXW_ALIGN_VERTICAL_JUSTIFY;
    case VerticalAlignment::Distributed:
        return LXW_ALIGN_VERTICAL_DISTRIBUTED;
    }
    return LXW_ALIGN_NONE;
}

std::uint8_t borderCode(BorderLine line) {
    switch (line) {
    case BorderLine::None:
        return LXW_BORDER_NONE;
    case BorderLine::Thin:
        return LXW_BORDER_THIN;
    case BorderLine::Dashed:
        return LXW_BORDER_DASHED;
    case BorderLine::Dotted:
        return LXW_BORDER_DOTTED;
    case BorderLine::Double:
        return LXW_BORDER_DOUBLE;
    case BorderLine::DashDot:
        return LXW_BORDER_DASH_DOT;
    case BorderLine::DashDotDot:
        return LXW_BORDER_DASH_DOT_DOT;
    case BorderLine::SlantDashDot:
        return LXW_BORDER_SLANT_DASH_DOT;
    }
    return LXW_BORDER_NONE;
}

// The built-in number formats that spreadsheet programs show in the user's own short date
// form: the date alone, and the date with hours and minutes.
constexpr std::uint8_t ShortDateFormat = 14;
constexpr std::uint8_t ShortDateTimeFormat = 22;

// A row inside every whole-column setting, neither its first nor its last.
constexpr int InteriorRow = 2;

} // namespace

lxw_format* FormatCache::get(const CellStyle& style, NumberForm form) {
    if (form == NumberForm::General && style == CellStyle())
        return nullptr;
    auto [place, added] = m_formats.try_emplace({style, form}, nullptr);
    if (added)
        place->second = make(style, form);
    return place->second;
}

lxw_format* FormatCache::make(const CellStyle& style, NumberForm form) {
    lxw_format* format = workbook_add_format(m_workbook);
    if (!format)
        throw SpreadsheetError(QStringLiteral("无法建立单元格格式（内存不足）。"));
    if (!style.fontName.isEmpty())
        format_set_font_name(format, style.fontName.toUtf8().constData());
    if (style.fontSize > 0)
        format_set_font_size(format, style.fontSize);
    if (style.horizontal != HorizontalAlignment::General)
        format_set_align(format, horizontalCode(style.horizontal));
    if (style.vertical != VerticalAlignment::Bottom)
        format_set_align(format, verticalCode(style.vertical));
    format_set_left(format, borderCode(style.left));
    format_set_right(format, borderCode(style.right));
    format_set_top(format, borderCode(style.top));
    format_set_bottom(format, borderCode(style.bottom));
    if (form == NumberForm::Date)
        format_set_num_format_index(format, ShortDateFormat);
    else if (form == NumberForm::DateTime)
        format_set_num_format_index(format, ShortDateTimeFormat);
    return format;
}

SheetLayout::SheetLayout(const std::vector<StyleEntry>& entries, int columns, FormatCache& formats)
    : m_entries(entries), m_formats(formats), m_columns(columns + 1), m_emptyCells(columns + 1) {
    // A band begins wherever a row's relation to some rectangle changes.
    m_bandStarts.push_back(1);
    for (const StyleEntry& entry : entries)
        for (const int row : {entry.area.firstRow, entry.area.firstRow + 1, entry.area.lastRow,
                              entry.area.lastRow + 1})
            if (row > 1 && row <= SheetMaxRows)
                m_bandStarts.push_back(row);
    std::sort(m_bandStarts.begin(), m_bandStarts.end());
    m_bandStarts.erase(std::unique(m_bandStarts.begin(), m_bandStarts.end()), m_bandStarts.end());
}

void SheetLayout::enterRow(int row) {
    const bool first = m_row == 0;
    m_row = row;
    std::size_t band = m_band;
    while (band + 1 < m_bandStarts.size() && m_bandStarts[band + 1] <= row)
        ++band;
    if (!first && band == m_band)
        return;
    m_band = band;
    std::fill(m_columns.begin(), m_columns.end(), ColumnFormats());
    std::fill(m_emptyCells.begin(), m_emptyCells.end(), 0);
    m_lastFormatted = 0;
    const int columns = static_cast<int>(m_emptyCells.size()) - 1;
    // Rectangles (not whole columns, whose empty cells take the column's format) that cover
    // this row have their empty cells written.
    for (const StyleEntry& entry : m_entries) {
        const SheetArea& area = entry.area;
        if (area.wholeColumns() || row < area.firstRow || row > area.lastRow)
            continue;
        const int last = std::min(area.lastColumn, columns);
        for (int column = area.firstColumn; column <= last; ++column)
            m_emptyCells[column] = 1;
        m_lastFormatted = std::max(m_lastFormatted, last);
    }
}

CellStyle SheetLayout::styleAt(int row, int column, bool wholeColumnsOnly) const {
    CellStyle style;
    for (const StyleEntry& entry : m_entries)
        if ((!wholeColumnsOnly || entry.area.wholeColumns()) && entry.area.contains(row, column))
            entry.applyTo(style, row, column);
    return style;
}

void SheetLayout::resolve(int column) {
    ColumnFormats& formats = m_columns[column];
    const CellStyle style = styleAt(m_row, column, false);
    formats.fontSize = style.fontSize;
    formats.forms = {m_formats.get(style, NumberForm::General),
                     m_formats.get(style, NumberForm::Date),
                     m_formats.get(style, NumberForm::DateTime)};
    formats.resolved = true;
}

lxw_format* SheetLayout::format(int column, NumberForm form) {
    if (!m_columns[column].resolved)
        resolve(column);
    return m_columns[column].forms[static_cast<std::size_t>(form)];
}

double SheetLayout::fontSize(int column) {
    if (!m_columns[column].resolved)
        resolve(column);
    return m_columns[column].fontSize;
}

lxw_format* SheetLayout::columnFormat(int column) {
    return m_formats.get(styleAt(InteriorRow, column, true), NumberForm::General);
}

int SheetLayout::lastDistinctColumn() const {
    int last = 0;
    for (const StyleEntry& entry : m_entries) {
        const SheetArea& area = entry.area;
        last = std::max(last,
                        area.lastColumn < SheetMaxColumns ? area.lastColumn : area.firstColumn - 1);
    }
    return last;
}
