#include "RowStream.h"

#include "CipherFile.h"
#include "Connection.h"
#include "DataError.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "SqlScript.h"
#include "StoredText.h"

#include <sqlcipher/sqlite3.h>

namespace {

QString columnText(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

RowStream::RowStream(Connection& connection, const QString& sql)
    : m_db(connection.handle()), m_sql(TranslateSql(sql)) {
    m_statement = prepare(m_sql);
    const int count = sqlite3_column_count(m_statement);
    m_names.reserve(count);
    m_dates.reserve(count);
    for (int c = 0; c < count; ++c) {
        m_names.push_back(columnText(sqlite3_column_name(m_statement, c)));
        m_dates.push_back(IsDateColumn(columnText(sqlite3_column_table_name(m_statement, c)),
                                       columnText(sqlite3_column_origin_name(m_statement, c))));
    }
    m_columns = ResultColumns(m_statement);
    m_decoded.resize(m_columns.size());
    if (sqlite3_get_autocommit(m_db)) {
        try {
            CipherFile::execute(m_db, QStringLiteral("BEGIN"));
        } catch (...) {
            sqlite3_finalize(m_statement);
            throw;
        }
        m_ownTransaction = true;
    }
}

RowStream::~RowStream() {
    sqlite3_finalize(m_statement);
    // Only read in it: ending it cannot lose anything.
    if (m_ownTransaction)
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
}

sqlite3_stmt* RowStream::prepare(const QString& sql) const {
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), text.size(), &statement, &tail) != SQLITE_OK)
        throw DataError(CipherFile::engineMessage(m_db));
    if (!statement)
        throw DataError(QStringLiteral("空的 SQL 语句。"));
    if (!IsBlankSql(QString::fromUtf8(tail, text.constData() + text.size() - tail))) {
        sqlite3_finalize(statement);
        throw DataError(QStringLiteral("一次只能执行一条 SQL 语句。"));
    }
    if (sqlite3_column_count(statement) == 0) {
        sqlite3_finalize(statement);
        throw DataError(QStringLiteral("这条 SQL 语句不返回记录。"));
    }
    return statement;
}

qint64 RowStream::CountRows() {
    sqlite3_stmt* count = prepare(QStringLiteral("select count(*) from (%1)").arg(m_sql));
    const int rc = sqlite3_step(count);
    const qint64 rows = rc == SQLITE_ROW ? sqlite3_column_int64(count, 0) : 0;
    sqlite3_finalize(count);
    if (rc != SQLITE_ROW)
        throw DataError(CipherFile::engineMessage(m_db));
    return rows;
}

bool RowStream::Next() {
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DataError(CipherFile::engineMessage(m_db));
}

RowStream::CellType RowStream::Type(int field) const {
    switch (sqlite3_column_type(m_statement, field)) {
    case SQLITE_INTEGER:
        return CellType::Integer;
    case SQLITE_FLOAT:
        return CellType::Real;
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        return CellType::Text;
    default:
        return CellType::Null;
    }
}

qint64 RowStream::Integer(int field) const {
    return sqlite3_column_int64(m_statement, field);
}

double RowStream::Float(int field) const {
    return sqlite3_column_double(m_statement, field);
}

std::string_view RowStream::Text(int field) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, field));
    if (!text)
        return std::string_view("");
    const std::string_view bytes(
        text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, field)));
    // A decoded text is followed by the NUL of its std::string.
    return StoredText::toUtf8(bytes, m_decoded[field]);
}
