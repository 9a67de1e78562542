#include "data/RowSet.h"

#include "data/DataError.h"
#include "data/PreparedStatement.h"

std::vector<ResultColumn> ResultColumns(const PreparedStatement& statement) {
    const EngineStatement& engine = statement.engineStatement();
    const int count = engine.columnCount();
    std::vector<ResultColumn> columns(count);
    for (int c = 0; c < count; ++c)
        columns[c] = {engine.columnName(c), engine.columnTable(c), engine.columnOrigin(c)};
    return columns;
}

RowSet RowSet::fetch(EngineConnection& engine, const QString& sql) {
    PreparedStatement statement(engine, sql);
    RowSet rows = forStatement(statement);
    while (statement.step())
        rows.appendRow(statement);
    rows.finish();
    return rows;
}

RowSet RowSet::forStatement(const PreparedStatement& statement) {
    RowSet rows;
    rows.m_columns = ResultColumns(statement);
    rows.m_stores.resize(rows.m_columns.size());
    return rows;
}

void RowSet::finish() {
    for (ColumnStore& store : m_stores)
        store.finish();
}

void RowSet::appendRow(const PreparedStatement& statement) {
    if (m_rowCount == UINT32_MAX - 1)
        throw DataError(QStringLiteral("查询结果的行数太多，无法全部读入。"));
    const int count = columnCount();
    m_row.resize(count);
    m_decoded.resize(count);
    statement.readRow(m_row.data(), m_decoded.data(), count);
    for (int c = 0; c < count; ++c)
        m_stores[c].prefetch(m_row[c]);
    for (int c = 0; c < count; ++c)
        m_stores[c].append(m_row[c]);
    ++m_rowCount;
}

void RowSet::setRow(std::uint32_t row, const PreparedStatement& statement) {
    const int count = columnCount();
    m_decoded.resize(count);
    for (int c = 0; c < count; ++c)
        m_stores[c].set(row, statement.cell(c, m_decoded[c]));
}

std::size_t RowSet::bytes() const {
    std::size_t total = sizeof(RowSet) + m_stores.capacity() * sizeof(ColumnStore);
    for (const ColumnStore& store : m_stores)
        total += store.bytes();
    return total;
}
