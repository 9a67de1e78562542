#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

struct pg_conn;

// The database server the server benchmarks run on: the connection string that
// `source scripts/test-server.sh start` exports (a throwaway server on its socket, fsync off).
// Throws std::runtime_error when none was started.
QString BenchServer();

// A database on that server holding the same data as BenchDatabase(movements): made once (an
// empty database filled by `varnholt-db copy` from the benchmark file, which makes the tables)
// and reused by later runs. Returns its connection string.
QString BenchServerDatabase(int movements);

// A connection of the server's own library, for the raw references; closed with PQfinish.
pg_conn* OpenRawServer(const QString& conninfo);

// Runs a statement in the server's dialect and reads every value of every row as it streams in
// (single-row mode, as a list that stays flat in memory must read), keeping none: the least that
// any list must do. Returns the number of rows; throws std::runtime_error on failure.
std::size_t RawServerFetch(pg_conn* conn, const QByteArray& sql);
