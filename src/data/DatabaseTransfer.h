#pragma once

#include "data/DatabaseCheck.h"
#include "data/DatabaseCopy.h"

#include <QString>

class EngineConnection;
class ServerEngine;

// A new file written with a copy of a database: what the file holds by its own check, and the
// tally of the copy.
struct NewFileCopy {
    DatabaseSummary summary;
    DatabaseTally tally;
};

// Writes `path`, a new encrypted file (refused when it exists), with a copy of the open database
// `source` (see DatabaseCopy): under a temporary name, the schema and the rows in one
// transaction, then checked like a backup (it opens, passes the engine's quick check and holds
// the rows copied), and only then given its name; readable by its owner only. A failure leaves
// nothing behind.
NewFileCopy CopyIntoNewFile(EngineConnection& source, const QString& path, const QString& password,
                            const CopyProgress& progress = {});

// Copies the open database `source` into the server database `target` in one transaction. The
// target holds no data (see HoldsNoData): a database prepared by `init`, or an empty one, whose
// tables are then made in the same transaction. A failure leaves it as it was.
DatabaseTally CopyIntoServer(EngineConnection& source, ServerEngine& target,
                             const CopyProgress& progress = {});

// Copies the database `source` (a file's path or a server's connection string) to `target`: a
// new encrypted file or a server database as above.
DatabaseTally CopyDatabase(const QString& source, const QString& target, const QString& password,
                           const CopyProgress& progress = {});
