#pragma once

#include "data/OnlineCopy.h"

#include <QByteArray>
#include <QString>
#include <vector>

class EngineConnection;

// The rows of one of the program's tables and a checksum of them.
struct TableTally {
    QString table;
    qint64 rows = 0;
    QByteArray checksum;
    bool operator==(const TableTally&) const = default;
};

// Every program table of a database, in the order of ProgramTables().
using DatabaseTally = std::vector<TableTally>;

// Reads one program table of `db` in the order of its key and sums it up. The checksum covers
// each cell as the program reads it (see CellValue): its kind and its value, a text's bytes, a
// date to the second, a number's exact double. So two engines that keep the same data in forms
// of their own (a date as text or as a timestamp) give the same checksum, and any change of a
// value, of a row's key or of the order of the rows gives another.
TableTally TallyTable(EngineConnection& db, const QString& table);
// TallyTable of every program table.
DatabaseTally TallyTables(EngineConnection& db);

// What a copy does with rows the target already holds.
enum class TargetRows {
    // A target that holds data is refused. A new database's administrator account (without a
    // password) is no data: it is replaced by the source's accounts.
    MustBeEmpty,
    // The rows are replaced (a restore).
    Replace,
};

// Copies every program table from one open database to another, whichever engines they are:
// the rows read in key order and written in batches by statements prepared once, with the keys
// as they are. Afterwards each key's sequence on the target continues after the last key the
// source handed out, so that no key is given twice (a key of a deleted product may still be named
// by old movements). Then each table is read back on the target and compared with the source:
// rows and checksum (TallyTable). A mismatch is a failure that names the table.
//
// The caller holds a Write transaction on the target and commits it only when the copy returns:
// a failure leaves the target as it was. The source is read in one snapshot: the caller's
// transaction on it when it holds one, else one of the copy's own.
class DatabaseCopy {
public:
    DatabaseCopy(EngineConnection& source, EngineConnection& target);

    // Told the rows copied so far and the rows of all tables.
    void setProgress(CopyProgress progress) { m_progress = std::move(progress); }

    // Copies, checks and returns the tally of what was copied (equal on both sides). Throws
    // DataError with the reason.
    DatabaseTally CopyAll(TargetRows rows);

    // Rows written by one statement: many at a time save most of the round trips to a server
    // (fewer for a table with many columns, within the engines' limit of parameters).
    static constexpr int DefaultRowsPerBatch = 256;
    void setRowsPerBatch(int rows) { m_rowsPerBatch = qMax(1, rows); }

private:
    void refuseData();
    void clearTarget();
    TableTally copyTable(const QString& table, const QStringList& columns);
    void continueKeys(const QString& table, const QString& key);
    void report();

    EngineConnection& m_source;
    EngineConnection& m_target;
    CopyProgress m_progress;
    qint64 m_copied = 0;
    qint64 m_total = 0;
    int m_rowsPerBatch = DefaultRowsPerBatch;
};

// Whether a database holds nothing but what a new one holds: no rows in the program's tables but
// the administrator account without a password. Names the first table with data in `table`.
bool HoldsNoData(EngineConnection& db, QString* table = nullptr);
