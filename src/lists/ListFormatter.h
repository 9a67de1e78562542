#pragma once

#include "data/CellValue.h"
#include "lists/DisplayFormat.h"
#include "lists/GridColumn.h"

#include <QLocale>
#include <QString>
#include <string>
#include <unordered_map>
#include <vector>

// The display texts of a list's cells as its grid shows them, for formatting whole lists (the
// grid, the command-line lists, printing, export): the columns' picture formats are taken apart
// once, and dates are written from their numbers with the text of each distinct day and time of
// day made once. Appending a cell makes no system call and, once `out` has room, no allocation.
//
// Cell rules: nothing stays empty; a column with a display format shows the value as a number
// through it; otherwise a whole number shows its digits, a floating-point number its general
// form, a stored date (or a text in a date form) the locale's short date and the time of day
// when it is not midnight, and a text itself.
class ListFormatter {
public:
    explicit ListFormatter(const std::vector<GridColumn>& columns,
                           const QLocale& locale = QLocale());

    // Appends the UTF-8 text of `value` shown in `column`.
    void append(int column, const CellValue& value, std::string& out) const;
    QString text(int column, const CellValue& value) const;
    // Appends a column sum through its footer format (the cell format when it has none).
    void appendSum(int column, double total, std::string& out) const;

private:
    void appendDate(qint64 seconds, std::string& out) const;

    QLocale m_locale;
    QString m_timeFormat;
    std::vector<NumberFormat> m_cellFormats; // per column; unused without a display format
    std::vector<bool> m_hasCellFormat;
    std::vector<NumberFormat> m_footerFormats; // per column
    NumberFormat m_general;
    mutable std::unordered_map<qint64, std::string> m_days; // day → short date
    mutable std::unordered_map<int, std::string> m_times;   // second of day → " time"
    mutable std::string m_scratch;
};
