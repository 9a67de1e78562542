#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QVariant>

// Dates are stored as ISO text "YYYY-MM-DD HH:MM:SS".
QString FormatStoredDateTime(const QDateTime& value);
// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS"; false for any other text.
// Cheap enough to run on every date cell a grid paints.
bool ParseStoredDateTime(QStringView text, QDateTime& result);
QDateTime ParseStoredDateTime(const QString& text); // null when the text is no date

// An identifier between double quotes, for names the program builds statements from.
QString QuotedName(const QString& name);
