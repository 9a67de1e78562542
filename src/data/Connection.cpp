#include "Connection.h"

#include "CipherFile.h"
#include "DataError.h"
#include "Schema.h"
#include "Transaction.h"

#include <QFile>
#include <QFileInfo>
#include <sqlcipher/sqlite3.h>

Connection::Connection() = default;

Connection::~Connection() {
    Close();
}

void Connection::OpenFile(const QString& path, const QString& password) {
    Close();
    CipherFile::Handle db = CipherFile::openExisting(path, password);
    RefuseNewerVersion(db.get(), path);
    UpgradeSchema(db.get());
    CipherFile::sizeCacheFor(db.get(), QFileInfo(path).size());
    m_db = db.release();
    m_path = path;
    m_password = password;
}

void Connection::Close() {
    CipherFile::close(m_db);
    m_db = nullptr;
    m_path.clear();
    m_password.clear();
}

sqlite3* Connection::handle() const {
    if (!m_db)
        throw DataError(QStringLiteral("数据库连接没有打开。"));
    return m_db;
}

void Connection::UseSinglePassCache() {
    Execute(QStringLiteral("PRAGMA cache_size = -2000"));
}

void Connection::Execute(const QString& sql) {
    CipherFile::execute(handle(), sql);
}

QString Connection::LastError() const {
    return m_db ? CipherFile::engineMessage(m_db) : QString();
}

qint64 Connection::RowsWritten() const {
    return m_db ? sqlite3_total_changes(m_db) : 0;
}

void Connection::CreateDatabase(const QString& path, const QString& password) {
    if (QFileInfo::exists(path))
        throw DataError(QStringLiteral("文件 %1 已经存在，不会覆盖它。").arg(path));
    sqlite3* db = CipherFile::open(path, password, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    try {
        Transaction transaction(db, Transaction::Mode::Write);
        for (const QString& statement : SchemaStatements())
            CipherFile::execute(db, statement);
        transaction.Commit();
    } catch (...) {
        CipherFile::close(db);
        QFile::remove(path);
        throw;
    }
    CipherFile::close(db);
}
