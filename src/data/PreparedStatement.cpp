#include "data/PreparedStatement.h"

#include "data/EngineConnection.h"
#include "data/SqlValues.h"
#include "data/StoredDate.h"
#include "data/StoredText.h"

PreparedStatement::PreparedStatement(EngineConnection& engine, const QString& sql)
    : m_statement(engine.prepare(sql)) {}

void PreparedStatement::bind(int position, const QVariant& value) {
    if (value.isNull()) {
        m_statement->bindNull(position);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        m_statement->bindReal(position, value.toDouble());
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        m_statement->bindInteger(position, value.toLongLong());
        return;
    case QMetaType::QDateTime:
        m_statement->bindText(position, FormatStoredDateTime(value.toDateTime()).toStdString());
        return;
    case QMetaType::QDate:
        m_statement->bindText(position,
                              FormatStoredDateTime(value.toDate().startOfDay()).toStdString());
        return;
    default: {
        const QByteArray text = value.toString().toUtf8();
        m_statement->bindText(position, std::string_view(text.constData(), text.size()));
        return;
    }
    }
}

void PreparedStatement::bind(int position, const CellValue& value) {
    switch (value.kind) {
    case CellValue::Kind::Null:
        m_statement->bindNull(position);
        return;
    case CellValue::Kind::Integer:
        m_statement->bindInteger(position, value.integer);
        return;
    case CellValue::Kind::Real:
        m_statement->bindReal(position, value.real);
        return;
    case CellValue::Kind::Text:
        m_statement->bindText(position, value.text);
        return;
    case CellValue::Kind::Date: {
        char text[19];
        StoredDate::writeCanonical(value.integer, text);
        m_statement->bindText(position, std::string_view(text, sizeof text));
        return;
    }
    }
}

QString PreparedStatement::text(int column) const {
    std::string decoded;
    const std::string_view utf8 = StoredText::toUtf8(m_statement->text(column), decoded);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
