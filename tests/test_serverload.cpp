// Eight counters on one server database at once. Each is a program of its own (this test program
// run again) that records its movements through the stock entry dialog and changes shared
// products through the product editor; three of them are killed by SIGKILL in the middle of a
// save and started again, as a clerk restarts a program that died. Afterwards no confirmed
// movement is lost or doubled, a killed save is there completely or not at all, the balance is
// the sum of the movements, every code is unique, and every change that was not written was a
// message about another counter's change.
//
// VARNHOLT_LOAD_SAVES sets the movements per counter (500 when unset).
#include "TestSupport.h"

#include "data/Connection.h"
#include "data/Query.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "product/ProductEditorUnit.h"
#include "product/ProductStatements.h"
#include "stock/StockStatements.h"
#include "stock/StoreEditorUnit.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GlowButton.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NumberBox.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <libpq-fe.h>
#include <map>
#include <set>

namespace {

constexpr int Counters = 8;
constexpr int CatalogueSize = 20;
constexpr int EditedProducts = 3;
const QString FirstModel = QStringLiteral("初始");
const QDate RecordDate(2026, 12, 1);

int savesPerCounter() {
    bool ok = false;
    const int saves = qEnvironmentVariableIntValue("VARNHOLT_LOAD_SAVES", &ok);
    return ok ? saves : 500;
}

// ---- what each counter records --------------------------------------------------------------

// The i-th movement of a counter, its remark unique to it. Most are of the catalogue's products;
// every 25th is of a new product that all counters record at about the same moment (made once,
// by whichever saves first); every 50th of a new product of the counter's own.
struct PlannedSave {
    QString code, name, model, unit;
    int kind = 0;
    double number = 0;
    double price = 0;
    QString remark;
};

PlannedSave plannedSave(int counter, int i) {
    PlannedSave save;
    save.remark = QStringLiteral("c%1-%2").arg(counter).arg(i);
    save.kind = i % 3 == 2 ? 1 : 0;
    save.number = 1 + i % 7;
    save.price = 0.5 + counter;
    if (i % 50 == 7) {
        save.code = QStringLiteral("K%1-%2").arg(counter).arg(i);
        save.name = QStringLiteral("自备%1-%2").arg(counter).arg(i);
        save.model = QStringLiteral("型");
        save.unit = QStringLiteral("个");
    } else if (i % 25 == 3) {
        save.code = QStringLiteral("N%1").arg(i / 25);
        save.name = QStringLiteral("新品%1").arg(i / 25);
        save.model = QStringLiteral("新型");
        save.unit = QStringLiteral("件");
    } else {
        save.code = QStringLiteral("P%1").arg((counter * 7 + i) % CatalogueSize);
    }
    return save;
}

// A product change every tenth movement, of one of the shared products.
bool editsBefore(int i) {
    return i % 10 == 5;
}
QString editedCode(int counter, int i) {
    return QStringLiteral("E%1").arg((counter + i / 10) % EditedProducts);
}

// How three of the counters die in their killed save (killedSave): before the movement's row is
// inserted (its new product already is), before COMMIT is sent, and after the commit but before
// the dialog returns.
const std::map<int, QString> KilledCounters{{1, "insert"}, {4, "commit"}, {6, "committed"}};

// A save in the second half that makes a product of the counter's own, so that a kill also shows
// whether the product stays without its movement.
int killedSave(int saves) {
    const int killAt = 7 + 50 * (saves / 2 / 50);
    return killAt < saves ? killAt : 7;
}

// ---- in a counter: SIGKILL at a chosen point of one save, at the edge of the server library ---

QString killPoint;
bool killArmed = false;

void killAt(const QString& point) {
    if (killArmed && killPoint == point)
        std::raise(SIGKILL);
}

} // namespace

