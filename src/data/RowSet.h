#pragma once

#include "data/CellValue.h"
#include "data/ColumnStore.h"
#include "data/ResultColumn.h"

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class EngineConnection;
class PreparedStatement;

// The columns of a prepared statement.
std::vector<ResultColumn> ResultColumns(const PreparedStatement& statement);

// Every row of a statement's result, held column by column (see ColumnStore): no allocation per
// row or cell, and buffers no larger than the result.
class RowSet {
public:
    // Runs `sql` (in the engine's own dialect) on `engine` and fetches all rows; throws DataError.
    static RowSet fetch(EngineConnection& engine, const QString& sql);
    // An empty result with the statement's columns, to be filled by appendRow() and then
    // finish().
    static RowSet forStatement(const PreparedStatement& statement);
    void finish(); // every row is in: trims the buffers to their content

    const std::vector<ResultColumn>& columns() const { return m_columns; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    std::uint32_t rowCount() const { return m_rowCount; }
    CellValue cell(std::uint32_t row, int column) const { return m_stores[column].at(row); }
    const ColumnStore& store(int column) const { return m_stores[column]; }

    // Adds the statement's current row, or writes it over a row already held.
    void appendRow(const PreparedStatement& statement);
    void setRow(std::uint32_t row, const PreparedStatement& statement);
    std::size_t bytes() const;

private:
    std::vector<ResultColumn> m_columns;
    std::vector<ColumnStore> m_stores;
    std::uint32_t m_rowCount = 0;
    std::vector<CellValue> m_row;       // the row being added
    std::vector<std::string> m_decoded; // its texts that were decoded, per column
};
