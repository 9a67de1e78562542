#include "data/Connection.h"

#include "data/CipherEngine.h"
#include "data/CipherFile.h"
#include "data/DataError.h"
#include "data/Schema.h"
#include "data/ServerChoice.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "data/Transaction.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

Connection::Connection() = default;

Connection::~Connection() {
    Close();
}

void Connection::OpenFile(const QString& path, const QString& password) {
    Close();
    auto engine = std::make_unique<CipherEngine>(CipherFile::openExisting(path, password));
    RefuseNewerVersion(*engine, path);
    UpgradeSchema(*engine);
    CipherFile::sizeCacheFor(engine->handle(), QFileInfo(path).size());
    m_engine = std::move(engine);
    m_path = path;
    m_password = password;
}

void Connection::OpenServer(const QString& conninfo) {
    Close();
    auto engine = std::make_unique<ServerEngine>(conninfo);
    const QString name = engine->description();
    const int version = engine->schemaVersion();
    if (version == 0)
        throw DataError(QStringLiteral("%1 中没有本程序的数据，请先用 varnholt-db init "
                                       "准备这个数据库。")
                            .arg(name));
    if (version < SchemaVersion)
        UpgradeServerSchema(*engine);
    else if (version != SchemaVersion)
        throw DataError(QStringLiteral("%1 的数据版本是 %2，本程序使用的版本是 %3，"
                                       "请用相同版本的程序连接它。本程序没有改动这个数据库。")
                            .arg(name)
                            .arg(version)
                            .arg(SchemaVersion));
    m_engine = std::move(engine);
    m_server = name;
    m_conninfo = conninfo;
}

void Connection::Open(const QString& database, const QString& password) {
    if (IsServerAddress(database))
        OpenServer(database);
    else
        OpenFile(database, password);
}

void Connection::Close() {
    m_engine.reset();
    m_server.clear();
    m_conninfo.clear();
    m_path.clear();
    m_password.clear();
}

EngineConnection& Connection::engine() const {
    if (!m_engine)
        throw DataError(QStringLiteral("数据库连接没有打开。"));
    return *m_engine;
}

SqlTarget Connection::sqlTarget() const {
    return OnServer() ? SqlTarget::Server : SqlTarget::File;
}

void Connection::UseSinglePassCache() {
    if (sqlTarget() == SqlTarget::Server) // the server keeps its own cache
        return;
    Execute(QStringLiteral("PRAGMA cache_size = -2000"));
}

void Connection::Execute(const QString& sql) {
    engine().execute(sql);
}

QString Connection::LastError() const {
    return m_engine ? m_engine->lastError() : QString();
}

qint64 Connection::RowsWritten() const {
    return m_engine ? m_engine->totalChanges() : 0;
}

void Connection::CreateDatabase(const QString& path, const QString& password) {
    if (QFileInfo::exists(path))
        throw DataError(QStringLiteral("文件 %1 已经存在，不会覆盖它。").arg(path));
    std::optional<CipherEngine> engine;
    engine.emplace(CipherFile::create(path, password));
    try {
        Transaction transaction(*engine, Transaction::Mode::Write);
        for (const QString& statement : SchemaStatements())
            engine->execute(statement);
        transaction.Commit();
    } catch (...) {
        engine.reset();
        QFile::remove(path);
        throw;
    }
}
