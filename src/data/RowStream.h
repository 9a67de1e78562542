#pragma once

#include "CellValue.h"
#include "PreparedStatement.h"
#include "RowSet.h"

#include <vector>

class Connection;

// The rows of a statement one at a time, for output that is written as it is read (the
// command-line lists): memory stays flat however many rows there are. Values are read as a Query
// holds them.
class RowStream {
public:
    // Prepares `sql` in the program's dialect; throws DataError.
    RowStream(Connection& connection, const QString& sql);

    const std::vector<ResultColumn>& columns() const { return m_columns; }
    int FieldIndex(const QString& name) const { return FindColumn(m_columns, name); }

    // Moves to the next row; false after the last one.
    bool Next() { return m_statement.step(); }
    // A value of the current row; a text stays valid until the next step.
    CellValue Cell(int column) const { return ReadCell(m_statement.get(), column); }

private:
    PreparedStatement m_statement;
    std::vector<ResultColumn> m_columns;
};
