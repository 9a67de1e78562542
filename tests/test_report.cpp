// The report engine: templates, named objects and properties, field references, the layout of
// the bands across pages, drawing, and PDF and printer output.
#include "TestSupport.h"
#include "preview/ReportPrinting.h"
#include "report/PreparedReport.h"
#include "report/Report.h"
#include "report/ReportBand.h"
#include "report/ReportDataSource.h"
#include "report/ReportError.h"
#include "report/ReportOutput.h"
#include "report/ReportPagePainter.h"
#include "report/ReportText.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QtTest>

namespace {

// Records in memory: fields by name, one text per field and record.
class TableSource : public ReportDataSource {
public:
    TableSource(QStringList fields, std::vector<QStringList> rows)
        : m_fields(std::move(fields)), m_rows(std::move(rows)) {}
    QString Name() const override { return "frData"; }
    QString DataSetName() const override { return "Goods"; }
    int RecordCount() const override { return int(m_rows.size()); }
    int FieldIndex(const QString& field) const override { return int(m_fields.indexOf(field)); }
    QString FieldText(int record, int field) const override {
        return m_rows[std::size_t(record)][field];
    }

private:
    QStringList m_fields;
    std::vector<QStringList> m_rows;
};

std::vector<QStringList> numberedRows(int count) {
    std::vector<QStringList> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back({QString("item%1").arg(i), QString::number(i * 10)});
    return rows;
}

QJsonObject band(const QString& name, const QString& kind, int top, int height) {
    QJsonObject object{{"type", "band"}, {"name", name}, {"kind", kind},    {"left", 0},
                       {"top", top},     {"width", 0},   {"height", height}};
    if (kind == "Master data")
        object["dataset"] = "frData";
    return object;
}

QJsonObject text(const QString& name, int left, int top, int width, const QString& line) {
    return {{"type", "text"},
            {"name", name},
            {"left", left},
            {"top", top},
            {"width", width},
            {"height", 20},
            {"lines", QJsonArray{line}}};
}

// A page 400 high without margins: a 40-high page header, records of 20, a master footer, a
// summary and a 20-high page footer, so that 17 records fill a page.
QJsonObject pagedDesign() {
    return {
        {"width", 300},
        {"height", 400},
        {"objects",
         QJsonArray{
             band("Header", "Page header", 0, 40), text("Heading", 0, 0, 200, "Title [PAGE#]"),
             band("Records", "Master data", 100, 20), text("", 0, 100, 100, "[Goods.Name]"),
             text("", 100, 100, 100, "[frData.Amount] kg"), band("Total", "Master footer", 140, 20),
             text("", 0, 140, 100, "total"), band("Summary", "Report summary", 180, 20),
             text("", 0, 180, 100, "summary"), band("Footer", "Page footer", 220, 20),
             text("", 200, 220, 100, "[PAGE#]/[TOTALPAGES]")}}};
}

// A framed table cell, its text centred across and up-down unless `properties` say otherwise.
QJsonObject cell(int left, int top, int width, const QString& line, QJsonObject properties = {},
                 int height = 20) {
    QJsonObject object = text("", left, top, width, line);
    object["height"] = height;
    properties["FrameTyp"] = 15;
    if (!properties.contains("Alignment"))
        properties["Alignment"] = 10;
    object["properties"] = properties;
    return object;
}

// A page 340 by 220 that holds every way of drawing a text: a table with a grey header row,
// three records (Chinese, a remark too long for its cell, a number too wide for its cell, a
// red number), a total line, a wrapped text, a vertical text, a rule under the heading, a text
// taller than its cell and a page number.
QJsonObject tableDesign() {
    QJsonObject heading = text("", 20, 0, 300, "库存报表 [PAGE#]");
    heading["font"] = QJsonObject{{"family", "WenQuanYi Micro Hei"}, {"size", 12}, {"bold", true}};
    QJsonObject rule = text("", 20, 26, 300, "");
    rule["height"] = 8;
    rule["properties"] = QJsonObject{{"FrameTyp", 2}};
    QJsonObject squeezed = text("", 260, 30, 60, "挤压 cut");
    squeezed["height"] = 8;
    const QJsonObject grey{{"FillColor", 0xC0C0C0}};
    const QJsonObject right{{"Alignment", 9}};
    const QString wrapped = "aa bb cc dd ee ff gg hh ii jj kk ll mm nn oo pp qq rr ss tt uu vv ww "
                            "xx yy zz 中文换行也要正确";
    const QJsonArray objects{
        band("Header", "Page header", 0, 40),
        heading,
        rule,
        squeezed,
        band("Titles", "Page header", 40, 20),
        cell(20, 40, 100, "名称", grey),
        cell(120, 40, 60, "数量", grey),
        cell(180, 40, 140, "备注", grey),
        band("Records", "Master data", 60, 20),
        cell(20, 60, 100, "[Goods.Name]"),
        cell(120, 60, 60, "[Goods.Amount]", {{"Alignment", 9}, {"Font.Color", 0x0000FF}}),
        cell(180, 60, 140, "[Goods.Remark]"),
        band("Total", "Master footer", 80, 20),
        cell(20, 80, 100, "合计"),
        cell(120, 80, 60, "99,999,999.99", right),
        cell(180, 80, 140, ""),
        band("Summary", "Report summary", 100, 40),
        cell(20, 100, 40, "竖排", {{"Alignment", 6}}, 40),
        cell(60, 100, 260, wrapped, {{"Alignment", 0}}, 40),
        band("Footer", "Page footer", 200, 20),
        text("", 220, 200, 100, "[PAGE#]/[TOTALPAGES]")};
    return {{"width", 340}, {"height", 220}, {"objects", objects}};
}

QString writeTemplate(const QTemporaryDir& dir, const QJsonObject& page,
                      const QString& name = "t.frf") {
    const QJsonObject document{
        {"format", "varnholt-report"}, {"version", 1}, {"pages", QJsonArray{page}}};
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(document).toJson());
    return file.fileName();
}

