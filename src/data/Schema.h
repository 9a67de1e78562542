#pragma once

#include <QString>
#include <QStringList>

class EngineConnection;

// The statements that prepare a new database: tables, the indexes the lists and the balance
// filter and group on, the checks on stored dates, and the administrator account with an empty
// password.
QStringList SchemaStatements();

// Stored in the file's user_version; raised when the schema changes.
//   1: tables, indexes and the administrator account.
//   2: every StoreRecordDate is kept as "YYYY-MM-DD HH:MM:SS", whoever writes it.
//   3: product codes are unique (a unique index on ProductSerial), unless the file already held
//      a code twice when it was brought to this version: it then keeps working without the
//      index, and `varnholt-db check` lists those codes.
//   4: a product may carry a minimum quantity on hand (ProductMinimum, empty for none), below
//      which the balance marks it.
constexpr int SchemaVersion = 4;

// Whether a database of data version `version` holds the column (names in any letter case):
// every column of the current tables, except those that a later version added.
bool ColumnInVersion(const QString& table, const QString& column, int version);
// The column in a select list over a database of `version`: its name, or NULL under its name
// where that version does not hold it yet.
QString SelectedColumn(const QString& table, const QString& column, int version);

// Refuses a file of a newer version than the program's, which this program would not use
// correctly: throws DataError naming the file and both versions. Reads the version only.
void RefuseNewerVersion(EngineConnection& db, const QString& path);

// Brings a file of an older version up to SchemaVersion in one transaction. A file that cannot
// be written (write-protected, or in a folder where the engine cannot make its journal) is left
// as it is, and this connection reads its tables with the columns a later version added as
// empty columns (temporary views of the connection's own), so that the program's statements run
// on it; any other failure is raised.
void UpgradeSchema(EngineConnection& db);

// Whether the file keeps its product codes unique.
bool HasUniqueProductCodes(EngineConnection& db);

// Whether a table column holds dates in the stored form "YYYY-MM-DD HH:MM:SS" (kept so by the
// triggers on the table); names in any letter case.
bool IsDateColumn(const QString& table, const QString& column);
