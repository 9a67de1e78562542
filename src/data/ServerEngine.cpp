#include "data/ServerEngine.h"

#include "data/CipherFile.h"
#include "data/DataError.h"
#include "data/PreparedStatement.h"
#include "data/Schema.h"
#include "data/ServerSqlText.h"
#include "data/ServerStatement.h"
#include "data/StoredDate.h"

#include <libpq-fe.h>
#include <memory>
#include <sqlcipher/sqlite3.h>

namespace {

struct ResultClear {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultClear>;

// The program's names in their spelling, from the statements that make its tables.
const QHash<QString, QString>& schemaSpellings() {
    static const QHash<QString, QString> spellings = [] {
        QHash<QString, QString> all;
        for (const QString& statement : SchemaStatements()) {
            const auto names = ServerSqlText::from(statement).spellings;
            for (auto it = names.begin(); it != names.end(); ++it)
                all.insert(it.key(), it.value());
        }
        return all;
    }();
    return spellings;
}

QString fromUtf8(const char* text) {
    return text ? QString::fromUtf8(text).trimmed() : QString();
}

} // namespace

QString ServerFailureMessage(const QByteArray& state, const QString& serverText) {
    // Another writer kept the lock for the whole wait, or two writers met: the file's words.
    if (state == "55P03" || state == "40P01" || state == "40001")
        return CipherFile::failureMessage(SQLITE_BUSY, serverText);
    if (state == "53100")
        return CipherFile::failureMessage(SQLITE_FULL, serverText);
    if (state == "25006")
        return QStringLiteral("数据库服务器只允许读取，数据没有写入。（%1）").arg(serverText);
    if (state.startsWith("08") || state.startsWith("57") || state == "25P03" || state.isEmpty())
        return QStringLiteral("与数据库服务器的连接已经中断，数据没有写入。（%1）").arg(serverText);
    if (state.startsWith("28"))
        return QStringLiteral("数据库服务器拒绝了登录。（%1）").arg(serverText);
    if (state == "42501")
        return QStringLiteral("数据库服务器上的帐户没有这项操作的权限。（%1）").arg(serverText);
    // A date that does not exist (30 February, hour 25) or is no date at all: the file's words.
    if (state == "22007" || state == "22008")
        return StoredDate::invalidDateMessage(QStringLiteral("StoreRecordDate")) +
               QStringLiteral("。（%1）").arg(serverText);
    return serverText;
}

ServerEngine::ServerEngine(const QString& conninfo) {
    const QByteArray info = conninfo.trimmed().toUtf8();
    // Defaults first, the user's connection string after them, the program's name last.
    const char* keys[] = {"connect_timeout", "dbname", "application_name", nullptr};
    const char* values[] = {"10", info.constData(), "varnholt", nullptr};
    m_conn = PQconnectdbParams(keys, values, 1);
    if (!m_conn)
        throw DataError(QStringLiteral("无法连接数据库服务器：内存不足。"));
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString cause = fromUtf8(PQerrorMessage(m_conn));
        const QString where = description();
        const bool login = PQconnectionNeedsPassword(m_conn) || cause.contains("authentication");
        PQfinish(m_conn);
        m_conn = nullptr;
        throw DataError(login
                            ? QStringLiteral("数据库服务器拒绝了登录：%1。请检查用户名，以及 "
                                             "~/.pgpass 或服务文件中的密码。（%2）")
                                  .arg(where, cause)
                            : QStringLiteral("无法连接数据库服务器：%1。（%2）").arg(where, cause));
    }
    try {
        execute(QStringLiteral("SET client_encoding = 'UTF8'; SET DateStyle = 'ISO, YMD'; "
                               "SET extra_float_digits = 1; SET client_min_messages = warning; SET "
                               "idle_in_transaction_session_timeout "
                               "= %1")
                    .arg(IdleInTransactionMs));
        Result readOnly(run("SELECT current_setting('transaction_read_only')"));
        m_readOnly =
            PQntuples(readOnly.get()) == 1 && qstrcmp(PQgetvalue(readOnly.get(), 0, 0), "on") == 0;
        loadCatalogue();
    } catch (...) {
        PQfinish(m_conn);
        throw;
    }
}

