#include "data/ServerCheck.h"

#include "data/DataError.h"
#include "data/PreparedStatement.h"
#include "data/Schema.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "data/Transaction.h"

#include <QSet>

const QString ServerPagesNote =
    QStringLiteral("数据页由数据库服务器自己维护，本程序不能逐页检查；已检查数据版本、数据表、"
                   "日期规则和商品编号。");

namespace {

// A server database that is no database of this program, or not as this version makes it.
[[noreturn]] void refuse(ServerEngine& db, const QString& what) {
    throw DataError(QStringLiteral("%1 %2，不是本程序准备的数据库（请用 varnholt-db init "
                                   "准备空的数据库）。")
                        .arg(db.description(), what));
}

// The data version, when this program can use it.
int checkedVersion(ServerEngine& db) {
    const int version = db.schemaVersion();
    if (version == 0)
        refuse(db, QStringLiteral("中没有数据版本"));
    if (version > SchemaVersion)
        throw DataError(QStringLiteral("%1 的数据版本是 %2，比本程序所能使用的版本 %3 新，"
                                       "请用新版本的程序。")
                            .arg(db.description())
                            .arg(version)
                            .arg(SchemaVersion));
    return version;
}

// One text a row of a one-column query.
QSet<QString> textsOf(ServerEngine& db, const QString& sql, const QString& parameter) {
    QSet<QString> texts;
    PreparedStatement statement(db, sql);
    statement.bind(1, parameter);
    while (statement.step())
        texts.insert(statement.text(0));
    return texts;
}

// The program's tables with the columns of the database's data version; the rows of each under
// the program's names.
void checkTables(ServerEngine& db, DatabaseSummary& summary) {
    for (const auto& [table, columns] : ProgramTables()) {
        const QString name = table.toLower();
        const QSet<QString> found =
            textsOf(db,
                    QStringLiteral("SELECT a.attname FROM pg_attribute a JOIN pg_class c ON "
                                   "c.oid = a.attrelid WHERE c.relnamespace = "
                                   "current_schema()::regnamespace AND c.relname = ? AND "
                                   "c.relkind IN ('r', 'p') AND a.attnum > 0 AND NOT "
                                   "a.attisdropped"),
                    name);
        if (found.isEmpty())
            refuse(db, QStringLiteral("中没有数据表 %1").arg(name));
        for (const QString& column : columns)
            if (ColumnInVersion(table, column, summary.schemaVersion) &&
                !found.contains(column.toLower()))
                refuse(db, QStringLiteral("的数据表 %1 中没有列 %2").arg(name, column.toLower()));
        PreparedStatement count(db, "SELECT count(*) FROM " + name);
        count.step();
        summary.rows[table] = count.integer(0);
    }
}

// A movement date is a day and a time in whole seconds, in the years a person writes: the
// column's type and its rule say so for every row, the rule only when it was checked against
// the rows already there (a rule added NOT VALID leaves them unchecked).
void checkDates(ServerEngine& db) {
    PreparedStatement type(db, QStringLiteral("SELECT format_type(atttypid, atttypmod) FROM "
                                              "pg_attribute WHERE attrelid = 'store'::regclass "
                                              "AND attname = 'storerecorddate'"));
    type.step();
    if (type.text(0) != QStringLiteral("timestamp(0) without time zone"))
        refuse(db, QStringLiteral("的列 store.storerecorddate 的类型是 %1，应当是 timestamp(0)")
                       .arg(type.text(0)));
    PreparedStatement rule(db, QStringLiteral("SELECT convalidated FROM pg_constraint WHERE "
                                              "conrelid = 'store'::regclass AND conname = "
                                              "'storerecorddate_valid'"));
    if (!rule.step())
        refuse(db, QStringLiteral("的数据表 store 没有日期规则 storerecorddate_valid"));
    if (!rule.integer(0)) {
        PreparedStatement outside(
            db, QStringLiteral("SELECT count(*) FROM store WHERE NOT (%1)").arg(ServerDateRule));
        outside.step();
        if (outside.integer(0) > 0)
            throw DataError(QStringLiteral("%1 中有 %2 条出入库记录的日期不是有效的日期。")
                                .arg(db.description())
                                .arg(outside.integer(0)));
    }
}

// Whether a unique index holds the product code alone.
bool hasUniqueCodes(ServerEngine& db) {
    PreparedStatement index(
        db, QStringLiteral("SELECT count(*) FROM pg_index i JOIN pg_attribute a ON a.attrelid "
                           "= i.indrelid AND a.attnum = i.indkey[0] WHERE i.indrelid = "
                           "'product'::regclass AND i.indisunique AND i.indnkeyatts = 1 AND "
                           "i.indpred IS NULL AND a.attname = 'productserial'"));
    index.step();
    return index.integer(0) > 0;
}

} // namespace

DatabaseSummary CheckServerDatabase(ServerEngine& db) {
    // One snapshot: the counts agree with each other while other counters write.
    const Transaction snapshot(db, Transaction::Mode::ReadSnapshot);
    DatabaseSummary summary;
    summary.schemaVersion = checkedVersion(db);
    checkTables(db, summary);
    checkDates(db);
    summary.uniqueCodes = hasUniqueCodes(db);
    summary.duplicateCodes = DuplicateCodes(db);
    return summary;
}
