#pragma once

#include "data/EngineStatement.h"
#include "data/SqlDialect.h"

#include <QString>
#include <QStringList>
#include <memory>

// One open connection of a database engine: the one seam between the data layer and an
// engine's own interface. Statements, transactions and the few facts about tables that the data
// layer asks for go through it; an engine implements it once (CipherEngine for the encrypted
// file). Every function throws DataError with the engine's message.
class EngineConnection {
public:
    // Write: holds the database's write lock from the start, so that a save writes all or
    // nothing and waits for another writer first. ReadSnapshot: reads the database as it is when
    // the transaction begins, while other connections write.
    enum class TransactionMode { Write, ReadSnapshot };

    virtual ~EngineConnection() = default;

    // The dialect the engine reads: statements are translated for it (TranslateSql).
    virtual SqlTarget sqlTarget() const = 0;

    // Prepares exactly one statement in the engine's own dialect.
    virtual std::unique_ptr<EngineStatement> prepare(const QString& sql) = 0;
    // Runs statements that return no rows (schema set-up, settings of the connection).
    virtual void execute(const QString& sql) = 0;

    // The rows changed by the last statement that changed rows, and by all statements since the
    // connection was opened.
    virtual qint64 changes() const = 0;
    virtual qint64 totalChanges() const = 0;
    // The key of the row that the last insert added.
    virtual qint64 lastInsertKey() const = 0;

    virtual void begin(TransactionMode mode) = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // The columns of a table's primary key, in their order; empty when it has none.
    virtual QStringList keyColumns(const QString& table) = 0;

    // The last key that a table's key sequence handed out: beyond the largest key when the rows
    // with the last keys were deleted; 0 when none was handed out.
    virtual qint64 lastKeyHandedOut(const QString& table, const QString& key) = 0;
    // Makes the table's key sequence hand out keys after `lastKey` (a copy keeps keys as they
    // are, and a deleted row's key must not be given again).
    virtual void continueKeysAfter(const QString& table, const QString& key, qint64 lastKey) = 0;

    // The version of the program's schema that the database holds (0 for a new one).
    virtual int schemaVersion() = 0;
    // Whether the connection can only read (a write-protected file).
    virtual bool readOnly() const = 0;
    // Whether the last failure came from a database that cannot be written.
    virtual bool failedForReadOnly() const = 0;
    // The last failure on the connection in the user's words.
    virtual QString lastError() const = 0;
};
