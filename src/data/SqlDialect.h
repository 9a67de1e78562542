#pragma once

#include <QString>
#include <QStringView>

// Turns a statement written in the desktop database dialect that the program composes into
// SQLite with the same meaning:
//   #YYYY-MM-DD#, #YYYY-MM-DD HH:MM#, #YYYY-MM-DD HH:MM:SS#  ->  'YYYY-MM-DD HH:MM:SS'
//     (one-digit month, day and hour allowed; '/' may separate the date parts);
//   IsNull(x)    ->  (x IS NULL);
//   Round(x, n), Round(x) -> money rounding to n (or 0) places, halves away from zero, on the
//     number's shortest decimal form (MoneyRound.h);
//   iif(c, a, b) ->  (CASE WHEN c THEN a ELSE b END), nested, any letter case;
//   a select-list alias used later in the same select list -> (its translated expression);
//   a comment ("--" to the end of the line, "/* … */") -> one blank, as the engine reads it.
// Everything else, and everything inside string literals, quoted and bracketed names, is kept
// as written, spacing included. Throws DataError on a statement it cannot read: unbalanced
// parentheses, an unterminated literal, a date that does not exist, a call with the wrong
// number of arguments.
//
// `target` names the engine that runs the statement: the encrypted file or a database server.
// For the server, moreover: date literals are TIMESTAMP literals; quoted and bracketed names
// are folded to lower case, as the server's tables and columns were created unquoted, and
// written unquoted when they are plain words; "==" is "="; Round works in decimal arithmetic.
enum class SqlTarget { File, Server };
QString TranslateSql(const QString& sql, SqlTarget target = SqlTarget::File);

// A quoted ("Store") or bracketed ([Store]) name as the database server knows the program's
// tables and columns, which were created unquoted and so folded to lower case: store. A name
// that is no plain word (blanks, signs) or a reserved word stays quoted, in lower case.
QString ServerName(QStringView written);
