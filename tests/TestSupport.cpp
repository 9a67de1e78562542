#include "TestSupport.h"

#include "data/CipherFile.h"
#include "data/ProgramFolders.h"
#include "data/ServerChoice.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "data/TextRanks.h"
#include "output/ListReport.h"
#include "ui/MainFromUnit.h"
#include "widgets/MessageBoxes.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <cstdlib>
#include <grp.h>
#include <iostream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The engine of the run, decided before any test runs: a server run without a server is skipped
// as a whole (CTest's SKIP_RETURN_CODE), an unknown engine is a mistake.
const bool TestEngineChecked = [] {
    const char* engine = std::getenv("VARNHOLT_TEST_ENGINE");
    const std::string name = engine ? engine : "";
    if (name.empty() || name == "file")
        return false;
    if (name != "server") {
        std::cerr << "VARNHOLT_TEST_ENGINE=" << name
                  << ": the engines are \"file\" and \"server\"\n";
        std::exit(2);
    }
    const char* server = std::getenv("VARNHOLT_TEST_SERVER");
    if (!server || !*server) {
        std::cerr << "SKIPPED: the server run needs a test server, and none was started "
                     "(scripts/test.sh starts one)\n";
        std::exit(TestSkippedExitCode);
    }
    return true;
}();

// The database of a program directory, chosen as the program chooses it (the directory's server
// file, else its file).
void OpenChosenIn(Connection& connection, const QString& databaseFile) {
    const QString folder = QFileInfo(databaseFile).absolutePath() + '/';
    OpenChosenDatabase(connection, ProgramFolders(folder), databaseFile, DatabasePassword);
}

QStringList ColumnOf(Query& query, const QString& sql) {
    OpenSQL(query, sql);
    QStringList texts;
    for (int row = 0; row < query.RecordCount(); ++row)
        texts << query.TextAt(row, 0);
    return texts;
}

} // namespace

bool TestOnServer() {
    return TestEngineChecked;
}

TestProgramDir::TestProgramDir(bool prepareDatabase) {
    if (!prepareDatabase)
        return;
    if (!TestOnServer()) {
        Connection::CreateDatabase(databasePath(), DatabasePassword);
        return;
    }
    m_server = std::make_unique<TestServerDatabase>();
    {
        ServerEngine db(m_server->conninfo());
        PrepareServerDatabase(db);
    }
    QFile serverFile(path() + QStringLiteral("Varnholt.server"));
    if (!serverFile.open(QIODevice::WriteOnly) ||
        serverFile.write((m_server->conninfo() + '\n').toUtf8()) < 0)
        throw std::runtime_error("the test's server file could not be written");
}

TestProgramDir::~TestProgramDir() = default;

QString TestProgramDir::path() const {
    return m_dir.path() + '/';
}

QString TestProgramDir::address() const {
    return m_server ? m_server->conninfo() : databasePath();
}

TestDatabase::TestDatabase() : m_dm(std::make_unique<TShareDM>()) {
    if (TestOnServer())
        OpenChosenIn(m_dm->ADOConnection1, m_dir.databasePath());
    else
        m_dm->ADOConnection1.OpenFile(m_dir.databasePath(), DatabasePassword);
}

TestDatabase::~TestDatabase() = default;

int TestDatabase::exec(const QString& sql) {
    Query query(&m_dm->ADOConnection1);
    return ExecSQL(query, sql);
}

QString TestDatabase::scalar(const QString& sql) {
    Query query(&m_dm->ADOConnection1);
    OpenSQL(query, sql);
    return query.RecordCount() > 0 ? query.TextAt(0, 0) : QString();
}

QStringList TestDatabase::column(const QString& sql) {
    Query query(&m_dm->ADOConnection1);
    return ColumnOf(query, sql);
}

void TestDatabase::refuseWrites(const QString& name, const QString& table, const QString& condition,
                                const QString& message) {
    Connection& connection = m_dm->ADOConnection1;
    if (!connection.OnServer()) {
        for (const char* event : {"insert", "update"})
            connection.Execute(QStringLiteral("create trigger %1_%2 before %2 on %3 when %4 "
                                              "begin select raise(abort, %5); end")
                                   .arg(name, event, table, condition, QuotedSql(message)));
        return;
    }
    const QString body =
        QStringLiteral("begin if %1 then raise exception %2; end if; return new; end")
            .arg(condition, QuotedSql(message));
    connection.Execute(QStringLiteral("create function %1() returns trigger language plpgsql as %2")
                           .arg(name, QuotedSql(body)));
    connection.Execute(QStringLiteral("create trigger %1 before insert or update on %2 for each "
                                      "row execute function %1()")
                           .arg(name, table));
}

void TestDatabase::allowWrites(const QString& name) {
    Connection& connection = m_dm->ADOConnection1;
    if (!connection.OnServer()) {
        for (const char* event : {"insert", "update"})
            connection.Execute(QStringLiteral("drop trigger %1_%2").arg(name, event));
        return;
    }
    connection.Execute(QStringLiteral("drop function %1() cascade").arg(name));
}

AttachedDatabase::AttachedDatabase(const QString& path) : m_query(&m_connection) {
    if (TestOnServer())
        OpenChosenIn(m_connection, path);
    else
        m_connection.OpenFile(path, DatabasePassword);
}

int AttachedDatabase::exec(const QString& sql) {
    return ExecSQL(m_query, sql);
}

QString AttachedDatabase::scalar(const QString& sql) {
    OpenSQL(m_query, sql);
    return m_query.RecordCount() > 0 ? m_query.TextAt(0, 0) : QString();
}

