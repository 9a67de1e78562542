#include "RowStream.h"

#include "CipherFile.h"
#include "Connection.h"
#include "DataError.h"
#include "Schema.h"
#include "SqlDialect.h"

#include <sqlcipher/sqlite3.h>

RowStream::RowStream(Connection& connection, const QString& sql)
    : m_db(connection.handle()), m_sql(TranslateSql(sql)), m_statement(m_db, m_sql),
      m_columns(ResultColumns(m_statement.get())) {
    if (m_columns.empty())
        throw DataError(QStringLiteral("这条 SQL 语句不返回记录。"));
    m_dates.reserve(m_columns.size());
    for (const ResultColumn& column : m_columns)
        m_dates.push_back(IsDateColumn(column.table, column.origin));
    m_decoded.resize(m_columns.size());
    if (sqlite3_get_autocommit(m_db))
        m_snapshot.emplace(connection, Transaction::Mode::ReadSnapshot);
}

qint64 RowStream::CountRows() {
    PreparedStatement count(m_db, QStringLiteral("select count(*) from (%1)").arg(m_sql));
    if (!count.step())
        throw DataError(CipherFile::engineMessage(m_db));
    return count.integer(0);
}
