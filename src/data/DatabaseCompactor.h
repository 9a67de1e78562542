#pragma once

#include <QString>

// Compacts a database file in place through the engine: VACUUM on a connection keyed like the
// program's. The engine rewrites the file under its own exclusive lock and through its rollback
// journal, so a crash at any moment leaves the old or the new content whole (the next opening
// rolls an interrupted compaction back), every other connection to the file keeps working, and
// the file keeps its inode, owner, mode and links.
class DatabaseCompactor {
public:
    DatabaseCompactor(QString path, QString password);
    // True when the file was compacted. False, with the file as it was, when it is missing,
    // cannot be opened with the password or written, is of a newer version than the program's,
    // or another connection is using it and does not let go within a moment.
    bool run();
    // Why the last run() left the file as it was.
    QString refusal() const { return m_refusal; }

    // How long the compaction waits for other connections to finish what they are doing.
    static constexpr int BusyWaitMs = 500;

private:
    QString m_path;
    QString m_password;
    QString m_refusal;
};
