#pragma once

#include <QDateTime>
#include <QString>

// A fresh file name with the given prefix in `directory`; no file of that name exists on return.
QString MakeUniqueFileName(const QString& directory, const QString& prefix);

// Flushes a file or a directory entry to the disk.
bool SyncPath(const QString& path);

// Creates a new, empty file named `prefix`, six random characters and `suffix` in `directory`
// and returns its path; empty when no file can be made there. The file stays.
QString CreateUniqueFile(const QString& directory, const QString& prefix, const QString& suffix);

// The permission bits of a file (rwx for owner, group and others); 0600 when it cannot be read.
unsigned FilePermissions(const QString& path);

// Opens a new file for writing, refused when anything of that name exists (a symbolic link
// included), with exactly the permission bits `mode` whatever the umask, from the moment it
// exists. Returns the descriptor, or -1 with errno set.
int OpenNewFile(const QString& path, unsigned mode);
// The same for an empty file that is closed at once; false when it cannot be made.
bool CreateNewFile(const QString& path, unsigned mode);

// Sets a file's modification time; false when it cannot.
bool SetModificationTime(const QString& path, const QDateTime& time);
