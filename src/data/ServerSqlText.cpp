#include "data/ServerSqlText.h"

#include "data/SqlDialect.h"
#include "data/SqlTokens.h"

namespace {

void remember(QHash<QString, QString>& spellings, const QString& name) {
    const QString lower = name.toLower();
    if (lower != name && !spellings.contains(lower))
        spellings.insert(lower, name);
}

// The name a quoted or bracketed token stands for: without its marks, a doubled mark as one.
QString unquoted(QStringView written) {
    const QChar close = written.back();
    QString name = written.mid(1, written.size() - 2).toString();
    if (written.front() != u'[')
        name.replace(QString(2, close), QString(close));
    return name;
}

} // namespace

ServerSqlText ServerSqlText::from(const QString& sql) {
    ServerSqlText result;
    QString out;
    out.reserve(sql.size() + 8);
    for (const SqlToken& token : SqlTokens(sql)) {
        const QStringView piece = QStringView(sql).mid(token.begin, token.length);
        switch (token.kind) {
        case SqlTokenKind::QuotedName:
        case SqlTokenKind::Bracketed:
            remember(result.spellings, unquoted(piece));
            out += ServerName(piece);
            break;
        case SqlTokenKind::Word:
            remember(result.spellings, piece.toString());
            out += piece;
            break;
        case SqlTokenKind::Space:
            AppendSqlBlanks(out, piece);
            break;
        case SqlTokenKind::Symbol:
            if (piece == u"?")
                out += u'$' + QString::number(++result.parameters);
            else
                out += piece;
            break;
        default:
            out += piece;
        }
    }
    result.text = out.toUtf8();
    return result;
}
