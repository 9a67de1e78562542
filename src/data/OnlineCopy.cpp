#include "data/OnlineCopy.h"

#include "data/CipherFile.h"
#include "data/DataError.h"

#include <sqlcipher/sqlite3.h>

OnlineCopy::OnlineCopy(sqlite3* target, sqlite3* source) : m_target(target) {
    m_backup = sqlite3_backup_init(target, "main", source, "main");
    if (!m_backup)
        throw DataError(CipherFile::engineMessage(target));
}

OnlineCopy::~OnlineCopy() {
    sqlite3_backup_finish(m_backup);
}

void OnlineCopy::LockTarget() {
    step(0);
}

void OnlineCopy::CopyAll(int pagesPerStep, const CopyProgress& progress) {
    for (;;) {
        const bool done = step(pagesPerStep);
        const int total = sqlite3_backup_pagecount(m_backup);
        if (progress)
            progress(total - sqlite3_backup_remaining(m_backup), total);
        if (done)
            return;
    }
}

bool OnlineCopy::step(int pages) {
    const int rc = sqlite3_backup_step(m_backup, pages);
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        fail(rc);
    return rc == SQLITE_DONE;
}

// The engine leaves the reason of a failed step on the target connection once the copy is
// finished; finishing also takes back whatever the copy had written.
void OnlineCopy::fail(int rc) {
    sqlite3_backup_finish(m_backup);
    m_backup = nullptr;
    // The target tells the reason when the failure was its own; a lock that another connection
    // holds on the source leaves it with none.
    const int code = sqlite3_extended_errcode(m_target);
    const QString text = QString::fromUtf8((code & 0xff) == (rc & 0xff) ? sqlite3_errmsg(m_target)
                                                                        : sqlite3_errstr(rc));
    throw DataError(CipherFile::failureMessage(rc, text));
}
