#include "WriteTransaction.h"

#include "Connection.h"

WriteTransaction::WriteTransaction(Connection& connection) : m_connection(connection) {
    m_connection.Execute(QStringLiteral("BEGIN IMMEDIATE"));
}

WriteTransaction::~WriteTransaction() {
    if (!m_open)
        return;
    // Already unwinding from the error that matters; a failed rollback leaves the engine to
    // discard the open transaction.
    try {
        m_connection.Execute(QStringLiteral("ROLLBACK"));
    } catch (...) {
    }
}

void WriteTransaction::Commit() {
    m_connection.Execute(QStringLiteral("COMMIT"));
    m_open = false;
}
