#pragma once

#include <QString>
#include <functional>

struct sqlite3;
struct sqlite3_backup;

// Told how far a copy has come: pages copied so far and the pages of the whole file.
using CopyProgress = std::function<void(int copied, int total)>;

// Copies the whole content of one open database into another through the engine's online
// backup, page by page. Both are keyed with the program's password and page size; the target
// keeps its own key material, so other connections to it go on reading it. The target is
// written in one transaction of the engine: until the last page is copied it is unchanged, and
// an unfinished or failed copy leaves it as it was.
class OnlineCopy {
public:
    OnlineCopy(sqlite3* target, sqlite3* source);
    ~OnlineCopy();
    OnlineCopy(const OnlineCopy&) = delete;
    OnlineCopy& operator=(const OnlineCopy&) = delete;

    // Takes the target's exclusive lock without copying anything: from here on no other
    // connection reads or writes the target until the copy ends.
    void LockTarget();
    // Copies every page, `pagesPerStep` at a time, and commits the target.
    void CopyAll(int pagesPerStep, const CopyProgress& progress);

private:
    bool step(int pages); // true when the last page is copied
    [[noreturn]] void fail(int rc);

    sqlite3* m_target;
    sqlite3_backup* m_backup = nullptr;
};
