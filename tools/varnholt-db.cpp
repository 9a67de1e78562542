// varnholt-db: prepares database files and runs statements on them, for the administrator and
// for support.
//
//   varnholt-db init FILE              prepare a new database file (never overwrites one)
//   varnholt-db init URI               prepare an empty database on a server (a libpq URI or
//                                      connection string); list, balance, products, print,
//                                      export and sql take such a URI in place of FILE
//   varnholt-db sql FILE STATEMENTS    run statements through the program's own SQL dialect;
//                                      several (separated by ";") run all in one transaction
//   varnholt-db compact FILE           compact the file in place, as the program does at exit
//   varnholt-db list FILE in|out [--from YYYY-MM-DD --to YYYY-MM-DD] [--name TEXT] [--model TEXT]
//   varnholt-db balance FILE YYYY-MM-DD [--name TEXT] [--model TEXT] [--below-minimum]
//   varnholt-db summary FILE FROM TO [--name TEXT] [--model TEXT]
//   varnholt-db products FILE [--name TEXT] [--model TEXT]
//                                      print a stock list, the stock balance, the period summary
//                                      (dates YYYY-MM-DD) or the product list as its page shows
//                                      it: titles, one row per record, the footer
//   varnholt-db countsheet FILE YYYY-MM-DD [--name TEXT] [--model TEXT] [--below-minimum]
//                                      print the count sheet of a stocktaking (the balance with
//                                      an empty column for the counts)
//   varnholt-db stocktake FILE YYYY-MM-DD COUNTS.csv
//                                      record the stocktaking of the counts in COUNTS.csv (UTF-8,
//                                      "code,counted" a line): one adjusting movement on that day
//                                      for every product whose count differs, all or nothing
//   varnholt-db print OUT.pdf list ...|balance ...|summary ...|countsheet ...
//                                      write the report of that page's "打印" as a PDF file
//   varnholt-db export OUT.xlsx list ...|balance ...|summary ...|countsheet ...
//                                      write the workbook the page's "导出" makes of that list
//   varnholt-db copy SOURCE TARGET     copy every table from a file or server to a new file or an
//                                      empty server database, in one transaction, and compare
//                                      each table's rows and checksum on both sides
//   varnholt-db backup FILE DEST_FOLDER
//                                      write a checked backup Varnholt-YYYYMMDD-HHMMSS.mdb (of a
//                                      server too)
//   varnholt-db restore FILE BACKUP_FILE
//                                      replace the data with a checked backup; the data replaced
//                                      is kept as FILE.before-restore-YYYYMMDD-HHMMSS (for a
//                                      server: Varnholt-server.mdb.before-restore-… beside the
//                                      backup)
//   varnholt-db check FILE             integrity, tables and the rows of every table
//   varnholt-db --help                 these commands, and where the program keeps the data
#include "data/DataError.h"
#include "data/DatabaseBackup.h"
#include "data/DatabaseCheck.h"
#include "data/DatabaseCompactor.h"
#include "data/DatabaseRestore.h"
#include "data/DatabaseTransfer.h"
#include "data/Letterhead.h"
#include "data/ProgramFolders.h"
#include "data/RowStream.h"
#include "data/ServerCheck.h"
#include "data/ServerChoice.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "data/ShareDMUnit.h"
#include "data/SqlScript.h"
#include "data/Transaction.h"
#include "lists/ListTable.h"
#include "lists/ProgramLocale.h"
#include "output/ListReport.h"
#include "output/ListReportDataSet.h"
#include "output/WorkbookExport.h"
#include "product/ProductLists.h"
#include "product/ProductStatements.h"
#include "report/PreparedReport.h"
#include "report/Report.h"
#include "report/ReportError.h"
#include "report/ReportOutput.h"
#include "stock/CountSheet.h"
#include "stock/StockCountFile.h"
#include "stock/StockListing.h"
#include "stock/StockLists.h"
#include "stock/Stocktaking.h"

#include <QCoreApplication>
#include <QDate>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

