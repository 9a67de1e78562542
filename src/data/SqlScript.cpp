#include "data/SqlScript.h"

#include "data/CipherFile.h"

namespace {

// Walks a text and reports, for each character, whether it is code (outside literals, quoted
// names and comments). `onCode` gets the position of every code character.
template <typename OnCode> void scanCode(const QString& text, OnCode onCode) {
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        QChar close;
        if (c == u'\'' || c == u'"' || c == u'`')
            close = c;
        else if (c == u'[')
            close = u']';
        if (!close.isNull()) {
            onCode(i);
            for (++i; i < size; ++i)
                if (text[i] == close) {
                    // A doubled quote inside a literal stands for itself.
                    if (close != u']' && i + 1 < size && text[i + 1] == close)
                        ++i;
                    else
                        break;
                }
            continue;
        }
        if (c == u'-' && i + 1 < size && text[i + 1] == u'-') {
            while (i < size && text[i] != u'\n')
                ++i;
            continue;
        }
        if (c == u'/' && i + 1 < size && text[i + 1] == u'*') {
            const qsizetype end = text.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? size : end + 1;
            continue;
        }
        onCode(i);
    }
}

} // namespace

bool IsBlankSql(const QString& text) {
    bool blank = true;
    scanCode(text, [&](qsizetype i) {
        if (!text[i].isSpace() && text[i] != u';')
            blank = false;
    });
    return blank;
}

QStringList SplitSqlStatements(const QString& text) {
    QStringList statements;
    qsizetype start = 0;
    auto take = [&](qsizetype end) {
        const QString piece = text.mid(start, end - start);
        if (!IsBlankSql(piece))
            statements << piece.trimmed();
        start = end + 1;
    };
    scanCode(text, [&](qsizetype i) {
        // A ";" inside a trigger body does not end the statement: the engine tells.
        if (text[i] == u';' &&
            CipherFile::isCompleteStatement(text.mid(start, i + 1 - start).toUtf8()))
            take(i);
    });
    if (start < text.size())
        take(text.size());
    return statements;
}
