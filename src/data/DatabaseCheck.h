#pragma once

#include <QString>
#include <map>
#include <vector>

class EngineConnection;

// A product code that several products carry, with their keys (ProductIndex) in order: what a
// file from before codes were kept unique may hold.
struct DuplicateCode {
    QString code;
    std::vector<qint64> productKeys;
};

// What a database file holds: its schema version and the rows of each of its tables.
struct DatabaseSummary {
    int schemaVersion = 0;
    std::map<QString, qint64> rows; // by table name, the engine's own tables included
    // Filled by CheckDatabaseFile: whether the file keeps product codes unique, and the codes
    // that it holds more than once.
    bool uniqueCodes = true;
    std::vector<DuplicateCode> duplicateCodes;

    qint64 movements() const { return rowsOf(QStringLiteral("Store")); }
    qint64 products() const { return rowsOf(QStringLiteral("Product")); }
    qint64 rowsOf(const QString& table) const;
};

// "N 条出入库记录，M 种商品": what a backup holds, in the words of the messages.
QString CountsText(const DatabaseSummary& summary);

// The program's tables and their columns in their order, as a new database of this version has
// them; the first column of each is its key.
const std::map<QString, QStringList>& ProgramTables();

// Reads the summary of an open file (the version and a count of every table).
DatabaseSummary ReadSummary(EngineConnection& db);
// The product codes that more than one product carries, ordered by code.
std::vector<DuplicateCode> DuplicateCodes(EngineConnection& db);

// How closely the engine checks the file. Both read and decrypt every page, which finds damaged
// or foreign bytes anywhere, and check the structure of every table and index; only the full
// check also compares each index with its table. That costs a multiple of the time on a large
// file, and a copy that the engine made page by page can hold no mismatch that its source does
// not hold.
enum class IntegrityCheck {
    Quick, // PRAGMA quick_check
    Full,  // PRAGMA integrity_check
};

// Checks that a file is a whole database of this program that this program can use: it opens
// with the password, is of a schema version no newer than the program's, passes the engine's
// integrity check and holds the program's tables with their columns. Returns its summary, or
// throws DataError that says what is wrong with it. Nothing in the file is changed.
DatabaseSummary CheckDatabaseFile(const QString& path, const QString& password,
                                  IntegrityCheck integrity = IntegrityCheck::Full);