extern "C" {

// The program's statements reach the server through these two; while a kill is armed they end
// the process at its point.
PGresult* PQexec(PGconn* conn, const char* query) {
    using Exec = PGresult* (*)(PGconn*, const char*);
    static const auto real = reinterpret_cast<Exec>(dlsym(RTLD_NEXT, "PQexec"));
    const bool commit = qstrnicmp(query, "COMMIT", 6) == 0;
    if (commit)
        killAt("commit");
    PGresult* result = real(conn, query);
    if (commit)
        killAt("committed");
    return result;
}

int PQsendQueryParams(PGconn* conn, const char* command, int nParams, const Oid* paramTypes,
                      const char* const* paramValues, const int* paramLengths,
                      const int* paramFormats, int resultFormat) {
    using Send = int (*)(PGconn*, const char*, int, const Oid*, const char* const*, const int*,
                         const int*, int);
    static const auto real = reinterpret_cast<Send>(dlsym(RTLD_NEXT, "PQsendQueryParams"));
    if (QByteArray(command).toLower().replace('"', "").startsWith("insert into store"))
        killAt("insert");
    return real(conn, command, nParams, paramTypes, paramValues, paramLengths, paramFormats,
                resultFormat);
}

} // extern "C"

namespace {

void say(const QString& line) {
    std::fputs(qPrintable(line + '\n'), stdout);
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString& what) {
    say("failed " + what + ": " + ShownMessageTexts().join(" / "));
    std::exit(2);
}

// One movement through the entry dialog, as a clerk records it: the kind, the code (a known code
// fixes the product), a new product's texts, price, quantity, date and remark, then "确定".
void recordMovement(TStoreEditorfrm& entry, const PlannedSave& save) {
    entry.KindFlag = save.kind;
    entry.show();
    entry.cbxSerial->setEditText(save.code);
    entry.cbxSerialExit();
    if (entry.cbxName->isEnabled()) {
        entry.cbxName->setEditText(save.name);
        entry.cbxType->setEditText(save.model);
        entry.cbxUnit->setEditText(save.unit);
    }
    entry.nPrice->setValue(save.price);
    entry.nNumber->setValue(save.number);
    entry.dtInDate->setDate(RecordDate);
    entry.edtRemark->setEditText(save.remark);
    entry.AdvGlowButton1->click();
    if (!MessageBoxes::shown().isEmpty() || entry.isVisible())
        fail("save " + save.remark);
}

// A counter: records movements `from` to `to` - 1; before every tenth, shows a shared product in
// the product editor and saves a new model for it after the movement, by which time another
// counter may have changed it. Says what it confirmed, line by line.
int counterMain(const QStringList& args) {
    const QString conninfo = args[2];
    const int counter = args[3].toInt();
    const int from = args[4].toInt();
    const int to = args[5].toInt();
    const int killedAt = args.size() > 7 ? args[7].toInt() : -1;
    killPoint = args.size() > 7 ? args[6] : QString();
    MessageBoxes::setScripted(true);
    UseChineseLocale();
    TShareDM dm;
    dm.ADOConnection1.OpenServer(conninfo);
    TStoreEditorfrm entry(dm);
    TProductEditorfrm editor(dm);
    std::map<QString, qint32> keys;
    for (int e = 0; e < EditedProducts; ++e) {
        const QString code = QStringLiteral("E%1").arg(e);
        OpenSQL(dm.ADOQueryTemp1, ProductBySerialStatement(code));
        keys[code] = qint32(dm.ADOQueryTemp1.AsInteger("ProductIndex"));
    }
    for (int i = from; i < to; ++i) {
        MessageBoxes::clearShown();
        QString read;
        if (editsBefore(i)) {
            editor.RecordIndex = keys[editedCode(counter, i)];
            editor.show();
            read = editor.cbxType->text();
        }
        killArmed = i == killedAt;
        recordMovement(entry, plannedSave(counter, i));
        killArmed = false;
        say("saved " + plannedSave(counter, i).remark);
        if (!editsBefore(i))
            continue;
        const QString written = QStringLiteral("c%1e%2").arg(counter).arg(i);
        editor.cbxType->setText(written);
        editor.AdvGlowButton1->click();
        const QString edit = QStringLiteral("%1 %2 %3").arg(editedCode(counter, i), read, written);
        const QStringList shown = ShownMessageTexts();
        if (shown.isEmpty() && !editor.isVisible())
            say("edited " + edit);
        else if (shown.size() == 1 && shown[0].startsWith("该商品已被其他用户修改"))
            say("refused " + edit);
        else
            fail("edit " + edit);
        editor.hide();
    }
    return 0;
}

// ---- in the test ----------------------------------------------------------------------------

// A counter's program while it runs, and what it said.
struct CounterRun {
    int counter = 0;
    bool killed = false; // started with a kill armed
    std::unique_ptr<QProcess> process;
    QString said;
    QString errors;
};

QStringList counterArgs(const QString& conninfo, int counter, int from, int to) {
    return {"--counter", conninfo, QString::number(counter), QString::number(from),
            QString::number(to)};
}

// The rows of a statement as the fields' texts joined by "|", sorted.
QStringList rowsOf(Connection& connection, const QString& sql, const QStringList& fields) {
    Query q(&connection);
    OpenSQL(q, sql);
    QStringList rows;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList cells;
        for (const QString& field : fields)
            cells << q.AsString(field);
        rows << cells.join('|');
    }
    rows.sort();
    return rows;
}

