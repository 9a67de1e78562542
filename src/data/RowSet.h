#pragma once

#include "CellValue.h"
#include "ColumnStore.h"

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A column of a statement's result: its name, and for a column read straight from a table, that
// table and the column's name there (empty for computed columns).
struct ResultColumn {
    QString name;
    QString table;
    QString origin;
};

// The columns of a prepared statement.
std::vector<ResultColumn> ResultColumns(sqlite3_stmt* statement);
// The first column of that name, compared without regard to case; -1 when there is none.
int FindColumn(const std::vector<ResultColumn>& columns, const QString& name);
// The value of a column of the statement's current row, as the result stores it: a text in the
// stored date form is a date, and a text is valid UTF-8 (see StoredText.h). A text stored in
// another encoding is decoded into `buffer`, which the value then views.
CellValue ReadCell(sqlite3_stmt* statement, int column, std::string& buffer);

// Every row of a statement's result, held column by column (see ColumnStore): no allocation per
// row or cell, and buffers no larger than the result.
class RowSet {
public:
    // Runs `sql` (in the engine's own dialect) on `db` and fetches all rows; throws DataError.
    static RowSet fetch(sqlite3* db, const QString& sql);

    const std::vector<ResultColumn>& columns() const { return m_columns; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    std::uint32_t rowCount() const { return m_rowCount; }
    CellValue cell(std::uint32_t row, int column) const { return m_stores[column].at(row); }
    const ColumnStore& store(int column) const { return m_stores[column]; }

    // Adds the statement's current row, or writes it over a row already held.
    void appendRow(sqlite3_stmt* statement);
    void setRow(std::uint32_t row, sqlite3_stmt* statement);
    std::size_t bytes() const;

private:
    std::vector<ResultColumn> m_columns;
    std::vector<ColumnStore> m_stores;
    std::uint32_t m_rowCount = 0;
    std::vector<CellValue> m_row;       // the row being added
    std::vector<std::string> m_decoded; // its texts that were decoded, per column
};
