// The administration page's upper half: user passwords and the letterhead lines, through the
// real widgets.
#include "TestSupport.h"
#include "app/SysLoginUnit.h"
#include "data/Letterhead.h"
#include "ui/MainFromUnit.h"
#include "widgets/GlowButton.h"
#include "widgets/MessageBoxes.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <memory>

namespace {

// 管理员 comes with the prepared file; a name that appears twice; quotes in names and passwords.
const QString Users = "insert into Power (PowerName,PowerKey) values ('张三','abc'),"
                      "('O''Neil','it''s'),('张三','abc'),('李四',NULL)";

const QString PasswordSaved = QStringLiteral("该用户密码设置成功");
const QString LetterheadSaved = QStringLiteral("打印信息设置成功");

struct Window : TestWindow {
    explicit Window(const QStringList& fixture = {Users}) : TestWindow(fixture) {}
    // Chooses a user as the user does: the list's entry is activated.
    void chooseUser(const QString& name) {
        QComboBox* users = form->cbx1;
        const int index = users->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        users->setCurrentIndex(index);
        emit users->activated(index);
    }
    QStringList passwords() {
        return db.column("select PowerName||'='||coalesce(PowerKey,'<null>') from Power "
                         "order by PowerIndex");
    }
    QStringList remarks() {
        return db.column("select RemarksName||'='||RemarksValue from Remarks "
                         "where RemarksName<>'FirstRun' order by RemarksIndex");
    }
};

} // namespace

