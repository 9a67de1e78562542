// Start-up, log-in and exit against a temporary program directory.
#include "TestSupport.h"
#include "app/ProgramLifecycle.h"
#include "app/SysLoginUnit.h"
#include "data/CipherFile.h"
#include "data/ProgramFolders.h"
#include "data/Schema.h"
#include "data/ShareDMUnit.h"
#include "ui/MainFromUnit.h"
#include "widgets/DesktopOpener.h"
#include "widgets/MessageBoxes.h"
#include "widgets/OfficePager.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

namespace {

// Sets up the directory's database before the program starts.
void prepare(const QString& databasePath, const QStringList& statements) {
    AttachedDatabase db(databasePath);
    for (const QString& sql : statements)
        db.connection().Execute(sql);
}

const QString Admin = QStringLiteral("管理员");
const QString NoticeText = QStringLiteral("当前用户密码为空，请用管理员身份登录进行设置。");
const QString WrongPassword = QStringLiteral("密码不正确,请重新输入");

// One run of the program on its folders (a program directory holds them all): data module,
// windows and life cycle.
struct Program {
    explicit Program(const ProgramFolders& folders)
        : form(dm, folders.resources), login(dm, &form), lifecycle(dm, folders, login) {
        lifecycle.setCloseWaitMs(0);
        form.setLifecycle(&lifecycle);
    }
    // Starts up; while the log-in dialog is open, `atLogin` acts on it.
    void start(const std::function<void(TSysLoginfrm&)>& atLogin) {
        loginShown = false;
        QTimer::singleShot(0, &login, [this, atLogin] {
            loginShown = login.isVisible();
            if (loginShown)
                atLogin(login);
        });
        form.FormShow();
        QCoreApplication::processEvents();
    }
    void logInAs(const QString& name, const QString& password) {
        start([&](TSysLoginfrm& dialog) {
            dialog.cbxName->setCurrentText(name);
            dialog.cbxSerial->setText(password);
            shownPassword = dialog.cbxSerial->displayText();
            dialog.AdvGlowButton1Click();
            if (dialog.isVisible())
                dialog.AdvGlowButton2Click();
        });
    }
    TShareDM dm;
    TMainForm form;
    TSysLoginfrm login;
    ProgramLifecycle lifecycle;
    bool loginShown = false;
    QString shownPassword; // what the password box showed of the typed password
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QStringList opened;

private slots:
    void init() {
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
        opened.clear();
        SetDesktopOpener([this](const QString& path) {
            opened << path;
            return true;
        });
        CurrentUserName.clear();
    }
    void cleanup() { SetDesktopOpener({}); }

    void helpIsShownUntilFirstRunIsFalse_data() {
        QTest::addColumn<QString>("stored"); // "-": no row
        QTest::addColumn<bool>("shown");
        QTest::newRow("no row") << "-" << true;
        QTest::newRow("lower case") << "false" << true;
        QTest::newRow("True") << "True" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("False") << "False" << false;
    }
    void helpIsShownUntilFirstRunIsFalse() {
        QFETCH(QString, stored);
        QFETCH(bool, shown);
        TestProgramDir dir;
        if (stored != "-")
            prepare(dir.databasePath(),
                    {"insert into Remarks (RemarksName,RemarksValue) values ('FirstRun','" +
                     stored + "')"});
        for (int run = 0; run < 2; ++run) {
            Program program(dir.path());
            program.logInAs(Admin, "");
            QCOMPARE(program.lifecycle.state(), ProgramLifecycle::State::Running);
        }
        QCOMPARE(opened, shown ? QStringList{dir.path() + "Qhelp.jpg"} : QStringList());
        AttachedDatabase db(dir.databasePath());
        QCOMPARE(db.column("select RemarksValue from Remarks where RemarksName='FirstRun'"),
                 QStringList("False"));
    }

