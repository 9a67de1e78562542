#include "BenchServer.h"

#include "BenchData.h"
#include "data/ServerEngine.h"

#include <QCoreApplication>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <libpq-fe.h>
#include <stdexcept>

namespace {

// The command-line tool of the build, beside the benchmark programs' folder.
QString toolPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/varnholt-db");
}

void runTool(const QStringList& args) {
    QProcess tool;
    tool.start(toolPath(), args);
    if (!tool.waitForFinished(-1) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        throw std::runtime_error(("varnholt-db " + args.join(' ') + ": " +
                                  QString::fromUtf8(tool.readAllStandardError()))
                                     .toStdString());
}

bool databaseExists(const QString& server, const QString& name) {
    PGconn* conn = OpenRawServer(server);
    const QByteArray value = name.toUtf8();
    const char* values[] = {value.constData()};
    PGresult* result = PQexecParams(conn, "SELECT 1 FROM pg_database WHERE datname = $1", 1,
                                    nullptr, values, nullptr, nullptr, 0);
    const bool exists = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1;
    PQclear(result);
    PQfinish(conn);
    return exists;
}

} // namespace

QString BenchServer() {
    const QString server = qEnvironmentVariable("VARNHOLT_TEST_SERVER");
    if (server.isEmpty())
        throw std::runtime_error("no database server: start one with "
                                 "`source scripts/test-server.sh start`");
    return server;
}

QString BenchServerDatabase(int movements) {
    const QString server = BenchServer();
    const QString name = QStringLiteral("varnholt_bench_shop_%1").arg(movements);
    if (databaseExists(server, name))
        return server + " dbname=" + name;
    ServerEngine admin(server);
    // Made under another name and renamed when complete, so that a run broken off leaves no
    // half-filled database behind for the next.
    const QString partial = name + "_partial";
    admin.execute("DROP DATABASE IF EXISTS " + partial);
    admin.execute("CREATE DATABASE " + partial);
    const QString partialInfo = server + " dbname=" + partial;
    runTool({"copy", BenchDatabase(movements), partialInfo});
    admin.execute("ALTER DATABASE " + partial + " RENAME TO " + name);
    ServerEngine filled(server + " dbname=" + name);
    filled.execute("VACUUM ANALYZE");
    return server + " dbname=" + name;
}

pg_conn* OpenRawServer(const QString& conninfo) {
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(conn);
        PQfinish(conn);
        throw std::runtime_error(message);
    }
    return conn;
}

std::size_t RawServerFetch(pg_conn* conn, const QByteArray& sql) {
    if (!PQsendQuery(conn, sql.constData()) || !PQsetSingleRowMode(conn))
        throw std::runtime_error(PQerrorMessage(conn));
    std::size_t rows = 0;
    std::uint64_t checksum = 0;
    std::string failure;
    while (PGresult* result = PQgetResult(conn)) {
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_SINGLE_TUPLE) {
            const int columns = PQnfields(result);
            for (int c = 0; c < columns; ++c)
                checksum += static_cast<std::uint64_t>(PQgetlength(result, 0, c)) +
                            static_cast<unsigned char>(*PQgetvalue(result, 0, c));
            ++rows;
        } else if (status != PGRES_TUPLES_OK) {
            failure = PQresultErrorMessage(result);
        }
        PQclear(result);
    }
    if (!failure.empty())
        throw std::runtime_error(failure);
    benchmark::DoNotOptimize(checksum);
    return rows;
}