class TestAdminSettings : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
    }

    void startUpShowsTheFirstUserAndTheStoredLetterhead() {
        Window w({Users, "insert into Remarks (RemarksName,RemarksValue) values "
                         "('公司名称','O''Hara & Co.'),('公司其它信息','电话 010-1234')"});
        TMainForm& f = *w.form;
        QStringList names;
        for (int i = 0; i < f.cbx1->count(); ++i)
            names << f.cbx1->itemText(i);
        names.sort();
        QCOMPARE(names, QStringList({"O'Neil", "张三", "李四", "管理员"}));
        QCOMPARE(f.cbx1->currentIndex(), 0);
        const QMap<QString, QString> stored = {
            {"管理员", ""}, {"张三", "abc"}, {"O'Neil", "it's"}, {"李四", ""}};
        QCOMPARE(f.edt1->text(), stored.value(f.cbx1->currentText()));
        QCOMPARE(f.edt1->echoMode(), QLineEdit::Normal);
        QCOMPARE(f.edt2->text(), "O'Hara & Co.");
        QCOMPARE(f.edt3->text(), "");
        QCOMPARE(f.edt4->text(), "电话 010-1234");
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    void choosingAUserShowsItsPassword_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << "张三"
                               << "abc";
        QTest::newRow("quotes") << "O'Neil"
                                << "it's";
        QTest::newRow("null password") << "李四"
                                       << "";
        QTest::newRow("empty password") << "管理员"
                                        << "";
    }
    void choosingAUserShowsItsPassword() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        Window w;
        w.form->edt1->setText("typed, not saved");
        w.chooseUser(user);
        QCOMPARE(w.form->edt1->text(), password);
    }

    void savingChangesOnlyThatUser_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("stored");
        const QStringList others = {"管理员=", "张三=abc", "O'Neil=it's", "张三=abc",
                                    "李四=<null>"};
        auto with = [&](int row, const QString& text) {
            QStringList rows = others;
            rows[row] = text;
            return rows;
        };
        QTest::newRow("quote") << "O'Neil"
                               << "new'one" << with(2, "O'Neil=new'one");
        QTest::newRow("text that looks like SQL")
            << "李四"
            << "x' or '1'='1'; --" << with(4, "李四=x' or '1'='1'; --");
        QTest::newRow("date literal and placeholders")
            << "管理员"
            << "#2024-01-01# %s %0:s iif(1,2,3)"
            << with(0, "管理员=#2024-01-01# %s %0:s iif(1,2,3)");
        QTest::newRow("blanks kept") << "O'Neil"
                                     << "  a b  " << with(2, "O'Neil=  a b  ");
        QStringList both = with(1, "张三=xyz");
        both[3] = "张三=xyz";
        QTest::newRow("a name held twice changes both rows") << "张三"
                                                             << "xyz" << both;
    }
    void savingChangesOnlyThatUser() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QStringList, stored);
        Window w;
        w.chooseUser(user);
        w.form->edt1->setText(password);
        w.form->AdvGlowButton10->click();
        QCOMPARE(w.passwords(), stored);
        QCOMPARE(ShownMessageTexts(), QStringList{PasswordSaved});
        QCOMPARE(MessageBoxes::shown().first().caption, "信息");
        QCOMPARE(w.form->edt1->text(), password);
        // Chosen again, the stored password reads back exactly as typed.
        w.chooseUser(user);
        QCOMPARE(w.form->edt1->text(), password);
    }

    void savingForAVanishedAccountShowsNothing() {
        Window w;
        w.chooseUser("李四");
        w.db.exec("delete from Power where PowerName='李四'");
        w.form->edt1->setText("x");
        w.form->AdvGlowButton10->click();
        QCOMPARE(MessageBoxes::shown().size(), 0);
        QCOMPARE(w.db.scalar("select count(*) from Power where PowerKey='x'"), "0");
    }

    // An emptied password is stored as empty text: at the next start the log-in dialog shows
    // that user the empty-password notice and admits an empty password box.
    void anEmptyPasswordAdmitsWithTheNoticeAtTheNextStart() {
        Window w;
        w.chooseUser("张三");
        w.form->edt1->clear();
        w.form->AdvGlowButton10->click();
        QCOMPARE(w.db.scalar("select count(*) from Power where PowerName='张三' and PowerKey=''"),
                 "2");

        CurrentUserName.clear();
        TSysLoginfrm login(w.db.dm());
        login.FormShow();
        login.cbxName->setCurrentIndex(login.cbxName->findText("张三"));
        QCOMPARE(login.lbl3->text(), "当前用户密码为空，请用管理员身份登录进行设置。");
        login.AdvGlowButton1Click();
        QCOMPARE(CurrentUserName, "张三");
    }

    void letterheadSavesCreateThreeRowsOnce() {
        Window w;
        TMainForm& f = *w.form;
        QCOMPARE(f.edt2->text(), "");
        QCOMPARE(w.remarks(), QStringList());
        f.edt2->setText("O'Hara 商行");
        f.edt3->setText("#2024-01-01# -- ' ; %s");
        f.edt4->setText("");
        f.AdvGlowButton9->click();
        const QStringList first = {"公司名称=O'Hara 商行", "公司地址=#2024-01-01# -- ' ; %s",
                                   "公司其它信息="};
        QCOMPARE(w.remarks(), first);
        f.edt4->setText("电话 010");
        f.AdvGlowButton9->click();
        QCOMPARE(w.remarks(), QStringList({first[0], first[1], "公司其它信息=电话 010"}));
        QCOMPARE(ShownMessageTexts(), QStringList({LetterheadSaved, LetterheadSaved}));
        QCOMPARE(MessageBoxes::shown().first().caption, "信息");

        // All three empty is a valid letterhead too.
        for (QLineEdit* edit : {f.edt2, f.edt3, f.edt4})
            edit->clear();
        f.AdvGlowButton9->click();
        QCOMPARE(w.remarks(), QStringList({"公司名称=", "公司地址=", "公司其它信息="}));
        QCOMPARE(ShownMessageTexts().size(), 3);
        QCOMPARE(ReadLetterhead(w.db.dm()).companyName, QString());
    }

    // A failure on the third line leaves the first two as they were and shows only the error.
    void aFailingLetterheadSaveChangesNothing_data() {
        QTest::addColumn<bool>("stored"); // the lines exist before the save
        QTest::newRow("first save") << false;
        QTest::newRow("later save") << true;
    }
    void aFailingLetterheadSaveChangesNothing() {
        QFETCH(bool, stored);
        Window w;
        TMainForm& f = *w.form;
        if (stored) {
            w.db.exec("insert into Remarks (RemarksName,RemarksValue) values "
                      "('公司名称','旧名'),('公司地址','旧址'),('公司其它信息','旧电话')");
        }
        const QStringList before = w.remarks();
        w.db.refuseWrites("RefuseThird", "Remarks", "new.RemarksName='公司其它信息'", "refused");
        f.edt2->setText("新名");
        f.edt3->setText("新址");
        f.edt4->setText("新电话");
        f.AdvGlowButton9->click();
        QCOMPARE(w.remarks(), before);
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QVERIFY2(MessageBoxes::shown().first().text.contains("refused"),
                 qPrintable(MessageBoxes::shown().first().text));

        // The connection is usable afterwards: once the cause is gone the save goes through.
        w.db.allowWrites("RefuseThird");
        f.AdvGlowButton9->click();
        QCOMPARE(w.remarks(),
                 QStringList({"公司名称=新名", "公司地址=新址", "公司其它信息=新电话"}));
        QCOMPARE(ShownMessageTexts().last(), LetterheadSaved);
    }
};

QTEST_MAIN(TestAdminSettings)
#include "test_adminsettings.moc"
