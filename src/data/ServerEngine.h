#pragma once

#include "data/EngineConnection.h"

#include <QHash>
#include <QString>
#include <vector>

struct pg_conn;
struct pg_result;
class ServerStatement;

// The database server engine behind EngineConnection: one libpq connection to a PostgreSQL
// database that several counters share. Tables are kept under lower-case names; the program's
// spelling of names is given back in results. One writer at a time: a Write transaction takes
// the program's one advisory lock, waiting for it as long as the file waits for its lock.
class ServerEngine final : public EngineConnection {
public:
    // How long a Write transaction waits for another writer, like the file's busy timeout.
    static constexpr int LockWaitMs = 5000;
    // A session that keeps a transaction open without a statement this long is ended by the
    // server, and its locks are freed (a hung program holds no counter up).
    static constexpr int IdleInTransactionMs = 120000;
    // The key of the program's write lock (advisory, held until the transaction ends).
    static constexpr qint64 WriteLockKey = 0x5661726e686f6c74; // "Varnholt"
    // The one-row table that holds the schema version (the server has no per-database number
    // of its own for it); copies of the data leave it out.
    static constexpr const char* VersionTable = "varnholt_version";

    // Connects with a libpq connection string or URI exactly as given (a password comes from
    // ~/.pgpass or a service file). Throws DataError naming the server and the cause.
    explicit ServerEngine(const QString& conninfo);
    ~ServerEngine() override;
    ServerEngine(const ServerEngine&) = delete;
    ServerEngine& operator=(const ServerEngine&) = delete;

    // The server and database in the user's words, as "数据库 stock（服务器 host:5432）".
    QString description() const;

    SqlTarget sqlTarget() const override { return SqlTarget::Server; }
    std::unique_ptr<EngineStatement> prepare(const QString& sql) override;
    void execute(const QString& sql) override;

    qint64 changes() const override { return m_changes; }
    qint64 totalChanges() const override { return m_totalChanges; }
    qint64 lastInsertKey() const override;

    void begin(TransactionMode mode) override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;

    QStringList keyColumns(const QString& table) override;
    qint64 lastKeyHandedOut(const QString& table, const QString& key) override;
    void continueKeysAfter(const QString& table, const QString& key, qint64 lastKey) override;

    int schemaVersion() override;
    void setSchemaVersion(int version);
    bool readOnly() const override { return m_readOnly; }
    bool failedForReadOnly() const override;
    QString lastError() const override { return m_lastError; }

    // ---- for ServerStatement ----
    pg_conn* handle() const { return m_conn; }
    // The statement whose rows the connection is sending; before anything else is sent, the
    // rest of its rows are read into memory (settle).
    void setStreaming(ServerStatement* statement) { m_streaming = statement; }
    void endStreaming(const ServerStatement* statement);
    void settle();
    // A finished command's row count, for changes().
    void noteCommand(pg_result* result);
    // Records a failed result (or the connection's failure when null) and returns its message.
    QString noteFailure(const pg_result* result);
    // A table's and a column's names in the program's spelling, by the server's numbers.
    QString tableName(unsigned table);
    QString columnName(unsigned table, int column);
    // A name as the program spells it (the server answers in lower case).
    QString spelling(const QString& name) const;
    // The types the server gives the parameters of a statement from where they stand (a date
    // for a date column); asked of the server once per statement text.
    const std::vector<unsigned>& parameterTypes(const QByteArray& sql, int count);

private:
    pg_result* run(const char* sql) const;
    void loadCatalogue();

    pg_conn* m_conn = nullptr;
    ServerStatement* m_streaming = nullptr;
    qint64 m_changes = 0;
    qint64 m_totalChanges = 0;
    bool m_readOnly = false;
    bool m_transactionOpen = false; // begun by begin(), until commit() or rollback()
    mutable QString m_lastError;
    mutable QByteArray m_lastState;
    QHash<unsigned, QString> m_tables;
    QHash<quint64, QString> m_columns; // (table << 16 | column number) -> name
    QHash<QByteArray, std::vector<unsigned>> m_parameterTypes;
};

// A failure of the server in the user's words: a Chinese sentence for what a user can meet and
// act on (another counter holds the lock, the connection is gone, the disk is full, the data
// cannot be written), with the server's own text in brackets; any other failure (the
// statement's own error) in the server's words alone. `state` is the five-letter SQLSTATE.
QString ServerFailureMessage(const QByteArray& state, const QString& serverText);
