// Compaction at exit: the file shrinks, keeps every row and its identity, and is never risked.
#include "ShareDMUnit.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <iostream>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray digest(const QString& path) {
    return QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256);
}

// Another process that keeps the database open until its standard input closes.
int holdDatabase(const QString& path) {
    TShareDM dm;
    dm.ADOConnection1.OpenFile(path, DatabasePassword);
    std::cout << "open" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    return 0;
}

void fillAndThin(const QString& path) {
    TShareDM dm;
    dm.ADOConnection1.OpenFile(path, DatabasePassword);
    dm.ADOConnection1.Execute("BEGIN");
    for (int i = 0; i < 3000; ++i)
        dm.ADOConnection1.Execute(
            QString("insert into Store (StoreProduct,StoreNumber,StoreRemark) values (%1,%1,'%2')")
                .arg(i)
                .arg(QString(200, QChar(u'备'))));
    dm.ADOConnection1.Execute("COMMIT");
    dm.ADOConnection1.Execute("delete from Store where StoreIndex>500");
}

} // namespace

class TestCompaction : public QObject {
    Q_OBJECT

private slots:
    void shrinksAndKeepsEveryRow() {
        TestProgramDir dir;
        const QString path = dir.databasePath();
        fillAndThin(path);
        const qint64 before = QFileInfo(path).size();
        const QByteArray header = fileBytes(path).left(16);

        QVERIFY(CompactDatabase(path, DatabasePassword));

        QVERIFY(QFileInfo(path).size() < before / 4);
        QCOMPARE(fileBytes(path).left(16), header); // same salt
        QCOMPARE(QDir(dir.path()).entryList({"~SM*"}, QDir::Files), QStringList());
        TShareDM dm;
        dm.ADOConnection1.OpenFile(path, DatabasePassword);
        OpenSQL(dm.ADOQueryTemp1, "select count(*) as n, sum(StoreNumber) as s from Store");
        QCOMPARE(dm.ADOQueryTemp1.AsInteger("n"), 500);
        QCOMPARE(dm.ADOQueryTemp1.AsInteger("s"), 499 * 500 / 2);
        OpenSQL(dm.ADOQueryTemp1, "PRAGMA user_version");
        QCOMPARE(dm.ADOQueryTemp1.AsInteger("user_version"), 1);
    }

    void refusedWhileAnotherProcessHasTheFile() {
        TestProgramDir dir;
        const QString path = dir.databasePath();
        fillAndThin(path);
        const QByteArray before = digest(path);

        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), {"--hold-database", path});
        QVERIFY(other.waitForReadyRead(30000));
        QCOMPARE(other.readLine().trimmed(), QByteArray("open"));

        QVERIFY(!CompactDatabase(path, DatabasePassword));
        QCOMPARE(digest(path), before);

        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(30000));
        QVERIFY(CompactDatabase(path, DatabasePassword));
        QVERIFY(digest(path) != before);
    }

    void refusedWhileThisProcessHasTheFileOpen() {
        TestDatabase db;
        const QByteArray before = digest(db.dir().databasePath());
        QVERIFY(!CompactDatabase(db.dir().databasePath(), DatabasePassword));
        QCOMPARE(digest(db.dir().databasePath()), before);
    }

    void failuresLeaveTheFileAlone_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("present");
        QTest::newRow("wrong password") << "not-the-password" << true;
        QTest::newRow("missing file") << DatabasePassword << false;
    }
    void failuresLeaveTheFileAlone() {
        QFETCH(QString, password);
        QFETCH(bool, present);
        TestProgramDir dir(present);
        const QByteArray before = digest(dir.databasePath());
        QVERIFY(!CompactDatabase(dir.databasePath(), password));
        QCOMPARE(digest(dir.databasePath()), before);
        QCOMPARE(QFile::exists(dir.databasePath()), present);
        QCOMPARE(QDir(dir.path()).entryList({"~SM*"}, QDir::Files), QStringList());
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--hold-database") {
        QCoreApplication app(argc, argv);
        return holdDatabase(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestCompaction test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_compaction.moc"
