#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// The one reading of SQL text that every part of the program shares: the dialect's translation,
// the text sent to the database server and the splitting of a script into statements all see
// the same literals, quoted names, comments and parameters.

enum class SqlTokenKind {
    Space,      // blanks and comments, in one token
    Word,       // a name or a key word; Chinese names stay whole
    Number,     // digits, with fraction and exponent; name characters glued to it stay in it
    Text,       // 'a literal', '' inside it standing for one quote
    QuotedName, // "a name" or `a name`
    Bracketed,  // [a name]
    Date,       // #2024-01-31#
    DollarBody, // $tag$ … $tag$, a body as the server writes one
    Symbol      // an operator or punctuation; two-character operators stay together
};

struct SqlToken {
    SqlTokenKind kind;
    qsizetype begin;
    qsizetype length;
};

// The tokens of a statement, whose texts put back together give the statement again. Throws
// DataError for a literal, quoted name, date or body that does not end.
std::vector<SqlToken> SqlTokens(const QString& sql);

// Letters, '_' and every character beyond ASCII start a name, as the engines read them.
bool IsSqlNameStart(QChar c);
bool IsSqlNameChar(QChar c);

// Appends the text of a Space token with each comment replaced by one blank, so that nothing
// written after it can fall into the comment.
void AppendSqlBlanks(QString& out, QStringView space);

// A position in a statement as its messages name it: the first character is 1.
inline QString SqlCharacterNumber(qsizetype position) {
    return QString::number(position + 1);
}