const char* const UsageText =
    "用法：\n"
    "  varnholt-db init FILE|URI\n"
    "  varnholt-db sql FILE STATEMENTS\n"
    "  varnholt-db compact FILE\n"
    "  varnholt-db list FILE in|out [--from YYYY-MM-DD --to YYYY-MM-DD] [--name 名称] "
    "[--model 型号]\n"
    "  varnholt-db balance FILE YYYY-MM-DD [--name 名称] [--model 型号] [--below-minimum]\n"
    "  varnholt-db summary FILE YYYY-MM-DD YYYY-MM-DD [--name 名称] [--model 型号]\n"
    "  varnholt-db products FILE [--name 名称] [--model 型号]\n"
    "  varnholt-db countsheet FILE YYYY-MM-DD [--name 名称] [--model 型号] [--below-minimum]\n"
    "  varnholt-db stocktake FILE YYYY-MM-DD COUNTS.csv\n"
    "  varnholt-db print OUT.pdf list ...|balance ...|summary ...|countsheet ...\n"
    "  varnholt-db export OUT.xlsx list ...|balance ...|summary ...|countsheet ...\n"
    "  varnholt-db copy SOURCE TARGET\n"
    "  varnholt-db backup FILE DEST_FOLDER\n"
    "  varnholt-db restore FILE BACKUP_FILE\n"
    "  varnholt-db check FILE\n";

// The chosen server, else FILE.
QString chosenDatabase(const QString& file) {
    return ChosenDatabase(CurrentProgramFolders(), file);
}

// The commands that read or write the data use the program's database server when one is
// chosen (VARNHOLT_SERVER, or the server file), FILE otherwise.
void openDatabase(Connection& connection, const QString& file) {
    OpenChosenDatabase(connection, CurrentProgramFolders(), file, DatabasePassword);
}

// compact works on the database file itself; with a server chosen it
// says so instead of acting on a file the program does not use.
void requireFile(const QString& command, const QString& file) {
    const QString database = chosenDatabase(file);
    if (IsServerAddress(database))
        throw DataError(
            QStringLiteral("程序现在使用数据库服务器（%1）：%2 命令只适用于数据库文件。")
                .arg(database, command));
}

int usage() {
    err() << UsageText;
    return 2;
}

// --help: the commands, and where the program keeps this user's data.
int help() {
    out() << UsageText << '\n'
          << QStringLiteral("程序的数据：") << '\n'
          << "  " << DataLocationText(CurrentProgramFolders()).replace('\n', "\n  ") << '\n'
          << QStringLiteral(
                 "环境变量 VARNHOLT_DATA 可以指定另一个数据文件夹（例如几位店员共用的文件夹）。")
          << '\n';
    return 0;
}

