#include "TestSupport.h"

#include "data/ServerEngine.h"
#include "data/TextRanks.h"
#include "output/ListReport.h"
#include "ui/MainFromUnit.h"
#include "widgets/MessageBoxes.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <stdexcept>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

TestProgramDir::TestProgramDir(bool prepareDatabase) {
    if (prepareDatabase)
        Connection::CreateDatabase(databasePath(), DatabasePassword);
}

QString TestProgramDir::path() const {
    return m_dir.path() + '/';
}

TestDatabase::TestDatabase() : m_dm(std::make_unique<TShareDM>()) {
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

AttachedDatabase::AttachedDatabase(const QString& path) : m_query(&m_connection) {
    m_connection.OpenFile(path, DatabasePassword);
}

int AttachedDatabase::exec(const QString& sql) {
    return ExecSQL(m_query, sql);
}

QString AttachedDatabase::scalar(const QString& sql) {
    OpenSQL(m_query, sql);
    return m_query.RecordCount() > 0 ? m_query.TextAt(0, 0) : QString();
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
