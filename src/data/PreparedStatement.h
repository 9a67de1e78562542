#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// Owns one prepared statement of the engine. The text must hold exactly one statement (a closing
// ";" is fine): the engine would quietly ignore anything behind the first.
class PreparedStatement {
public:
    PreparedStatement(sqlite3* db, const QString& sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    // Returns true while a row is available; throws DataError with the engine's message.
    bool step();

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};
