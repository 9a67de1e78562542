#pragma once

#include <QString>
#include <cstdint>
#include <tuple>

// Cell formatting of a worksheet: the rectangles it is set on, the properties, and how the
// settings made on overlapping rectangles add up to the style of one cell.

constexpr int SheetMaxRows = 1048576;
constexpr int SheetMaxColumns = 16384;

// A rectangle of cells, rows and columns numbered from 1.
struct SheetArea {
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = SheetMaxRows;
    int lastColumn = SheetMaxColumns;

    static SheetArea WholeSheet() { return {}; }
    bool wholeColumns() const { return firstRow == 1 && lastRow == SheetMaxRows; }
    bool contains(int row, int column) const {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
    bool operator==(const SheetArea&) const = default;
};

enum class HorizontalAlignment : std::uint8_t {
    General,
    Left,
    Center,
    Right,
    Fill,
    Justify,
    CenterAcrossSelection,
    Distributed
};
enum class VerticalAlignment : std::uint8_t { Bottom, Top, Center, Justify, Distributed };
enum class BorderLine : std::uint8_t {
    None,
    Thin,
    Dashed,
    Dotted,
    Double,
    DashDot,
    DashDotDot,
    SlantDashDot
};

// The spreadsheet object model's codes. Horizontal: 1 general, -4131 left, -4108 centre,
// -4152 right, 5 fill, -4130 justify, 7 centre across selection, -4117 distributed.
// Vertical: -4160 top, -4108 centre, -4107 bottom, -4130 justify, -4117 distributed, and the
// older codes 1 top, 2 centre, 3 bottom, 4 justify. Line styles: 1 continuous (a thin line),
// -4115 dashed, -4118 dotted, -4119 double, 4 dash-dot, 5 dash-dot-dot, 13 slanted dash-dot,
// -4142 none. An unknown code is a SpreadsheetError.
HorizontalAlignment HorizontalAlignmentFromCode(int code);
VerticalAlignment VerticalAlignmentFromCode(int code);
BorderLine BorderLineFromCode(int code);

// Border indices of the object model.
enum BorderIndex {
    EdgeLeft = 7,
    EdgeTop = 8,
    EdgeBottom = 9,
    EdgeRight = 10,
    InsideVertical = 11,
    InsideHorizontal = 12
};

struct CellStyle {
    QString fontName;    // empty: the workbook's default font
    double fontSize = 0; // 0: the default size
    HorizontalAlignment horizontal = HorizontalAlignment::General;
    VerticalAlignment vertical = VerticalAlignment::Bottom;
    BorderLine left = BorderLine::None;
    BorderLine right = BorderLine::None;
    BorderLine top = BorderLine::None;
    BorderLine bottom = BorderLine::None;

    auto key() const {
        return std::tie(fontName, fontSize, horizontal, vertical, left, right, top, bottom);
    }
    bool operator<(const CellStyle& other) const { return key() < other.key(); }
    bool operator==(const CellStyle& other) const { return key() == other.key(); }
};

// One setting made on a rectangle, in the order the settings were made.
struct StyleEntry {
    enum class Property : std::uint8_t { FontName, FontSize, Horizontal, Vertical, Border };
    SheetArea area;
    Property property = Property::FontName;
    QString text;      // FontName
    double number = 0; // FontSize
    HorizontalAlignment horizontal = HorizontalAlignment::General;
    VerticalAlignment vertical = VerticalAlignment::Bottom;
    int borderIndex = 0; // Border
    BorderLine line = BorderLine::None;

    // Applies the setting to the cell at (row, column) of its area: borders by the cell's place
    // in the rectangle (an edge or an inside line).
    void applyTo(CellStyle& style, int row, int column) const;
};
