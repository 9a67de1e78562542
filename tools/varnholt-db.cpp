// varnholt-db: prepares database files and runs statements on them, for the administrator and
// for support.
//
//   varnholt-db init FILE              prepare a new database file (never overwrites one)
//   varnholt-db sql FILE STATEMENTS    run statements through the program's own SQL dialect;
//                                      several (separated by ";") run all in one transaction
//   varnholt-db compact FILE           compact the file in place, as the program does at exit
//   varnholt-db list FILE in|out [--from YYYY-MM-DD --to YYYY-MM-DD] [--name TEXT] [--model TEXT]
//   varnholt-db balance FILE YYYY-MM-DD [--name TEXT] [--model TEXT]
//                                      print a stock list or the stock balance as its page shows
//                                      it: titles, one row per record, the footer
#include "DataError.h"
#include "ProgramLocale.h"
#include "RowStream.h"
#include "ShareDMUnit.h"
#include "SqlScript.h"
#include "StockGridColumns.h"
#include "StockListing.h"
#include "StockStatements.h"

#include <QCoreApplication>
#include <QDate>
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
             "  varnholt-db sql FILE STATEMENTS\n"
             "  varnholt-db compact FILE\n"
             "  varnholt-db list FILE in|out [--from YYYY-MM-DD --to YYYY-MM-DD] [--name 名称] "
             "[--model 型号]\n"
             "  varnholt-db balance FILE YYYY-MM-DD [--name 名称] [--model 型号]\n";
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

// Tab-separated lines straight to standard output, through one buffer: a list of any length
// is written as it is read.
class TabSeparatedWriter : public ListingWriter {
public:
    ~TabSeparatedWriter() override { flush(); }
    void cell(std::string_view text) override {
        if (!m_lineStart)
            m_buffer += '\t';
        m_lineStart = false;
        for (char c : text) {
            switch (c) {
            case '\\':
                m_buffer += "\\\\";
                break;
            case '\t':
                m_buffer += "\\t";
                break;
            case '\n':
                m_buffer += "\\n";
                break;
            case '\r':
                m_buffer += "\\r";
                break;
            default:
                m_buffer += c;
            }
        }
    }
    void endLine() override {
        m_buffer += '\n';
        m_lineStart = true;
        if (m_buffer.size() >= 1 << 16)
            flush();
    }
    void flush() {
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
        std::fflush(stdout);
        m_buffer.clear();
    }

private:
    std::string m_buffer;
    bool m_lineStart = true;
};

void printLine(const QStringList& cells) {
    QStringList line;
    for (const QString& cell : cells)
        line << cellText(cell);
    out() << line.join('\t') << '\n';
}

QDate parseDate(const QString& text) {
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        throw DataError(QStringLiteral("无法识别的日期：%1（应写成 YYYY-MM-DD）").arg(text));
    return date;
}

// The options behind the fixed arguments; a missing name or model means "所有".
struct ListOptions {
    QString from, to;
    QString name = AllItems;
    QString model = AllItems;
};

ListOptions parseOptions(const QStringList& args, int first, bool withDates) {
    ListOptions options;
    for (int i = first; i < args.size(); i += 2) {
        const QString& option = args[i];
        if (i + 1 >= args.size())
            throw DataError(QStringLiteral("选项 %1 缺少取值。").arg(option));
        const QString& value = args[i + 1];
        if (option == "--name")
            options.name = value;
        else if (option == "--model")
            options.model = value;
        else if (withDates && option == "--from")
            options.from = value;
        else if (withDates && option == "--to")
            options.to = value;
        else
            throw DataError(QStringLiteral("未知的选项：%1").arg(option));
    }
    if (options.from.isEmpty() != options.to.isEmpty())
        throw DataError(QStringLiteral("--from 和 --to 必须同时给出。"));
    return options;
}

