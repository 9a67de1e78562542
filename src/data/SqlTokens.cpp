#include "data/SqlTokens.h"

#include "data/DataError.h"

#include <QStringList>

namespace {

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

// "--" and "/*" start a comment, as in both engines.
bool commentAt(QStringView sql, qsizetype pos) {
    return pos + 1 < sql.size() && ((sql[pos] == u'-' && sql[pos + 1] == u'-') ||
                                    (sql[pos] == u'/' && sql[pos + 1] == u'*'));
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Splits a statement into tokens whose texts, put back together, give the statement again.
class Tokenizer {
public:
    explicit Tokenizer(const QString& sql) : m_sql(sql) {}
    std::vector<SqlToken> run() const;

private:
    SqlTokenKind kindAt(qsizetype pos) const;
    qsizetype endOf(SqlTokenKind kind, qsizetype pos) const;
    qsizetype scanWhile(qsizetype pos, bool (*accept)(QChar)) const;
    qsizetype scanSpace(qsizetype pos) const;
    qsizetype scanNumber(qsizetype pos) const;
    qsizetype scanQuoted(qsizetype pos, const char* what) const;
    qsizetype scanUntil(qsizetype pos, QChar close, const char* what) const;
    qsizetype scanSymbol(qsizetype pos) const;
    qsizetype dollarTagEnd(qsizetype pos) const;
    qsizetype scanDollarBody(qsizetype pos) const;
    bool digitAt(qsizetype pos) const { return pos < m_sql.size() && isDigit(m_sql[pos]); }

    const QString& m_sql;
};

std::vector<SqlToken> Tokenizer::run() const {
    std::vector<SqlToken> tokens;
    for (qsizetype pos = 0; pos < m_sql.size();) {
        const SqlTokenKind kind = kindAt(pos);
        const qsizetype end = endOf(kind, pos);
        tokens.push_back({kind, pos, end - pos});
        pos = end;
    }
    return tokens;
}

SqlTokenKind Tokenizer::kindAt(qsizetype pos) const {
    const QChar c = m_sql[pos];
    if (isSpace(c) || commentAt(m_sql, pos))
        return SqlTokenKind::Space;
    if (IsSqlNameStart(c))
        return SqlTokenKind::Word;
    if (isDigit(c) || (c == u'.' && digitAt(pos + 1)))
        return SqlTokenKind::Number;
    switch (c.unicode()) {
    case u'\'':
        return SqlTokenKind::Text;
    case u'"':
    case u'`':
        return SqlTokenKind::QuotedName;
    case u'[':
        return SqlTokenKind::Bracketed;
    case u'#':
        return SqlTokenKind::Date;
    case u'$':
        return dollarTagEnd(pos) > pos ? SqlTokenKind::DollarBody : SqlTokenKind::Symbol;
    default:
        return SqlTokenKind::Symbol;
    }
}

qsizetype Tokenizer::endOf(SqlTokenKind kind, qsizetype pos) const {
    switch (kind) {
    case SqlTokenKind::Space:
        return scanSpace(pos);
    case SqlTokenKind::Word:
        return scanWhile(pos, IsSqlNameChar);
    case SqlTokenKind::Number:
        return scanNumber(pos);
    case SqlTokenKind::Text:
        return scanQuoted(pos, "string literal");
    case SqlTokenKind::QuotedName:
        return scanQuoted(pos, "quoted name");
    case SqlTokenKind::Bracketed:
        return scanUntil(pos, u']', "bracketed name");
    case SqlTokenKind::Date:
        return scanUntil(pos, u'#', "date literal");
    case SqlTokenKind::DollarBody:
        return scanDollarBody(pos);
    case SqlTokenKind::Symbol:
        break;
    }
    return scanSymbol(pos);
}

qsizetype Tokenizer::scanWhile(qsizetype pos, bool (*accept)(QChar)) const {
    while (pos < m_sql.size() && accept(m_sql[pos]))
        ++pos;
    return pos;
}

// Blanks and comments, all in one token: a line comment runs to the end of its line (the line
// break stays a blank), a block comment to its "*/" or to the end of the statement.
qsizetype Tokenizer::scanSpace(qsizetype pos) const {
    while (pos < m_sql.size()) {
        if (isSpace(m_sql[pos])) {
            ++pos;
        } else if (commentAt(m_sql, pos) && m_sql[pos] == u'-') {
            const qsizetype end = m_sql.indexOf(u'\n', pos);
            pos = end < 0 ? m_sql.size() : end;
        } else if (commentAt(m_sql, pos)) {
            const qsizetype end = m_sql.indexOf(QStringLiteral("*/"), pos + 2);
            pos = end < 0 ? m_sql.size() : end + 2;
        } else {
            break;
        }
    }
    return pos;
}

// Digits with an optional fraction and exponent. Name characters glued to the number stay in
// the token, so that "2abc" never yields a name "abc".
qsizetype Tokenizer::scanNumber(qsizetype pos) const {
    pos = scanWhile(pos, isDigit);
    if (pos < m_sql.size() && m_sql[pos] == u'.')
        pos = scanWhile(pos + 1, isDigit);
    if (pos < m_sql.size() && (m_sql[pos] == u'e' || m_sql[pos] == u'E')) {
        qsizetype exponent = pos + 1;
        if (exponent < m_sql.size() && (m_sql[exponent] == u'+' || m_sql[exponent] == u'-'))
            ++exponent;
        if (digitAt(exponent))
            pos = scanWhile(exponent, isDigit);
    }
    return scanWhile(pos, IsSqlNameChar);
}

// A literal between two equal quote marks, in which a doubled mark stands for one.
qsizetype Tokenizer::scanQuoted(qsizetype pos, const char* what) const {
    const QChar quote = m_sql[pos];
    for (qsizetype i = pos + 1; i < m_sql.size(); ++i) {
        if (m_sql[i] != quote)
            continue;
        if (i + 1 < m_sql.size() && m_sql[i + 1] == quote)
            ++i;
        else
            return i + 1;
    }
    throw DataError(QStringLiteral("Unterminated %1 starting at character %2 of the SQL statement")
                        .arg(QLatin1String(what), SqlCharacterNumber(pos)));
}

qsizetype Tokenizer::scanUntil(qsizetype pos, QChar close, const char* what) const {
    const qsizetype end = m_sql.indexOf(close, pos + 1);
    if (end < 0)
        throw DataError(
            QStringLiteral("Unterminated %1 starting at character %2 of the SQL statement")
                .arg(QLatin1String(what), SqlCharacterNumber(pos)));
    return end + 1;
}

// The index just past a tag "$name$" or "$$" that starts at `pos`, or `pos` when none does
// ("$1" is a parameter, "$name" without a closing "$" a name of the file engine's parameters).
qsizetype Tokenizer::dollarTagEnd(qsizetype pos) const {
    qsizetype end = pos + 1;
    if (end < m_sql.size() && IsSqlNameStart(m_sql[end]))
        end = scanWhile(end, IsSqlNameChar);
    return end < m_sql.size() && m_sql[end] == u'$' ? end + 1 : pos;
}

qsizetype Tokenizer::scanDollarBody(qsizetype pos) const {
    const qsizetype tagEnd = dollarTagEnd(pos);
    const QStringView tag = QStringView(m_sql).mid(pos, tagEnd - pos);
    const qsizetype end = QStringView(m_sql).indexOf(tag, tagEnd);
    if (end < 0)
        throw DataError(
            QStringLiteral("Unterminated %1 body starting at character %2 of the SQL statement")
                .arg(tag, SqlCharacterNumber(pos)));
    return end + tag.size();
}

// Two-character operators stay together.
qsizetype Tokenizer::scanSymbol(qsizetype pos) const {
    static const QStringList pairs = {
        QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>"), QStringLiteral("!="),
        QStringLiteral("=="), QStringLiteral("||"), QStringLiteral("<<"), QStringLiteral(">>")};
    const QStringView two = QStringView(m_sql).mid(pos, 2);
    return pairs.contains(two) ? pos + 2 : pos + 1;
}

} // namespace

// Letters, '_' and every character beyond ASCII start a name, as the engines read them; this keeps
// Chinese names whole.
bool IsSqlNameStart(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c.unicode() >= 0x80;
}

bool IsSqlNameChar(QChar c) {
    return IsSqlNameStart(c) || (c >= u'0' && c <= u'9');
}

std::vector<SqlToken> SqlTokens(const QString& sql) {
    return Tokenizer(sql).run();
}

void AppendSqlBlanks(QString& out, QStringView space) {
    for (qsizetype k = 0; k < space.size();) {
        if (!commentAt(space, k)) {
            out += space[k++];
            continue;
        }
        const bool line = space[k] == u'-';
        const qsizetype end = line ? space.indexOf(u'\n', k) : space.indexOf(u"*/", k + 2);
        k = end < 0 ? space.size() : (line ? end : end + 2);
        out += u' ';
    }
}
