#include "data/BackupFiles.h"

#include "data/DataError.h"
#include "platform/TempFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace BackupFiles {

namespace {
const QString StampFormat = QStringLiteral("yyyyMMdd-HHmmss");

const QRegularExpression& backupPattern() {
    static const QRegularExpression pattern(QStringLiteral("^Varnholt-([0-9]{8}-[0-9]{6})\\.mdb$"));
    return pattern;
}

QDateTime stampOf(const QString& name) {
    const QRegularExpressionMatch match = backupPattern().match(name);
    return match.hasMatch() ? QDateTime::fromString(match.captured(1), StampFormat) : QDateTime();
}
} // namespace

QString BackupName(const QDateTime& time) {
    return QStringLiteral("Varnholt-") + time.toString(StampFormat) + QStringLiteral(".mdb");
}

bool IsBackupName(const QString& name) {
    return stampOf(name).isValid();
}

QDate BackupDay(const QString& name) {
    return stampOf(name).date();
}

QDateTime BackupTime(const QString& path) {
    const QFileInfo info(path);
    const QDateTime stamp = stampOf(info.fileName());
    return stamp.isValid() ? stamp : info.lastModified();
}

QString SafetyCopyPath(const QString& databasePath, const QDateTime& time) {
    return databasePath + QStringLiteral(".before-restore-") + time.toString(StampFormat);
}

QString PartName(const QString& path) {
    return path + QStringLiteral(".part");
}

void Publish(const QString& part, const QString& path) {
    QFile file(part);
    if (!file.rename(path))
        throw DataError(
            QStringLiteral("无法把 %1 改名为 %2：%3").arg(part, path, file.errorString()));
    SyncPath(QFileInfo(path).absolutePath());
}

void Discard(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

} // namespace BackupFiles
