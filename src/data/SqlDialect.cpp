#include "data/SqlDialect.h"

#include "data/DataError.h"
#include "data/MoneyRound.h"
#include "data/SqlTokens.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <QStringView>
#include <QTime>

#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Kind = SqlTokenKind;
using Token = SqlToken;

// SQLite refuses expressions nested deeper than 1000 anyway; the limit also bounds the
// recursion of the translation.
constexpr std::size_t maximumNesting = 1000;

// For every "(" and ")" token the index of its partner; -1 for every other token.
std::vector<qsizetype> matchParentheses(const QString& sql, const std::vector<Token>& tokens) {
    std::vector<qsizetype> partners(tokens.size(), -1);
    std::vector<qsizetype> open;
    for (qsizetype i = 0; i < qsizetype(tokens.size()); ++i) {
        if (tokens[i].kind != Kind::Symbol || tokens[i].length != 1)
            continue;
        const QChar c = sql[tokens[i].begin];
        if (c == u'(') {
            if (open.size() == maximumNesting)
                throw DataError(QStringLiteral("The SQL statement nests parentheses more than "
                                               "%1 deep at character %2")
                                    .arg(maximumNesting)
                                    .arg(SqlCharacterNumber(tokens[i].begin)));
            open.push_back(i);
        } else if (c == u')') {
            if (open.empty())
                throw DataError(QStringLiteral("Unbalanced parentheses in the SQL statement: ')' "
                                               "at character %1 has no matching '('")
                                    .arg(SqlCharacterNumber(tokens[i].begin)));
            partners[i] = open.back();
            partners[open.back()] = i;
            open.pop_back();
        }
    }
    if (!open.empty())
        throw DataError(QStringLiteral("Unbalanced parentheses in the SQL statement: '(' at "
                                       "character %1 is never closed")
                            .arg(SqlCharacterNumber(tokens[open.back()].begin)));
    return partners;
}

// ---- Date literals ------------------------------------------------------------------------

// "#2008-3-5#" -> "'2008-03-05 00:00:00'", the form in which dates are stored.
QString sqlDateLiteral(QStringView literal, SqlTarget target) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*(\d{4})([-/])(\d{1,2})\2(\d{1,2})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    const QRegularExpressionMatch match =
        pattern.match(literal.mid(1, literal.size() - 2).toString());
    const auto number = [&match](int group) { return match.captured(group).toInt(); };
    const QDate date(number(1), number(3), number(4));
    const QTime time(number(5), number(6), number(7));
    if (!match.hasMatch() || !date.isValid() || !time.isValid())
        throw DataError(QStringLiteral("Invalid date literal %1 in the SQL statement: dates are "
                                       "written #YYYY-MM-DD#, #YYYY-MM-DD HH:MM# or "
                                       "#YYYY-MM-DD HH:MM:SS#")
                            .arg(literal));
    const QString text =
        u'\'' + date.toString(Qt::ISODate) + u' ' + time.toString(u"HH:mm:ss") + u'\'';
    // The server's date columns are timestamps: a typed literal compares with them as a date.
    return target == SqlTarget::Server ? QStringLiteral("TIMESTAMP ") + text : text;
}

// ---- Names on the server ------------------------------------------------------------------

