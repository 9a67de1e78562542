#include "data/CipherFile.h"

#include "data/DataError.h"
#include "data/MoneyRound.h"
#include "data/StoredText.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdint>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

namespace CipherFile {

namespace {
// 4 KiB cipher pages: scans of the movements run markedly faster than with 1 KiB pages.
constexpr int CipherPageSize = 4096;
// The engine's own default cache, 2 MiB, is the least; 64 MiB the most. What the program reads
// again is the catalogue and the index pages that every movement's product look-up passes
// through, not the whole file: with a million movements (a file of 140 MiB) the filled main
// window is as quick with 64 MiB as with the whole file cached, and a fifth slower with 32 MiB.
constexpr qint64 MinCacheKiB = 2000;
constexpr qint64 MaxCacheKiB = 64 * 1024;
} // namespace

qint64 cacheKiBFor(qint64 fileBytes) {
    // The file and a tenth for the pages that a growing file adds while it is open.
    const qint64 wanted = fileBytes / 1024 + fileBytes / 10240;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    qint64 most = MaxCacheKiB;
    if (pages > 0 && pageSize > 0) // never more than an eighth of the memory
        most = std::min<qint64>(most, qint64(pages) / 8 * (pageSize / 1024));
    return std::max(MinCacheKiB, std::min(wanted, most));
}

void sizeCacheFor(sqlite3* db, qint64 fileBytes) {
    execute(db, QStringLiteral("PRAGMA cache_size = -%1").arg(cacheKiBFor(fileBytes)));
}

QString failureMessage(int code, const QString& engineText) {
    QString sentence;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        sentence = QStringLiteral("数据库文件正被其它程序使用，请稍后再试。");
        break;
    case SQLITE_FULL:
        sentence = QStringLiteral("磁盘空间不足，数据没有写入。");
        break;
    case SQLITE_READONLY:
        sentence = QStringLiteral("文件是只读的（或者没有写入的权限），数据没有写入。");
        break;
    case SQLITE_IOERR:
        sentence = QStringLiteral("读写文件时出错（输入/输出错误），磁盘可能已满或者已经损坏。");
        break;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        sentence = QStringLiteral("无法打开或建立文件：没有权限，或者文件夹不存在。");
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        sentence = QStringLiteral("数据库文件已经损坏。");
        break;
    default:
        return engineText;
    }
    return QStringLiteral("%1（%2）").arg(sentence, engineText);
}

QString engineMessage(sqlite3* db) {
    return failureMessage(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

void execute(sqlite3* db, const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message =
            error ? failureMessage(sqlite3_extended_errcode(db), QString::fromUtf8(error))
                  : engineMessage(db);
        sqlite3_free(error);
        throw DataError(message);
    }
}

namespace {

// stored_text(x): for a text or a blob the text that reading gives (StoredText::toUtf8), any
// other value as it is.
void storedTextFunction(sqlite3_context* context, int, sqlite3_value** arguments) {
    sqlite3_value* value = arguments[0];
    const int type = sqlite3_value_type(value);
    if (type != SQLITE_TEXT && type != SQLITE_BLOB) {
        sqlite3_result_value(context, value);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const std::string_view bytes(text ? text : "",
                                 static_cast<std::size_t>(sqlite3_value_bytes(value)));
    std::string buffer;
    const std::string_view utf8 = StoredText::toUtf8(bytes, buffer);
    sqlite3_result_text64(context, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void registerStoredText(sqlite3* db) {
    if (sqlite3_create_function_v2(db, StoredText::SqlFunction, 1,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, storedTextFunction,
                                   nullptr, nullptr, nullptr) != SQLITE_OK)
        throw DataError(QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace

sqlite3* open(const QString& path, const QString& password, int flags, int busyTimeoutMs) {
    sqlite3* db = nullptr;
    // Each connection is used by one thread at a time: the engine need not lock it on every call.
    const int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message =
            db ? engineMessage(db) : failureMessage(rc, QString::fromUtf8(sqlite3_errstr(rc)));
        sqlite3_close(db);
        throw DataError(QStringLiteral("无法打开数据库文件 %1：%2").arg(path, message));
    }
    const QByteArray key = password.toUtf8();
    sqlite3_key(db, key.constData(), key.size());
    try {
        execute(db, QStringLiteral("PRAGMA cipher_page_size = %1").arg(CipherPageSize));
        sqlite3_busy_timeout(db, busyTimeoutMs);
        registerStoredText(db);
        MoneyRound::registerOn(db);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    return db;
}

namespace {
// The timeout travels in the handler's argument; every try costs about a millisecond.
int retryEveryMillisecond(void* timeoutMs, int attempts) {
    if (attempts >= static_cast<int>(reinterpret_cast<std::intptr_t>(timeoutMs)))
        return 0;
    sqlite3_sleep(1);
    return 1;
}
} // namespace

void waitForLocksClosely(sqlite3* db, int timeoutMs) {
    sqlite3_busy_handler(db, retryEveryMillisecond,
                         reinterpret_cast<void*>(static_cast<std::intptr_t>(timeoutMs)));
}

void verifyKey(sqlite3* db, const QString& path) {
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) ==
        SQLITE_OK)
        return;
    switch (sqlite3_errcode(db)) {
    case SQLITE_NOTADB:
        throw DataError(
            QStringLiteral("无法打开数据库文件 %1：密码不正确，或者该文件不是本系统的数据库。")
                .arg(path));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw DataError(
            QStringLiteral("数据库文件 %1 正被其它程序独占使用（例如正在整理），请稍后再试。（%2）")
                .arg(path, engineMessage(db)));
    default:
        break;
    }
    throw DataError(QStringLiteral("无法打开数据库文件 %1：%2").arg(path, engineMessage(db)));
}

int userVersion(sqlite3* db) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr) != SQLITE_OK)
        throw DataError(engineMessage(db));
    const int version =
        sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : 0;
    sqlite3_finalize(statement);
    return version;
}

bool readOnly(sqlite3* db) {
    return sqlite3_db_readonly(db, "main") == 1;
}

void close(sqlite3* db) {
    if (db)
        sqlite3_close_v2(db);
}

void checkReadable(const QString& path) {
    if (path.isEmpty())
        throw DataError(QStringLiteral("没有指定数据库文件。"));
    const QFileInfo info(path);
    if (!info.exists())
        throw DataError(QStringLiteral("找不到数据库文件 %1。").arg(path));
    if (info.isDir())
        throw DataError(QStringLiteral("%1 是一个文件夹，不是数据库文件。").arg(path));
    if (!info.isReadable())
        throw DataError(QStringLiteral("没有读取数据库文件 %1 的权限。").arg(path));
}

namespace {
Handle openChecked(const QString& path, const QString& password, int busyTimeoutMs,
                   bool waitClosely) {
    checkReadable(path);
    Handle db(open(path, password, SQLITE_OPEN_READWRITE, busyTimeoutMs));
    if (waitClosely)
        waitForLocksClosely(db.get(), busyTimeoutMs);
    verifyKey(db.get(), path);
    return db;
}
} // namespace

Handle create(const QString& path, const QString& password) {
    return Handle(open(path, password, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
}

bool isCompleteStatement(const QByteArray& sql) {
    return sqlite3_complete(sql.constData()) != 0;
}

Handle openExisting(const QString& path, const QString& password, int busyTimeoutMs) {
    return openChecked(path, password, busyTimeoutMs, false);
}

Handle openAmongWriters(const QString& path, const QString& password, int busyTimeoutMs) {
    return openChecked(path, password, busyTimeoutMs, true);
}

} // namespace CipherFile
