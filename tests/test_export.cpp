// Spreadsheet export: the stock pages' "导出", the spreadsheet layer and the tool's export,
// checked by reading the real .xlsx files back with openpyxl.
#include "TestSupport.h"
#include "lists/GridColumnFactory.h"
#include "output/ExportToExcelUnit.h"
#include "preview/ReportPreview.h"
#include "report/Report.h"
#include "report/ReportPage.h"
#include "report/ReportText.h"
#include "sheet/ReadAheadRows.h"
#include "sheet/Spreadsheet.h"
#include "stock/StockLists.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataGridModel.h"
#include "widgets/DatePicker.h"
#include "widgets/DesktopOpener.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/FileChoosers.h"
#include "widgets/GlowButton.h"
#include "widgets/Guard.h"
#include "widgets/MessageBoxes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <array>
#include <map>
#include <memory>
#include <semaphore>

namespace {

// Dumps the first worksheet of a workbook as JSON: every cell that exists (a value or a
// format), with its value, type and format, and the column settings. Texts are read the way
// spreadsheet programs read them, "_xHHHH_" standing for one character.
const char* const ReadScript = R"PY(
import json, re, sys, openpyxl
def shown(text):
    return re.sub(r'_x([0-9A-Fa-f]{4})_', lambda m: chr(int(m.group(1), 16)), text)
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
cells = {}
for row in ws.iter_rows():
    for c in row:
        if c.value is None and not c.has_style:
            continue
        v = c.value
        if isinstance(v, str):
            v = shown(v)
        elif hasattr(v, 'isoformat'):
            v = v.isoformat(sep=' ')
        b = c.border
        cells[c.coordinate] = {'type': type(c.value).__name__, 'value': v, 'date': c.is_date,
                               'font': c.font.name, 'size': c.font.sz,
                               'h': c.alignment.horizontal, 'v': c.alignment.vertical,
                               'borders': [b.left.style, b.right.style, b.top.style, b.bottom.style]}
columns = {k: {'min': d.min, 'max': d.max, 'width': d.width, 'h': d.alignment.horizontal,
               'font': d.font.name} for k, d in ws.column_dimensions.items()}
print(json.dumps({'sheets': wb.sheetnames, 'rows': ws.max_row, 'columns': ws.max_column,
                  'cells': cells, 'columnSettings': columns}, ensure_ascii=False))
)PY";

struct ReadBack {
    QJsonObject json;
    QString error; // why the workbook could not be read
    int rows() const { return json["rows"].toInt(); }
    int columns() const { return json["columns"].toInt(); }
    QJsonObject cell(const QString& ref) const { return json["cells"][ref].toObject(); }
    QJsonValue value(const QString& ref) const { return cell(ref)["value"]; }
    QString type(const QString& ref) const { return cell(ref)["type"].toString(); }
    QString text(int row, int column) const {
        return value(CellAddress(row, column)).toVariant().toString();
    }
    QStringList row(int row) const {
        QStringList texts;
        for (int column = 1; column <= columns(); ++column)
            texts << text(row, column);
        return texts;
    }
};