ServerEngine::~ServerEngine() {
    PQfinish(m_conn);
}

QString ServerEngine::description() const {
    const QString database = fromUtf8(PQdb(m_conn));
    QString host = fromUtf8(PQhost(m_conn));
    if (host.startsWith('/'))
        host = QStringLiteral("本机");
    const QString port = fromUtf8(PQport(m_conn));
    return QStringLiteral("数据库 %1（服务器 %2%3）")
        .arg(database, host, port.isEmpty() ? QString() : ':' + port);
}

// Runs a statement of the engine's own (no parameters); throws DataError on failure.
PGresult* ServerEngine::run(const char* sql) const {
    auto* self = const_cast<ServerEngine*>(this);
    self->settle();
    Result result(PQexec(m_conn, sql));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw DataError(self->noteFailure(result.get()));
    return result.release();
}

std::unique_ptr<EngineStatement> ServerEngine::prepare(const QString& sql) {
    return std::make_unique<ServerStatement>(*this, sql);
}

void ServerEngine::execute(const QString& sql) {
    const ServerSqlText text = ServerSqlText::from(sql);
    Result result(run(text.text.constData()));
    noteCommand(result.get());
}

void ServerEngine::settle() {
    if (ServerStatement* streaming = m_streaming) {
        m_streaming = nullptr;
        streaming->readRest();
    }
}

void ServerEngine::endStreaming(const ServerStatement* statement) {
    if (m_streaming == statement)
        m_streaming = nullptr;
}

void ServerEngine::noteCommand(PGresult* result) {
    const char* status = PQcmdStatus(result);
    const QByteArray command(status ? status : "");
    if (command.startsWith("INSERT") || command.startsWith("UPDATE") ||
        command.startsWith("DELETE") || command.startsWith("MERGE")) {
        m_changes = QByteArray(PQcmdTuples(result)).toLongLong();
        m_totalChanges += m_changes;
    }
}

QString ServerEngine::noteFailure(const PGresult* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    m_lastState = state ? QByteArray(state) : QByteArray();
    const QString text = fromUtf8(primary ? primary : PQerrorMessage(m_conn));
    m_lastError = ServerFailureMessage(m_lastState, text);
    return m_lastError;
}

bool ServerEngine::failedForReadOnly() const {
    return m_lastState == "25006";
}

qint64 ServerEngine::lastInsertKey() const {
    // The identity keys are sequences; lastval() is the one this session drew last.
    Result result(run("SELECT lastval()"));
    return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
}

void ServerEngine::begin(TransactionMode mode) {
    if (mode == TransactionMode::ReadSnapshot) {
        execute(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        m_transactionOpen = true;
        return;
    }
    // READ COMMITTED: every statement after the lock sees what the writer before committed.
    execute(QStringLiteral("BEGIN ISOLATION LEVEL READ COMMITTED; SET LOCAL lock_timeout = %1")
                .arg(LockWaitMs));
    m_transactionOpen = true;
    try {
        Result locked(
            run(QByteArray("SELECT pg_advisory_xact_lock(" + QByteArray::number(WriteLockKey) + ")")
                    .constData()));
    } catch (...) {
        try {
            rollback();
        } catch (...) {
        }
        throw;
    }
}

void ServerEngine::commit() {
    m_transactionOpen = false;
    execute(QStringLiteral("COMMIT"));
}

void ServerEngine::rollback() {
    m_transactionOpen = false;
    execute(QStringLiteral("ROLLBACK"));
}

bool ServerEngine::inTransaction() const {
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    if (status == PQTRANS_ACTIVE) // a statement's rows are on their way
        return m_transactionOpen;
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

QStringList ServerEngine::keyColumns(const QString& table) {
    const QByteArray name = table.toLower().toUtf8();
    const char* values[] = {name.constData()};
    settle();
    Result result(
        PQexecParams(m_conn,
                     "SELECT a.attname FROM pg_index i JOIN pg_class c ON c.oid = "
                     "i.indrelid JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = "
                     "ANY(i.indkey) WHERE i.indisprimary AND c.oid = to_regclass($1) "
                     "ORDER BY array_position(i.indkey, a.attnum)",
                     1, nullptr, values, nullptr, nullptr, 0));
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        throw DataError(noteFailure(result.get()));
    QStringList columns;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        columns << spelling(fromUtf8(PQgetvalue(result.get(), row, 0)));
    return columns;
}

qint64 ServerEngine::lastKeyHandedOut(const QString& table, const QString& key) {
    PreparedStatement last(*this, QStringLiteral("SELECT coalesce(pg_sequence_last_value("
                                                 "pg_get_serial_sequence(?, ?)::regclass), 0)"));
    last.bind(1, table.toLower());
    last.bind(2, key.toLower());
    last.step();
    return last.integer(0);
}

void ServerEngine::continueKeysAfter(const QString& table, const QString& key, qint64 lastKey) {
    // A sequence starts at 1: "nothing handed out yet" is 1 not yet called.
    PreparedStatement set(
        *this,
        lastKey > 0
            ? QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?)::regclass, ?)")
            : QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?)::regclass, 1, false)"));
    set.bind(1, table.toLower());
    set.bind(2, key.toLower());
    if (lastKey > 0)
        set.bind(3, lastKey);
    set.step();
}

