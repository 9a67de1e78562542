#include "BenchSupport.h"

#include "app/ApplicationSetup.h"
#include "data/CipherEngine.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "lists/ProgramLocale.h"

#include <QApplication>
#include <QFile>
#include <cstring>
#include <malloc.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

void SetUpAsTheProgram(QCoreApplication& app) {
    if (auto* windows = qobject_cast<QApplication*>(&app))
        SetUpApplication(*windows);
    else
        SetProgramLocale();
}

sqlite3* RawHandle(const Connection& connection) {
    return static_cast<CipherEngine&>(connection.engine()).handle();
}

std::size_t RawFetch(sqlite3* db, const QString& sql) {
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), text.size(), &statement, nullptr) != SQLITE_OK)
        throw DataError(QString::fromUtf8(sqlite3_errmsg(db)));
    std::size_t rows = 0;
    std::uint64_t checksum = 0;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                checksum += static_cast<std::uint64_t>(sqlite3_column_int64(statement, c));
                break;
            case SQLITE_FLOAT:
                checksum += static_cast<std::uint64_t>(sqlite3_column_double(statement, c));
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB:
                sqlite3_column_text(statement, c);
                checksum += static_cast<std::uint64_t>(sqlite3_column_bytes(statement, c));
                break;
            default:
                break;
            }
        }
        ++rows;
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(checksum);
    return rows;
}

namespace {
std::size_t statusField(const char* name) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(static_cast<qsizetype>(std::strlen(name)))
                       .trimmed()
                       .split(' ')
                       .value(0)
                       .toULongLong() *
                   1024;
    return 0;
}
} // namespace

std::size_t ResidentBytes() {
    return statusField("VmRSS:");
}

std::size_t ResidentFileBytes() {
    return statusField("RssFile:") + statusField("RssShmem:");
}

std::size_t PeakResidentBytes() {
    return statusField("VmHWM:");
}

void ResetPeakMemory() {
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void ReleaseFreeMemory() {
    malloc_trim(0);
}
