#pragma once

#include "data/CellValue.h"
#include "data/PreparedStatement.h"
#include "data/RowSet.h"
#include "data/Transaction.h"

#include <QString>
#include <optional>
#include <string>
#include <vector>

class Connection;
class EngineConnection;

// A statement whose rows are read one at a time, in the statement's order, and never held
// together: for outputs of any length in constant memory (the tool's lists, the export). The
// statement is in the program's SQL dialect.
//
// The stream reads from one snapshot of the file: it opens a read snapshot on its connection
// (when no transaction is open) that lasts until the stream is destroyed, so that its row count
// and its rows agree while other connections write. Writers on other connections wait for it
// meanwhile; give the stream a connection of its own.
class RowStream {
public:
    // Translates and prepares the statement; throws DataError when it cannot be read.
    RowStream(Connection& connection, const QString& sql);
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    int FieldCount() const { return static_cast<int>(m_columns.size()); }
    QString FieldName(int field) const { return m_columns.at(field).name; }
    // Whether the column shows a table column that holds dates in the stored date form.
    bool IsDateField(int field) const { return m_dates.at(field); }

    // The number of rows the statement gives, counted in the stream's snapshot.
    qint64 CountRows();

    // Moves to the next row; false after the last. Throws DataError when the engine fails.
    bool Next() { return m_statement.step(); }

    // The result's columns as a Query describes them, and a cell of the current row read as a
    // Query holds it (stored dates as dates, texts as valid UTF-8 followed by a NUL byte); a
    // text stays valid until the next call of Next().
    const std::vector<ResultColumn>& columns() const { return m_columns; }
    int FieldIndex(const QString& name) const { return FindColumn(m_columns, name); }
    CellValue Cell(int column) const { return m_statement.cell(column, m_decoded[column]); }

private:
    EngineConnection* m_engine;
    QString m_sql; // translated
    // Begun once the statement is prepared; declared before it so that it ends after it.
    std::optional<Transaction> m_snapshot;
    PreparedStatement m_statement;
    std::vector<ResultColumn> m_columns;
    std::vector<bool> m_dates;
    mutable std::vector<std::string> m_decoded; // per column: a text that was decoded
};
