#include "data/CipherEngine.h"

#include "data/CipherStatement.h"
#include "data/PreparedStatement.h"
#include "data/SqlValues.h"

#include <algorithm>
#include <sqlcipher/sqlite3.h>
#include <vector>

CipherEngine::CipherEngine(CipherFile::Handle db) : m_owned(std::move(db)), m_db(m_owned.get()) {}

CipherEngine::CipherEngine(sqlite3* db) : m_db(db) {}

std::unique_ptr<EngineStatement> CipherEngine::prepare(const QString& sql) {
    return std::make_unique<CipherStatement>(m_db, sql);
}

void CipherEngine::execute(const QString& sql) {
    CipherFile::execute(m_db, sql);
}

qint64 CipherEngine::changes() const {
    return sqlite3_changes(m_db);
}

qint64 CipherEngine::totalChanges() const {
    return sqlite3_total_changes(m_db);
}

qint64 CipherEngine::lastInsertKey() const {
    return sqlite3_last_insert_rowid(m_db);
}

void CipherEngine::begin(TransactionMode mode) {
    if (mode == TransactionMode::Write) {
        execute(QStringLiteral("BEGIN IMMEDIATE"));
        return;
    }
    execute(QStringLiteral("BEGIN"));
    try {
        // The first read takes the shared lock that holds the snapshot.
        execute(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (...) {
        try {
            rollback();
        } catch (...) {
        }
        throw;
    }
}

void CipherEngine::commit() {
    execute(QStringLiteral("COMMIT"));
}

void CipherEngine::rollback() {
    execute(QStringLiteral("ROLLBACK"));
}

bool CipherEngine::inTransaction() const {
    return sqlite3_get_autocommit(m_db) == 0;
}

QStringList CipherEngine::keyColumns(const QString& table) {
    // table_info numbers the key's columns from 1 in the fifth column, 0 for the others.
    CipherStatement info(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(QuotedName(table)));
    std::vector<std::pair<qint64, QString>> keys;
    while (info.step())
        if (const qint64 position = info.integer(5); position > 0) {
            const std::string_view name = info.text(1);
            keys.emplace_back(position,
                              QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        }
    std::sort(keys.begin(), keys.end());
    QStringList columns;
    for (const auto& key : keys)
        columns << key.second;
    return columns;
}

qint64 CipherEngine::lastKeyHandedOut(const QString& table, const QString&) {
    PreparedStatement last(*this, QStringLiteral("SELECT coalesce(max(seq), 0) FROM "
                                                 "sqlite_sequence WHERE lower(name)=lower(?)"));
    last.bind(1, table);
    last.step();
    return last.integer(0);
}

void CipherEngine::continueKeysAfter(const QString& table, const QString&, qint64 lastKey) {
    PreparedStatement drop(
        *this, QStringLiteral("DELETE FROM sqlite_sequence WHERE lower(name)=lower(?)"));
    drop.bind(1, table);
    drop.step();
    PreparedStatement set(*this,
                          QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"));
    set.bind(1, table);
    set.bind(2, lastKey);
    set.step();
}

int CipherEngine::schemaVersion() {
    return CipherFile::userVersion(m_db);
}

bool CipherEngine::readOnly() const {
    return CipherFile::readOnly(m_db);
}

bool CipherEngine::failedForReadOnly() const {
    const int code = sqlite3_errcode(m_db) & 0xff;
    return code == SQLITE_READONLY || code == SQLITE_CANTOPEN || code == SQLITE_PERM;
}

QString CipherEngine::lastError() const {
    return CipherFile::engineMessage(m_db);
}
