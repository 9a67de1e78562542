#pragma once

#include <QString>
#include <QStringList>

// Texts that may hold several statements, as a user types them for the tool.

// Whether the text holds nothing but blanks, comments and empty statements (";").
bool IsBlankSql(const QString& text);

// The statements of a text, each without its closing ";" and without surrounding blanks;
// pieces that are only blanks and comments are dropped. Semicolons inside literals, quoted
// names, comments and trigger bodies do not split.
QStringList SplitSqlStatements(const QString& text);
