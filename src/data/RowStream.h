#pragma once

#include "CellValue.h"
#include "RowSet.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Connection;
struct sqlite3;
struct sqlite3_stmt;

// A statement whose rows are read one at a time, in the statement's order, and never held
// together: for outputs of any length in constant memory (the tool's lists, the export). The
// statement is in the program's SQL dialect.
//
// The stream reads from one snapshot of the file: it opens a read transaction on its
// connection (when none is open) that lasts until the stream is destroyed, so that its row count
// and its rows agree while other connections write. Writers on other connections wait for it
// meanwhile; give the stream a connection of its own.
class RowStream {
public:
    enum class CellType : std::uint8_t { Null, Integer, Real, Text };

    // Translates and prepares the statement; throws DataError when it cannot be read.
    RowStream(Connection& connection, const QString& sql);
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    int FieldCount() const { return static_cast<int>(m_names.size()); }
    QString FieldName(int field) const { return m_names.at(field); }
    // Whether the column shows a table column that holds dates in the stored date form.
    bool IsDateField(int field) const { return m_dates.at(field); }

    // The number of rows the statement gives, counted in the stream's snapshot.
    qint64 CountRows();

    // Moves to the next row; false after the last. Throws DataError when the engine fails.
    bool Next();

    // The result's columns as a Query describes them, and a cell of the current row read as a
    // Query holds it (stored dates as dates); a text stays valid until the next call of Next().
    const std::vector<ResultColumn>& columns() const { return m_columns; }
    int FieldIndex(const QString& name) const { return FindColumn(m_columns, name); }
    CellValue Cell(int column) const { return ReadCell(m_statement, column, m_decoded[column]); }

    // The current row's cells by the engine's own types. A text is valid UTF-8 (see
    // StoredText.h) followed by a NUL byte and stays valid until the next call of Next().
    CellType Type(int field) const;
    qint64 Integer(int field) const;
    double Float(int field) const;
    std::string_view Text(int field) const;

private:
    sqlite3_stmt* prepare(const QString& sql) const;

    sqlite3* m_db;
    QString m_sql; // translated
    sqlite3_stmt* m_statement = nullptr;
    bool m_ownTransaction = false;
    std::vector<QString> m_names;
    std::vector<bool> m_dates;
    std::vector<ResultColumn> m_columns;
    mutable std::vector<std::string> m_decoded; // per column: a text that was decoded
};
