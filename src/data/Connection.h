#pragma once

#include <QString>
#include <memory>

class EngineConnection;
enum class SqlTarget;

// The one database connection: an SQLCipher file opened with the database password. Other
// connections to the same file (another instance, the tool, any program) may be open at the same
// time; the engine's own locks keep them apart, and a connection that finds the file locked waits
// a few seconds for it before it fails.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing file with the path and the password exactly as given. Throws DataError
    // with a message that names the file and the cause when it cannot be opened. A file of a
    // newer version than the program's is refused without a write to it; an older file is
    // brought up to the program's schema version on the way (see Schema.h); a file that cannot
    // be written is opened for reading as it is.
    void OpenFile(const QString& path, const QString& password);
    // Connects to a database server with a libpq connection string or URI, exactly as given
    // (TLS settings as libpq reads them; a password from ~/.pgpass or a service file). Throws
    // DataError naming the server and the cause when it cannot be reached, refuses the log-in,
    // holds no program data or data of another version.
    void OpenServer(const QString& conninfo);
    // A server when `database` is a connection string or URI (IsServerAddress), else the file.
    void Open(const QString& database, const QString& password);
    bool OnServer() const { return !m_server.isEmpty(); }
    // The engine whose SQL the open database takes (TranslateSql); the file's when none is open.
    SqlTarget sqlTarget() const;
    // What Open takes to open another connection to the same database: the path or the
    // connection string.
    QString Address() const { return OnServer() ? m_conninfo : m_path; }
    void Close(); // closes the file; queries keep their fetched rows
    // The database in use in the user's words: the file's path, or the server's database.
    QString DatabaseName() const { return m_server.isEmpty() ? m_path : m_server; }
    bool Connected() const { return m_engine != nullptr; }
    QString FilePath() const { return m_path; }
    // The password the file was opened with, so that more connections can be opened to it.
    QString password() const { return m_password; }

    // The engine behind the connection; throws DataError when closed.
    EngineConnection& engine() const;
    // For a connection that reads its rows once (a list written as it is read): the engine's
    // small default cache, since pages read once are never asked for again.
    void UseSinglePassCache();
    // Runs statements that return no rows (schema set-up, pragmas); throws DataError.
    void Execute(const QString& sql);
    // The engine's message of the last failure on this connection.
    QString LastError() const;
    // The rows written through this connection since it was opened (0 when closed).
    qint64 RowsWritten() const;

    // Creates a new, encrypted database file with the program's schema and the
    // administrator account. Refuses an existing file.
    static void CreateDatabase(const QString& path, const QString& password);

private:
    QString m_path;
    QString m_password;
    QString m_conninfo;
    QString m_server; // the server's database in the user's words, when connected to one
    std::unique_ptr<EngineConnection> m_engine;
};
