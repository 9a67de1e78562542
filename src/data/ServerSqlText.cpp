#include "data/ServerSqlText.h"

#include "data/SqlDialect.h"
#include "data/SqlTokens.h"

namespace {

void remember(QHash<QString, QString>& spellings, const QString& name) {
    const QString lower = name.toLower();
    if (lower != name && !spellings.contains(lower))
        spellings.insert(lower, name);
}

// What a quoted token stands for: without its marks, a doubled mark as one. (Brackets are the
// server's array subscripts, not names: the dialect has already turned bracketed names into
// quoted ones.)
QString unquoted(QStringView written) {
    const QChar close = written.back();
    return written.mid(1, written.size() - 2).toString().replace(QString(2, close), QString(close));
}

// Reads the tokens of one statement, with what the literal rule needs to know about them.
class Tokens {
public:
    explicit Tokens(const QString& sql) : m_sql(sql), m_tokens(SqlTokens(sql)) {}
    const std::vector<SqlToken>& all() const { return m_tokens; }
    QStringView text(std::size_t i) const {
        return QStringView(m_sql).mid(m_tokens[i].begin, m_tokens[i].length);
    }

    // Whether the statement stores rows: its first word is INSERT or UPDATE.
    bool storesRows() const {
        for (std::size_t i = 0; i < m_tokens.size(); ++i)
            if (m_tokens[i].kind != SqlTokenKind::Space)
                return m_tokens[i].kind == SqlTokenKind::Word &&
                       (text(i).compare(u"insert", Qt::CaseInsensitive) == 0 ||
                        text(i).compare(u"update", Qt::CaseInsensitive) == 0);
        return false;
    }

    // Whether the literal token `i` is a plain one: not written right after a name or sign that
    // makes it a prefixed literal (E'…', U&'…'), nor after a type name that makes it a typed one.
    bool plainLiteral(std::size_t i) const {
        if (i == 0)
            return true;
        const SqlToken& before = m_tokens[i - 1];
        if (before.kind == SqlTokenKind::Word || text(i - 1) == u"&")
            return false;
        std::size_t word = i - 1;
        if (before.kind == SqlTokenKind::Space) {
            if (word == 0)
                return true;
            --word;
        }
        static const QStringList types = {
            "timestamp", "date",    "time",    "interval", "zone",   "text",    "varchar",
            "char",      "numeric", "integer", "int",      "bigint", "boolean", "real",
            "precision", "float",   "bytea",   "json",     "jsonb",  "uuid"};
        return m_tokens[word].kind != SqlTokenKind::Word ||
               !types.contains(text(word).toString().toLower());
    }

private:
    const QString& m_sql;
    std::vector<SqlToken> m_tokens;
};

} // namespace

ServerSqlText ServerSqlText::from(const QString& sql, bool literalsAsParameters) {
    ServerSqlText result;
    const Tokens tokens(sql);
    const bool literals = literalsAsParameters && tokens.storesRows();
    QString out;
    out.reserve(sql.size() + 8);
    for (std::size_t i = 0; i < tokens.all().size(); ++i) {
        const QStringView piece = tokens.text(i);
        switch (tokens.all()[i].kind) {
        case SqlTokenKind::Text:
            if (literals && tokens.plainLiteral(i)) {
                const QString text = unquoted(piece);
                result.literals.emplace_back(++result.parameters, text.toStdString());
                out += u'$' + QString::number(result.parameters);
            } else {
                out += piece;
            }
            break;
        case SqlTokenKind::QuotedName:
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
            if (piece == u"?") {
                result.marks.push_back(++result.parameters);
                out += u'$' + QString::number(result.parameters);
            } else {
                out += piece;
            }
            break;
        default:
            out += piece;
        }
    }
    if (!result.literals.empty() && result.parameters > DescribableParameters)
        return from(sql, false);
    result.text = out.toUtf8();
    return result;
}
