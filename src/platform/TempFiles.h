#pragma once

#include <QString>

// A fresh file name with the given prefix in `directory`; no file of that name exists on return.
QString MakeUniqueFileName(const QString& directory, const QString& prefix);

// Writes every byte of `source` to a new file `target` and flushes it to the disk.
bool CopyFileDurably(const QString& source, const QString& target);

// Flushes a file or a directory entry to the disk.
bool SyncPath(const QString& path);

// Creates a new, empty file named `prefix`, six random characters and `suffix` in `directory`
// and returns its path; empty when no file can be made there. The file stays.
QString CreateUniqueFile(const QString& directory, const QString& prefix, const QString& suffix);
