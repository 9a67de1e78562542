#include "data/DatabaseCompactor.h"

#include "data/CipherEngine.h"
#include "data/CipherFile.h"
#include "data/DataError.h"
#include "data/Schema.h"

#include <QFileInfo>
#include <sqlcipher/sqlite3.h>

DatabaseCompactor::DatabaseCompactor(QString path, QString password)
    : m_path(std::move(path)), m_password(std::move(password)) {}

bool DatabaseCompactor::run() {
    m_refusal.clear();
    if (!QFileInfo(m_path).isFile()) {
        m_refusal = QStringLiteral("找不到数据库文件 %1。").arg(m_path);
        return false;
    }
    sqlite3* db = nullptr;
    try {
        db = CipherFile::open(m_path, m_password, SQLITE_OPEN_READWRITE, BusyWaitMs);
        CipherFile::verifyKey(db, m_path);
        CipherEngine engine(db);
        RefuseNewerVersion(engine, m_path);
        if (CipherFile::readOnly(db))
            throw DataError(QStringLiteral("数据库文件 %1 不能写入。").arg(m_path));
        CipherFile::execute(db, QStringLiteral("VACUUM"));
    } catch (const DataError& error) {
        CipherFile::close(db);
        m_refusal = error.message();
        return false;
    }
    CipherFile::close(db);
    return true;
}