    void passwordsMatchExactly_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("admitted");
        QTest::newRow("empty admin, empty box") << Admin << "" << true;
        QTest::newRow("empty admin, text typed") << Admin << "x" << false;
        QTest::newRow("exact") << "O'Neil"
                               << "Pa'ss w" << true;
        QTest::newRow("letter case") << "O'Neil"
                                     << "pa'ss w" << false;
        QTest::newRow("leading blank") << "O'Neil"
                                       << " Pa'ss w" << false;
        QTest::newRow("trailing blank") << "O'Neil"
                                        << "Pa'ss w " << false;
    }
    void passwordsMatchExactly() {
        QFETCH(QString, user);
        QFETCH(QString, typed);
        QFETCH(bool, admitted);
        TestProgramDir dir;
        prepare(dir.databasePath(),
                {"insert into Power (PowerName,PowerKey) values ('O''Neil','Pa''ss w')"});
        Program program(dir.path());
        program.logInAs(user, typed);
        QVERIFY(program.loginShown);
        QCOMPARE(program.shownPassword, QString(typed.size(), '*'));
        QCOMPARE(CurrentUserName, admitted ? user : QString());
        const auto shown = MessageBoxes::shown();
        QCOMPARE(shown.size(), admitted ? 0 : 1);
        if (!admitted)
            QCOMPARE(shown.first().text, WrongPassword);
    }

    void noticeFollowsTheChosenUser() {
        TestProgramDir dir;
        prepare(dir.databasePath(),
                {"insert into Power (PowerName,PowerKey) values ('甲','1'),('乙',null)"});
        Program program(dir.path());
        QMap<QString, QString> noticeOf;
        program.start([&](TSysLoginfrm& dialog) {
            for (int i = dialog.cbxName->count() - 1; i >= 0; --i) {
                dialog.cbxName->setCurrentIndex(i);
                noticeOf[dialog.cbxName->currentText()] = dialog.lbl3->text();
            }
            dialog.AdvGlowButton2Click();
        });
        const QMap<QString, QString> expected{{Admin, NoticeText}, {"甲", ""}, {"乙", NoticeText}};
        QCOMPARE(noticeOf, expected);
    }

    void emptyUserTableAdmitsAnEmptyName() {
        TestProgramDir dir;
        prepare(dir.databasePath(), {"delete from Power"});
        Program program(dir.path());
        QString notice;
        program.start([&](TSysLoginfrm& dialog) {
            notice = dialog.lbl3->text();
            dialog.AdvGlowButton1Click();
        });
        QCOMPARE(notice, NoticeText);
        QCOMPARE(program.lifecycle.state(), ProgramLifecycle::State::Running);
        QCOMPARE(CurrentUserName, QString());
        QCOMPARE(program.form.AdvOfficePager1->visibleTabCount(), 4);
    }

