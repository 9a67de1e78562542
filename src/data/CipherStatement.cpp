#include "data/CipherStatement.h"

#include "data/CipherFile.h"
#include "data/DataError.h"
#include "data/SqlScript.h"

#include <sqlcipher/sqlite3.h>

namespace {

QString nameText(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

CipherStatement::CipherStatement(sqlite3* db, const QString& sql) : m_db(db) {
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

CipherStatement::~CipherStatement() {
    sqlite3_finalize(m_stmt);
}

void CipherStatement::checkBound(int rc) const {
    if (rc != SQLITE_OK)
        throw DataError(CipherFile::engineMessage(m_db));
}

void CipherStatement::bindNull(int position) {
    checkBound(sqlite3_bind_null(m_stmt, position));
}

void CipherStatement::bindInteger(int position, qint64 value) {
    checkBound(sqlite3_bind_int64(m_stmt, position, value));
}

void CipherStatement::bindReal(int position, double value) {
    checkBound(sqlite3_bind_double(m_stmt, position, value));
}

void CipherStatement::bindText(int position, std::string_view utf8) {
    checkBound(sqlite3_bind_text64(m_stmt, position, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                                   SQLITE_UTF8));
}

bool CipherStatement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DataError(CipherFile::engineMessage(m_db));
}

void CipherStatement::reset() {
    // The outcome of the last run was raised by step() already.
    sqlite3_reset(m_stmt);
}

int CipherStatement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

QString CipherStatement::columnName(int column) const {
    return nameText(sqlite3_column_name(m_stmt, column));
}

QString CipherStatement::columnTable(int column) const {
    return nameText(sqlite3_column_table_name(m_stmt, column));
}

QString CipherStatement::columnOrigin(int column) const {
    return nameText(sqlite3_column_origin_name(m_stmt, column));
}

EngineStatement::Type CipherStatement::type(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return Type::Integer;
    case SQLITE_FLOAT:
        return Type::Real;
    case SQLITE_TEXT:
        return Type::Text;
    case SQLITE_BLOB:
        return Type::Blob;
    default:
        return Type::Null;
    }
}

qint64 CipherStatement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

double CipherStatement::real(int column) const {
    return sqlite3_column_double(m_stmt, column);
}

std::string_view CipherStatement::text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return {text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))};
}

std::string_view CipherStatement::blob(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    return {bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))};
}

// A blob is read through its text as well: the cell is the same bytes either way.
CellValue CipherStatement::readCell(int column, std::string& buffer) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return CellValue::ofInteger(sqlite3_column_int64(m_stmt, column));
    case SQLITE_FLOAT:
        return CellValue::ofReal(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        return StoredCell(text(column), buffer);
    default:
        return {};
    }
}

CellValue CipherStatement::cell(int column, std::string& buffer) const {
    return readCell(column, buffer);
}

void CipherStatement::readRow(CellValue* cells, std::string* buffers, int count) const {
    for (int c = 0; c < count; ++c)
        cells[c] = readCell(c, buffers[c]);
}
