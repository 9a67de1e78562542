#pragma once

#include <QStringList>

class ServerEngine;

// The program's tables on a database server: the same tables, keys, indexes and administrator
// account as a new file (see Schema.h), in the server's terms: names in lower case, floating
// columns as double precision, keys drawn from identity sequences, and movement dates as
// timestamps to the second, which the server itself keeps to existing days and times.
QStringList ServerSchemaStatements();

// The rule of a movement date (the constraint storerecorddate_valid): in the years a person
// writes, with no "infinity" and nothing before the common era.
extern const QString ServerDateRule;

// Whether the server database holds tables of the program's schema (or its version table).
bool HoldsServerSchema(ServerEngine& db);
// Creates the tables (ServerSchemaStatements) and records the schema version, inside the
// caller's Write transaction.
void CreateServerSchema(ServerEngine& db);

// Prepares an empty server database with ServerSchemaStatements and the schema version, in one
// transaction. Refuses a database that already holds tables of its own schema.
void PrepareServerDatabase(ServerEngine& db);

// Brings a server database of an older data version up to SchemaVersion: UpgradeServerSchema in
// one transaction of its own under the write lock, once however many copies of the program open
// it at the same moment; nothing for a database without the program's data or of this version
// or a newer one. Refuses a server that only allows reading. ...InTransaction runs inside the
// caller's Write transaction.
void UpgradeServerSchema(ServerEngine& db);
void UpgradeServerSchemaInTransaction(ServerEngine& db);
