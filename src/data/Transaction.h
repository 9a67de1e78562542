#pragma once

#include "data/EngineConnection.h"

class Connection;

// A rollback-unless-committed scope on a connection, for every transaction the program opens.
//
// Write: takes the file's write lock at once (waiting for another writer as any write does);
// committed by Commit(), rolled back when it ends without a commit. A save that writes several
// rows writes all or nothing.
//
// ReadSnapshot: reads the file as it is when the scope begins, until it ends, while other
// connections write; no other connection can commit a change to the file meanwhile. It only
// reads, so ending it loses nothing.
class Transaction {
public:
    using Mode = EngineConnection::TransactionMode;

    explicit Transaction(Connection& connection, Mode mode = Mode::Write);
    // On an engine connection that no Connection owns (a file being created, upgraded, backed up
    // or restored).
    Transaction(EngineConnection& engine, Mode mode);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();
    // Undoes everything written since the start; does nothing once committed or rolled back.
    void Rollback() noexcept;

private:
    EngineConnection& engine() const;

    Connection* m_connection = nullptr; // null for a bare engine connection
    EngineConnection* m_engine = nullptr;
    Mode m_mode;
    bool m_open = true;
};
