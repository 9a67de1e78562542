#include "DatabaseCompactor.h"

#include "CipherFile.h"
#include "DataError.h"

#include <QFileInfo>
#include <sqlcipher/sqlite3.h>

DatabaseCompactor::DatabaseCompactor(QString path, QString password)
    : m_path(std::move(path)), m_password(std::move(password)) {}

bool DatabaseCompactor::run() {
    if (!QFileInfo(m_path).isFile())
        return false;
    sqlite3* db = nullptr;
    try {
        db = CipherFile::open(m_path, m_password, SQLITE_OPEN_READWRITE, BusyWaitMs);
        CipherFile::verifyKey(db, m_path);
        if (CipherFile::readOnly(db)) {
            CipherFile::close(db);
            return false;
        }
        CipherFile::execute(db, QStringLiteral("VACUUM"));
    } catch (const DataError&) {
        CipherFile::close(db);
        return false;
    }
    CipherFile::close(db);
    return true;
}
