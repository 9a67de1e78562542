#include "data/SqlScript.h"

#include "data/CipherFile.h"
#include "data/DataError.h"
#include "data/SqlTokens.h"

namespace {

bool isSemicolon(const QString& text, const SqlToken& token) {
    return token.kind == SqlTokenKind::Symbol && text[token.begin] == u';';
}

bool blank(const QString& text, const std::vector<SqlToken>& tokens, std::size_t first,
           std::size_t last) {
    for (std::size_t i = first; i < last; ++i)
        if (tokens[i].kind != SqlTokenKind::Space && !isSemicolon(text, tokens[i]))
            return false;
    return true;
}

} // namespace

bool IsBlankSql(const QString& text) {
    try {
        const std::vector<SqlToken> tokens = SqlTokens(text);
        return blank(text, tokens, 0, tokens.size());
    } catch (const DataError&) {
        return false; // a literal that does not end is something, not a blank
    }
}

QStringList SplitSqlStatements(const QString& text) {
    const std::vector<SqlToken> tokens = SqlTokens(text);
    QStringList statements;
    std::size_t first = 0;
    auto take = [&](std::size_t last) {
        if (!blank(text, tokens, first, last)) {
            const qsizetype begin = tokens[first].begin;
            const qsizetype end = last < tokens.size() ? tokens[last].begin : text.size();
            statements << text.mid(begin, end - begin).trimmed();
        }
        first = last + 1;
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        // A ";" inside a trigger body does not end the statement: the engine tells.
        if (isSemicolon(text, tokens[i]) &&
            CipherFile::isCompleteStatement(
                text.mid(tokens[first].begin, tokens[i].begin + 1 - tokens[first].begin).toUtf8()))
            take(i);
    }
    if (first < tokens.size())
        take(tokens.size());
    return statements;
}
