#pragma once

#include "CellValue.h"

#include <QString>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// The one statement wrapper: owns one prepared statement of the engine, steps through its rows
// and reads their cells. The text must hold exactly one statement (a closing ";" is fine): the
// engine would quietly ignore anything behind the first.
class PreparedStatement {
public:
    PreparedStatement(sqlite3* db, const QString& sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    // Returns true while a row is available; throws DataError with the engine's message.
    bool step();

    int columnCount() const;
    // A cell of the current row as a result holds it (see ReadCell in RowSet.h).
    CellValue cell(int column, std::string& buffer) const;
    // A cell of the current row as text (valid UTF-8) and as a whole number.
    QString text(int column) const;
    qint64 integer(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};
