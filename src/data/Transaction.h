#pragma once

class Connection;

// One write transaction on a connection: begun when made (taking the file's write lock at once,
// waiting for another writer as any write does), committed by Commit(), rolled back when it
// ends without a commit. A save that writes several rows writes all or nothing.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();
    // Undoes everything written since the start; does nothing once committed or rolled back.
    void Rollback() noexcept;

private:
    Connection& m_connection;
    bool m_open = true;
};
