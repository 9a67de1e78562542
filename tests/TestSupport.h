#pragma once

#include "ShareDMUnit.h"

#include <QTemporaryDir>
#include <memory>

// A program directory of its own in a temporary folder, with a freshly prepared database.
class TestProgramDir {
public:
    explicit TestProgramDir(bool prepareDatabase = true);
    QString path() const; // ends with "/"
    QString databasePath() const { return path() + DatabaseFileName; }

private:
    QTemporaryDir m_dir;
};

// The data module connected to a fresh database in its own program directory.
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();
    TShareDM& dm() { return *m_dm; }
    const TestProgramDir& dir() const { return m_dir; }
    // Runs a statement that changes rows; returns the count.
    int exec(const QString& sql);
    // The first column of the first row of a select, as text.
    QString scalar(const QString& sql);

private:
    TestProgramDir m_dir;
    std::unique_ptr<TShareDM> m_dm;
};

// A connection of its own to an existing file, as another program on the same file has it.
class AttachedDatabase {
public:
    explicit AttachedDatabase(const QString& path);
    Connection& connection() { return m_connection; }
    Query& query() { return m_query; } // a scratch query on this connection
    int exec(const QString& sql);
    QString scalar(const QString& sql);

private:
    Connection m_connection;
    Query m_query;
};