// Words that the server never reads as a name when unquoted.
bool isReservedOnServer(const QString& name) {
    static const QStringList reserved = {u"all"_s,
                                         u"analyse"_s,
                                         u"analyze"_s,
                                         u"and"_s,
                                         u"any"_s,
                                         u"array"_s,
                                         u"as"_s,
                                         u"asc"_s,
                                         u"both"_s,
                                         u"case"_s,
                                         u"cast"_s,
                                         u"check"_s,
                                         u"collate"_s,
                                         u"column"_s,
                                         u"constraint"_s,
                                         u"create"_s,
                                         u"current_date"_s,
                                         u"current_time"_s,
                                         u"current_timestamp"_s,
                                         u"current_user"_s,
                                         u"default"_s,
                                         u"deferrable"_s,
                                         u"desc"_s,
                                         u"distinct"_s,
                                         u"do"_s,
                                         u"else"_s,
                                         u"end"_s,
                                         u"except"_s,
                                         u"false"_s,
                                         u"fetch"_s,
                                         u"for"_s,
                                         u"foreign"_s,
                                         u"from"_s,
                                         u"grant"_s,
                                         u"group"_s,
                                         u"having"_s,
                                         u"in"_s,
                                         u"initially"_s,
                                         u"intersect"_s,
                                         u"into"_s,
                                         u"lateral"_s,
                                         u"leading"_s,
                                         u"limit"_s,
                                         u"localtime"_s,
                                         u"localtimestamp"_s,
                                         u"not"_s,
                                         u"null"_s,
                                         u"offset"_s,
                                         u"on"_s,
                                         u"only"_s,
                                         u"or"_s,
                                         u"order"_s,
                                         u"placing"_s,
                                         u"primary"_s,
                                         u"references"_s,
                                         u"returning"_s,
                                         u"select"_s,
                                         u"session_user"_s,
                                         u"some"_s,
                                         u"symmetric"_s,
                                         u"table"_s,
                                         u"then"_s,
                                         u"to"_s,
                                         u"trailing"_s,
                                         u"true"_s,
                                         u"union"_s,
                                         u"unique"_s,
                                         u"user"_s,
                                         u"using"_s,
                                         u"variadic"_s,
                                         u"when"_s,
                                         u"where"_s,
                                         u"window"_s,
                                         u"with"_s};
    return reserved.contains(name);
}

} // namespace

QString ServerName(QStringView written) {
    QString name;
    name.reserve(written.size());
    const QChar quote = written.front();
    const QChar close = quote == u'[' ? QChar(u']') : quote;
    for (qsizetype i = 1; i + 1 < written.size(); ++i) {
        QChar c = written[i];
        if (c == close && quote == u'"')
            ++i; // a doubled quote mark stands for one
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
        name += c;
    }
    bool plain = !name.isEmpty() && IsSqlNameStart(name.front()) && !isReservedOnServer(name);
    for (const QChar c : std::as_const(name))
        plain = plain && IsSqlNameChar(c);
    return plain ? name : u'"' + name.replace(u'"', u"\"\""_s) + u'"';
}

namespace {

// ---- Translation --------------------------------------------------------------------------

struct Range {
    qsizetype first;
    qsizetype last; // one past the end
    bool empty() const { return first >= last; }
};

// Walks the tokens once and writes the SQLite statement. Each select list has its own table of
// aliases; a later reference to an alias is replaced by the alias's translated expression,
// which is copied from the output written so far.
class Translator {
public:
    Translator(const QString& sql, std::vector<Token> tokens, SqlTarget target)
        : m_sql(sql), m_tokens(std::move(tokens)), m_partners(matchParentheses(sql, m_tokens)),
          m_target(target) {}
    QString run();

private:
    // Case-folded alias name -> position and length of its expression in m_out.
    using Aliases = QHash<QString, std::pair<qsizetype, qsizetype>>;

    void translate(Range range, const Aliases* aliases);
    qsizetype translateToken(qsizetype i, const Aliases* aliases);
    qsizetype translateWord(qsizetype i, const Aliases* aliases);
    qsizetype translateCall(qsizetype name, qsizetype open, const Aliases* aliases);
    qsizetype translateRound(qsizetype name, qsizetype open, const Aliases* aliases);
    void checkArguments(qsizetype name, const std::vector<Range>& arguments, std::size_t fewest,
                        std::size_t most) const;
    QString nameText(qsizetype i) const;
    void translateArgument(Range argument, const Aliases* aliases);
    qsizetype translateSelect(qsizetype select, qsizetype last);
    void translateSelectItem(Range item, Aliases& aliases);

