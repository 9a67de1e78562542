#include "RowStream.h"

#include "Connection.h"
#include "SqlDialect.h"

RowStream::RowStream(Connection& connection, const QString& sql)
    : m_statement(connection.handle(), TranslateSql(sql)),
      m_columns(ResultColumns(m_statement.get())) {}
