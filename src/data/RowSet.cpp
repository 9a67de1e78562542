#include "RowSet.h"

#include "DataError.h"
#include "PreparedStatement.h"
#include "StoredDate.h"
#include "StoredText.h"

#include <sqlcipher/sqlite3.h>

namespace {

QString nameText(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

std::vector<ResultColumn> ResultColumns(sqlite3_stmt* statement) {
    const int count = sqlite3_column_count(statement);
    std::vector<ResultColumn> columns(count);
    for (int c = 0; c < count; ++c) {
        columns[c].name = nameText(sqlite3_column_name(statement, c));
        columns[c].table = nameText(sqlite3_column_table_name(statement, c));
        columns[c].origin = nameText(sqlite3_column_origin_name(statement, c));
    }
    return columns;
}

int FindColumn(const std::vector<ResultColumn>& columns, const QString& name) {
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(c);
    return -1;
}

CellValue ReadCell(sqlite3_stmt* statement, int column, std::string& buffer) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return CellValue::ofInteger(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return CellValue::ofReal(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        const std::string_view view = StoredText::toUtf8(
            std::string_view(text ? text : "",
                             static_cast<std::size_t>(sqlite3_column_bytes(statement, column))),
            buffer);
        qint64 seconds;
        if (view.size() == 19 && StoredDate::parseCanonical(view, seconds))
            return CellValue::ofDate(seconds);
        return CellValue::ofText(view);
    }
    default:
        return {};
    }
}

RowSet RowSet::fetch(sqlite3* db, const QString& sql) {
    PreparedStatement statement(db, sql);
    RowSet rows;
    rows.m_columns = ResultColumns(statement.get());
    rows.m_stores.resize(rows.m_columns.size());
    while (statement.step())
        rows.appendRow(statement.get());
    for (ColumnStore& store : rows.m_stores)
        store.finish();
    return rows;
}

void RowSet::appendRow(sqlite3_stmt* statement) {
    if (m_rowCount == UINT32_MAX - 1)
        throw DataError(QStringLiteral("查询结果的行数太多，无法全部读入。"));
    const int count = columnCount();
    m_row.resize(count);
    m_decoded.resize(count);
    for (int c = 0; c < count; ++c) {
        m_row[c] = ReadCell(statement, c, m_decoded[c]);
        m_stores[c].prefetch(m_row[c]);
    }
    for (int c = 0; c < count; ++c)
        m_stores[c].append(m_row[c]);
    ++m_rowCount;
}

void RowSet::setRow(std::uint32_t row, sqlite3_stmt* statement) {
    const int count = columnCount();
    m_decoded.resize(count);
    for (int c = 0; c < count; ++c)
        m_stores[c].set(row, ReadCell(statement, c, m_decoded[c]));
}

std::size_t RowSet::bytes() const {
    std::size_t total = sizeof(RowSet) + m_stores.capacity() * sizeof(ColumnStore);
    for (const ColumnStore& store : m_stores)
        total += store.bytes();
    return total;
}