    void administratorAloneSeesAllFiveTabs_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("tabs");
        QTest::newRow("administrator") << Admin << 5;
        QTest::newRow("operator") << "操作员" << 4;
    }
    void administratorAloneSeesAllFiveTabs() {
        QFETCH(QString, user);
        QFETCH(int, tabs);
        TestProgramDir dir;
        prepare(dir.databasePath(),
                {"insert into Power (PowerName,PowerKey) values ('操作员','')"});
        Program program(dir.path());
        program.logInAs(user, "");
        QCOMPARE(program.form.AdvOfficePager1->visibleTabCount(), tabs);
        QCOMPARE(program.form.AdvOfficePager1->currentIndex(), 0);
    }

    void cancelledLoginEndsWithoutQuestionOrCompaction() {
        TestProgramDir dir;
        const ino_t before = inodeOf(dir.databasePath());
        Program program(dir.path());
        program.start([](TSysLoginfrm& dialog) { dialog.reject(); });
        QCOMPARE(program.lifecycle.state(), ProgramLifecycle::State::Ending);
        QVERIFY(program.form.close());
        QCOMPARE(MessageBoxes::shown().size(), 0);
        QCOMPARE(inodeOf(dir.databasePath()), before);
    }

    void exitAsksAndCompactsOnYes() {
        FILE_ONLY("the compaction at exit");
        TestProgramDir dir;
        {
            AttachedDatabase db(dir.databasePath());
            db.exec("insert into Store (StoreRemark) values (printf('%.*c', 100000, 'x'))");
            db.exec("delete from Store");
        }
        const ino_t before = inodeOf(dir.databasePath());
        const qint64 size = QFileInfo(dir.databasePath()).size();
        Program program(dir.path());
        program.logInAs(Admin, "");

        MessageBoxes::setNextAnswer(MessageAnswer::Cancel);
        QVERIFY(!program.form.close());
        QVERIFY(program.dm.ADOConnection1.Connected());
        QCOMPARE(program.lifecycle.state(), ProgramLifecycle::State::Running);

        MessageBoxes::setNextAnswer(MessageAnswer::Yes);
        QVERIFY(program.form.close());
        const auto shown = MessageBoxes::shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.last().caption, "信息");
        QCOMPARE(shown.last().text, "确定要退出当前系统吗？");
        QVERIFY(!program.dm.ADOConnection1.Connected());
        QVERIFY(QFileInfo(dir.databasePath()).size() < size); // compacted in place
        QCOMPARE(inodeOf(dir.databasePath()), before);
    }

    // The file cannot be used: one message, no log-in, and at exit neither a backup nor a
    // compaction, so that the file stays byte for byte as it was.
    void unopenableDatabaseGivesOneMessageAndNoLogin_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "找不到数据库文件";
        QTest::newRow("not a database") << "text"
                                        << "该文件不是本系统的数据库";
        QTest::newRow("newer data version")
            << "newer" << QString("的数据版本是 %1，比本程序所能使用的版本").arg(SchemaVersion + 1);
    }
    void unopenableDatabaseGivesOneMessageAndNoLogin() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        FILE_ONLY("files that cannot be opened");
        const bool present = kind != "missing";
        TestProgramDir dir(kind == "newer");
        if (kind == "text") {
            QFile file(dir.databasePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("this is not a database");
        } else if (kind == "newer") {
            const CipherFile::Handle db =
                CipherFile::openExisting(dir.databasePath(), DatabasePassword);
            CipherFile::execute(db.get(),
                                QString("PRAGMA user_version = %1").arg(SchemaVersion + 1));
        }
        const QByteArray content = digest(dir.databasePath());
        Program program(dir.path());
        program.start([](TSysLoginfrm& dialog) { dialog.reject(); });
        QVERIFY(!program.loginShown);
        QVERIFY(opened.isEmpty());
        const auto shown = MessageBoxes::shown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().text.contains(dir.databasePath()));
        QVERIFY2(shown.first().text.contains(reason), qPrintable(shown.first().text));
        QCOMPARE(shown.first().caption, "警告");
        QCOMPARE(shown.first().icon, QMessageBox::Warning);
        QCOMPARE(program.lifecycle.state(), ProgramLifecycle::State::Degraded);
        QCOMPARE(program.form.AdvOfficePager1->visibleTabCount(), 5);
        QVERIFY(program.form.AdvOfficeStatusBar1->toolTip().contains(dir.databasePath()));

        MessageBoxes::setNextAnswer(MessageAnswer::Yes);
        QVERIFY(program.form.close());
        QCOMPARE(MessageBoxes::shown().last().text, "确定要退出当前系统吗？");
        QCOMPARE(QFile::exists(dir.databasePath()), present);
        QCOMPARE(digest(dir.databasePath()), content);
        QCOMPARE(filesIn(dir.path()), present ? QStringList{DatabaseFileName} : QStringList());
    }

    void firstStartInTheUsersFolderMakesItsDatabase() {
        QTemporaryDir root;
        ProgramFolders folders(root.path() + "/share/varnholt/");
        folders.program = root.path() + "/bin/";
        folders.data = root.path() + "/home/.local/share/Varnholt/";
        folders.dataKind = ProgramFolders::DataKind::UserFolder;
        Program program(folders);
        program.logInAs(Admin, "");
        QVERIFY(program.loginShown);
        QCOMPARE(program.lifecycle.state(), ProgramLifecycle::State::Running);
        QCOMPARE(modeOf(folders.databasePath()), mode_t(0600));
        QCOMPARE(opened, QStringList{folders.resources + "Qhelp.jpg"});
        QCOMPARE(program.form.AdvOfficeStatusBar1->toolTip(), DataLocationText(folders));
        QCOMPARE(filesIn(root.path()), QStringList{"home"}); // nothing beside the program

        MessageBoxes::setNextAnswer(MessageAnswer::Yes);
        QVERIFY(program.form.close());
        QCOMPARE(filesIn(folders.data), QStringList({"backup", "Varnholt.mdb"}));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
