#include "Connection.h"

#include "CipherFile.h"
#include "DataError.h"
#include "FileLock.h"
#include "Schema.h"

#include <QFile>
#include <QFileInfo>
#include <sqlcipher/sqlite3.h>

namespace {
// How long opening waits while another process compacts the file.
constexpr int LockWaitMs = 10000;
} // namespace

QString ConnectionStringValue(const QString& connectionString, const QString& key) {
    for (const QString& part : connectionString.split(';')) {
        const int eq = part.indexOf('=');
        if (eq > 0 && part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1);
    }
    return {};
}

Connection::Connection() = default;

Connection::~Connection() {
    Close();
}

void Connection::Open() {
    OpenFile(ConnectionStringValue(m_connectionString, "Data Source"),
             ConnectionStringValue(m_connectionString, "Jet OLEDB:Database Password"));
}

void Connection::OpenFile(const QString& path, const QString& password) {
    Close();
    if (path.isEmpty())
        throw DataError(QStringLiteral("没有指定数据库文件。"));
    if (!QFileInfo(path).isFile())
        throw DataError(QStringLiteral("找不到数据库文件 %1。").arg(path));
    auto lock = std::make_unique<FileLock>(FileLock::lockPathFor(path));
    if (!lock->lockShared(LockWaitMs))
        throw DataError(QStringLiteral("数据库文件 %1 正在被其它程序整理，请稍后再试。").arg(path));
    sqlite3* db = CipherFile::open(path, password, SQLITE_OPEN_READWRITE);
    try {
        CipherFile::verifyKey(db, path);
    } catch (...) {
        CipherFile::close(db);
        throw;
    }
    m_db = db;
    m_path = path;
    m_lock = std::move(lock);
}

void Connection::Close() {
    CipherFile::close(m_db);
    m_db = nullptr;
    m_lock.reset();
    m_path.clear();
}

sqlite3* Connection::handle() const {
    if (!m_db)
        throw DataError(QStringLiteral("数据库连接没有打开。"));
    return m_db;
}

void Connection::Execute(const QString& sql) {
    CipherFile::execute(handle(), sql);
}

QString Connection::LastError() const {
    return m_db ? CipherFile::engineMessage(m_db) : QString();
}

void Connection::CreateDatabase(const QString& path, const QString& password) {
    if (QFileInfo::exists(path))
        throw DataError(QStringLiteral("文件 %1 已经存在，不会覆盖它。").arg(path));
    sqlite3* db = CipherFile::open(path, password, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    try {
        CipherFile::execute(db, "BEGIN");
        for (const QString& statement : SchemaStatements())
            CipherFile::execute(db, statement);
        CipherFile::execute(db, "COMMIT");
    } catch (...) {
        CipherFile::close(db);
        QFile::remove(path);
        throw;
    }
    CipherFile::close(db);
}
