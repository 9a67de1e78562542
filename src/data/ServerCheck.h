#pragma once

#include "data/DatabaseCheck.h"

class ServerEngine;

// What the page check of a file is to a server database: the server keeps its own pages whole
// and offers no check of them from a client, so this says so in the user's words.
extern const QString ServerPagesNote;

// Checks a server database as far as a client can: it is of a data version no newer than the
// program's, holds the program's tables with their columns, keeps the movement dates in the
// stored form (whole seconds, the date rule in force on every row) and product codes unique.
// Returns its summary (the rows of the program's tables under the program's names, the codes
// several products carry), or throws DataError that says what is wrong. Nothing is changed.
DatabaseSummary CheckServerDatabase(ServerEngine& db);