QStringList textsOf(const PreparedPage& page) {
    QStringList texts;
    for (const PreparedText& text : page.texts)
        texts << text.text;
    return texts;
}

QString templatesDir() {
    return qEnvironmentVariable("VARNHOLT_TOOLS_DIR") + "/frf/";
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void shippedTemplatesLoad_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<int>("tableRoom");
        QTest::newRow("narrow") << "CommonPrint.frf" << false << 716;
        QTest::newRow("wide") << "CommonPrint2.frf" << true << 1028;
    }
    void shippedTemplatesLoad() {
        QFETCH(QString, file);
        QFETCH(bool, landscape);
        QFETCH(int, tableRoom);
        Report report;
        report.LoadFromFile(templatesDir() + file);
        const PageSetup& setup = report.Page(0)->Setup;
        QCOMPARE(setup.landscape, landscape);
        QVERIFY(setup.printableWidth() >= 20 + tableRoom);
        QCOMPARE(setup.defaultFont.family, QString("WenQuanYi Micro Hei"));
        for (const char* name : {"CommonKind", "CompanyName", "CompanyAddress", "CompanyTel"}) {
            ReportText* heading = report.FindText(name);
            QVERIFY(heading->Top + heading->Height <= 240);
        }
        QVERIFY(report.FindObject("Nothing") == nullptr);
    }

    void templateFaults_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("message");
        const auto page = [](const QJsonArray& objects) {
            return QJsonDocument(
                       QJsonObject{
                           {"format", "varnholt-report"},
                           {"version", 1},
                           {"pages", QJsonArray{QJsonObject{
                                         {"width", 300}, {"height", 400}, {"objects", objects}}}}})
                .toJson();
        };
        QTest::newRow("missing file") << QByteArray() << "找不到报表模板文件";
        QTest::newRow("not JSON") << QByteArray("{ \"format\": ") << "格式不正确";
        QTest::newRow("JSON but not an object") << QByteArray("[1, 2]") << "JSON 对象";
        QTest::newRow("another format")
            << QByteArray(R"({"format": "other", "version": 1, "pages": [{}]})") << "format";
        QTest::newRow("no page") << QByteArray(R"({"format": "varnholt-report", "version": 1})")
                                 << "没有页面";
        QTest::newRow("unknown band kind")
            << page({band("B", "Column footer", 0, 20)}) << "对象 B：未知的数据带类型";
        QTest::newRow("text of a missing band")
            << page({QJsonObject{{"type", "text"}, {"name", "T"}, {"band", "Gone"}}})
            << "数据带 Gone 不存在";
        QTest::newRow("two objects of one name")
            << page({band("B", "Page header", 0, 20), text("B", 0, 0, 10, "x")}) << "B 重复";
        QTest::newRow("property not a number")
            << page({QJsonObject{{"type", "text"},
                                 {"name", "T"},
                                 {"properties", QJsonObject{{"FrameTyp", "all"}}}}})
            << "属性 FrameTyp";
    }
    void templateFaults() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = dir.filePath(QTest::currentDataTag() + QString(".frf"));
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        Report report;
        report.LoadFromFile(templatesDir() + "CommonPrint.frf");
        try {
            report.LoadFromFile(path);
            QFAIL("loaded");
        } catch (const ReportError& error) {
            QVERIFY2(error.message().contains(path), qPrintable(error.message()));
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
        // The report keeps what it held.
        QVERIFY(report.FindText("CompanyName"));
    }

    void propertiesByName() {
        ReportText text;
        text.SetProp("Alignment", frtaCenter + frtaMiddle);
        text.SetProp("FrameTyp", 15);
        text.SetProp("FillColor", 12632256);
        text.SetProp("Font.Color", 0xFF0000);
        QCOMPARE(text.Prop("Alignment"), 10);
        QCOMPARE(text.Prop("FrameTyp"), 15);
        QCOMPARE(text.Prop("FillColor"), 12632256);
        QCOMPARE(text.Prop("Font.Color"), 0xFF0000);
        QVERIFY_THROWS_EXCEPTION(ReportError, text.SetProp("Font.Size", 9));
        text.SetText("a\nb");
        QCOMPARE(text.Lines, QStringList({"a", "b"}));
    }

    void loadingReplacesEveryObject() {
        Report report;
        const QString path = templatesDir() + "CommonPrint.frf";
        report.LoadFromFile(path);
        const int count = report.Page(0)->ObjectCount();
        report.Page(0)->Add(std::make_unique<ReportBand>(BandType::MasterData));
        report.LoadFromFile(path);
        QCOMPARE(report.Page(0)->ObjectCount(), count);
    }

    // 50 records at 17 a page: three pages of records, the master footer after the last record
    // on page 3, the summary no longer fits there and opens page 4.
    void bandsAcrossPages() {
        TableSource source({"Name", "Amount"}, numberedRows(50));
        Report report;
        report.setDataSet(&source);
        report.LoadFromFile(writeTemplate(dir, pagedDesign()));
        const auto prepared = report.PrepareReport();
        QCOMPARE(prepared->PageCount(), 4);

        QStringList records;
        for (int p = 0; p < prepared->PageCount(); ++p) {
            const PreparedPage page = prepared->Page(p);
            const QStringList texts = textsOf(page);
            QCOMPARE(texts.first(), QString("Title %1").arg(p + 1));
            QCOMPARE(texts.last(), QString("%1/4").arg(p + 1));
            QCOMPARE(page.texts.back().rect.top(), 380); // page footer at the bottom
            QCOMPARE(texts.contains("total"), p == 2);
            QCOMPARE(texts.contains("summary"), p == 3);
            for (const QString& text : texts) {
                if (text.startsWith("item"))
                    records << text;
            }
            if (p < 2) // a full page: the records close up below the header
                QCOMPARE(page.texts[page.texts.size() - 3].rect.top(), 40 + 16 * 20);
        }
        QCOMPARE(records.size(), 50);
        QCOMPARE(records.first(), "item1");
        QCOMPARE(records.last(), "item50");
        const PreparedPage first = prepared->Page(0);
        QCOMPARE(first.texts[2].text, "10 kg"); // by the data source's own name
        QCOMPARE(first.texts[1].rect, QRect(0, 40, 100, 20));
    }

    void emptyDataSourcePrintsOnePage() {
        TableSource source({"Name", "Amount"}, {});
        Report report;
        report.setDataSet(&source);
        report.LoadFromFile(writeTemplate(dir, pagedDesign()));
        const auto prepared = report.PrepareReport();
        QCOMPARE(prepared->PageCount(), 1);
        QCOMPARE(textsOf(prepared->Page(0)), QStringList({"Title 1", "total", "summary", "1/1"}));
    }

    void references_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("printed");
        QTest::newRow("page of pages") << "[PAGE#]/[TOTALPAGES]"
                                       << "1/1";
        QTest::newRow("field by dataset") << "[Goods.Name]"
                                          << "item1";
        QTest::newRow("field by data source, any case") << "[FRDATA.Amount]"
                                                        << "10";
        QTest::newRow("text around") << "<[Goods.Name]>"
                                     << "<item1>";
        QTest::newRow("brackets that are no reference") << "[注] [a.b] []"
                                                        << "[注] [a.b] []";
        QTest::newRow("unclosed bracket before a reference") << "[x[PAGE#]"
                                                             << "[x1";
        QTest::newRow("no reference") << "plain"
                                      << "plain";
    }
    void references() {
        QFETCH(QString, line);
        QFETCH(QString, printed);
        TableSource source({"Name", "Amount"}, numberedRows(1));
        QJsonObject design = pagedDesign();
        design["objects"] =
            QJsonArray{band("Records", "Master data", 0, 20), text("T", 0, 0, 100, line)};
        Report report;
        report.setDataSet(&source);
        report.LoadFromFile(writeTemplate(dir, design));
        QCOMPARE(textsOf(report.PrepareReport()->Page(0)), QStringList{printed});
    }

    void literalTextKeepsBrackets() {
        TableSource source({"Name", "Amount"}, numberedRows(1));
        Report report;
        report.setDataSet(&source);
        report.LoadFromFile(writeTemplate(dir, pagedDesign()));
        report.FindText("Heading")->Literal = true;
        QCOMPARE(report.PrepareReport()->Page(0).texts.front().text, "Title [PAGE#]");
    }

    void preparingFaults_data() {
        QTest::addColumn<QJsonArray>("objects");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown field")
            << QJsonArray{band("R", "Master data", 0, 20), text("T", 0, 0, 10, "[Goods.Price]")}
            << "[Goods.Price] 不存在";
        QJsonObject other = band("R", "Master data", 0, 20);
        other["dataset"] = "frOther";
        QTest::newRow("unknown data source") << QJsonArray{other} << "数据源 frOther 不存在";
        other.remove("dataset");
        QTest::newRow("data band without data source") << QJsonArray{other} << "没有指定数据源";
        QTest::newRow("text outside every band")
            << QJsonArray{band("R", "Page header", 0, 20), text("Loose", 0, 50, 10, "x")}
            << "Loose 不在任何数据带内";
    }
    void preparingFaults() {
        QFETCH(QJsonArray, objects);
        QFETCH(QString, message);
        TableSource source({"Name", "Amount"}, numberedRows(1));
        QJsonObject design = pagedDesign();
        design["objects"] = objects;
        Report report;
        report.setDataSet(&source);
        report.LoadFromFile(writeTemplate(dir, design));
        try {
            report.PrepareReport();
            QFAIL("prepared");
        } catch (const ReportError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }

    // A text too long for its cell stops at the cell's edge; a taller cell wraps it.
    void textsStayInTheirCells() {
        PreparedPage page;
        page.setup.width = 200;
        page.setup.height = 120;
        const QString longText = "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
        page.texts.push_back({QRect(10, 10, 60, 20), longText, 0, 0, {}, 0, {}});
        page.texts.push_back({QRect(70, 10, 60, 20), QString(), 0, 0, {}, 0, {}});
        page.texts.push_back(
            {QRect(10, 40, 60, 70), "aa bb cc dd ee ff gg hh ii jj kk ll mm", 0, 0, {}, 0, {}});
        QImage image(400, 240, QImage::Format_RGB32);
        {
            QPainter painter(&image);
            ReportPagePainter(painter, QPointF(0, 0), 2).drawPage(page);
        }
        const auto inked = [&](const QRect& designRect) {
            int count = 0;
            const QRect r(designRect.topLeft() * 2, designRect.size() * 2);
            for (int y = r.top(); y <= r.bottom(); ++y) {
                for (int x = r.left(); x <= r.right(); ++x)
                    count += qGray(image.pixel(x, y)) < 128;
            }
            return count;
        };
        QVERIFY(inked(QRect(10, 10, 60, 20)) > 0);
        QCOMPARE(inked(QRect(70, 10, 60, 20)), 0);
        QVERIFY(inked(QRect(10, 40, 60, 20)) > 0);
        QVERIFY(inked(QRect(10, 75, 60, 30)) > 0); // wrapped onto later lines
    }

    // The page of a small table drawn at twice its size matches, pixel for pixel, the picture of
    // the same page made by the first, straightforward drawing (each text clipped to its cell,
    // each cell framed on its own). A failing run keeps its picture for a look.
    void tablePageLooksAsBefore() {
        TableSource source(
            {"Name", "Amount", "Remark"},
            {{"螺丝钉 M3", "1,250.00", "普通备注"},
             {"item2", "12345678901234.5", "一条很长很长的备注，写不下这一格的宽度所以要省略"},
             {"Bolt", "-7", ""}});
        Report report;
        report.setDataSet(&source);
        report.LoadFromFile(writeTemplate(dir, tableDesign()));
        const auto prepared = report.PrepareReport();
        QCOMPARE(prepared->PageCount(), 1);
        QImage image(680, 440, QImage::Format_RGB32);
        {
            QPainter painter(&image);
            ReportPagePainter(painter, QPointF(0, 0), 2).drawPage(prepared->Page(0));
        }
        const QImage expected(QFINDTESTDATA("data/report-table-page.png"));
        int differing = 0;
        if (expected.size() == image.size()) {
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    differing +=
                        std::abs(qGray(image.pixel(x, y)) - qGray(expected.pixel(x, y))) > 32;
            }
        }
        const QString kept = QDir::temp().filePath("report-table-page.png");
        if (expected.size() != image.size() || differing > 0)
            image.save(kept);
        QVERIFY2(expected.size() == image.size() && differing <= 0,
                 qPrintable(QString("%1 pixels differ; drawn: %2").arg(differing).arg(kept)));
    }

    void pdfFile() {
        TableSource source({"Name", "Amount"}, numberedRows(50));
        Report report;
        report.Title = "测试报表";
        report.setDataSet(&source);
        report.LoadFromFile(writeTemplate(dir, pagedDesign()));
        const auto prepared = report.PrepareReport();
        const QString path = dir.filePath("out.pdf");
        QList<int> progress;
        QVERIFY(WriteReportPdf(*prepared, path, [&](int done, int total) {
            progress << done;
            return total == 4;
        }));
        QCOMPARE(progress, QList<int>({1, 2, 3, 4}));
        const QString text = PdfText(path);
        for (const char* expected : {"Title 1", "Title 4", "item50", "500 kg", "3/4", "summary"})
            QVERIFY2(text.contains(expected), expected);
    }

    // A cancelled or failed write leaves nothing under the chosen name and no temporary file,
    // and an older file of that name as it was.
    void pdfCancelledOrFailed() {
        TableSource source({"Name", "Amount"}, numberedRows(50));
        Report report;
        report.setDataSet(&source);
        report.LoadFromFile(writeTemplate(dir, pagedDesign()));
        const auto prepared = report.PrepareReport();
        QTemporaryDir out;
        const QString path = out.filePath("报表.pdf");
        QVERIFY(!WriteReportPdf(*prepared, path, [](int done, int) { return done < 2; }));
        QVERIFY(QDir(out.path()).isEmpty());

        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("older");
        old.close();
        QVERIFY(!WriteReportPdf(*prepared, path, [](int, int) { return false; }));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("older"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{"报表.pdf"});

        const QString unwritable = out.filePath("no such folder/x.pdf");
        try {
            WriteReportPdf(*prepared, unwritable);
            QFAIL("written");
        } catch (const ReportError& error) {
            QVERIFY2(error.message().contains(unwritable), qPrintable(error.message()));
        }
    }

    void printerPageRange() {
        TableSource source({"Name", "Amount"}, numberedRows(50));
        Report report;
        report.setDataSet(&source);
        report.LoadFromFile(writeTemplate(dir, pagedDesign()));
        const auto prepared = report.PrepareReport();
        QPrinter printer(QPrinter::HighResolution);
        PreparePrinter(printer, *prepared);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
        QVERIFY(PrintReport(*prepared, printer));
        const QString text = PdfText(printer.outputFileName());
        QVERIFY(text.contains("Title 2") && text.contains("Title 3"));
        QVERIFY(!text.contains("Title 1") && !text.contains("Title 4"));

        printer.setOutputFileName(dir.filePath("no such folder/printed.pdf"));
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        QVERIFY_THROWS_EXCEPTION(ReportError, PrintReport(*prepared, printer));
    }
};

QTEST_MAIN(TestReport)
#include "test_report.moc"
