#include "report/TextExpression.h"

#include "report/ReportDataSource.h"
#include "report/ReportError.h"

TextExpression::TextExpression(const QString& text, const ReportDataSource* source)
    : m_source(source) {
    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype open = text.indexOf(u'[', position);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u']', open + 1);
        if (close < 0) {
            appendText(text.mid(position));
            break;
        }
        // An inner "[" starts the reference afresh: "[a[PAGE#]" keeps "[a" as text.
        const qsizetype start = text.lastIndexOf(u'[', close);
        appendText(text.mid(position, start - position));
        const QString reference = text.mid(start + 1, close - start - 1);
        if (!resolve(reference))
            appendText(text.mid(start, close - start + 1));
        position = close + 1;
    }
}

TextExpression TextExpression::Literal(const QString& text) {
    TextExpression expression;
    expression.appendText(text);
    return expression;
}

void TextExpression::appendText(const QString& text) {
    if (text.isEmpty())
        return;
    if (!m_pieces.empty() && m_pieces.back().kind == Kind::Text)
        m_pieces.back().text += text;
    else
        m_pieces.push_back({Kind::Text, text});
}

bool TextExpression::resolve(const QString& reference) {
    if (reference == u"PAGE#") {
        m_pieces.push_back({Kind::Page, QString()});
        return true;
    }
    if (reference == u"TOTALPAGES") {
        m_pieces.push_back({Kind::TotalPages, QString()});
        return true;
    }
    const qsizetype dot = reference.indexOf(u'.');
    if (!m_source || dot <= 0)
        return false;
    const QString dataSet = reference.left(dot);
    if (dataSet.compare(m_source->DataSetName(), Qt::CaseInsensitive) != 0 &&
        dataSet.compare(m_source->Name(), Qt::CaseInsensitive) != 0)
        return false;
    const int field = m_source->FieldIndex(reference.mid(dot + 1));
    if (field < 0)
        throw ReportError(QStringLiteral("报表字段 [%1] 不存在。").arg(reference));
    m_pieces.push_back({Kind::Field, QString(), field});
    return true;
}

bool TextExpression::IsConstant() const {
    for (const Piece& piece : m_pieces) {
        if (piece.kind != Kind::Text)
            return false;
    }
    return true;
}

QString TextExpression::Evaluate(int record, int page, int totalPages) const {
    if (m_pieces.size() == 1 && m_pieces.front().kind == Kind::Text)
        return m_pieces.front().text;
    QString result;
    for (const Piece& piece : m_pieces) {
        switch (piece.kind) {
        case Kind::Text:
            result += piece.text;
            break;
        case Kind::Field:
            if (record >= 0 && record < m_source->RecordCount())
                result += m_source->FieldText(record, piece.field);
            break;
        case Kind::Page:
            result += QString::number(page);
            break;
        case Kind::TotalPages:
            result += QString::number(totalPages);
            break;
        }
    }
    return result;
}