int printListing(const QString& file, const QString& statement,
                 const std::vector<GridColumn>& columns) {
    TShareDM dataModule;
    dataModule.ADOConnection1.OpenFile(file, DatabasePassword);
    dataModule.ADOConnection1.UseSinglePassCache();
    RowStream rows(dataModule.ADOConnection1, statement);
    TabSeparatedWriter writer;
    WriteListing(rows, columns, writer);
    return 0;
}

int listMovements(const QStringList& args) {
    const QString& kindName = args[3];
    if (kindName != "in" && kindName != "out")
        return usage();
    const ListOptions options = parseOptions(args, 4, true);
    QString fragment;
    if (!options.from.isEmpty())
        fragment = DateRangeFragment(parseDate(options.from), parseDate(options.to));
    fragment += ProductFilterFragment(options.name, options.model);
    const bool in = kindName == "in";
    return printListing(args[2], MovementListStatement(in ? StockInKind : StockOutKind, fragment),
                        MovementGridColumns(in ? MovementKind::StockIn : MovementKind::StockOut));
}

int listBalance(const QStringList& args) {
    const QDate cutoff = parseDate(args[3]);
    const ListOptions options = parseOptions(args, 4, false);
    return printListing(
        args[2], BalanceStatement(cutoff, ProductFilterFragment(options.name, options.model)),
        BalanceGridColumns());
}

void printRows(Query& query) {
    QStringList line;
    for (int c = 0; c < query.FieldCount(); ++c)
        line << query.FieldName(c);
    printLine(line);
    for (int row = 0; row < query.RecordCount(); ++row) {
        line.clear();
        for (int c = 0; c < query.FieldCount(); ++c)
            line << query.TextAt(row, c);
        printLine(line);
    }
}

// Prints the rows of a statement that returns rows, or the number of rows it changed.
void runStatement(Query& query, const QString& statement) {
    query.SQL() = QStringList{statement};
    if (query.ReturnsRows()) {
        OpenSQL(query, statement);
        printRows(query);
    } else {
        out() << ExecSQL(query, statement) << '\n';
    }
}

// Runs every statement of the text, in order; several statements run in one transaction, so
// that a failing one leaves the file as it was.
int runStatements(const QString& file, const QString& text) {
    const QStringList statements = SplitSqlStatements(text);
    if (statements.isEmpty())
        throw DataError(QStringLiteral("没有要执行的 SQL 语句。"));
    TShareDM dataModule;
    Connection& connection = dataModule.ADOConnection1;
    connection.OpenFile(file, DatabasePassword);
    if (statements.size() == 1) {
        runStatement(dataModule.ADOQueryTemp1, statements.first());
        return 0;
    }
    connection.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        for (const QString& statement : statements)
            runStatement(dataModule.ADOQueryTemp1, statement);
        connection.Execute(QStringLiteral("COMMIT"));
    } catch (const DataError& error) {
        connection.Execute(QStringLiteral("ROLLBACK"));
        throw DataError(
            QStringLiteral("%1\n没有执行任何语句：整段 SQL 已撤销。").arg(error.message()));
    }
    return 0;
}

int compact(const QString& file) {
    if (!CompactDatabase(file, DatabasePassword)) {
        err() << QStringLiteral(
                     "没有整理数据库文件 %1：文件不存在、无法打开或写入，或者正被其它程序使用。")
                     .arg(file)
              << '\n';
        return 1;
    }
    out() << QStringLiteral("已整理数据库文件 ") << file << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SetProgramLocale();
    const QStringList args = app.arguments();
    try {
        if (args.size() == 3 && args[1] == "init") {
            Connection::CreateDatabase(args[2], DatabasePassword);
            out() << "已建立数据库文件 " << args[2] << '\n';
            return 0;
        }
        if (args.size() == 4 && args[1] == "sql")
            return runStatements(args[2], args[3]);
        if (args.size() == 3 && args[1] == "compact")
            return compact(args[2]);
        if (args.size() >= 4 && args[1] == "list")
            return listMovements(args);
        if (args.size() >= 4 && args[1] == "balance")
            return listBalance(args);
        return usage();
    } catch (const DataError& error) {
        err() << error.message() << '\n';
        return 1;
    }
}
