#include "data/SqlValues.h"

#include "data/StoredDate.h"

QString FormatStoredDateTime(const QDateTime& value) {
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool ParseStoredDateTime(QStringView text, QDateTime& result) {
    // Every stored date form is 10 to 19 ASCII characters.
    const qsizetype size = text.size();
    if (size != 10 && size != 16 && size != 19)
        return false;
    char ascii[19];
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i].unicode() > 0x7F)
            return false;
        ascii[i] = static_cast<char>(text[i].unicode());
    }
    qint64 seconds;
    if (!StoredDate::parseAnyForm(std::string_view(ascii, static_cast<std::size_t>(size)), seconds))
        return false;
    result = StoredDate::toDateTime(seconds);
    return true;
}

QDateTime ParseStoredDateTime(const QString& text) {
    QDateTime value;
    return ParseStoredDateTime(QStringView(text), value) ? value : QDateTime();
}

QString QuotedName(const QString& name) {
    QString quoted = name;
    quoted.replace('"', QStringLiteral("\"\""));
    return '"' + quoted + '"';
}
