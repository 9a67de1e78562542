#include "SqlValues.h"

#include <sqlcipher/sqlite3.h>

QString FormatStoredDateTime(const QDateTime& value) {
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime ParseStoredDateTime(const QString& text) {
    if (text.isEmpty())
        return {};
    QDateTime value = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!value.isValid())
        value = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!value.isValid())
        value = QDateTime(QDate::fromString(text, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    return value.isValid() ? value : QDateTime();
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
