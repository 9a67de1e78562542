#include "PreparedStatement.h"

#include "CipherFile.h"
#include "DataError.h"
#include "SqlScript.h"

#include <sqlcipher/sqlite3.h>

PreparedStatement::PreparedStatement(sqlite3* db, const QString& sql) : m_db(db) {
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), text.size(), &m_stmt, &tail) != SQLITE_OK)
        throw DataError(CipherFile::engineMessage(db));
    if (!m_stmt)
        throw DataError(QStringLiteral("空的 SQL 语句。"));
    if (!IsBlankSql(QString::fromUtf8(tail, text.constData() + text.size() - tail))) {
        sqlite3_finalize(m_stmt);
        throw DataError(QStringLiteral("一次只能执行一条 SQL 语句。"));
    }
}

PreparedStatement::~PreparedStatement() {
    sqlite3_finalize(m_stmt);
}

bool PreparedStatement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DataError(CipherFile::engineMessage(m_db));
}
