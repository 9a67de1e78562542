#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// A statement as the program writes it, made ready for the database server: "?" parameters
// become "$1", "$2", … in order, and a quoted name is folded to lower case (ServerName), as the
// server keeps the program's unquoted names. Literals, comments and dollar-quoted bodies stay as
// written.
struct ServerSqlText {
    QByteArray text;    // UTF-8, for the server
    int parameters = 0; // the number of "?" parameters
    // The spelling of every name in the statement, by its lower-case form: the server answers
    // with result names in lower case, and the program reads them as it wrote them.
    QHash<QString, QString> spellings;

    static ServerSqlText from(const QString& sql);
};
