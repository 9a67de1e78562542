#pragma once

#include "sheet/Spreadsheet.h"

#include <cstdint>
#include <string>
#include <string_view>

// Texts as a worksheet cell holds them.

// The most characters (UTF-16 code units) a cell can hold.
constexpr int CellTextLimit = 32767;

// The text to write for `text` (UTF-8): cut to CellTextLimit characters at a character
// boundary when it is longer (`cut` tells), and with every "_xHHHH_" in it written so that
// spreadsheet programs, which read that form as an escaped character, show it as it stands.
// Bytes that are no UTF-8, and the characters U+FFFE and U+FFFF, which a workbook cannot hold,
// become U+FFFD.
// Returns `text` itself, or `buffer` holding the changed text; either is followed by a NUL.
std::string_view PrepareCellText(std::string_view text, std::string& buffer, bool& cut);

// The width of a text in character cells: a wide (East Asian) character takes two.
int TextDisplayWidth(std::string_view utf8);
// The width of a number in the general number format (at most 11 characters).
int NumberDisplayWidth(double value);
// The width of a cell's value as the sheet shows it.
int CellDisplayWidth(const SheetCell& cell);
// A column width (in widths of the default font's digits) that shows `displayWidth` character
// cells in a font of `fontSize` points (0: the default size), at most the format's 255.
double ColumnWidthFor(int displayWidth, double fontSize);