    qsizetype selectListEnd(qsizetype from, qsizetype last) const;
    std::vector<Range> splitAtCommas(Range range) const;
    Range trimmed(Range range) const;
    bool isAliasReference(qsizetype i, const Aliases& aliases) const;
    QString aliasKey(qsizetype i) const;

    QStringView text(qsizetype i) const;
    void writeSpace(qsizetype i);
    bool isSymbol(qsizetype i, QStringView symbol) const;
    bool isWord(qsizetype i, QStringView word) const;
    qsizetype previousSignificant(qsizetype i) const;
    qsizetype nextSignificant(qsizetype i) const;
    qsizetype size() const { return qsizetype(m_tokens.size()); }

    const QString& m_sql;
    std::vector<Token> m_tokens;
    std::vector<qsizetype> m_partners;
    SqlTarget m_target;
    QString m_out;
};

QString Translator::run() {
    m_out.reserve(m_sql.size() + m_sql.size() / 4);
    translate({0, size()}, nullptr);
    return m_out;
}

void Translator::translate(Range range, const Aliases* aliases) {
    for (qsizetype i = range.first; i < range.last;) {
        if (isWord(i, u"select")) {
            // A select starts its own scope: neither its list nor what follows it in this range
            // sees the aliases of an enclosing select list.
            i = translateSelect(i, range.last);
            aliases = nullptr;
        } else {
            i = translateToken(i, aliases);
        }
    }
}

qsizetype Translator::translateToken(qsizetype i, const Aliases* aliases) {
    switch (m_tokens[i].kind) {
    case Kind::Date:
        m_out += sqlDateLiteral(text(i), m_target);
        return i + 1;
    case Kind::Word:
    case Kind::Bracketed:
        return translateWord(i, aliases);
    case Kind::Symbol:
        if (isSymbol(i, u"(")) {
            m_out += u'(';
            translate({i + 1, m_partners[i]}, aliases);
            m_out += u')';
            return m_partners[i] + 1;
        }
        // "==" is the file engine's spelling of "=".
        m_out += m_target == SqlTarget::Server && isSymbol(i, u"==") ? u"="_s : text(i);
        return i + 1;
    case Kind::Space:
        writeSpace(i);
        return i + 1;
    case Kind::QuotedName:
        m_out += nameText(i);
        return i + 1;
    default:
        m_out += text(i);
        return i + 1;
    }
}

qsizetype Translator::translateWord(qsizetype i, const Aliases* aliases) {
    const qsizetype next = nextSignificant(i);
    if (isSymbol(next, u"(") && (isWord(i, u"iif") || isWord(i, u"isnull")))
        return translateCall(i, next, aliases);
    if (isSymbol(next, u"(") && isWord(i, u"round"))
        return translateRound(i, next, aliases);
    if (aliases && isAliasReference(i, *aliases)) {
        const auto [position, length] = aliases->value(aliasKey(i));
        m_out += u'(' + m_out.mid(position, length) + u')';
    } else {
        m_out += nameText(i);
    }
    return i + 1;
}

// iif(c, a, b) -> (CASE WHEN c THEN a ELSE b END); IsNull(x) -> (x IS NULL).
qsizetype Translator::translateCall(qsizetype name, qsizetype open, const Aliases* aliases) {
    const qsizetype close = m_partners[open];
    const std::vector<Range> arguments = splitAtCommas({open + 1, close});
    const bool iif = isWord(name, u"iif");
    const std::size_t wanted = iif ? 3 : 1;
    checkArguments(name, arguments, wanted, wanted);
    if (iif) {
        m_out += u"(CASE WHEN ";
        translateArgument(arguments[0], aliases);
        m_out += u" THEN ";
        translateArgument(arguments[1], aliases);
        m_out += u" ELSE ";
        translateArgument(arguments[2], aliases);
        m_out += u" END)";
    } else {
        m_out += u'(';
        translateArgument(arguments[0], aliases);
        m_out += u" IS NULL)";
    }
    return close + 1;
}

// Round(x) and Round(x, n) round as money is rounded (MoneyRound.h) on every engine: on the file
// through the function that every connection has, on the server in decimal arithmetic on the
// number's shortest text, which is the same digits.
qsizetype Translator::translateRound(qsizetype name, qsizetype open, const Aliases* aliases) {
    const qsizetype close = m_partners[open];
    const std::vector<Range> arguments = splitAtCommas({open + 1, close});
    checkArguments(name, arguments, 1, 2);
    const bool server = m_target == SqlTarget::Server;
    m_out += server ? u"(round(("_s : QString::fromLatin1(MoneyRound::SqlFunction) + u'(';
    translateArgument(arguments[0], aliases);
    m_out += server ? u")::text::numeric,"_s : u","_s;
    if (arguments.size() > 1)
        translateArgument(arguments[1], aliases);
    else
        m_out += u'0';
    m_out += server ? u")::double precision)"_s : u")"_s;
    return close + 1;
}

void Translator::checkArguments(qsizetype name, const std::vector<Range>& arguments,
                                std::size_t fewest, std::size_t most) const {
    if (arguments.size() < fewest || arguments.size() > most)
        throw DataError(
            QStringLiteral("%1 at character %2 of the SQL statement takes %3 argument(s), not %4")
                .arg(text(name), SqlCharacterNumber(m_tokens[name].begin),
                     fewest == most ? QString::number(fewest)
                                    : QStringLiteral("%1 or %2").arg(fewest).arg(most))
                .arg(arguments.size()));
    for (const Range& argument : arguments) {
        if (trimmed(argument).empty())
            throw DataError(
                QStringLiteral("%1 at character %2 of the SQL statement has an empty argument")
                    .arg(text(name), SqlCharacterNumber(m_tokens[name].begin)));
    }
}

// A name as the target engine knows it: on the server quoted and bracketed names are folded.
QString Translator::nameText(qsizetype i) const {
    const Kind kind = m_tokens[i].kind;
    if (m_target == SqlTarget::Server && (kind == Kind::QuotedName || kind == Kind::Bracketed))
        return ServerName(text(i));
    return text(i).toString();
}

void Translator::translateArgument(Range argument, const Aliases* aliases) {
    translate(trimmed(argument), aliases);
}

// Writes "select", its DISTINCT or ALL and its list; returns where the list ends.
qsizetype Translator::translateSelect(qsizetype select, qsizetype last) {
    m_out += text(select);
    qsizetype first = select + 1;
    for (qsizetype next = nextSignificant(select);
         next < last && (isWord(next, u"distinct") || isWord(next, u"all"));
         next = nextSignificant(next)) {
        for (; first <= next; ++first) {
            if (m_tokens[first].kind == Kind::Space)
                writeSpace(first);
            else
                m_out += text(first);
        }
    }
    const qsizetype end = selectListEnd(first, last);
    Aliases aliases;
    const std::vector<Range> items = splitAtCommas({first, end});
    for (std::size_t n = 0; n < items.size(); ++n) {
        if (n > 0)
            m_out += u',';
        translateSelectItem(items[n], aliases);
    }
    return end;
}

// An item "expression AS name" records name -> expression after the item is written, so that
// only the items after it see the alias.
void Translator::translateSelectItem(Range item, Aliases& aliases) {
    const Range body = trimmed(item);
    const qsizetype name = body.last - 1;
    const qsizetype as = previousSignificant(name);
    const bool aliased =
        !body.empty() && as > body.first && isWord(as, u"as") &&
        (m_tokens[name].kind == Kind::Word || m_tokens[name].kind == Kind::Bracketed);
    if (!aliased) {
        translate(item, &aliases);
        return;
    }
    const Range expression = trimmed({body.first, as});
    translate({item.first, expression.first}, &aliases);
    const qsizetype position = m_out.size();
    translate(expression, &aliases);
    const qsizetype length = m_out.size() - position;
    translate({expression.last, item.last}, &aliases);
    aliases.insert(aliasKey(name), {position, length});
}

// The list of a select ends at the first clause keyword on its own level.
qsizetype Translator::selectListEnd(qsizetype from, qsizetype last) const {
    static const QStringList clauses = {QStringLiteral("from"),      QStringLiteral("into"),
                                        QStringLiteral("where"),     QStringLiteral("group"),
                                        QStringLiteral("having"),    QStringLiteral("order"),
                                        QStringLiteral("union"),     QStringLiteral("except"),
                                        QStringLiteral("intersect"), QStringLiteral("limit")};
    for (qsizetype i = from; i < last; ++i) {
        if (isSymbol(i, u"("))
            i = m_partners[i];
        else if (isSymbol(i, u";") ||
                 (m_tokens[i].kind == Kind::Word && clauses.contains(text(i), Qt::CaseInsensitive)))
            return i;
    }
    return last;
}

std::vector<Range> Translator::splitAtCommas(Range range) const {
    std::vector<Range> parts;
    qsizetype start = range.first;
    for (qsizetype i = range.first; i < range.last; ++i) {
        if (isSymbol(i, u"(")) {
            i = m_partners[i];
        } else if (isSymbol(i, u",")) {
            parts.push_back({start, i});
            start = i + 1;
        }
    }
    parts.push_back({start, range.last});
    return parts;
}

Range Translator::trimmed(Range range) const {
    while (range.first < range.last && m_tokens[range.first].kind == Kind::Space)
        ++range.first;
    while (range.last > range.first && m_tokens[range.last - 1].kind == Kind::Space)
        --range.last;
    return range;
}

// A bare name: not qualified ("t.tin"), not a qualifier ("tin.x"), not a function name
// ("tin(…)"), not the name that an AS gives.
bool Translator::isAliasReference(qsizetype i, const Aliases& aliases) const {
    const qsizetype previous = previousSignificant(i);
    const qsizetype next = nextSignificant(i);
    return !isSymbol(previous, u".") && !isWord(previous, u"as") && !isSymbol(next, u"(") &&
           !isSymbol(next, u".") && aliases.contains(aliasKey(i));
}

QString Translator::aliasKey(qsizetype i) const {
    QStringView name = text(i);
    if (m_tokens[i].kind == Kind::Bracketed)
        name = name.mid(1, name.size() - 2);
    return name.toString().toCaseFolded();
}

void Translator::writeSpace(qsizetype i) {
    AppendSqlBlanks(m_out, text(i));
}

QStringView Translator::text(qsizetype i) const {
    return QStringView(m_sql).mid(m_tokens[i].begin, m_tokens[i].length);
}

bool Translator::isSymbol(qsizetype i, QStringView symbol) const {
    return i >= 0 && i < size() && m_tokens[i].kind == Kind::Symbol && text(i) == symbol;
}

bool Translator::isWord(qsizetype i, QStringView word) const {
    return i >= 0 && i < size() && m_tokens[i].kind == Kind::Word &&
           text(i).compare(word, Qt::CaseInsensitive) == 0;
}

// Whitespace runs are single tokens, so the nearest significant token is at most two away.
qsizetype Translator::previousSignificant(qsizetype i) const {
    --i;
    if (i >= 0 && m_tokens[i].kind == Kind::Space)
        --i;
    return i;
}

qsizetype Translator::nextSignificant(qsizetype i) const {
    ++i;
    if (i < size() && m_tokens[i].kind == Kind::Space)
        ++i;
    return i;
}

} // namespace

QString TranslateSql(const QString& sql, SqlTarget target) {
    return Translator(sql, SqlTokens(sql), target).run();
}
