// Where the program finds its files and keeps its data: the choice of the folders, the server
// file's look-up, and the data folder readied at the first start.
#include "TestSupport.h"
#include "data/DataError.h"
#include "data/DataFolder.h"
#include "data/ProgramFolders.h"

#include <QProcessEnvironment>
#include <QtTest>
#include <iostream>

namespace {

void writeFile(const QString& path, const QByteArray& content = "x") {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The first bytes of a plain SQLite file; an encrypted file begins with random bytes.
bool isPlainDatabase(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

QString administratorOf(const QString& path) {
    AttachedDatabase db(path);
    return db.scalar("select PowerName from Power");
}

// ---- child processes ----------------------------------------------------------------------------

int childMain(const QStringList& args) {
    const QString mode = args[1];
    if (mode == "--writable") {
        becomeNobodyWhenRoot();
        std::cout << (IsWritableFolder(args[2]) ? "writable" : "read-only") << std::endl;
        return 0;
    }
    ProgramFolders folders(args[2]);
    folders.dataKind = ProgramFolders::DataKind::NamedFolder;
    if (mode == "--prepare-as-nobody")
        becomeNobodyWhenRoot();
    try {
        PrepareDataFolder(folders, DatabasePassword);
        std::cout << "ready" << std::endl;
        return 0;
    } catch (const DataError& error) {
        std::cout << error.message().toStdString() << std::endl;
        return 1;
    }
}

} // namespace

class TestProgramFolders : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root;
    QString r; // the temporary root, ending with "/"

    QString expand(QString text) const { return text.replace("<root>/", r); }

private slots:
    void init() {
        root = std::make_unique<QTemporaryDir>();
        r = root->path() + '/';
        writeFile(r + "portable/frf/CommonPrint.frf");
        writeFile(r + "prefix/share/varnholt/frf/CommonPrint.frf");
        QDir().mkpath(r + "prefix/bin");
        QDir().mkpath(r + "bare");
        QDir().mkpath(r + "home");
    }
    void cleanup() { root.reset(); }

    void foldersFollowTheLayoutAndTheEnvironment_data() {
        QTest::addColumn<QString>("executableDir");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("varnholtData");
        QTest::addColumn<QString>("xdgDataHome");
        QTest::addColumn<QString>("resources");
        QTest::addColumn<QString>("data");
        QTest::addColumn<int>("kind");
        const int program = int(ProgramFolders::DataKind::ProgramDirectory);
        const int user = int(ProgramFolders::DataKind::UserFolder);
        const int named = int(ProgramFolders::DataKind::NamedFolder);
        const QString home = "<root>/home/.local/share/Varnholt/";
        QTest::newRow("build folder or portable copy, writable") << "<root>/portable" << true << ""
                                                                 << ""
                                                                 << "<root>/portable/"
                                                                 << "<root>/portable/" << program;
        QTest::newRow("portable copy, read-only: the user's folder")
            << "<root>/portable" << false << ""
            << ""
            << "<root>/portable/" << home << user;
        QTest::newRow("XDG_DATA_HOME names the user's folder") << "<root>/portable" << false << ""
                                                               << "<root>/xdg"
                                                               << "<root>/portable/"
                                                               << "<root>/xdg/Varnholt/" << user;
        QTest::newRow("a relative XDG_DATA_HOME is ignored") << "<root>/portable" << false << ""
                                                             << "relative/data"
                                                             << "<root>/portable/" << home << user;
        QTest::newRow("installed, read-only") << "<root>/prefix/bin" << false << ""
                                              << ""
                                              << "<root>/prefix/share/varnholt/" << home << user;
        QTest::newRow("installed, writable (as root): never beside the program")
            << "<root>/prefix/bin" << true << ""
            << ""
            << "<root>/prefix/share/varnholt/" << home << user;
        QTest::newRow("VARNHOLT_DATA over a writable program folder")
            << "<root>/portable" << true << "<root>/shop"
            << ""
            << "<root>/portable/"
            << "<root>/shop/" << named;
        QTest::newRow("VARNHOLT_DATA over an installed program")
            << "<root>/prefix/bin" << false << "<root>/shop/./x/../"
            << "<root>/xdg"
            << "<root>/prefix/share/varnholt/"
            << "<root>/shop/" << named;
        QTest::newRow("files missing everywhere: nothing written beside the program")
            << "<root>/bare" << true << ""
            << ""
            << "<root>/bare/" << home << user;
    }
    void foldersFollowTheLayoutAndTheEnvironment() {
        QFETCH(QString, executableDir);
        QFETCH(bool, writable);
        QFETCH(QString, varnholtData);
        QFETCH(QString, xdgDataHome);
        QFETCH(QString, resources);
        QFETCH(QString, data);
        QFETCH(int, kind);
        QProcessEnvironment env;
        env.insert("HOME", r + "home");
        if (!varnholtData.isEmpty())
            env.insert("VARNHOLT_DATA", expand(varnholtData));
        if (!xdgDataHome.isEmpty())
            env.insert("XDG_DATA_HOME", expand(xdgDataHome));
        QStringList asked;
        const ProgramFolders folders =
            DecideProgramFolders(expand(executableDir), env, [&](const QString& folder) {
                asked << folder;
                return writable;
            });
        QCOMPARE(folders.program, expand(executableDir) + '/');
        QCOMPARE(folders.resources, expand(resources));
        QCOMPARE(folders.data, expand(data));
        QCOMPARE(int(folders.dataKind), kind);
        QCOMPARE(folders.databasePath(), expand(data) + "Varnholt.mdb");
        for (const QString& folder : asked) // only the program folder is ever asked about
            QCOMPARE(folder, folders.program);
    }

    void writableFolderIsWhatThisUserMayWrite() {
        QVERIFY(QFile::setPermissions(r, QFileDevice::Permissions(0x7755)));
        QDir().mkpath(r + "open");
        QDir().mkpath(r + "closed");
        QVERIFY(QFile::setPermissions(r + "open", QFileDevice::Permissions(0x7777)));
        QVERIFY(QFile::setPermissions(r + "closed", QFileDevice::Permissions(0x5555)));
        QCOMPARE(runChild({"--writable", r + "open"}).trimmed(), "writable");
        QCOMPARE(runChild({"--writable", r + "closed"}).trimmed(), "read-only");
        QCOMPARE(runChild({"--writable", r + "missing"}).trimmed(), "read-only");
    }

    void serverFileIsTheFirstFound_data() {
        QTest::addColumn<QStringList>("holding"); // the places that hold a Varnholt.server
        QTest::addColumn<QString>("found");
        QTest::newRow("none") << QStringList{} << "";
        QTest::newRow("the system's") << QStringList{"etc"} << "etc";
        QTest::newRow("the program directory's") << QStringList{"program"} << "program";
        QTest::newRow("the data folder's") << QStringList{"data"} << "data";
        QTest::newRow("the program directory before the system")
            << QStringList{"program", "etc"} << "program";
        QTest::newRow("the data folder first") << QStringList{"data", "program", "etc"} << "data";
        QTest::newRow("a folder of that name is no file") << QStringList{"data/", "etc"} << "etc";
    }
    void serverFileIsTheFirstFound() {
        QFETCH(QStringList, holding);
        QFETCH(QString, found);
        for (QString place : holding) {
            if (place.endsWith('/'))
                QDir().mkpath(r + place + "Varnholt.server");
            else
                writeFile(r + place + "/Varnholt.server", "host=/run/postgresql dbname=shop");
        }
        ProgramFolders folders(r + "program/");
        folders.data = r + "data/";
        const QString expected = found.isEmpty() ? QString() : r + found + "/Varnholt.server";
        QCOMPARE(FindServerFile(folders, r + "etc"), expected);
    }

    void serverFileBesideAPortableProgramIsFound() {
        // The data folder is the program directory: one place, looked at once.
        const ProgramFolders folders =
            DecideProgramFolders(r + "portable", QProcessEnvironment(), [](auto&) { return true; });
        QCOMPARE(FindServerFile(folders, r + "etc"), QString());
        writeFile(r + "portable/Varnholt.server");
        QCOMPARE(FindServerFile(folders, r + "etc"), r + "portable/Varnholt.server");
        QCOMPARE(SystemConfigFolder, "/etc/varnholt/");
    }

    void firstStartMakesAPrivateFolderAndAnEncryptedDatabase() {
        ProgramFolders folders(r + "portable/");
        folders.data = r + "home/.local/share/Varnholt/";
        folders.dataKind = ProgramFolders::DataKind::UserFolder;
        PrepareDataFolder(folders, DatabasePassword);
        for (const QString& folder :
             QStringList{"home/.local", "home/.local/share", "home/.local/share/Varnholt"})
            QCOMPARE(modeOf(r + folder), mode_t(0700));
        QCOMPARE(filesIn(folders.data), QStringList{"Varnholt.mdb"});
        QCOMPARE(modeOf(folders.databasePath()), mode_t(0600));
        QVERIFY(!isPlainDatabase(folders.databasePath()));
        QCOMPARE(administratorOf(folders.databasePath()), "管理员");

        // Later starts keep the database as it is.
        AttachedDatabase(folders.databasePath()).exec("update Power set PowerKey='1'");
        const QByteArray before = digest(folders.databasePath());
        PrepareDataFolder(folders, DatabasePassword);
        QCOMPARE(digest(folders.databasePath()), before);
    }

    void dataFolderByKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("error"); // empty: no error
        QTest::addColumn<bool>("created");
        const int program = int(ProgramFolders::DataKind::ProgramDirectory);
        const int named = int(ProgramFolders::DataKind::NamedFolder);
        QTest::newRow("the program directory's database comes with the build")
            << program << true << "" << false;
        QTest::newRow("VARNHOLT_DATA folder without a database") << named << true << "" << true;
        QTest::newRow("VARNHOLT_DATA folder missing")
            << named << false << "环境变量 VARNHOLT_DATA 指定的数据文件夹" << false;
    }
    void dataFolderByKind() {
        QFETCH(int, kind);
        QFETCH(bool, folderExists);
        QFETCH(QString, error);
        QFETCH(bool, created);
        ProgramFolders folders(r + "portable/");
        folders.data = r + "shop/";
        folders.dataKind = ProgramFolders::DataKind(kind);
        if (folderExists)
            QDir().mkpath(folders.data);
        QString message;
        try {
            PrepareDataFolder(folders, DatabasePassword);
        } catch (const DataError& failure) {
            message = failure.message();
        }
        QVERIFY2(error.isEmpty() ? message.isEmpty() : message.contains(error),
                 qPrintable(message));
        if (!error.isEmpty())
            QVERIFY(message.contains(folders.data));
        QCOMPARE(QFile::exists(folders.databasePath()), created);
        QCOMPARE(QFile::exists(folders.data), folderExists);
        if (created) {
            QCOMPARE(modeOf(folders.databasePath()), mode_t(0600));
            QCOMPARE(filesIn(folders.data), QStringList{"Varnholt.mdb"});
        }
    }

