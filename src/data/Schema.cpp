#include "data/Schema.h"

#include "data/CipherFile.h"
#include "data/DataError.h"
#include "data/EngineConnection.h"
#include "data/PreparedStatement.h"
#include "data/SqlValues.h"
#include "data/Transaction.h"

#include <QMap>
#include <optional>
#include <sqlcipher/sqlite3.h>

namespace {

// The columns that a version added to a table made before it, with their type on the file.
struct LaterColumn {
    QString table;
    QString column;
    QString type;
    int version;
};

const std::vector<LaterColumn>& laterColumns() {
    static const std::vector<LaterColumn> columns{
        {QStringLiteral("Product"), QStringLiteral("ProductMinimum"), QStringLiteral("REAL"), 4},
    };
    return columns;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A movement date is accepted in the forms "YYYY-MM-DD", "YYYY-MM-DD HH:MM" and
// "YYYY-MM-DD HH:MM:SS" (a "T" may stand for the blank) when the day and the time exist; the
// engine's date functions alone would also take julian day numbers, "now" and time zones, and
// would take 2024-02-30 as it stands.
QString validDate(const QString& value) {
    const QString day = QStringLiteral("[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]");
    return QStringLiteral("(typeof(%1)='text' AND (%1 GLOB '%2' OR %1 GLOB '%2[ T][0-9][0-9]:"
                          "[0-9][0-9]' OR %1 GLOB '%2[ T][0-9][0-9]:[0-9][0-9]:[0-9][0-9]') AND "
                          "date(julianday(%1))=substr(%1,1,10) AND datetime(%1) IS NOT NULL)")
        .arg(value, day);
}

// Triggers keep every StoreRecordDate in the one stored form, whatever program writes it: a text
// that is no date is refused, an accepted other form is rewritten right after it is stored.
QStringList storeDateTriggers() {
    const QString refuse =
        QStringLiteral("BEGIN SELECT RAISE(ABORT, 'StoreRecordDate 不是有效的日期：日期应写成 "
                       "YYYY-MM-DD 或 YYYY-MM-DD HH:MM:SS'); END");
    const QString rewrite =
        QStringLiteral("BEGIN UPDATE Store SET StoreRecordDate=datetime(NEW.StoreRecordDate) "
                       "WHERE StoreIndex=NEW.StoreIndex; END");
    const QString invalid = QStringLiteral("WHEN NEW.StoreRecordDate IS NOT NULL AND NOT ") +
                            validDate(QStringLiteral("NEW.StoreRecordDate")) + ' ';
    const QString otherForm =
        QStringLiteral("WHEN NEW.StoreRecordDate IS NOT datetime(NEW.StoreRecordDate) ");
    return {
        "CREATE TRIGGER StoreDateCheckInsert BEFORE INSERT ON Store " + invalid + refuse,
        "CREATE TRIGGER StoreDateCheckUpdate BEFORE UPDATE OF StoreRecordDate ON Store " + invalid +
            refuse,
        "CREATE TRIGGER StoreDateFormInsert AFTER INSERT ON Store " + otherForm + rewrite,
        "CREATE TRIGGER StoreDateFormUpdate AFTER UPDATE OF StoreRecordDate ON Store " + otherForm +
            rewrite,
    };
}

const QString UniqueCodeIndex =
    QStringLiteral("CREATE UNIQUE INDEX ProductSerialIndex ON Product (ProductSerial)");

QString setVersion() {
    return QString("PRAGMA user_version = %1").arg(SchemaVersion);
}

// Version 1 stored whatever date text it was given.
QStringList fromVersion1() {
    QStringList statements{"UPDATE Store SET StoreRecordDate=datetime(StoreRecordDate) WHERE " +
                           validDate(QStringLiteral("StoreRecordDate")) +
                           " AND StoreRecordDate<>datetime(StoreRecordDate)"};
    statements << storeDateTriggers();
    return statements;
}

// Whether a statement yields a row.
bool yieldsRow(EngineConnection& db, const QString& sql) {
    PreparedStatement statement(db, sql);
    return statement.step();
}

bool holdsColumn(EngineConnection& db, const QString& table, const QString& column) {
    PreparedStatement info(db, "PRAGMA main.table_info(" + QuotedName(table) + ')');
    while (info.step())
        if (sameName(info.text(1), column))
            return true;
    return false;
}

// The columns that versions after `version` added and the file does not hold: a column already
// there (added by hand or by another program) is left as it is.
std::vector<LaterColumn> missingColumns(EngineConnection& db, int version) {
    std::vector<LaterColumn> missing;
    for (const LaterColumn& later : laterColumns())
        if (later.version > version && !holdsColumn(db, later.table, later.column))
            missing.push_back(later);
    return missing;
}

// The statements that add the missing columns of versions after `version`.
QStringList addLaterColumns(EngineConnection& db, int version) {
    QStringList statements;
    for (const LaterColumn& later : missingColumns(db, version))
        statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                          .arg(later.table, later.column, later.type);
    return statements;
}

// A file of an older version that this connection cannot upgrade: each table that lacks a later
// column is shown through a temporary view of the connection's own under the table's name, with
// the missing columns empty, so that the statements naming them run. A write through such a
// view is refused as a write to the file is.
void showLaterColumnsEmpty(EngineConnection& db) {
    QMap<QString, QStringList> missing;
    for (const LaterColumn& later : missingColumns(db, db.schemaVersion()))
        missing[later.table] << later.column;
    const QString refusal = CipherFile::failureMessage(
        SQLITE_READONLY, QStringLiteral("attempt to write a readonly database"));
    for (auto it = missing.cbegin(); it != missing.cend(); ++it) {
        const QString table = QuotedName(it.key());
        QString empty;
        for (const QString& column : it.value())
            empty += QStringLiteral(", NULL AS ") + QuotedName(column);
        db.execute(QStringLiteral("DROP VIEW IF EXISTS temp.%1").arg(table));
        db.execute(
            QStringLiteral("CREATE TEMP VIEW %1 AS SELECT *%2 FROM main.%1").arg(table, empty));
        for (const char* action : {"INSERT", "UPDATE", "DELETE"})
            db.execute(QStringLiteral("CREATE TEMP TRIGGER %1 INSTEAD OF %2 ON %3 BEGIN SELECT "
                                      "RAISE(ABORT, %4); END")
                           .arg(QuotedName(it.key() + QLatin1String("ReadOnly") + action),
                                QLatin1String(action), table,
                                '\'' + QString(refusal).replace('\'', QLatin1String("''")) + '\''));
    }
}

// Whether some code is carried by more than one product (products without a code do not count:
// the index lets any number of them be).
bool holdsDuplicateCodes(EngineConnection& db) {
    return yieldsRow(db, QStringLiteral("SELECT 1 FROM Product WHERE ProductSerial IS NOT NULL "
                                        "GROUP BY ProductSerial HAVING count(*)>1 LIMIT 1"));
}

// Version 2 let two products carry one code. The check runs inside the upgrade's transaction,
// so that no code can be stored twice between it and the index.
QStringList fromVersion2(EngineConnection& db) {
    if (holdsDuplicateCodes(db))
        return {};
    return {QStringLiteral("DROP INDEX IF EXISTS ProductSerialIndex"), UniqueCodeIndex};
}

} // namespace

QStringList SchemaStatements() {
    QStringList statements{
        "CREATE TABLE Product (ProductIndex INTEGER PRIMARY KEY AUTOINCREMENT, "
        "ProductSerial TEXT, ProductName TEXT, ProductType TEXT, ProductUnit TEXT, "
        "ProductMinimum REAL)",
        "CREATE TABLE Store (StoreIndex INTEGER PRIMARY KEY AUTOINCREMENT, "
        "StoreProduct INTEGER, StoreKind INTEGER, StoreNumber REAL, StorePrice REAL, "
        "StoreSum REAL, StoreRecordDate TEXT, StoreRemark TEXT)",
        "CREATE TABLE Power (PowerIndex INTEGER PRIMARY KEY AUTOINCREMENT, PowerName TEXT, "
        "PowerKey TEXT)",
        "CREATE TABLE Remarks (RemarksIndex INTEGER PRIMARY KEY AUTOINCREMENT, "
        "RemarksName TEXT, RemarksValue TEXT)",
        // Product look-ups by code, and no code twice; name filters.
        UniqueCodeIndex,
        "CREATE INDEX ProductNameIndex ON Product (ProductName, ProductType)",
        // Movement lists by date range. Not led by the kind: half the movements share each kind,
        // and an index on it would turn the unfiltered lists into slow lookups row by row
        // instead of one pass over the table.
        "CREATE INDEX StoreDateIndex ON Store (StoreRecordDate)",
        // The balance: per product and kind up to a date, answered from the index alone.
        "CREATE INDEX StoreBalanceIndex ON Store (StoreProduct, StoreKind, StoreRecordDate, "
        "StoreNumber)",
        "CREATE INDEX PowerNameIndex ON Power (PowerName)",
        "CREATE INDEX RemarksNameIndex ON Remarks (RemarksName)",
        "INSERT INTO Power (PowerName, PowerKey) VALUES ('管理员', '')",
    };
    statements << storeDateTriggers() << setVersion();
    return statements;
}

void RefuseNewerVersion(EngineConnection& db, const QString& path) {
    const int version = db.schemaVersion();
    if (version > SchemaVersion)
        throw DataError(QStringLiteral("文件 %1 的数据版本是 %2，比本程序所能使用的版本 %3 新，"
                                       "请用新版本的程序打开它。本程序没有改动这个文件。")
                            .arg(path)
                            .arg(version)
                            .arg(SchemaVersion));
}

bool ColumnInVersion(const QString& table, const QString& column, int version) {
    for (const LaterColumn& later : laterColumns())
        if (sameName(later.table, table) && sameName(later.column, column))
            return version >= later.version;
    return true;
}

QString SelectedColumn(const QString& table, const QString& column, int version) {
    return ColumnInVersion(table, column, version) ? column : QStringLiteral("NULL AS ") + column;
}

void UpgradeSchema(EngineConnection& db) {
    if (db.schemaVersion() >= SchemaVersion)
        return;
    if (db.readOnly()) {
        showLaterColumnsEmpty(db);
        return;
    }
    std::optional<Transaction> transaction;
    try {
        transaction.emplace(db, Transaction::Mode::Write);
    } catch (const DataError&) {
        if (db.failedForReadOnly()) {
            showLaterColumnsEmpty(db);
            return;
        }
        throw;
    }
    try {
        // Read again under the write lock: another program may have upgraded the file meanwhile.
        const int version = db.schemaVersion();
        QStringList statements;
        if (version <= 1)
            statements << fromVersion1();
        if (version <= 2)
            statements << fromVersion2(db);
        statements << addLaterColumns(db, version);
        if (version < SchemaVersion)
            statements << setVersion();
        for (const QString& statement : statements)
            db.execute(statement);
        transaction->Commit();
    } catch (const DataError&) {
        const bool readOnly = db.failedForReadOnly();
        transaction->Rollback();
        if (!readOnly)
            throw;
        showLaterColumnsEmpty(db);
    }
}

bool HasUniqueProductCodes(EngineConnection& db) {
    // The names of the unique indexes of Product, then whether one of them is on the code alone.
    QStringList unique;
    PreparedStatement indexes(db, QStringLiteral("PRAGMA index_list(Product)"));
    while (indexes.step())
        if (indexes.integer(2))
            unique << indexes.text(1);
    for (const QString& index : unique) {
        QStringList columns;
        PreparedStatement info(db, "PRAGMA index_info(" + QuotedName(index) + ')');
        while (info.step())
            columns << info.text(2);
        if (columns == QStringList{QStringLiteral("ProductSerial")})
            return true;
    }
    return false;
}

bool IsDateColumn(const QString& table, const QString& column) {
    return table.compare(QStringLiteral("Store"), Qt::CaseInsensitive) == 0 &&
           column.compare(QStringLiteral("StoreRecordDate"), Qt::CaseInsensitive) == 0;
}
