#include "PreparedStatement.h"

#include "CipherFile.h"
#include "DataError.h"
#include "RowSet.h"
#include "SqlScript.h"
#include "StoredText.h"

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

int PreparedStatement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

CellValue PreparedStatement::cell(int column, std::string& buffer) const {
    return ReadCell(m_stmt, column, buffer);
}

QString PreparedStatement::text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    std::string decoded;
    const std::string_view utf8 = StoredText::toUtf8(
        std::string_view(text ? text : "",
                         static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))),
        decoded);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

qint64 PreparedStatement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}
