#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <string>
#include <utility>
#include <vector>

// A statement as the program writes it, made ready for the database server: "?" parameters
// become "$1", "$2", … in order, and a quoted name is folded to lower case (ServerName), as the
// server keeps the program's unquoted names. Literals, comments and dollar-quoted bodies stay as
// written.
//
// With literalsAsParameters, a string literal in a statement that stores rows (INSERT, UPDATE)
// becomes a parameter of its own, holding the literal's text: the server then types it from
// where it stands, as it types a "?", and the statement can check what it would store. A typed
// literal (TIMESTAMP '…') and a prefixed one (E'…') stay as written.
struct ServerSqlText {
    QByteArray text;                                   // UTF-8, for the server
    int parameters = 0;                                // the number of parameters, "$1" to "$n"
    std::vector<int> marks;                            // the number of each "?" parameter, in order
    std::vector<std::pair<int, std::string>> literals; // literals made parameters: number, text
    // The spelling of every name in the statement, by its lower-case form: the server answers
    // with result names in lower case, and the program reads them as it wrote them.
    QHash<QString, QString> spellings;

    static ServerSqlText from(const QString& sql, bool literalsAsParameters = false);

    // The most parameters whose types the client library can read back from the server (it
    // takes a description longer than 30,000 bytes, 4 a parameter, for a broken connection).
    // Literals are not made parameters beyond it, and no dates are checked.
    static constexpr int DescribableParameters = 7000;
};