    void folderThatCannotBeWrittenIsAMessage() {
        QVERIFY(QFile::setPermissions(r, QFileDevice::Permissions(0x7755)));
        QDir().mkpath(r + "shop");
        QVERIFY(QFile::setPermissions(r + "shop", QFileDevice::Permissions(0x5555)));
        int code = 0;
        const QString message = runChild({"--prepare-as-nobody", r + "shop/"}, nullptr, &code);
        QCOMPARE(code, 1);
        QVERIFY2(message.contains(r + "shop/"), qPrintable(message));
        QCOMPARE(filesIn(r + "shop"), QStringList());
    }

    void copiesStartingTogetherMakeOneDatabase() {
        QDir().mkpath(r + "shop");
        std::vector<std::unique_ptr<QProcess>> copies;
        for (int i = 0; i < 4; ++i)
            copies.emplace_back(startChild({"--prepare", r + "shop/"}));
        for (auto& copy : copies) {
            QVERIFY(copy->waitForFinished(60000));
            QCOMPARE(copy->readAllStandardOutput().trimmed(), "ready");
            QCOMPARE(copy->exitCode(), 0);
        }
        QCOMPARE(filesIn(r + "shop"), QStringList{"Varnholt.mdb"});
        QCOMPARE(administratorOf(r + "shop/Varnholt.mdb"), "管理员");
    }

    void dataLocationNamesTheFileAndTheBackups() {
        ProgramFolders folders(r + "portable/");
        folders.data = r + "home/.local/share/Varnholt/";
        QCOMPARE(DataLocationText(folders), "数据文件：" + folders.data +
                                                "Varnholt.mdb\n自动备份：" + folders.data +
                                                "backup/");
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1].startsWith("--"))
        return childMain(args);
    TestProgramFolders test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_programfolders.moc"
