#include "SqlValues.h"

#include "StoredDate.h"

#include <sqlcipher/sqlite3.h>

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

void BindValue(sqlite3_stmt* statement, int position, const QVariant& value) {
    if (value.isNull()) {
        sqlite3_bind_null(statement, position);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(statement, position, value.toDouble());
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        sqlite3_bind_int64(statement, position, value.toLongLong());
        return;
    case QMetaType::QDateTime:
        break;
    case QMetaType::QDate:
        sqlite3_bind_text(statement, position,
                          FormatStoredDateTime(value.toDate().startOfDay()).toUtf8().constData(),
                          -1, SQLITE_TRANSIENT);
        return;
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(statement, position, text.constData(), text.size(), SQLITE_TRANSIENT);
        return;
    }
    }
    sqlite3_bind_text(statement, position,
                      FormatStoredDateTime(value.toDateTime()).toUtf8().constData(), -1,
                      SQLITE_TRANSIENT);
}
