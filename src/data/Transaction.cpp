#include "Transaction.h"

#include "CipherFile.h"
#include "Connection.h"

#include <QString>

Transaction::Transaction(Connection& connection, Mode mode)
    : m_connection(&connection), m_mode(mode) {
    begin();
}

Transaction::Transaction(sqlite3* db, Mode mode) : m_db(db), m_mode(mode) {
    begin();
}

void Transaction::begin() {
    if (m_mode == Mode::Write) {
        execute("BEGIN IMMEDIATE");
        return;
    }
    execute("BEGIN");
    try {
        // The first read takes the shared lock that holds the snapshot.
        execute("SELECT count(*) FROM sqlite_master");
    } catch (...) {
        Rollback();
        throw;
    }
}

// Through the connection while it is open: a closed connection has no handle to use.
void Transaction::execute(const char* sql) {
    CipherFile::execute(m_connection ? m_connection->handle() : m_db, QString::fromLatin1(sql));
}

Transaction::~Transaction() {
    if (m_mode == Mode::ReadSnapshot && m_open) {
        m_open = false;
        try {
            execute("COMMIT");
        } catch (...) {
            // Nothing was written in it.
        }
        return;
    }
    Rollback();
}

void Transaction::Commit() {
    execute("COMMIT");
    m_open = false;
}

void Transaction::Rollback() noexcept {
    if (!m_open)
        return;
    m_open = false;
    try {
        execute("ROLLBACK");
    } catch (...) {
        // The engine has already rolled back (a failed commit, a closed connection).
    }
}
