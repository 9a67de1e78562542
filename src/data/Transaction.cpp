#include "Transaction.h"

#include "Connection.h"

#include <QString>

Transaction::Transaction(Connection& connection) : m_connection(connection) {
    m_connection.Execute(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction() {
    Rollback();
}

void Transaction::Commit() {
    m_connection.Execute(QStringLiteral("COMMIT"));
    m_open = false;
}

void Transaction::Rollback() noexcept {
    if (!m_open)
        return;
    m_open = false;
    try {
        m_connection.Execute(QStringLiteral("ROLLBACK"));
    } catch (...) {
        // The engine has already rolled back (a failed commit, a closed connection).
    }
}
