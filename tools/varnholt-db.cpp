// varnholt-db: prepares database files and runs statements on them, for the administrator and
// for support.
//
//   varnholt-db init FILE              prepare a new database file (never overwrites one)
//   varnholt-db sql FILE STATEMENT     run one statement through the program's own SQL dialect
#include "DataError.h"
#include "ShareDMUnit.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

int usage() {
    err() << "用法：\n"
             "  varnholt-db init FILE\n"
             "  varnholt-db sql FILE STATEMENT\n";
    return 2;
}

// Keeps one record on one line of tab-separated output.
QString cellText(const QString& text) {
    QString escaped = text;
    escaped.replace('\\', QStringLiteral("\\\\"));
    escaped.replace('\t', QStringLiteral("\\t"));
    escaped.replace('\n', QStringLiteral("\\n"));
    escaped.replace('\r', QStringLiteral("\\r"));
    return escaped;
}

void printRows(Query& query) {
    QStringList line;
    for (int c = 0; c < query.FieldCount(); ++c)
        line << cellText(query.FieldName(c));
    out() << line.join('\t') << '\n';
    for (int row = 0; row < query.RecordCount(); ++row) {
        line.clear();
        for (int c = 0; c < query.FieldCount(); ++c)
            line << cellText(query.TextAt(row, c));
        out() << line.join('\t') << '\n';
    }
}

int runStatement(const QString& file, const QString& statement) {
    TShareDM dataModule;
    dataModule.ADOConnection1.OpenFile(file, DatabasePassword);
    Query& query = dataModule.ADOQueryTemp1;
    query.SQL() = QStringList{statement};
    if (query.ReturnsRows()) {
        OpenSQL(query, statement);
        printRows(query);
    } else {
        out() << ExecSQL(query, statement) << '\n';
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 3 && args[1] == "init") {
            Connection::CreateDatabase(args[2], DatabasePassword);
            out() << "已建立数据库文件 " << args[2] << '\n';
            return 0;
        }
        if (args.size() == 4 && args[1] == "sql")
            return runStatement(args[2], args[3]);
        return usage();
    } catch (const DataError& error) {
        err() << error.message() << '\n';
        return 1;
    }
}
