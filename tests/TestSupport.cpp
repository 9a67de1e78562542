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
    m_dm->ADOConnection1.SetConnectionString(
        BuildConnectionString(m_dir.databasePath(), DatabasePassword));
    m_dm->ADOConnection1.Open();
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
