#pragma once

#include "data/CipherFile.h"
#include "data/EngineConnection.h"

// The encrypted file engine behind EngineConnection: a connection to an SQLCipher file opened
// by CipherFile. Features of the file alone (its key, page cache, compaction, online backup,
// restore, integrity check) stay with CipherFile and the units that use it.
class CipherEngine final : public EngineConnection {
public:
    // Owns the handle and closes it at the end.
    explicit CipherEngine(CipherFile::Handle db);
    // Uses a handle that its owner keeps open for as long as this lives.
    explicit CipherEngine(sqlite3* db);
    CipherEngine(const CipherEngine&) = delete;
    CipherEngine& operator=(const CipherEngine&) = delete;

    sqlite3* handle() const { return m_db; }

    SqlTarget sqlTarget() const override { return SqlTarget::File; }
    std::unique_ptr<EngineStatement> prepare(const QString& sql) override;
    void execute(const QString& sql) override;

    qint64 changes() const override;
    qint64 totalChanges() const override;
    qint64 lastInsertKey() const override;

    void begin(TransactionMode mode) override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;

    QStringList keyColumns(const QString& table) override;
    qint64 lastKeyHandedOut(const QString& table, const QString& key) override;
    void continueKeysAfter(const QString& table, const QString& key, qint64 lastKey) override;

    int schemaVersion() override;
    bool readOnly() const override;
    bool failedForReadOnly() const override;
    QString lastError() const override;

private:
    CipherFile::Handle m_owned;
    sqlite3* m_db;
};