QStringList AttachedDatabase::column(const QString& sql) {
    return ColumnOf(m_query, sql);
}

void MakeOlderFile(const QString& path, int version) {
    const CipherFile::Handle db = CipherFile::openExisting(path, DatabasePassword);
    // The engine cannot drop a column: the table is made again without it, keys as they are.
    QStringList statements{
        "CREATE TABLE OlderProduct (ProductIndex INTEGER PRIMARY KEY AUTOINCREMENT, "
        "ProductSerial TEXT, ProductName TEXT, ProductType TEXT, ProductUnit TEXT)",
        "INSERT INTO OlderProduct SELECT ProductIndex, ProductSerial, ProductName, ProductType, "
        "ProductUnit FROM Product",
        "DROP TABLE Product",
        "ALTER TABLE OlderProduct RENAME TO Product",
        "CREATE INDEX ProductNameIndex ON Product (ProductName, ProductType)",
        version <= 2 ? "CREATE INDEX ProductSerialIndex ON Product (ProductSerial)"
                     : "CREATE UNIQUE INDEX ProductSerialIndex ON Product (ProductSerial)"};
    if (version <= 1)
        for (const char* trigger : {"StoreDateCheckInsert", "StoreDateCheckUpdate",
                                    "StoreDateFormInsert", "StoreDateFormUpdate"})
            statements << QString("DROP TRIGGER ") + trigger;
    statements << QString("PRAGMA user_version = %1").arg(version);
    for (const QString& statement : statements)
        CipherFile::execute(db.get(), statement);
}

QByteArray digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

ino_t inodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                  QDir::NoDotAndDotDot);
}

QProcess* startChild(const QStringList& args) {
    auto* child = new QProcess;
    child->start(QCoreApplication::applicationFilePath(), args);
    return child;
}

QString runChild(const QStringList& args, QProcess::ExitStatus* status, int* code) {
    std::unique_ptr<QProcess> child(startChild(args));
    child->waitForFinished(60000);
    if (status)
        *status = child->exitStatus();
    if (code)
        *code = child->exitCode();
    return QString::fromUtf8(child->readAllStandardOutput() + child->readAllStandardError());
}

void becomeNobodyWhenRoot() {
    if (geteuid() != 0)
        return;
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
        std::exit(3);
}

void limitFileSize(qint64 bytes) {
    std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit fails instead of ending the process
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    setrlimit(RLIMIT_FSIZE, &limit);
}

TestWindow::TestWindow(const QStringList& fixture,
                       const std::function<void(TestDatabase&)>& prepare) {
    for (const QString& sql : fixture)
        db.exec(sql);
    if (prepare)
        prepare(db);
    form = std::make_unique<TMainForm>(db.dm(), db.dir().path());
    form->InitializePages();
    WaitForFilledLists(*form);
}

void WaitForFilledLists(TMainForm& form) {
    if (!QTest::qWaitFor([&] { return !form.ListsFilling(); }, 60'000))
        throw std::runtime_error("the window's lists were not filled within a minute");
}

TestWindow::~TestWindow() = default;

ToolRun RunTool(const QStringList& args) {
    QProcess process;
    if (TestOnServer()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& arg : args) {
            const QFileInfo file(arg);
            if (file.fileName() != DatabaseFileName)
                continue;
            QFile serverFile(file.absolutePath() + QStringLiteral("/Varnholt.server"));
            if (serverFile.open(QIODevice::ReadOnly))
                env.insert(QStringLiteral("VARNHOLT_SERVER"),
                           QString::fromUtf8(serverFile.readLine()).trimmed());
        }
        process.setProcessEnvironment(env);
    }
    process.start(qEnvironmentVariable("VARNHOLT_TOOLS_DIR") + "/varnholt-db", args);
    if (!process.waitForFinished(60000))
        return {-1, {}, "did not finish"};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void InstallReportTemplates(const QString& programDir) {
    const QString source = qEnvironmentVariable("VARNHOLT_TOOLS_DIR") + "/frf/";
    QDir().mkpath(programDir + "frf");
    for (const QString& name : {NarrowTemplateName, WideTemplateName})
        QFile::copy(source + name, programDir + "frf/" + name);
}

void UseChineseLocale() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    SetCollationLocale("zh_CN");
}

QStringList ShownMessageTexts() {
    QStringList texts;
    for (const auto& shown : MessageBoxes::shown())
        texts << shown.text;
    return texts;
}

QString PdfText(const QString& path) {
    QProcess process;
    process.start("pdftotext", {"-layout", path, "-"});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPages(const QString& path) {
    QProcess process;
    process.start("pdfinfo", {path});
    process.waitForFinished(30000);
    const QRegularExpressionMatch pages =
        QRegularExpression(R"(Pages:\s+(\d+))")
            .match(QString::fromUtf8(process.readAllStandardOutput()));
    return pages.hasMatch() ? pages.captured(1).toInt() : 0;
}

// ---- the throwaway database server ------------------------------------------------------------

QString TestServerInfo() {
    return qEnvironmentVariable("VARNHOLT_TEST_SERVER");
}

TestServerDatabase::TestServerDatabase() {
    static int made = 0;
    m_name =
        QStringLiteral("varnholt_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    ServerEngine admin(TestServerInfo());
    admin.execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    admin.execute(QStringLiteral("CREATE DATABASE %1").arg(m_name));
    m_conninfo = TestServerInfo() + QStringLiteral(" dbname=") + m_name;
}

TestServerDatabase::~TestServerDatabase() {
    try {
        ServerEngine admin(TestServerInfo());
        admin.execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    } catch (...) {
        // The server is stopped with everything on it at the end of the run.
    }
}
