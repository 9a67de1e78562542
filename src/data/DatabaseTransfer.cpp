#include "data/DatabaseTransfer.h"

#include "data/BackupFiles.h"
#include "data/CipherEngine.h"
#include "data/CipherFile.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "data/Schema.h"
#include "data/ServerChoice.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "data/Transaction.h"
#include "platform/TempFiles.h"

#include <QFileInfo>
#include <cerrno>
#include <sqlcipher/sqlite3.h>

namespace {

// A copy of a server's data is as private as a file the program makes for itself.
constexpr unsigned PrivateFileMode = 0600;

bool isIndex(const QString& statement) {
    return statement.startsWith(QStringLiteral("CREATE INDEX")) ||
           statement.startsWith(QStringLiteral("CREATE UNIQUE INDEX"));
}

// Runs the schema's statements except its indexes and returns those, to be made after the rows
// (createIndexes): an index filled row by row in key order, which is no index's order, costs far
// more than one built from the rows at once (on the file its pages are encrypted and decrypted
// again and again through a small cache: 98 s against 17 s for 1,000,000 movements).
QStringList createTables(EngineConnection& db, const QStringList& schema) {
    QStringList indexes;
    for (const QString& statement : schema)
        if (isIndex(statement))
            indexes << statement;
        else
            db.execute(statement);
    return indexes;
}

void createIndexes(EngineConnection& db, const QStringList& indexes) {
    try {
        for (const QString& statement : indexes)
            db.execute(statement);
    } catch (const DataError& error) {
        // A unique index refuses rows that the source kept (a code twice).
        throw DataError(QStringLiteral("复制的数据不能建立索引：%1").arg(error.message()));
    }
}

DatabaseTally copyIntoFile(EngineConnection& source, const QString& part, const QString& password,
                           const CopyProgress& progress) {
    if (!CreateNewFile(part, PrivateFileMode))
        throw DataError(QStringLiteral("无法建立文件 %1：%2").arg(part, qt_error_string(errno)));
    CipherEngine file(CipherFile::open(part, password, SQLITE_OPEN_READWRITE));
    Transaction write(file, Transaction::Mode::Write);
    const QStringList indexes = createTables(file, SchemaStatements());
    DatabaseCopy copy(source, file);
    copy.setProgress(progress);
    DatabaseTally tally = copy.CopyAll(TargetRows::MustBeEmpty);
    createIndexes(file, indexes);
    write.Commit();
    return tally;
}

void checkCounts(const DatabaseSummary& written, const DatabaseTally& tally) {
    for (const TableTally& table : tally)
        if (written.rowsOf(table.table) != table.rows)
            throw DataError(
                QStringLiteral("写入的文件中数据表 %1 的记录数与原数据不一致。").arg(table.table));
}

} // namespace

NewFileCopy CopyIntoNewFile(EngineConnection& source, const QString& path, const QString& password,
                            const CopyProgress& progress) {
    if (QFileInfo::exists(path))
        throw DataError(QStringLiteral("文件 %1 已经存在，不会覆盖它。").arg(path));
    const QString part = BackupFiles::PartName(path);
    if (QFileInfo::exists(part))
        throw DataError(QStringLiteral("文件 %1 已经存在。").arg(part));
    try {
        NewFileCopy result;
        result.tally = copyIntoFile(source, part, password, progress);
        result.summary = CheckDatabaseFile(part, password, IntegrityCheck::Quick);
        checkCounts(result.summary, result.tally);
        BackupFiles::Publish(part, path);
        return result;
    } catch (const DataError&) {
        BackupFiles::Discard(part);
        throw;
    }
}

DatabaseTally CopyIntoServer(EngineConnection& source, ServerEngine& target,
                             const CopyProgress& progress) {
    Transaction write(target, Transaction::Mode::Write);
    // In a database without the tables, they are made here and their indexes after the rows.
    QStringList indexes;
    if (!HoldsServerSchema(target)) {
        indexes = createTables(target, ServerSchemaStatements());
        target.setSchemaVersion(SchemaVersion);
    } else if (const int version = target.schemaVersion(); version < SchemaVersion)
        UpgradeServerSchemaInTransaction(target);
    else if (version != SchemaVersion)
        throw DataError(QStringLiteral("%1 的数据版本是 %2，本程序的数据版本是 %3，不会改动它。")
                            .arg(target.description())
                            .arg(version)
                            .arg(SchemaVersion));
    DatabaseCopy copy(source, target);
    copy.setProgress(progress);
    DatabaseTally tally = copy.CopyAll(TargetRows::MustBeEmpty);
    createIndexes(target, indexes);
    write.Commit();
    return tally;
}

DatabaseTally CopyDatabase(const QString& source, const QString& target, const QString& password,
                           const CopyProgress& progress) {
    Connection from;
    from.Open(source, password);
    try {
        if (IsServerAddress(target)) {
            ServerEngine to(target);
            return CopyIntoServer(from.engine(), to, progress);
        }
        return CopyIntoNewFile(from.engine(), target, password, progress).tally;
    } catch (const DataError& error) {
        throw DataError(QStringLiteral("没有复制数据：%1").arg(error.message()));
    }
}
