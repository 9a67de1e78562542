#pragma once

#include <QStringList>

// The statements that prepare a new database: tables, the indexes the lists and the balance
// filter and group on, and the administrator account with an empty password.
QStringList SchemaStatements();

// Stored in the file's user_version; raised when the schema changes.
constexpr int SchemaVersion = 1;
