#include "TestSupport.h"

#include <QtTest>

TestProgramDir::TestProgramDir(bool prepareDatabase) {
    if (prepareDatabase)
        Connection::CreateDatabase(databasePath(), DatabasePassword);
}

QString TestProgramDir::path() const {
    return m_dir.path() + '/';
}

TestDatabase::TestDatabase() : m_dm(std::make_unique<TShareDM>()) {
    m_dm->ADOConnection1.OpenFile(m_dir.databasePath(), DatabasePassword);
}

TestDatabase::~TestDatabase() = default;

int TestDatabase::exec(const QString& sql) {
    Query query(&m_dm->ADOConnection1);
    return ExecSQL(query, sql);
}

QString TestDatabase::scalar(const QString& sql) {
    Query query(&m_dm->ADOConnection1);
    OpenSQL(query, sql);
    return query.RecordCount() > 0 ? query.TextAt(0, 0) : QString();
}

AttachedDatabase::AttachedDatabase(const QString& path) : m_query(&m_connection) {
    m_connection.OpenFile(path, DatabasePassword);
}

int AttachedDatabase::exec(const QString& sql) {
    return ExecSQL(m_query, sql);
}

QString AttachedDatabase::scalar(const QString& sql) {
    OpenSQL(m_query, sql);
    return m_query.RecordCount() > 0 ? m_query.TextAt(0, 0) : QString();
}
