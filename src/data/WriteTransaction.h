#pragma once

class Connection;

// Writes that belong together: everything written on the connection between construction and
// Commit() is kept only as a whole. Leaving the scope without Commit() (an error was raised)
// takes every one of those writes back. The file's write lock is taken at the start, so another
// program writing at the same time makes the transaction wait for it (or fail before anything
// was written) rather than fail half-way.
class WriteTransaction {
public:
    explicit WriteTransaction(Connection& connection);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void Commit();

private:
    Connection& m_connection;
    bool m_open = true;
};
