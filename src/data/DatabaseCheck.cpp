#include "data/DatabaseCheck.h"

#include "data/CipherEngine.h"
#include "data/CipherFile.h"
#include "data/DataError.h"
#include "data/PreparedStatement.h"
#include "data/Schema.h"
#include "data/SqlValues.h"

#include <QFile>
#include <QStringList>
#include <sqlcipher/sqlite3.h>

namespace {

QStringList tablesOf(EngineConnection& db) {
    QStringList tables;
    PreparedStatement statement(db,
                                QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' "
                                               "ORDER BY name"));
    while (statement.step())
        tables << statement.text(0);
    return tables;
}

QStringList columnsOf(EngineConnection& db, const QString& table) {
    QStringList columns;
    PreparedStatement statement(db, "PRAGMA table_info(" + QuotedName(table) + ')');
    while (statement.step())
        columns << statement.text(1);
    return columns;
}

} // namespace

const std::map<QString, QStringList>& ProgramTables() {
    static const std::map<QString, QStringList> tables = [] {
        std::map<QString, QStringList> result;
        sqlite3* memory = nullptr;
        sqlite3_open(":memory:", &memory);
        CipherEngine db(CipherFile::Handle{memory});
        for (const QString& statement : SchemaStatements())
            db.execute(statement);
        for (const QString& table : tablesOf(db))
            if (!table.startsWith(QStringLiteral("sqlite_")))
                result[table] = columnsOf(db, table);
        return result;
    }();
    return tables;
}

namespace {

// The engine reads an empty file as an empty database, and a plain SQLite file fails the key
// check like a foreign one: both get a reason of their own.
void refuseUnencryptedFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("无法读取文件 %1：%2").arg(path, file.errorString()));
    const QByteArray head = file.read(16);
    if (head.isEmpty())
        throw DataError(QStringLiteral("文件 %1 是空的，不是数据库文件。").arg(path));
    if (head == QByteArray("SQLite format 3", 16))
        throw DataError(
            QStringLiteral("文件 %1 是一个没有加密的 SQLite 数据库，不是本系统的数据库文件。")
                .arg(path));
}

void checkIntegrity(EngineConnection& db, const QString& path, IntegrityCheck integrity) {
    const QString damaged = QStringLiteral("文件 %1 已经损坏（完整性检查没有通过）：%2");
    QStringList problems;
    try {
        // Comparing the indexes with their tables reads pages again and again: a larger page
        // cache for this connection saves most of the decrypting.
        db.execute(QStringLiteral("PRAGMA cache_size = -65536"));
        PreparedStatement statement(db, integrity == IntegrityCheck::Full
                                            ? QStringLiteral("PRAGMA integrity_check(5)")
                                            : QStringLiteral("PRAGMA quick_check(5)"));
        while (statement.step())
            problems << statement.text(0);
    } catch (const DataError& error) {
        throw DataError(damaged.arg(path, error.message()));
    }
    if (problems != QStringList{QStringLiteral("ok")})
        throw DataError(damaged.arg(path, problems.join('\n')));
}

// The tables and columns of the file's data version (a file of an older version lacks the
// columns that later versions added until it is upgraded).
void checkTables(EngineConnection& db, const QString& path) {
    const QStringList present = tablesOf(db);
    const int version = db.schemaVersion();
    for (const auto& [table, columns] : ProgramTables()) {
        if (!present.contains(table))
            throw DataError(QStringLiteral("文件 %1 中没有数据表 %2，不是本系统的数据库文件。")
                                .arg(path, table));
        const QStringList found = columnsOf(db, table);
        for (const QString& column : columns)
            if (ColumnInVersion(table, column, version) && !found.contains(column))
                throw DataError(
                    QStringLiteral("文件 %1 的数据表 %2 中没有列 %3，不是本系统的数据库文件。")
                        .arg(path, table, column));
    }
}

} // namespace

qint64 DatabaseSummary::rowsOf(const QString& table) const {
    const auto it = rows.find(table);
    return it == rows.end() ? 0 : it->second;
}

QString CountsText(const DatabaseSummary& summary) {
    return QStringLiteral("%1 条出入库记录，%2 种商品")
        .arg(summary.movements())
        .arg(summary.products());
}

std::vector<DuplicateCode> DuplicateCodes(EngineConnection& db) {
    std::vector<DuplicateCode> duplicates;
    PreparedStatement statement(
        db, QStringLiteral("SELECT ProductSerial, ProductIndex FROM Product WHERE "
                           "ProductSerial IN (SELECT ProductSerial FROM Product "
                           "GROUP BY ProductSerial HAVING count(*)>1) "
                           "ORDER BY ProductSerial, ProductIndex"));
    while (statement.step()) {
        const QString code = statement.text(0);
        if (duplicates.empty() || duplicates.back().code != code)
            duplicates.push_back({code, {}});
        duplicates.back().productKeys.push_back(statement.integer(1));
    }
    return duplicates;
}

DatabaseSummary ReadSummary(EngineConnection& db) {
    DatabaseSummary summary;
    summary.schemaVersion = db.schemaVersion();
    QStringList tables;
    if (db.sqlTarget() == SqlTarget::Server)
        for (const auto& table : ProgramTables())
            tables << table.first;
    else
        tables = tablesOf(db);
    for (const QString& table : tables) {
        PreparedStatement count(db, "SELECT count(*) FROM " + QuotedName(table));
        count.step();
        summary.rows[table] = count.integer(0);
    }
    return summary;
}

DatabaseSummary CheckDatabaseFile(const QString& path, const QString& password,
                                  IntegrityCheck integrity) {
    CipherFile::checkReadable(path);
    refuseUnencryptedFile(path);
    CipherEngine db(CipherFile::openExisting(path, password));
    RefuseNewerVersion(db, path);
    checkIntegrity(db, path, integrity);
    checkTables(db, path);
    DatabaseSummary summary = ReadSummary(db);
    summary.uniqueCodes = HasUniqueProductCodes(db);
    summary.duplicateCodes = DuplicateCodes(db);
    return summary;
}
