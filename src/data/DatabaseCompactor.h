#pragma once

#include <QString>

// Compacts a database file in place without ever risking it: a compacted copy is written beside
// the file, flushed, and renamed over it, so a crash at any moment leaves one whole file. The
// copy keeps the file's salt and user_version. Refused while any process has the file open.
class DatabaseCompactor {
public:
    DatabaseCompactor(QString path, QString password);
    // True when the compacted copy replaced the file; false leaves the file as it was.
    bool run();

private:
    void compactInto(const QString& copyPath);

    QString m_path;
    QString m_password;
};
