// The Debian package as a shop gets it: made from this build by scripts/package.sh (nothing is
// built again), unpacked into a temporary root, its desktop entry and metadata validated, and the
// unpacked program started with a home folder of its own.
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString error;
};

Run run(const QString& program, const QStringList& args,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
        int timeoutMs = 120000) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {-1, {}, program + " did not finish"};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Every file and folder below `root`, with its size and modification time.
QStringList treeOf(const QString& root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        entries << QStringLiteral("%1 %2 %3")
                       .arg(info.filePath().mid(root.size()))
                       .arg(info.isDir() ? 0 : info.size())
                       .arg(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

// Polls `condition` until it holds or `timeoutMs` have passed; whether it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

// The files below `root`, as paths relative to it.
QStringList filesBelow(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(root.size() + 1);
    files.sort();
    return files;
}

const QString AppId = QStringLiteral("org.varnholt.Varnholt");
const QList<int> IconSizes = {16, 22, 24, 32, 48, 64, 128, 256};

QStringList installedFiles() {
    QStringList files = {
        "bin/Varnholt",
        "bin/varnholt-db",
        "share/applications/" + AppId + ".desktop",
        "share/icons/hicolor/scalable/apps/" + AppId + ".svg",
        "share/man/man1/varnholt-db.1.gz",
        "share/metainfo/" + AppId + ".metainfo.xml",
        "share/varnholt/Qhelp.jpg",
        "share/varnholt/frf/CommonPrint.frf",
        "share/varnholt/frf/CommonPrint2.frf",
    };
    for (int size : IconSizes)
        files << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId);
    files.sort();
    return files;
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT

    QTemporaryDir work;
    QString deb;
    QString root; // the unpacked package
    QString usr;

    QString field(const QString& name) {
        return run("dpkg-deb", {"--field", deb, name}).out.trimmed();
    }

private slots:
    void initTestCase() {
        QVERIFY(work.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARNHOLT_BUILD_DIR", qEnvironmentVariable("VARNHOLT_BUILD_DIR"));
        const Run made = run("bash",
                             {qEnvironmentVariable("VARNHOLT_SOURCE_DIR") + "/scripts/package.sh",
                              work.path() + "/out"},
                             env, 300000);
        QVERIFY2(made.exitCode == 0, qPrintable(made.out + made.error));
        const QStringList debs = QDir(work.path() + "/out").entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        deb = work.path() + "/out/" + debs.first();
        root = work.path() + "/root";
        usr = root + "/usr";
        const Run unpacked = run("dpkg-deb", {"-x", deb, root});
        QVERIFY2(unpacked.exitCode == 0, qPrintable(unpacked.error));
    }

    void packageIsNamedAndDependsAsDebianExpects() {
        QCOMPARE(QFileInfo(deb).fileName(),
                 QStringLiteral("varnholt_%1_%2.deb").arg(field("Version"), field("Architecture")));
        QCOMPARE(field("Package"), "varnholt");
        const QString depends = field("Depends");
        // Computed from the binaries, and what the program needs without linking it.
        for (const QString& package :
             QStringList{"libqt6widgets6", "libqt6printsupport6", "libsqlcipher0", "libxlsxwriter",
                         "fonts-wqy-microhei", "qt6-translations-l10n", "xdg-utils"})
            QVERIFY2(depends.contains(package), qPrintable(depends));
    }

    void packageHoldsTheInstalledTreeBelowUsr() {
        // Nothing outside /usr, no database, no file left from the build folder.
        QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"usr"});
        QCOMPARE(filesBelow(usr), installedFiles());
        for (const QString& program : QStringList{"bin/Varnholt", "bin/varnholt-db"})
            QCOMPARE(modeOf(usr + '/' + program), mode_t(0755));
        for (int size : IconSizes) {
            const QImage icon(QStringLiteral("%1/share/icons/hicolor/%2x%2/apps/%3.png")
                                  .arg(usr)
                                  .arg(size)
                                  .arg(AppId));
            QCOMPARE(icon.size(), QSize(size, size));
            QVERIFY(icon.hasAlphaChannel());
        }
    }

    void desktopEntryAndMetadataValidate() {
        const QString entry = usr + "/share/applications/" + AppId + ".desktop";
        const Run desktop = run("desktop-file-validate", {entry});
        QVERIFY2(desktop.exitCode == 0 && desktop.out.isEmpty(), qPrintable(desktop.out));
        const Run metadata =
            run("appstreamcli",
                {"validate", "--no-net", usr + "/share/metainfo/" + AppId + ".metainfo.xml"});
        QVERIFY2(metadata.exitCode == 0, qPrintable(metadata.out + metadata.error));

        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        for (const QString& line : QStringList{"Name[zh_CN]=Varnholt 库存管理", "Exec=Varnholt",
                                               "Categories=Office;", "Icon=" + AppId})
            QVERIFY2(lines.contains(line), qPrintable(line));
        QVERIFY(std::any_of(lines.begin(), lines.end(), [](const QString& line) {
            return line.startsWith("Comment[zh_CN]=");
        }));
    }

    void firstStartKeepsTheDataInTheUsersFolder() {
        const QString home = work.path() + "/home";
        QVERIFY(QDir().mkpath(home));
        const QStringList before = treeOf(root);
        QProcessEnvironment env;
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(home);
        program.start(usr + "/bin/Varnholt");
        QVERIFY(program.waitForStarted());

        // The program has made its database and gone through the first-run help when the file
        // says so; the next thing it does is wait in its log-in dialog.
        const QString database = home + "/.local/share/Varnholt/Varnholt.mdb";
        const auto waitingForLogIn = [&] {
            return QFile::exists(database) &&
                   run(usr + "/bin/varnholt-db",
                       {"sql", database,
                        "select RemarksValue from Remarks where RemarksName='FirstRun'"})
                       .out.contains("False");
        };
        QVERIFY(waitUntil([&] { return waitingForLogIn() || program.state() != QProcess::Running; },
                          60000));
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(30000));

        QCOMPARE(filesIn(home + "/.local/share/Varnholt"), QStringList{"Varnholt.mdb"});
        QCOMPARE(modeOf(home + "/.local/share/Varnholt"), mode_t(0700));
        QCOMPARE(modeOf(database), mode_t(0600));
        QFile file(database);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.read(16).startsWith("SQLite format 3")); // encrypted
        const Run checked = run(usr + "/bin/varnholt-db", {"check", database});
        QVERIFY2(checked.exitCode == 0 && checked.out.contains("完整性检查：正常"),
                 qPrintable(checked.out + checked.error));
        QCOMPARE(treeOf(root), before); // nothing written beside the program
    }

    void toolOfThePackageFindsItsFilesAndNamesTheData() {
        const QString home = work.path() + "/tool-home";
        QVERIFY(QDir().mkpath(home));
        QProcessEnvironment env;
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", home);
        const QString tool = usr + "/bin/varnholt-db";
        const Run help = run(tool, {"--help"}, env);
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.contains("数据文件：" + home + "/.local/share/Varnholt/Varnholt.mdb"),
                 qPrintable(help.out));

        // The report templates come from share/varnholt of the package.
        const QString database = work.path() + "/tool.mdb";
        QCOMPARE(run(tool, {"init", database}, env).exitCode, 0);
        const QString pdf = work.path() + "/库存.pdf";
        const Run printed = run(tool, {"print", pdf, "balance", database, "2026-12-31"}, env);
        QVERIFY2(printed.exitCode == 0, qPrintable(printed.error));
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(filesIn(home), QStringList());
    }

    void cmakeInstallLaysOutTheSameTreeUnderAnyPrefix() {
        const QString prefix = work.path() + "/some prefix";
        const Run installed = run(
            "cmake", {"--install", qEnvironmentVariable("VARNHOLT_BUILD_DIR"), "--prefix", prefix});
        QVERIFY2(installed.exitCode == 0, qPrintable(installed.out + installed.error));
        QCOMPARE(filesBelow(prefix), installedFiles());
    }
};

QTEST_MAIN(TestPackage)
#include "test_package.moc"
