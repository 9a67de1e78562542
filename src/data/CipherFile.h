#pragma once

#include <QString>
#include <memory>

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

// Makes the connection wait up to `timeoutMs` for a lock by trying again every millisecond. The
// engine's own waiting backs off to 100 ms between tries, and a reader then misses every gap
// between the commits of a program that writes without a pause.
void waitForLocksClosely(sqlite3* db, int timeoutMs);

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
// The last failure on the connection in the user's words (see failureMessage).
QString engineMessage(sqlite3* db);
// A failure of the engine's result `code` (plain or extended): a Chinese sentence for what a
// user can meet and act on (the file is locked, the disk is full, the file is read-only, an
// input/output error, a damaged file), with the engine's own text in brackets; any other
// failure (the statement's own error) in the engine's words alone.
QString failureMessage(int code, const QString& engineText);

// Closes the handle; null is fine.
void close(sqlite3* db);

// An open file that is closed when the handle goes.
struct Closer {
    void operator()(sqlite3* db) const { close(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

// Creates a new file at `path` (see open).
Handle create(const QString& path, const QString& password);

// Whether `sql` ends with a whole statement: a ";" inside a trigger's body does not end one.
bool isCompleteStatement(const QByteArray& sql);

// Refuses, with a message that names the file, what cannot be opened at all: no path, no such
// file, a folder, a file without read permission.
void checkReadable(const QString& path);

// Opens an existing file for reading and writing (for reading only when it is write-protected)
// and checks the password with verifyKey.
Handle openExisting(const QString& path, const QString& password,
                    int busyTimeoutMs = DefaultBusyTimeoutMs);
// The same for a connection that must get its locks while other programs write to the file (a
// backup, a restore): it waits for them as waitForLocksClosely does.
Handle openAmongWriters(const QString& path, const QString& password, int busyTimeoutMs);

} // namespace CipherFile