// The database's movements as remark|code|kind|number.
QStringList storedMovements(Connection& connection) {
    return rowsOf(connection,
                  "select StoreRemark,ProductSerial,StoreKind,StoreNumber from Store,Product "
                  "where StoreProduct=ProductIndex",
                  {"StoreRemark", "ProductSerial", "StoreKind", "StoreNumber"});
}

QString movementRow(const PlannedSave& save) {
    return QStringList{save.remark, save.code, QString::number(save.kind),
                       QString::number(save.number)}
        .join('|');
}

// code|in|out|balance per product with movements, from movement rows as storedMovements gives.
QStringList sumsPerProduct(const QStringList& movements) {
    std::map<QString, std::pair<double, double>> sums;
    for (const QString& row : movements) {
        const QStringList cells = row.split('|');
        auto& [in, out] = sums[cells[1]];
        (cells[2] == "0" ? in : out) += cells[3].toDouble();
    }
    QStringList rows;
    for (const auto& [code, inOut] : sums)
        rows << QStringList{code, QString::number(inOut.first), QString::number(inOut.second),
                            QString::number(inOut.first - inOut.second)}
                    .join('|');
    rows.sort();
    return rows;
}

// The balance statement's rows as code|in|out|balance.
QStringList balanceRows(Connection& connection) {
    return rowsOf(connection, BalanceStatement(RecordDate.addDays(30), QString()),
                  {"ProductSerial", "StoreInNumber", "StoreOutNumber", "StoreBalanceNumber"});
}

// The changes of one product the counters said they wrote, by the model each had read: a model
// read by two written changes is a change written over another without a message.
struct EditHistory {
    std::map<QString, QString> writtenAfter; // model read -> model written
    QStringList forks;
    QStringList refusedReads;
};

} // namespace

class TestServerLoad : public QObject {
    Q_OBJECT

private slots:
    void init() { REQUIRE_TEST_SERVER(); }

