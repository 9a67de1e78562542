#include "SqlValues.h"

#include <sqlcipher/sqlite3.h>

QString FormatStoredDateTime(const QDateTime& value) {
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

bool readNumber(QStringView text, qsizetype from, qsizetype length, int& value) {
    value = 0;
    for (qsizetype i = from; i < from + length; ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c.unicode() - u'0');
    }
    return true;
}

} // namespace

bool ParseStoredDateTime(QStringView text, QDateTime& result) {
    const qsizetype size = text.size();
    if (size != 10 && size != 16 && size != 19)
        return false;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text[4] != u'-' || text[7] != u'-' || !readNumber(text, 0, 4, year) ||
        !readNumber(text, 5, 2, month) || !readNumber(text, 8, 2, day))
        return false;
    if (size > 10 && ((text[10] != u' ' && text[10] != u'T') || text[13] != u':' ||
                      !readNumber(text, 11, 2, hour) || !readNumber(text, 14, 2, minute)))
        return false;
    if (size == 19 && (text[16] != u':' || !readNumber(text, 17, 2, second)))
        return false;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return false;
    result = QDateTime(date, time);
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
