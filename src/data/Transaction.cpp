#include "data/Transaction.h"

#include "data/Connection.h"

Transaction::Transaction(Connection& connection, Mode mode)
    : m_connection(&connection), m_mode(mode) {
    engine().begin(mode);
}

Transaction::Transaction(EngineConnection& engine, Mode mode) : m_engine(&engine), m_mode(mode) {
    engine.begin(mode);
}

// Through the connection while it is open: a closed connection has no engine to use.
EngineConnection& Transaction::engine() const {
    return m_connection ? m_connection->engine() : *m_engine;
}

Transaction::~Transaction() {
    if (m_mode == Mode::ReadSnapshot && m_open) {
        m_open = false;
        try {
            engine().commit();
        } catch (...) {
            // Nothing was written in it.
        }
        return;
    }
    Rollback();
}

void Transaction::Commit() {
    engine().commit();
    m_open = false;
}

void Transaction::Rollback() noexcept {
    if (!m_open)
        return;
    m_open = false;
    try {
        engine().rollback();
    } catch (...) {
        // The engine has already rolled back (a failed commit, a closed connection).
    }
}