    void eightCountersOneStock() {
        const int saves = savesPerCounter();
        QVERIFY2(saves >= 10, "VARNHOLT_LOAD_SAVES below 10");
        const int killAt = killedSave(saves);
        TestServerDatabase server;
        {
            ServerEngine db(server.conninfo());
            PrepareServerDatabase(db);
        }
        Connection connection;
        connection.OpenServer(server.conninfo());
        for (int p = 0; p < CatalogueSize; ++p)
            connection.Execute(QStringLiteral("INSERT INTO Product (ProductSerial, ProductName, "
                                              "ProductType, ProductUnit) VALUES ('P%1', '货品%1', "
                                              "'标准', '只')")
                                   .arg(p));
        for (int e = 0; e < EditedProducts; ++e)
            connection.Execute(QStringLiteral("INSERT INTO Product (ProductSerial, ProductName, "
                                              "ProductType, ProductUnit) VALUES ('E%1', '改品%1', "
                                              "'%2', '套')")
                                   .arg(e)
                                   .arg(FirstModel));

        // The counters run at once; a killed one is started again after its killed save.
        std::vector<std::unique_ptr<CounterRun>> runs;
        QEventLoop loop;
        int running = 0;
        std::function<void(int, bool, int)> start = [&](int counter, bool kill, int from) {
            auto run = std::make_unique<CounterRun>();
            run->counter = counter;
            run->killed = kill;
            QStringList args = counterArgs(server.conninfo(), counter, from, saves);
            if (kill)
                args << KilledCounters.at(counter) << QString::number(killAt);
            run->process.reset(startChild(args));
            CounterRun* started = run.get();
            ++running;
            QObject::connect(started->process.get(), &QProcess::finished, &loop,
                             [&, started](int, QProcess::ExitStatus status) {
                                 started->said = started->process->readAllStandardOutput();
                                 started->errors = started->process->readAllStandardError();
                                 if (started->killed && status == QProcess::CrashExit)
                                     start(started->counter, false, killAt + 1);
                                 if (--running == 0)
                                     loop.quit();
                             });
            runs.push_back(std::move(run));
        };
        for (int counter = 0; counter < Counters; ++counter)
            start(counter, KilledCounters.count(counter) > 0, 0);
        loop.exec();

        // What the counters confirmed; a killed counter died in its killed save.
        std::set<QString> confirmed;
        std::map<QString, EditHistory> edits;
        int refused = 0;
        for (const auto& run : runs) {
            const bool crashed = run->process->exitStatus() == QProcess::CrashExit;
            QVERIFY2(crashed == run->killed,
                     qPrintable(QStringLiteral("counter %1: %2 %3")
                                    .arg(run->counter)
                                    .arg(run->said.right(300), run->errors.right(300))));
            for (const QString& line : run->said.split('\n', Qt::SkipEmptyParts)) {
                const QStringList words = line.split(' ');
                QVERIFY2(words[0] != "failed", qPrintable(line));
                if (words[0] == "saved") {
                    QVERIFY2(confirmed.insert(words[1]).second, qPrintable(line));
                } else if (words[0] == "edited") {
                    EditHistory& history = edits[words[1]];
                    if (!history.writtenAfter.emplace(words[2], words[3]).second)
                        history.forks << line;
                } else if (words[0] == "refused") {
                    edits[words[1]].refusedReads << words[2];
                    ++refused;
                }
            }
            if (run->killed)
                QVERIFY(!confirmed.count(plannedSave(run->counter, killAt).remark));
        }
        QCOMPARE(int(confirmed.size()), Counters * saves - int(KilledCounters.size()));

        // Every confirmed movement once, as recorded; a killed save whole or not at all.
        QStringList expected;
        std::set<QString> codes;
        for (int p = 0; p < CatalogueSize; ++p)
            codes.insert(QStringLiteral("P%1").arg(p));
        for (int e = 0; e < EditedProducts; ++e)
            codes.insert(QStringLiteral("E%1").arg(e));
        for (int counter = 0; counter < Counters; ++counter) {
            for (int i = 0; i < saves; ++i) {
                const PlannedSave save = plannedSave(counter, i);
                const bool killed = i == killAt && KilledCounters.count(counter);
                if (confirmed.count(save.remark) ||
                    (killed && KilledCounters.at(counter) == "committed")) {
                    expected << movementRow(save);
                    codes.insert(save.code);
                }
            }
        }
        expected.sort();
        const QStringList movements = storedMovements(connection);
        QCOMPARE(movements.size(), expected.size());
        QCOMPARE(movements, expected);

        // The balance statement gives the movements' sums; no code twice, no product left behind
        // by a killed save.
        QCOMPARE(balanceRows(connection), sumsPerProduct(movements));
        QCOMPARE(rowsOf(connection, "select ProductSerial from Product", {"ProductSerial"}),
                 QStringList(codes.begin(), codes.end()));

        // Each shared product's changes form one chain from its first model to the model it
        // holds; a refused change had read a model that another counter's change replaced.
        for (int e = 0; e < EditedProducts; ++e) {
            const QString code = QStringLiteral("E%1").arg(e);
            const EditHistory& history = edits[code];
            QVERIFY2(history.forks.isEmpty(), qPrintable(history.forks.join('\n')));
            QString model = FirstModel;
            std::size_t steps = 0;
            while (history.writtenAfter.count(model)) {
                model = history.writtenAfter.at(model);
                ++steps;
            }
            QCOMPARE(steps, history.writtenAfter.size());
            QCOMPARE(rowsOf(connection,
                            "select ProductType from Product where ProductSerial='" + code + "'",
                            {"ProductType"}),
                     QStringList{model});
            for (const QString& read : history.refusedReads)
                QVERIFY2(history.writtenAfter.count(read), qPrintable(code + " " + read));
        }
        QVERIFY2(refused > 0, "no counter's product change met another's");
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 6 && args[1] == "--counter")
        return counterMain(args);
    TestServerLoad test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_serverload.moc"
