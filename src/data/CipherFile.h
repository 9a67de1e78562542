#pragma once

#include <QString>

struct sqlite3;

// Low-level access to an encrypted database file, shared by the connection, the preparation of
// new files and compaction. Every function throws DataError with the engine's message.
namespace CipherFile {

// How long a connection waits for a file that another connection has locked (a writer, a
// compaction) before the statement fails with "database is locked".
constexpr int DefaultBusyTimeoutMs = 5000;

// Opens `path` with the engine's open flags and keys it with `password`; the page size of the
// program's files is set as well. The key is checked by the first read (see verifyKey).
sqlite3* open(const QString& path, const QString& password, int flags,
              int busyTimeoutMs = DefaultBusyTimeoutMs);

// Reads the schema, which fails when the password is wrong or the file is no database. A
// journal left behind by a crash is rolled back here.
void verifyKey(sqlite3* db, const QString& path);

// Gives the connection a page cache that holds a file of `fileBytes` whole (within a limit), so
// that each page is decrypted once rather than on every statement that reads it.
void sizeCacheFor(sqlite3* db, qint64 fileBytes);
// The cache in KiB that sizeCacheFor gives a file of that size.
qint64 cacheKiBFor(qint64 fileBytes);

void execute(sqlite3* db, const QString& sql);
int userVersion(sqlite3* db);
// Whether the engine opened the file for reading only (a write-protected file).
bool readOnly(sqlite3* db);
QString engineMessage(sqlite3* db);

// Closes the handle; null is fine.
void close(sqlite3* db);

} // namespace CipherFile