// False, with the reason in `book.error`, when openpyxl cannot read the workbook.
bool readWorkbook(const QString& path, ReadBack& book) {
    QProcess python;
    python.start("/usr/bin/python3", {"-c", ReadScript, path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        book.error = "openpyxl could not read " + path + ": " +
                     QString::fromUtf8(python.readAllStandardError()) + python.errorString();
        return false;
    }
    book.json = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    return true;
}

// Reads a workbook back into `book`; a workbook that cannot be read fails the test.
#define READ_BACK(book, path)                                                                      \
    ReadBack book;                                                                                 \
    QVERIFY2(readWorkbook(path, book), qPrintable(book.error))

// 25 stock-in movements over three products (one with a quote in its name), every fifth
// without a remark, and two stock-out movements.
QString stockInFixture() {
    QStringList rows;
    for (int i = 1; i <= 25; ++i)
        rows << QString("(%1,0,%2,2,%3,'2024-03-%4',%5)")
                    .arg(1 + i % 3)
                    .arg(i + 0.5)
                    .arg((i + 0.5) * 2)
                    .arg(i, 2, 10, QChar('0'))
                    .arg(i % 5 == 0 ? QString("null") : QString("'备注%1'").arg(i));
    return "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
           "StoreRecordDate,StoreRemark) values " +
           rows.join(',');
}

const QStringList Fixture = {
    "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
    "('P1','螺丝','M3','个'),('P2','O''Brien','X-1','只'),('P3','垫圈','M4','盒')",
    stockInFixture(),
    "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,StoreRecordDate) "
    "values (1,1,3,2,6,'2024-04-01 08:30:00'),(2,1,1,2,2,'2024-04-02')",
};

const QStringList StockInTitles = {"商品编号", "商品名称", "商品型号", "单位", "入库数量",
                                   "价格",     "金额",     "入库时间", "备注"};

// Movement i of the fixture as the export writes it: code, name, model, unit, quantity, price,
// amount, date, remark.
QStringList fixtureRow(int i) {
    static const QStringList products[] = {
        {"P1", "螺丝", "M3", "个"}, {"P2", "O'Brien", "X-1", "只"}, {"P3", "垫圈", "M4", "盒"}};
    QStringList row = products[i % 3];
    row << QString::number(i + 0.5) << "2" << QString::number((i + 0.5) * 2)
        << QString("2024-03-%1 00:00:00").arg(i, 2, 10, QChar('0'))
        << (i % 5 == 0 ? QString() : QString("备注%1").arg(i));
    return row;
}

// Rows 1 to `rows`, each a number and a text; reading row `failAt` fails.
class CountingRows : public SheetRowSource {
public:
    CountingRows(int rows, int failAt) : m_rows(rows), m_failAt(failAt) {}
    int FieldCount() const override { return 2; }
    QString FieldName(int field) const override { return field ? "text" : "number"; }
    qint64 RecordCount() const override { return m_rows; }
    bool NextRow(std::vector<SheetCell>& cells) override {
        if (m_next > m_rows)
            return false;
        if (m_next == m_failAt)
            throw std::runtime_error("row failed");
        m_text = "row " + std::to_string(m_next);
        cells[0] = {SheetCell::Kind::Number, double(m_next), {}, {}};
        cells[1] = {SheetCell::Kind::Text, 0, m_text, {}};
        ++m_next;
        return true;
    }

private:
    int m_rows, m_failAt, m_next = 1;
    std::string m_text;
};

struct Window : TestWindow {
    Window() : TestWindow(Fixture) {}
};

} // namespace

