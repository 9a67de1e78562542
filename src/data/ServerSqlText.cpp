#include "data/ServerSqlText.h"

#include "data/DataError.h"
#include "data/SqlDialect.h"

#include <QRegularExpression>

namespace {

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == '_' || c.unicode() >= 0x80;
}

// The index just past a literal that starts at `i` with `quote` ('' inside it is one quote).
qsizetype pastQuoted(const QString& sql, qsizetype i, QChar quote) {
    for (qsizetype j = i + 1; j < sql.size(); ++j)
        if (sql[j] == quote) {
            if (j + 1 < sql.size() && sql[j + 1] == quote) {
                ++j;
                continue;
            }
            return j + 1;
        }
    throw DataError(QStringLiteral("SQL 语句中的引号没有结束。"));
}

// The index just past a dollar-quoted body that starts at `i` ("$tag$ … $tag$"), or `i` when
// no such body starts there.
qsizetype pastDollarQuoted(const QString& sql, qsizetype i) {
    qsizetype j = i + 1;
    while (j < sql.size() && isNameChar(sql[j]) && !sql[j].isDigit())
        ++j;
    if (j >= sql.size() || sql[j] != '$')
        return i;
    const QString tag = sql.mid(i, j - i + 1);
    const qsizetype end = sql.indexOf(tag, j + 1);
    if (end < 0)
        throw DataError(QStringLiteral("SQL 语句中的 %1 没有结束。").arg(tag));
    return end + tag.size();
}

void remember(QHash<QString, QString>& spellings, const QString& name) {
    const QString lower = name.toLower();
    if (lower != name && !spellings.contains(lower))
        spellings.insert(lower, name);
}

// Whether the statement stores rows: its first word is INSERT or UPDATE.
bool storesRows(const QString& sql) {
    const QString first = sql.trimmed().section(QRegularExpression(QStringLiteral("[^A-Za-z]")), 0,
                                                0, QString::SectionSkipEmpty);
    return first.compare(QStringLiteral("insert"), Qt::CaseInsensitive) == 0 ||
           first.compare(QStringLiteral("update"), Qt::CaseInsensitive) == 0;
}

// Whether the literal at `i` is a plain one: not written right after a name or sign that makes
// it a prefixed literal (E'…', U&'…'), nor after a type name that makes it a typed one.
bool plainLiteral(const QString& sql, qsizetype i) {
    if (i > 0 && (isNameChar(sql[i - 1]) || sql[i - 1] == '&'))
        return false;
    qsizetype end = i;
    while (end > 0 && sql[end - 1].isSpace())
        --end;
    qsizetype start = end;
    while (start > 0 && isNameChar(sql[start - 1]))
        --start;
    static const QStringList types = {"timestamp", "date",    "time",    "interval", "zone",
                                      "text",      "varchar", "char",    "numeric",  "integer",
                                      "int",       "bigint",  "boolean", "real",     "precision",
                                      "float",     "bytea",   "json",    "jsonb",    "uuid"};
    return !types.contains(sql.mid(start, end - start).toLower());
}

} // namespace

ServerSqlText ServerSqlText::from(const QString& sql, bool literalsAsParameters) {
    ServerSqlText result;
    const bool literals = literalsAsParameters && storesRows(sql);
    QString out;
    out.reserve(sql.size() + 8);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        qsizetype next = i + 1;
        if (c == '\'') {
            next = pastQuoted(sql, i, c);
            if (literals && plainLiteral(sql, i)) {
                const QString text =
                    sql.mid(i + 1, next - i - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
                result.literals.emplace_back(++result.parameters, text.toStdString());
                out += '$' + QString::number(result.parameters);
            } else {
                out += QStringView(sql).mid(i, next - i);
            }
        } else if (c == '"') {
            next = pastQuoted(sql, i, c);
            const QString name =
                sql.mid(i + 1, next - i - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
            remember(result.spellings, name);
            out += ServerName(QStringView(sql).mid(i, next - i));
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            next = sql.indexOf('\n', i);
            next = next < 0 ? sql.size() : next;
            out += ' ';
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            next = sql.indexOf(QStringLiteral("*/"), i + 2);
            if (next < 0)
                throw DataError(QStringLiteral("SQL 语句中的注释没有结束。"));
            next += 2;
            out += ' ';
        } else if (c == '$' && (next = pastDollarQuoted(sql, i)) > i) {
            out += QStringView(sql).mid(i, next - i);
        } else if (c == '?') {
            next = i + 1;
            result.marks.push_back(++result.parameters);
            out += '$' + QString::number(result.parameters);
        } else if (isNameChar(c) && !c.isDigit()) {
            next = i + 1;
            while (next < sql.size() && (isNameChar(sql[next]) || sql[next] == '$'))
                ++next;
            const QString name = sql.mid(i, next - i);
            remember(result.spellings, name);
            out += name;
        } else {
            next = i + 1;
            out += c;
        }
        i = next;
    }
    result.text = out.toUtf8();
    return result;
}
