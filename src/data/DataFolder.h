#pragma once

#include "data/ProgramFolders.h"

// Readies the data folder before the database is opened. The user's own folder is made when it
// is missing (readable by the user alone, 0700), and a folder without a database gets a new,
// empty one (0600), made by the same code as the tool's "init": so the first start of an
// installed program finds its database as the build prepares one. A VARNHOLT_DATA folder must
// exist already (a mistyped name makes no new folder); the program directory is left as it is,
// since its database comes with the build. Throws DataError naming the folder when it fails.
//
// Two copies of the program that start at the same moment make one database: the new file is
// prepared under a name of its own and appears under its real name complete, or not at all when
// the other copy's came first.
void PrepareDataFolder(const ProgramFolders& folders, const QString& password);