int ServerEngine::schemaVersion() {
    Result exists(run("SELECT to_regclass('varnholt_version') IS NOT NULL"));
    if (PQgetvalue(exists.get(), 0, 0)[0] != 't')
        return 0;
    Result version(run("SELECT max(version) FROM varnholt_version"));
    return QByteArray(PQgetvalue(version.get(), 0, 0)).toInt();
}

void ServerEngine::setSchemaVersion(int version) {
    execute(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (version integer NOT NULL); "
                           "DELETE FROM %1; INSERT INTO %1 (version) VALUES (%2)")
                .arg(QLatin1String(VersionTable))
                .arg(version));
}

// Every column of the tables of the current schema, in one query: results name their source
// tables and columns by number.
void ServerEngine::loadCatalogue() {
    Result result(run("SELECT c.oid, c.relname, a.attnum, a.attname FROM pg_class c JOIN "
                      "pg_attribute a ON a.attrelid = c.oid WHERE c.relnamespace = "
                      "current_schema()::regnamespace AND c.relkind IN ('r', 'v', 'm', 'p') "
                      "AND a.attnum > 0 AND NOT a.attisdropped"));
    m_tables.clear();
    m_columns.clear();
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        const unsigned table = QByteArray(PQgetvalue(result.get(), row, 0)).toUInt();
        const quint64 column = QByteArray(PQgetvalue(result.get(), row, 2)).toULongLong();
        m_tables.insert(table, spelling(fromUtf8(PQgetvalue(result.get(), row, 1))));
        m_columns.insert(quint64(table) << 16 | column,
                         spelling(fromUtf8(PQgetvalue(result.get(), row, 3))));
    }
}

QString ServerEngine::tableName(unsigned table) {
    if (table == 0)
        return {};
    if (!m_tables.contains(table))
        loadCatalogue(); // a table made after the connection was opened
    return m_tables.value(table);
}

QString ServerEngine::columnName(unsigned table, int column) {
    if (table == 0 || column <= 0)
        return {};
    const quint64 key = quint64(table) << 16 | quint64(column);
    if (!m_columns.contains(key))
        loadCatalogue();
    return m_columns.value(key);
}

const std::vector<unsigned>& ServerEngine::parameterTypes(const QByteArray& sql, int count) {
    const auto known = m_parameterTypes.constFind(sql);
    if (known != m_parameterTypes.cend())
        return *known;
    settle();
    Result prepared(PQprepare(m_conn, "", sql.constData(), count, nullptr));
    if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
        throw DataError(noteFailure(prepared.get()));
    Result described(PQdescribePrepared(m_conn, ""));
    if (PQresultStatus(described.get()) != PGRES_COMMAND_OK)
        throw DataError(noteFailure(described.get()));
    std::vector<unsigned> types(PQnparams(described.get()));
    for (int p = 0; p < static_cast<int>(types.size()); ++p)
        types[p] = PQparamtype(described.get(), p);
    if (m_parameterTypes.size() >= 256) // statements written with their values in them
        m_parameterTypes.clear();
    return *m_parameterTypes.insert(sql, std::move(types));
}

QString ServerEngine::spelling(const QString& name) const {
    return schemaSpellings().value(name, name);
}