class TestExport : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> tempDir;
    QString chosenFolder; // where the file chooser saves the page's workbooks
    QByteArray savedTmpdir;
    QStringList opened;
    bool desktopOpens = true;

    QString chosenFile() const { return chosenFolder + "/工作簿.xlsx"; }
    // What the exports left, finished or half-written: files in the temporary directory (where
    // the test databases have their folders), anything in the folder the workbooks are saved in.
    QStringList leftFiles() const {
        return QDir(tempDir->path()).entryList(QDir::Files | QDir::Hidden) +
               QDir(chosenFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QString onlyOpened() {
        if (opened.size() != 1)
            return QString();
        return opened.first();
    }

private slots:
    void initTestCase() {
        savedTmpdir = qgetenv("TMPDIR");
        MessageBoxes::setScripted(true);
        FileChoosers::setScripted(true);
    }
    void init() {
        MessageBoxes::clearShown();
        tempDir = std::make_unique<QTemporaryDir>();
        // The temporary directory is this test's own, so that whatever is left there shows.
        qputenv("TMPDIR", tempDir->path().toUtf8());
        chosenFolder = tempDir->path() + "/chosen";
        QVERIFY(QDir().mkpath(chosenFolder));
        FileChoosers::clear();
        FileChoosers::setNextChoice(chosenFile());
        opened.clear();
        desktopOpens = true;
        SetDesktopOpener([this](const QString& path) {
            opened << path;
            return desktopOpens;
        });
    }
    void cleanup() {
        SetDesktopOpener({});
        qputenv("TMPDIR", savedTmpdir);
        tempDir.reset();
    }

    void addresses_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("range"); // rows 1..row over columns 1..column
        QTest::newRow("first") << 1 << "A" << 1 << "A1"
                               << "A1:A1";
        QTest::newRow("stock-in frame of 25 records") << 9 << "I" << 26 << "I26"
                                                      << "A1:I26";
        QTest::newRow("last single letter") << 26 << "Z" << 3 << "Z3"
                                            << "A1:Z3";
        QTest::newRow("first two letters") << 27 << "AA" << 100 << "AA100"
                                           << "A1:AA100";
        QTest::newRow("A then Z") << 52 << "AZ" << 7 << "AZ7"
                                  << "A1:AZ7";
        QTest::newRow("B then A") << 53 << "BA" << 1 << "BA1"
                                  << "A1:BA1";
        QTest::newRow("the 256th") << 256 << "IV" << 65536 << "IV65536"
                                   << "A1:IV65536";
        QTest::newRow("none below 1") << 0 << "" << 1 << "1"
                                      << "A1:1";
    }
    void addresses() {
        QFETCH(int, column);
        QFETCH(QString, letters);
        QFETCH(int, row);
        QFETCH(QString, cell);
        QFETCH(QString, range);
        QCOMPARE(ColumnLetters(column), letters);
        QCOMPARE(CellAddress(row, column), cell);
        QCOMPARE(RangeAddress(1, 1, row, column), range);
    }

    void exportStatementWrapsThePageStatement() {
        std::vector<GridColumn> columns{
            TextColumn("ProductSerial", "商品编号", 80), TextColumn("ProductName", "商品名称", 80),
            TextColumn("ProductType", "商品型号", 80), TextColumn("StoreRemark", "备注", 80)};
        columns[2].Visible = false;
        const ExportColumns lists = VisibleExportColumns(columns);
        QCOMPARE(ExportStatement(lists.fieldNames, lists.titles, "select * from Store"),
                 "Select ProductSerial as 商品编号 ,ProductName as 商品名称 ,StoreRemark as 备注 "
                 "from (select * from Store) as t_export");
    }

    // The stock-in list, sorted by a title click first: titles, values with their types, the
    // format, the frame, in the statement's order.
    void stockInWorkbook() {
        Window w;
        TMainForm& f = *w.form;
        f.DBGridEh1TitleBtnClick(f.DBGridEh1, 1, &f.DBGridEh1->column(1));
        QVERIFY(f.DBGridEh1->cellText(0, 1) != "螺丝"); // the grid shows another order
        f.AdvGlowButton3->click();

        QCOMPARE(ShownMessageTexts(), QStringList());
        const QString file = onlyOpened();
        QCOMPARE(file, chosenFile());
        QCOMPARE(leftFiles(), QStringList{"工作簿.xlsx"});
        READ_BACK(book, file);
        QCOMPARE(book.json["sheets"].toArray().size(), 1);
        QCOMPARE(book.rows(), 26);
        QCOMPARE(book.columns(), 9);
        QCOMPARE(book.row(1), StockInTitles);
        for (int i = 1; i <= 25; ++i)
            QCOMPARE(book.row(i + 1), fixtureRow(i));

        for (const QString ref : {"E2", "F2", "G2"})
            QVERIFY2(book.type(ref) == "float" || book.type(ref) == "int", qPrintable(ref));
        QCOMPARE(book.value("E2").toDouble(), 1.5);
        QCOMPARE(book.type("H2"), "datetime");
        QVERIFY(book.cell("H2")["date"].toBool());
        for (const QString ref : {"A2", "B2", "C2", "D2", "I2"})
            QCOMPARE(book.type(ref), "str");
        QCOMPARE(book.type("I6"), "NoneType"); // a remark without value: an empty cell

        // Every cell of A1:I26, and none beyond, is set in 宋体 12 and framed on all sides.
        const QJsonObject cells = book.json["cells"].toObject();
        QCOMPARE(cells.size(), 26 * 9);
        for (int row = 1; row <= 26; ++row)
            for (int column = 1; column <= 9; ++column) {
                const QJsonObject cell = book.cell(CellAddress(row, column));
                const QString where = CellAddress(row, column);
                QCOMPARE(cell["font"].toString(), "宋体");
                QCOMPARE(cell["size"].toDouble(), 12.0);
                QCOMPARE(cell["v"].toString(), "center");
                QCOMPARE(cell["h"].toString(), column == 3 || column == 4 ? "center" : "");
                QVERIFY2(cell["borders"] == QJsonArray({"thin", "thin", "thin", "thin"}),
                         qPrintable(where));
            }
        // Empty cells of the sheet take the font, and C and D their centring, from the columns.
        const QJsonObject columns = book.json["columnSettings"].toObject();
        QCOMPARE(columns["C"]["h"].toString(), "center");
        QCOMPARE(columns["J"]["font"].toString(), "宋体");
        QCOMPARE(columns["J"]["max"].toInt(), 16384);
        // The widths follow the contents: the date column is wider than the unit column.
        QVERIFY(columns["H"]["width"].toDouble() > columns["D"]["width"].toDouble());
    }

    // The page asks where to save the workbook, proposing the list's name in the folder of the
    // last export (the home folder at first); choosing nothing exports nothing.
    void exportAsksWhereToSave() {
        Window w;
        TMainForm& f = *w.form;
        FileChoosers::clear();
        f.AdvGlowButton3->click();
        QCOMPARE(FileChoosers::shown().value(0).startFolder, QDir::homePath() + "/入库列表.xlsx");
        QCOMPARE(opened, QStringList());
        QCOMPARE(leftFiles(), QStringList());

        FileChoosers::setNextChoice(chosenFolder + "/三月.xlsx");
        f.AdvGlowButton16->click();
        QCOMPARE(opened, QStringList{chosenFolder + "/三月.xlsx"});
        FileChoosers::setNextChoice(chosenFile());
        f.AdvGlowButton8->click();
        QCOMPARE(FileChoosers::shown().value(1).startFolder, QDir::homePath() + "/库存信息.xlsx");
        QCOMPARE(FileChoosers::shown().value(2).startFolder, chosenFolder + "/出库列表.xlsx");
        QCOMPARE(leftFiles(), QStringList({"三月.xlsx", "工作簿.xlsx"}));
    }

    // Texts stored in GB18030 (as the older program's files hold them) and control characters
    // reach the grid, the tool's list, the printed report and the workbook as valid text; what
    // cannot be decoded shows as U+FFFD.
    void storedTextsOfAnyEncodingStayValid() {
        FILE_ONLY("bytes of any encoding stored as text, which the server refuses");
        Window w;
        w.db.exec("update Product set ProductName=CAST(X'C2DDCBBFB5B6FF' AS TEXT) "
                  "where ProductIndex=2");
        w.db.exec("update Store set StoreRemark='红'||char(27)||'[31m'||char(7)||char(155)||"
                  "'备注' where StoreIndex=1");
        const QString name = "螺丝刀\uFFFD";
        const QString remark = "红\x1b[31m\a\u009b备注";
        TMainForm& f = *w.form;
        f.QueryStoreIn(QString());
        f.DBGridEh1->setColumnVisible(1, true);
        QStringList names;
        for (int row = 0; row < f.ADOQueryStoreIn.RecordCount(); ++row)
            names << f.DBGridEh1->cellText(row, 1);
        QVERIFY2(names.contains(name), qPrintable(names.join('|')));

        f.AdvGlowButton3->click();
        READ_BACK(book, onlyOpened());
        QCOMPARE(book.text(2, 2), name);
        QCOMPARE(book.text(2, 9), remark);

        const ToolRun list = RunTool({"list", w.db.dir().databasePath(), "in"});
        QCOMPARE(list.exitCode, 0);
        QVERIFY2(list.out.contains(name + "\tX-1"), qPrintable(list.out));
        QVERIFY(list.out.contains("红\\x1b[31m\\x07\\u009b备注"));

        const QString pdf = chosenFolder + "/入库.pdf";
        const ToolRun print = RunTool({"print", pdf, "list", w.db.dir().databasePath(), "in"});
        QCOMPARE(print.exitCode, 0);
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(printed.contains("螺丝刀"), qPrintable(printed.left(400)));
        QVERIFY(printed.contains("备注"));
    }

    void hiddenColumnIsNeitherExportedNorFramed() {
        Window w;
        TMainForm& f = *w.form;
        f.DBGridEh1->setColumnVisible(2, false); // 商品型号
        f.AdvGlowButton3->click();
        READ_BACK(book, onlyOpened());
        QStringList titles = StockInTitles;
        titles.removeAt(2);
        QCOMPARE(book.columns(), 8);
        QCOMPARE(book.rows(), 26);
        QCOMPARE(book.row(1), titles);
        QCOMPARE(book.text(2, 3), fixtureRow(1)[3]);
        // The centring is on C and D, whatever lands there: now the unit and the quantity.
        QCOMPARE(book.cell("D2")["h"].toString(), "center");
        QCOMPARE(book.cell("E2")["h"].toString(), "");
        QVERIFY(book.cell("H26")["borders"] == QJsonArray({"thin", "thin", "thin", "thin"}));
        QVERIFY(book.cell("I1").isEmpty());
    }

    void balanceWorkbook() {
        Window w;
        TMainForm& f = *w.form;
        f.AdvGlowButton16->click();
        READ_BACK(book, onlyOpened());
        QCOMPARE(book.row(1), QStringList({"商品编号", "商品名称", "商品型号", "单位", "入库数量",
                                           "出库数量", "当前库存"}));
        QCOMPARE(book.rows(), 4);
        QCOMPARE(book.columns(), 7);
        for (int row = 2; row <= 4; ++row) {
            const double in = book.value(CellAddress(row, 5)).toDouble();
            const double out = book.value(CellAddress(row, 6)).toDouble();
            QCOMPARE(book.value(CellAddress(row, 7)).toDouble(), in - out);
            QCOMPARE(book.type(CellAddress(row, 7)) == "str", false);
        }
    }

    void nothingHappens_data() {
        QTest::addColumn<int>("situation");
        QTest::newRow("two visible columns") << 0;
        QTest::newRow("empty stock-in list") << 1;
        QTest::newRow("empty balance") << 2;
        QTest::newRow("stock-out list closed by a failed query") << 3;
    }
    void nothingHappens() {
        QFETCH(int, situation);
        Window w;
        TMainForm& f = *w.form;
        switch (situation) {
        case 0:
            for (int column = 2; column < 9; ++column)
                f.DBGridEh1->setColumnVisible(column, false);
            f.AdvGlowButton3->click();
            break;
        case 1:
            f.QueryStoreIn(" and 0=1");
            f.AdvGlowButton3->click();
            break;
        case 2:
            f.DateTimePicker7->setDate(QDate(2000, 1, 1));
            f.AdvGlowButton13->click();
            QCOMPARE(f.ADOQueryStore.RecordCount(), 0);
            f.AdvGlowButton16->click();
            break;
        case 3:
            RunGuarded([&] { f.QueryStoreOut(" and no such column"); });
            QVERIFY(!f.ADOQueryStoreOut.Active());
            MessageBoxes::clearShown();
            f.AdvGlowButton8->click();
            break;
        }
        QCOMPARE(opened, QStringList());
        QCOMPARE(ShownMessageTexts(), QStringList());
        QCOMPARE(leftFiles(), QStringList());
    }

    void textsArriveAsText_data() {
        QTest::addColumn<QString>("remark");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("cut");
        auto same = [](const QString& name, const QString& text) {
            QTest::newRow(qPrintable(name)) << text << text << false;
        };
        same("formula", "=1+1");
        same("function", "@SUM(A1)");
        same("plus", "+1");
        same("number-like", "007");
        same("quotes", "O'Brien \"大\" ''");
        same("escape form", "_x0041_ and _X263A_");
        same("line breaks and tabs", "一\n二\t三");
        same("long Chinese within the limit", QString(20000, QChar(u'中')));
        same("exactly the limit", QString(32767, 'a'));
        QTest::newRow("over the limit") << QString(40000, 'b') << QString(32767, 'b') << true;
        // A character of two UTF-16 units is not split at the limit.
        QTest::newRow("cut keeps characters whole")
            << QString(32766, 'c') + QString::fromUtf8("😀") + "d" << QString(32766, 'c') << true;
    }
    void textsArriveAsText() {
        QFETCH(QString, remark);
        QFETCH(QString, written);
        QFETCH(bool, cut);
        Window w;
        w.db.exec("update Store set StoreRemark=" + QuotedSql(remark) + " where StoreIndex=1");
        w.form->QueryStoreIn(QString());
        w.form->AdvGlowButton3->click();
        READ_BACK(book, onlyOpened());
        QCOMPARE(book.type("I2"), "str");
        QCOMPARE(book.value("I2").toString(), written);
        QCOMPARE(book.rows(), 26);
        const QStringList messages = ShownMessageTexts();
        QCOMPARE(messages.size(), cut ? 1 : 0);
        if (cut)
            QVERIFY(messages.first().contains("1 个单元格") && messages.first().contains("截断"));
    }

    // An amount another program stored as infinity: one mark in the grid, its footer and the
    // workbook, never "i.nf" or "Inf".
    void infinityShowsOneMarkEverywhere() {
        Window w;
        w.db.exec(QString("update Store set StoreSum=%1 where StoreIndex=1")
                      .arg(TestOnServer() ? "'Infinity'" : "9e999"));
        w.form->QueryStoreIn(QString());
        QCOMPARE(w.form->DBGridEh1->cellText(0, 6), "#NUM!");
        QCOMPARE(w.form->DBGridEh1->footerText(6), "#NUM!");
        w.form->AdvGlowButton3->click();
        READ_BACK(book, onlyOpened());
        QCOMPARE(book.value("G2").toString(), "#NUM!");
        QCOMPARE(book.type("G2"), "str");
        QCOMPARE(book.type("G3"), "int"); // the other amounts stay numbers
    }

    void failureLeavesNoFile_data() {
        QTest::addColumn<bool>("whileWriting");
        QTest::addColumn<QString>("reason");
        QTest::newRow("statement cannot be prepared") << false << "NoSuchField";
        QTest::newRow("statement fails after rows were written")
            << true << (TestOnServer() ? "division by zero" : "integer overflow");
    }
    void failureLeavesNoFile() {
        QFETCH(bool, whileWriting);
        QFETCH(QString, reason);
        Window w;
        TMainForm& f = *w.form;
        if (whileWriting) {
            // The last movement makes the second column fail once the rows before it are
            // written: abs() overflows on the file's 64-bit integers, the server refuses to
            // divide by zero.
            w.db.exec(QString("insert into Store (StoreProduct,StoreKind) values (%1,7)")
                          .arg(TestOnServer() ? "1" : "-9223372036854775808"));
            const QString failing =
                TestOnServer() ? "StoreProduct/(StoreKind-7)" : "abs(StoreProduct)";
            Query query(&w.db.dm().ADOConnection1);
            OpenSQL(query, "select StoreIndex,StoreProduct,StoreKind,StoreRemark from Store");
            RunGuarded([&] {
                ExportDataSetToExcel(w.db.dm(), &query, {"StoreIndex", failing, "StoreRemark"},
                                     {"序号", "商品", "备注"}, nullptr, nullptr);
            });
        } else {
            f.DBGridEh1->column(3).FieldName = "NoSuchField";
            f.AdvGlowButton3->click();
        }
        const QStringList messages = ShownMessageTexts();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith("导出失败：") &&
                     messages.first().contains(reason, Qt::CaseInsensitive),
                 qPrintable(messages.first()));
        QCOMPARE(opened, QStringList());
        QCOMPARE(leftFiles(), QStringList());
    }

    void cancelLeavesNoFile() {
        Window w;
        QStringList rows;
        for (int i = 1; i <= 3000; ++i)
            rows << QString("(1,0,%1,'2024-05-01')").arg(i);
        w.db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StoreRecordDate) values " +
                  rows.join(','));
        SpreadsheetOptions options;
        options.show = [this](const QString& path) {
            opened << path;
            return true;
        };
        qint64 reported = 0;
        options.progress = [&](qint64 written, qint64 total) {
            reported = written;
            return total > 0 && written < 1024;
        };
        const ExportColumns lists = VisibleExportColumns(w.form->DBGridEh1->columns());
        const ExportOutcome outcome = RunWorkbookExport(
            {w.db.dm().ADOConnection1.Address(), w.form->ADOQueryStoreIn.SQL().first(),
             lists.fieldNames, lists.titles, nullptr, nullptr},
            options);
        QVERIFY(outcome.cancelled);
        QCOMPARE(reported, 1024);
        QCOMPARE(opened, QStringList());
        QCOMPARE(leftFiles(), QStringList());
    }

    // "取消" in the progress dialog: the export stops, silently, and leaves no file.
    void cancelButtonStopsTheExport() {
        Window w;
        std::binary_semaphore clicked(0);
        bool found = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->objectName() == "ExportProgressDialog") {
                    widget->findChild<QPushButton*>()->click();
                    found = true;
                }
            clicked.release();
        });
        // The export waits before its data until the button was clicked.
        ExportGridToExcel(
            w.db.dm(), w.form->DBGridEh1, [&](Worksheet&, int&) { clicked.acquire(); }, nullptr);
        QVERIFY(found);
        QCOMPARE(opened, QStringList());
        QCOMPARE(ShownMessageTexts(), QStringList());
        QCOMPARE(leftFiles(), QStringList());
    }

    // Rows read ahead in batches arrive all, in order, with their texts; a failure arrives after
    // the rows before it.
    void readAheadKeepsTheRows_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("failAt"); // 0: none
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("less than a batch") << 2 << 0;
        QTest::newRow("ends with a batch") << 9 << 0;
        QTest::newRow("many batches") << 100 << 0;
        QTest::newRow("fails in the third batch") << 9 << 8;
        QTest::newRow("fails at once") << 9 << 1;
    }
    void readAheadKeepsTheRows() {
        QFETCH(int, rows);
        QFETCH(int, failAt);
        ReadAheadRows ahead(std::make_shared<CountingRows>(rows, failAt), 3);
        QCOMPARE(ahead.RecordCount(), rows);
        std::vector<SheetCell> cells(2);
        int read = 0;
        try {
            while (ahead.NextRow(cells)) {
                ++read;
                QCOMPARE(cells[0].number, double(read));
                QCOMPARE(QString::fromUtf8(cells[1].text.data()), QString("row %1").arg(read));
            }
            QCOMPARE(failAt, 0);
            QVERIFY(!ahead.NextRow(cells));
        } catch (const std::runtime_error&) {
            QVERIFY(failAt > 0);
        }
        QCOMPARE(read, failAt ? failAt - 1 : rows);
    }

    // BeforeData writes a title row and AfterData a total row; both lie inside the frame.
    void hooksWriteInsideTheFrame() {
        Window w;
        TMainForm& f = *w.form;
        ExportGridToExcel(
            w.db.dm(), f.DBGridEh1,
            [](Worksheet& sheet, int& row) { sheet.SetText(++row, 1, "入库列表"); },
            [](Worksheet& sheet, int& row) {
                sheet.SetText(++row, 1, "合计");
                sheet.SetNumber(row, 7, 700);
            });
        READ_BACK(book, onlyOpened());
        QCOMPARE(book.rows(), 28);
        QCOMPARE(book.text(1, 1), "入库列表");
        QCOMPARE(book.row(2), StockInTitles);
        QCOMPARE(book.row(3), fixtureRow(1));
        QCOMPARE(book.text(28, 1), "合计");
        QCOMPARE(book.value("G28").toDouble(), 700.0);
        for (const QString ref : {"A1", "I1", "E28", "I28"}) {
            QVERIFY2(book.cell(ref)["borders"] == QJsonArray({"thin", "thin", "thin", "thin"}),
                     qPrintable(ref));
            QCOMPARE(book.cell(ref)["font"].toString(), "宋体");
        }
    }

    void workbookNoProgramOpensIsNamed() {
        Window w;
        desktopOpens = false;
        w.form->AdvGlowButton3->click();
        const QString file = onlyOpened();
        const QStringList messages = ShownMessageTexts();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().contains("没有找到可以打开电子表格文件的程序"));
        QVERIFY(messages.first().contains(QDir::toNativeSeparators(file)));
        READ_BACK(book, file);
        QCOMPARE(book.rows(), 26);
    }

    // One definition per list: the page's grid shows its columns (titles, formats, footers,
    // widths) over its statement, and the page's printed table and workbook carry the same
    // columns under the same titles.
    void listDefinitionsAgree_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("stock in") << 0;
        QTest::newRow("stock out") << 1;
        QTest::newRow("balance") << 2;
        QTest::newRow("period summary") << 3;
    }
    void listDefinitionsAgree() {
        QFETCH(int, page);
        Window w;
        TMainForm& f = *w.form;
        const std::array lists{MovementList(MovementKind::StockIn),
                               MovementList(MovementKind::StockOut),
                               BalanceList(QDate::currentDate()),
                               SummaryList(f.DateTimePicker8->date(), f.DateTimePicker9->date())};
        const std::array grids{f.DBGridEh1, f.DBGridEh2, f.DBGridEh3, f.DBGridEh5};
        const std::array printButtons{f.AdvGlowButton2, f.AdvGlowButton7, f.AdvGlowButton15,
                                      f.AdvGlowButton21};
        const std::array exportButtons{f.AdvGlowButton3, f.AdvGlowButton8, f.AdvGlowButton16,
                                       f.AdvGlowButton22};
        const std::array reports{&f.frReport1, &f.frReport2, &f.frReport3, &f.frReport5};
        const ListDefinition& list = lists[std::size_t(page)];
        InstallReportTemplates(w.db.dir().path());
        DataGrid* grid = grids[std::size_t(page)];

        QStringList titles, gridTitles;
        QCOMPARE(grid->columnCount(), int(list.columns.size()));
        for (int i = 0; i < grid->columnCount(); ++i) {
            const GridColumn& defined = list.columns[std::size_t(i)];
            const GridColumn& shown = grid->column(i);
            titles << defined.Title;
            gridTitles << grid->model()->headerData(i, Qt::Horizontal).toString();
            QCOMPARE(shown.FieldName, defined.FieldName);
            QCOMPARE(shown.Width, defined.Width);
            QCOMPARE(shown.DisplayFormat, defined.DisplayFormat);
            QCOMPARE(shown.Footer, defined.Footer);
            QCOMPARE(shown.FooterFormat, defined.FooterFormat);
        }
        QCOMPARE(gridTitles, titles);
        QCOMPARE(grid->dataSet()->objectName(), list.query);
        QCOMPARE(grid->dataSet()->SQL().value(0),
                 list.statementOn(TestOnServer() ? SqlTarget::Server : SqlTarget::File));

        printButtons[std::size_t(page)]->click();
        QCOMPARE(ShownMessageTexts(), QStringList());
        std::map<int, QString> headers; // the printed table's column headers, left to right
        const ReportPage& printed = *reports[std::size_t(page)]->Page(0);
        for (int i = 0; i < printed.ObjectCount(); ++i) {
            const ReportText* text = printed.Object(i)->AsText();
            if (text && text->Top == 240)
                headers[text->Left] = text->Lines.value(0);
        }
        QStringList printedTitles;
        for (const auto& [left, title] : headers)
            printedTitles << title;
        QCOMPARE(printedTitles, titles);
        for (ReportPreview* preview : f.findChildren<ReportPreview*>())
            preview->close();

        exportButtons[std::size_t(page)]->click();
        QCOMPARE(ShownMessageTexts(), QStringList());
        READ_BACK(book, onlyOpened());
        QCOMPARE(book.row(1), titles);
    }

    // The tool writes the page's workbook for the same command line, without a display.
    void toolWritesThePagesWorkbook_data() {
        QTest::addColumn<QString>("list");
        QTest::newRow("stock-in list of March, one name") << "list";
        QTest::newRow("balance") << "balance";
        QTest::newRow("summary of March") << "summary";
    }
    void toolWritesThePagesWorkbook() {
        QFETCH(QString, list);
        Window w;
        TMainForm& f = *w.form;
        const QString target = w.db.dir().path() + "工作簿.xlsx";
        QStringList args{"export", target};
        if (list == "summary") {
            f.DateTimePicker8->setDate(QDate(2024, 3, 1));
            f.DateTimePicker9->setDate(QDate(2024, 3, 31));
            f.AdvGlowButton20->click();
            f.AdvGlowButton22->click();
            args << "summary" << w.db.dir().databasePath() << "2024-03-01"
                 << "2024-03-31";
        } else if (list == "balance") {
            f.DateTimePicker7->setDate(QDate(2024, 3, 20));
            f.AdvGlowButton13->click();
            f.AdvGlowButton16->click();
            args << "balance" << w.db.dir().databasePath() << "2024-03-20";
        } else {
            f.DateTimePicker2->setDate(QDate(2024, 3, 5));
            f.DateTimePicker3->setDate(QDate(2024, 3, 31));
            f.TntComboBox5->setCurrentText("O'Brien");
            f.AdvGlowButton4->click();
            f.AdvGlowButton3->click();
            args << "list" << w.db.dir().databasePath() << "in"
                 << "--from"
                 << "2024-03-05"
                 << "--to"
                 << "2024-03-31"
                 << "--name"
                 << "O'Brien";
        }
        const ToolRun result = RunTool(args);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.contains("已导出"), qPrintable(result.out + result.error));
        READ_BACK(fromPage, onlyOpened());
        READ_BACK(fromTool, target);
        QVERIFY(fromPage.rows() > 2);
        QCOMPARE(fromTool.json, fromPage.json);
    }

    void toolFailureIsAMessage() {
        TestDatabase db;
        const QString target = db.dir().path() + "missing/out.xlsx";
        const ToolRun result = RunTool({"export", target, "list", db.dir().databasePath(), "in"});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.error.startsWith("导出失败："), qPrintable(result.error));
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(RunTool({"export", target, "list"}).exitCode, 2);
    }

    // Borders(index) of a rectangle: which sides of a corner and of the middle cell get a line.
    void borderIndices_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("topLeft");     // B2: left, right, top, bottom
        QTest::addColumn<QStringList>("middle");      // C3
        QTest::addColumn<QStringList>("bottomRight"); // D4
        const QString t = "thin", n;
        QTest::newRow("left edge")
            << 7 << QStringList{t, n, n, n} << QStringList{n, n, n, n} << QStringList{n, n, n, n};
        QTest::newRow("top edge") << 8 << QStringList{n, n, t, n} << QStringList{n, n, n, n}
                                  << QStringList{n, n, n, n};
        QTest::newRow("bottom edge")
            << 9 << QStringList{n, n, n, n} << QStringList{n, n, n, n} << QStringList{n, n, n, t};
        QTest::newRow("right edge")
            << 10 << QStringList{n, n, n, n} << QStringList{n, n, n, n} << QStringList{n, t, n, n};
        QTest::newRow("inside vertical")
            << 11 << QStringList{n, t, n, n} << QStringList{t, t, n, n} << QStringList{t, n, n, n};
        QTest::newRow("inside horizontal")
            << 12 << QStringList{n, n, n, t} << QStringList{n, n, t, t} << QStringList{n, n, t, n};
    }
    void borderIndices() {
        QFETCH(int, index);
        QFETCH(QStringList, topLeft);
        QFETCH(QStringList, middle);
        QFETCH(QStringList, bottomRight);
        const QString file = tempDir->filePath("borders.xlsx");
        SpreadsheetApplication application({file, {}, {}});
        Worksheet& sheet = application.AddWorkbook().Worksheets("SHEET1");
        sheet.Range("d4:$B$2").SetBorderLineStyle(index, 1);
        application.SetVisible(true);
        READ_BACK(book, file);
        // A cell without any format is not written at all.
        auto sides = [&](const QString& ref) {
            const QJsonArray borders = book.cell(ref)["borders"].toArray();
            QStringList styles;
            for (int side = 0; side < 4; ++side)
                styles << borders.at(side).toString();
            return styles;
        };
        QCOMPARE(sides("B2"), topLeft);
        QCOMPARE(sides("C3"), middle);
        QCOMPARE(sides("D4"), bottomRight);
        QVERIFY(book.cell("A1").isEmpty() && book.cell("E5").isEmpty());
    }
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
