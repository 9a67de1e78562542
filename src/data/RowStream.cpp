#include "data/RowStream.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/EngineConnection.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"

RowStream::RowStream(Connection& connection, const QString& sql)
    : m_engine(&connection.engine()), m_sql(TranslateSql(sql, connection.engine().sqlTarget())),
      m_statement(*m_engine, m_sql), m_columns(ResultColumns(m_statement)) {
    if (m_columns.empty())
        throw DataError(QStringLiteral("这条 SQL 语句不返回记录。"));
    m_dates.reserve(m_columns.size());
    for (const ResultColumn& column : m_columns)
        m_dates.push_back(IsDateColumn(column.table, column.origin));
    m_decoded.resize(m_columns.size());
    if (!m_engine->inTransaction())
        m_snapshot.emplace(connection, Transaction::Mode::ReadSnapshot);
}

qint64 RowStream::CountRows() {
    // The derived table is named: the server refuses an unnamed one.
    PreparedStatement count(*m_engine,
                            QStringLiteral("select count(*) from (%1) as t_count").arg(m_sql));
    if (!count.step())
        throw DataError(m_engine->lastError());
    return count.integer(0);
}
