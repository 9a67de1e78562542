#pragma once

#include <QStringList>

struct sqlite3;

// The statements that prepare a new database: tables, the indexes the lists and the balance
// filter and group on, the checks on stored dates, and the administrator account with an empty
// password.
QStringList SchemaStatements();

// Stored in the file's user_version; raised when the schema changes.
//   1: tables, indexes and the administrator account.
//   2: every StoreRecordDate is kept as "YYYY-MM-DD HH:MM:SS", whoever writes it.
constexpr int SchemaVersion = 2;

// Brings a file of an older version up to SchemaVersion in one transaction. A file that cannot
// be written (write-protected, or in a folder where the engine cannot make its journal) is left
// as it is; any other failure is raised.
void UpgradeSchema(sqlite3* db);

// Whether a table column holds dates in the stored form "YYYY-MM-DD HH:MM:SS" (kept so by the
// triggers on the table); names in any letter case.
bool IsDateColumn(const QString& table, const QString& column);
