#pragma once

#include <QDateTime>
#include <QString>

// Names and handling of the files that backups and restores write.
namespace BackupFiles {

// "Varnholt-YYYYMMDD-HHMMSS.mdb": a backup taken at `time`.
QString BackupName(const QDateTime& time);
// Whether `name` is a backup's file name of that form.
bool IsBackupName(const QString& name);
// The day of a backup's file name; null for any other name.
QDate BackupDay(const QString& name);
// When the backup was taken: the time in its name, else the file's last change.
QDateTime BackupTime(const QString& path);

// "<database>.before-restore-YYYYMMDD-HHMMSS": the copy a restore keeps of the data it replaces.
QString SafetyCopyPath(const QString& databasePath, const QDateTime& time);

// The name under which a file is written until it is checked and published.
QString PartName(const QString& path);
// Gives the written file `part` its final name: refused when a file of that name exists. The
// name and the data are on the disk when it returns.
void Publish(const QString& part, const QString& path);
// Removes a database file that was not finished, with the engine's journal beside it.
void Discard(const QString& path);

} // namespace BackupFiles
