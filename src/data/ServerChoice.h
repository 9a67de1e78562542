#pragma once

#include <QProcessEnvironment>
#include <QString>

class Connection;
struct ProgramFolders;

// The database server the program uses instead of its file: the connection string in the
// environment variable VARNHOLT_SERVER, else the first line of the server file (see
// FindServerFile, which also looks in `systemFolder`). Empty when neither names one: the
// program then uses its file.
QString ChosenServer(const ProgramFolders& folders, const QProcessEnvironment& env,
                     const QString& systemFolder);

// The database the program uses: the chosen server's connection string, else `path` (the file),
// as Connection::Open and the jobs that open connections of their own take it.
QString ChosenDatabase(const ProgramFolders& folders, const QString& path);

// Opens the chosen server when there is one (see ChosenServer), else `path`: a file, or a server
// when it is a connection string itself.
void OpenChosenDatabase(Connection& connection, const ProgramFolders& folders, const QString& path,
                        const QString& password);

// Whether a text names a database server (a libpq URI or "key=value" connection string) rather
// than a file.
bool IsServerAddress(const QString& text);