// Keeps one record on one line of tab-separated output and the terminal as it is: a backslash,
// tab, line break and carriage return are written as \\, \t, \n and \r, every other control
// character (which a terminal could take as a command) as \xHH, or \u0080 to \u009f.
void appendEscaped(std::string& out, std::string_view utf8) {
    static const char hex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        switch (c) {
        case '\\':
            out += "\\\\";
            continue;
        case '\t':
            out += "\\t";
            continue;
        case '\n':
            out += "\\n";
            continue;
        case '\r':
            out += "\\r";
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7f) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else if (c == 0xc2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9f) {
            const auto second = static_cast<unsigned char>(utf8[++i]); // U+0080 to U+009F
            out += "\\u00";
            out += hex[second >> 4];
            out += hex[second & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
}

QString cellText(const QString& text) {
    std::string escaped;
    appendEscaped(escaped, text.toStdString());
    return QString::fromStdString(escaped);
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
        appendEscaped(m_buffer, text);
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
    bool belowMinimum = false; // the balance's "只看低于下限"
};

ListOptions parseOptions(const QStringList& args, int first, bool withDates,
                         bool withBelowMinimum = false) {
    ListOptions options;
    for (int i = first; i < args.size(); i += 2) {
        const QString& option = args[i];
        if (withBelowMinimum && option == "--below-minimum") {
            options.belowMinimum = true;
            --i; // an option without a value
            continue;
        }
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

int printListing(const QString& file, const ListDefinition& list) {
    TShareDM dataModule;
    openDatabase(dataModule.ADOConnection1, file);
    dataModule.ADOConnection1.UseSinglePassCache();
    RowStream rows(dataModule.ADOConnection1,
                   list.statementOn(dataModule.ADOConnection1.sqlTarget()));
    TabSeparatedWriter writer;
    WriteListing(rows, list.columns, writer);
    return 0;
}

// "list FILE in|out [options]" from args[1] on: the page's list with those filters; none for a
// kind that is neither.
std::optional<ListDefinition> movementListing(const QStringList& args) {
    const QString& kindName = args[3];
    if (kindName != "in" && kindName != "out")
        return std::nullopt;
    const ListOptions options = parseOptions(args, 4, true);
    const QString filters =
        options.from.isEmpty()
            ? ProductFilterFragment(options.name, options.model)
            : MovementFilterFragment(parseDate(options.from), parseDate(options.to), options.name,
                                     options.model);
    return MovementList(kindName == "in" ? MovementKind::StockIn : MovementKind::StockOut, filters);
}

// The balance's filters as its page's "查询" composes them.
QString balanceFilters(const ListOptions& options) {
    return BalanceFilterFragment(options.name, options.model, options.belowMinimum);
}

// "balance FILE YYYY-MM-DD [options]" from args[1] on.
ListDefinition balanceListing(const QStringList& args) {
    const QDate cutoff = parseDate(args[3]);
    return BalanceList(cutoff, balanceFilters(parseOptions(args, 4, false, true)));
}

// "summary FILE FROM TO [options]" from args[1] on.
ListDefinition summaryListing(const QStringList& args) {
    const QDate from = parseDate(args[3]);
    const QDate to = parseDate(args[4]);
    const ListOptions options = parseOptions(args, 5, false);
    return SummaryList(from, to, ProductFilterFragment(options.name, options.model));
}

// "countsheet FILE YYYY-MM-DD [options]" from args[1] on.
ListDefinition countSheetListing(const QStringList& args) {
    const QDate cutoff = parseDate(args[3]);
    return CountSheetList(cutoff, balanceFilters(parseOptions(args, 4, false, true)));
}

int listMovements(const QStringList& args) {
    const std::optional<ListDefinition> listing = movementListing(args);
    if (!listing)
        return usage();
    return printListing(args[2], *listing);
}

int listBalance(const QStringList& args) {
    return printListing(args[2], balanceListing(args));
}

int listSummary(const QStringList& args) {
    return printListing(args[2], summaryListing(args));
}

int listProducts(const QStringList& args) {
    const ListOptions options = parseOptions(args, 3, false);
    return printListing(args[2], ProductList(ProductFilterFragment(options.name, options.model)));
}

// The list, balance, summary or count sheet command line behind the first two arguments of print
// and export, as those commands take it; none when it is none of them.
std::optional<ListDefinition> listingOf(const QStringList& command) {
    if (command.size() >= 4 && command[1] == "list")
        return movementListing(command);
    if (command.size() >= 4 && command[1] == "balance")
        return balanceListing(command);
    if (command.size() >= 5 && command[1] == "summary")
        return summaryListing(command);
    if (command.size() >= 4 && command[1] == "countsheet")
        return countSheetListing(command);
    return std::nullopt;
}

// export OUT.xlsx followed by a list, balance, summary or count sheet command line: the workbook
// the page's "导出" makes of that list, written to OUT.xlsx.
int exportListing(const QStringList& args) {
    const QStringList command = QStringList{args[0]} + args.mid(3);
    const std::optional<ListDefinition> listing = listingOf(command);
    if (!listing)
        return usage();
    const ExportOutcome outcome = ExportListToFile(chosenDatabase(command[2]), *listing, args[2]);
    if (outcome.cutTexts > 0)
        err() << CutTextsNotice(outcome.cutTexts) << '\n';
    out() << QStringLiteral("已导出 %1 条记录到 %2").arg(outcome.records).arg(outcome.file) << '\n';
    return 0;
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
    openDatabase(connection, file);
    if (statements.size() == 1) {
        runStatement(dataModule.ADOQueryTemp1, statements.first());
        return 0;
    }
    Transaction transaction(connection);
    try {
        for (const QString& statement : statements)
            runStatement(dataModule.ADOQueryTemp1, statement);
        transaction.Commit();
    } catch (const DataError& error) {
        transaction.Rollback();
        throw DataError(
            QStringLiteral("%1\n整段 SQL 已撤销：数据库没有改变。").arg(error.message()));
    }
    return 0;
}

// "init URI": the program's tables and the administrator's account in an empty server database.
int prepareServer(const QString& conninfo) {
    ServerEngine db(conninfo);
    PrepareServerDatabase(db);
    out() << QStringLiteral("已准备好%1").arg(db.description()) << '\n';
    return 0;
}

int compact(const QString& file) {
    DatabaseCompactor compactor(file, DatabasePassword);
    if (!compactor.run()) {
        err() << QStringLiteral("没有整理数据库文件 %1：%2").arg(file, compactor.refusal()) << '\n';
        return 1;
    }
    out() << QStringLiteral("已整理数据库文件 ") << file << '\n';
    return 0;
}

// Writes the report of a page's list to a PDF file: the same columns at their layout widths,
// the same report as the page's print button, the letterhead of that file.
// The count sheet's footer is the count of its products (StaticFooters), as the dialog prints it.
void writeListReport(const QString& output, const QString& file, const ListDefinition& listing,
                     bool staticFooters) {
    TShareDM dataModule;
    openDatabase(dataModule.ADOConnection1, file);
    dataModule.ADOConnection1.UseSinglePassCache();
    Query query(&dataModule.ADOConnection1);
    query.setObjectName(listing.query);
    OpenSQL(query, listing.statementOn(dataModule.ADOConnection1.sqlTarget()));
    const auto table = std::make_shared<const ListTable>(&query, listing.columns);
    ListReportDataSet dataSet(listing.dataSet, table);
    Report report;
    report.setDataSet(&dataSet);
    BuildListReport(*table, report, listing.title, staticFooters, NarrowTemplateName,
                    WideTemplateName, CurrentProgramFolders().resources,
                    ReadLetterhead(dataModule));
    const auto prepared = report.PrepareReport();
    WriteReportPdf(*prepared, output);
    out() << QStringLiteral("已写入 PDF 文件 %1（%2 页）").arg(output).arg(prepared->PageCount())
          << '\n';
}

// Qt's own notes about the display-less platform (no run-time folder and the like) would
// reach a scheduled job's mail on every run; its failures still come through.
void keepQtNotesQuiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        err() << message << '\n';
}

// print OUT.pdf list|balance|summary|countsheet ...: runs without a display, for scheduled reports.
int printToPdf(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(keepQtNotesQuiet);
    QGuiApplication app(argc, argv);
    SetProgramLocale();
    const QStringList args = app.arguments();
    if (args.size() < 6)
        return usage();
    // The list command line as `list` and `balance` take it.
    const QStringList command = QStringList{args[0]} + args.mid(3);
    try {
        const std::optional<ListDefinition> listing = listingOf(command);
        if (!listing)
            return usage();
        writeListReport(args[2], command[2], *listing, command[1] == "countsheet");
        return 0;
    } catch (const UserError& error) {
        err() << error.message() << '\n';
    }
    return 1;
}

QString quantityText(double value) {
    return QString::number(value, 'f', 2);
}

// stocktake FILE YYYY-MM-DD COUNTS.csv: records the counts as the stocktaking dialog does and
// prints each adjustment.
int stocktake(const QString& file, const QString& dateText, const QString& countsFile) {
    const QDate cutoff = parseDate(dateText);
    TShareDM dataModule;
    openDatabase(dataModule.ADOConnection1, file);
    const std::vector<StockCount> counts =
        ReadStockCountFile(dataModule.ADOConnection1, countsFile);
    const std::vector<StockAdjustment> adjustments =
        RecordStocktaking(dataModule.ADOConnection1, cutoff, counts);
    printLine({QStringLiteral("商品编号"), QStringLiteral("商品名称"), QStringLiteral("商品型号"),
               QStringLiteral("单位"), QStringLiteral("当前库存"), QStringLiteral("实盘数量"),
               QStringLiteral("调整")});
    for (const StockAdjustment& adjustment : adjustments)
        printLine({adjustment.code, adjustment.name, adjustment.model, adjustment.unit,
                   quantityText(adjustment.onHand), quantityText(adjustment.counted),
                   (adjustment.kind == MovementKind::StockIn ? QStringLiteral("入库 ")
                                                             : QStringLiteral("出库 ")) +
                       quantityText(adjustment.quantity)});
    out() << QStringLiteral("盘点 %1 种商品，记录了 %2 条盘点调整（日期 %3）。")
                 .arg(counts.size())
                 .arg(adjustments.size())
                 .arg(cutoff.toString(QStringLiteral("yyyy-MM-dd")))
          << '\n';
    return 0;
}

// SOURCE and TARGET: a file's path or a server's connection string. Prints each table's rows,
// equal on both sides.
int copy(const QString& source, const QString& target) {
    const DatabaseTally tally = CopyDatabase(source, target, DatabasePassword);
    for (const TableTally& table : tally)
        printLine({table.table, QString::number(table.rows), QStringLiteral("一致")});
    out() << QStringLiteral("已复制到 %1：每个数据表的记录数和校验和都与原数据一致。").arg(target)
          << '\n';
    return 0;
}

int backUp(const QString& file, const QString& folder) {
    const BackupResult result = DatabaseBackup(chosenDatabase(file), DatabasePassword)
                                    .WriteInto(folder, QDateTime::currentDateTime());
    out() << QStringLiteral("已备份到 %1：%2").arg(result.path, CountsText(result.summary)) << '\n';
    return 0;
}

int restore(const QString& file, const QString& backup) {
    const RestoreResult result = DatabaseRestore(chosenDatabase(file), DatabasePassword)
                                     .RestoreFrom(backup, QDateTime::currentDateTime());
    out() << QStringLiteral("已恢复数据：%1").arg(CountsText(result.restored)) << '\n'
          << QStringLiteral("恢复之前的数据保存在 %1").arg(result.safetyCopy) << '\n';
    return 0;
}

// Prints the outcome of the checks and the rows of every table, one table a line; then the
// product codes that several products carry, each with their keys.
int check(const QString& file) {
    const QString database = chosenDatabase(file);
    DatabaseSummary summary;
    if (IsServerAddress(database)) {
        ServerEngine server(database);
        summary = CheckServerDatabase(server);
        out() << QStringLiteral("完整性检查：") << ServerPagesNote << '\n';
    } else {
        summary = CheckDatabaseFile(database, DatabasePassword);
        out() << QStringLiteral("完整性检查：正常") << '\n';
    }
    out() << QStringLiteral("数据版本：%1").arg(summary.schemaVersion) << '\n';
    for (const auto& [table, rows] : summary.rows)
        printLine({table, QString::number(rows)});
    if (summary.duplicateCodes.empty())
        return 0;
    out() << QStringLiteral(
                 "重复的商品编号（%1 个；商品编号不唯一时，按编号只能找到其中第一种商品，"
                 "请改正后再用）：")
                 .arg(summary.duplicateCodes.size())
          << '\n';
    for (const DuplicateCode& duplicate : summary.duplicateCodes) {
        QStringList keys;
        for (const qint64 key : duplicate.productKeys)
            keys << QString::number(key);
        printLine({duplicate.code, QStringLiteral("ProductIndex ") + keys.join(',')});
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "print") == 0)
        return printToPdf(argc, argv);
    QCoreApplication app(argc, argv);
    SetProgramLocale();
    const QStringList args = app.arguments();
    try {
        if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h" || args[1] == "help"))
            return help();
        if (args.size() == 3 && args[1] == "init" && IsServerAddress(args[2]))
            return prepareServer(args[2]);
        if (args.size() == 3 && args[1] == "init") {
            Connection::CreateDatabase(args[2], DatabasePassword);
            out() << "已建立数据库文件 " << args[2] << '\n';
            return 0;
        }
        if (args.size() == 4 && args[1] == "sql")
            return runStatements(args[2], args[3]);
        if (args.size() == 3 && args[1] == "compact") {
            requireFile(args[1], args[2]);
            return compact(args[2]);
        }
        if (args.size() >= 4 && args[1] == "list")
            return listMovements(args);
        if (args.size() >= 4 && args[1] == "balance")
            return listBalance(args);
        if (args.size() >= 5 && args[1] == "summary")
            return listSummary(args);
        if (args.size() >= 3 && args[1] == "products")
            return listProducts(args);
        if (args.size() >= 4 && args[1] == "countsheet")
            return printListing(args[2], countSheetListing(args));
        if (args.size() == 5 && args[1] == "stocktake")
            return stocktake(args[2], args[3], args[4]);
        if (args.size() >= 4 && args[1] == "export")
            return exportListing(args);
        if (args.size() == 4 && args[1] == "copy")
            return copy(args[2], args[3]);
        if (args.size() == 4 && args[1] == "backup")
            return backUp(args[2], args[3]);
        if (args.size() == 4 && args[1] == "restore")
            return restore(args[2], args[3]);
        if (args.size() == 3 && args[1] == "check")
            return check(args[2]);
        return usage();
    } catch (const UserError& error) {
        err() << error.message() << '\n';
        return 1;
    }
}
