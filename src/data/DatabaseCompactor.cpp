#include "DatabaseCompactor.h"

#include "CipherFile.h"
#include "DataError.h"
#include "FileLock.h"
#include "TempFiles.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <sqlcipher/sqlite3.h>

DatabaseCompactor::DatabaseCompactor(QString path, QString password)
    : m_path(std::move(path)), m_password(std::move(password)) {}

bool DatabaseCompactor::run() {
    if (!QFileInfo(m_path).isFile())
        return false;
    // Every process that has the file open holds a shared lock; the exclusive lock also keeps
    // new connections waiting until the new file is in place.
    FileLock lock(FileLock::lockPathFor(m_path));
    if (!lock.tryLockExclusive())
        return false;

    const QString directory = QFileInfo(m_path).absolutePath();
    const QString copyPath = MakeUniqueFileName(directory, QStringLiteral("~SM"));
    if (copyPath.isEmpty())
        return false;
    try {
        compactInto(copyPath);
        if (std::rename(QFile::encodeName(copyPath).constData(),
                        QFile::encodeName(m_path).constData()) != 0)
            throw DataError(QStringLiteral("rename failed"));
        SyncPath(directory);
        return true;
    } catch (const DataError&) {
        QFile::remove(copyPath);
        QFile::remove(copyPath + "-journal");
        return false;
    }
}

void DatabaseCompactor::compactInto(const QString& copyPath) {
    // Check the key on the file itself first; this also rolls back a journal left by a crash,
    // so the byte copy below is a consistent database.
    sqlite3* source = CipherFile::open(m_path, m_password, SQLITE_OPEN_READWRITE);
    int version = 0;
    try {
        CipherFile::verifyKey(source, m_path);
        version = CipherFile::userVersion(source);
    } catch (...) {
        CipherFile::close(source);
        throw;
    }
    CipherFile::close(source);

    if (!CopyFileDurably(m_path, copyPath))
        throw DataError(QStringLiteral("copy failed"));
    sqlite3* copy = CipherFile::open(copyPath, m_password, SQLITE_OPEN_READWRITE);
    try {
        CipherFile::verifyKey(copy, copyPath);
        CipherFile::execute(copy, QStringLiteral("VACUUM"));
        if (CipherFile::userVersion(copy) != version)
            throw DataError(QStringLiteral("user_version changed"));
    } catch (...) {
        CipherFile::close(copy);
        throw;
    }
    CipherFile::close(copy);
    if (!SyncPath(copyPath))
        throw DataError(QStringLiteral("sync failed"));
}
