#pragma once

#include <QString>
#include <memory>

struct sqlite3;
class FileLock;

// The one database connection: an SQLCipher file opened with the database password.
// While open it holds a shared lock on the file's lock sidecar, so that compaction can tell
// whether any process still has the file open.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // "Provider=…;Data Source=PATH;Jet OLEDB:Database Password=PASSWORD"; only the data source
    // and the password are read.
    void SetConnectionString(const QString& connectionString) {
        m_connectionString = connectionString;
    }
    QString ConnectionString() const { return m_connectionString; }

    void Open();  // throws DataError with a clear message when the file cannot be opened
    void Close(); // closes the file; queries keep their fetched rows
    bool Connected() const { return m_db != nullptr; }

    // Opens an existing file directly (used by the tools and by Open).
    void OpenFile(const QString& path, const QString& password);
    QString FilePath() const { return m_path; }

    sqlite3* handle() const; // throws DataError when closed
    // Runs statements that return no rows (schema set-up, pragmas); throws DataError.
    void Execute(const QString& sql);
    // The engine's message of the last failure on this connection.
    QString LastError() const;

    // Creates a new, encrypted database file with the program's schema and the
    // administrator account. Refuses an existing file.
    static void CreateDatabase(const QString& path, const QString& password);

private:
    QString m_connectionString;
    QString m_path;
    sqlite3* m_db = nullptr;
    std::unique_ptr<FileLock> m_lock;
};

// Reads the parts of a connection string; missing keys give empty text.
QString ConnectionStringValue(const QString& connectionString, const QString& key);
