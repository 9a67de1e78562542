// Printing a grid as a report: the table that PrintGrid builds, the three print buttons, the
// letterhead, the preview window, the PDF file and `varnholt-db print`.
#include "TestSupport.h"
#include "data/Letterhead.h"
#include "lists/ListTable.h"
#include "output/PrintGrid.h"
#include "preview/ReportPageView.h"
#include "preview/ReportPreview.h"
#include "report/PreparedReport.h"
#include "report/Report.h"
#include "report/ReportBand.h"
#include "report/ReportError.h"
#include "report/ReportText.h"
#include "stock/StockLists.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/FileChoosers.h"
#include "widgets/GlowButton.h"
#include "widgets/Guard.h"
#include "widgets/MessageBoxes.h"

#include <QAction>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QtTest>
#include <memory>

namespace {

bool startsAsPdf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-";
}

// Saves a picture for a person to look at when VARNHOLT_GRAB_DIR names a folder.
void keepPicture(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("VARNHOLT_GRAB_DIR");
    if (!folder.isEmpty())
        image.save(folder + "/" + name + ".png");
}

// Two movements in, one out; the sums of the stock-in list are 12.5 and 2469.75.
const QStringList Fixture = {
    "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
    "('A1','螺丝','M3','个'),('B1','垫圈','X','只')",
    "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,StoreRecordDate,"
    "StoreRemark) values (1,0,10,246.9,2469,'2024-03-01 00:00:00','第一批'),"
    "(2,0,2.5,0.3,0.75,'2024-03-31 10:20:00',''),(1,1,3,1,3,'2024-04-02 08:30:00','')",
};

void insertMovements(TestDatabase& db, int count) {
    if (count == 0)
        return;
    QStringList rows;
    for (int i = 1; i <= count; ++i)
        rows << QString("(1,0,%1,1,%1,'2024-05-01 00:00:00','第%1条')").arg(i);
    db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
            "StoreRecordDate,StoreRemark) values " +
            rows.join(','));
}

struct Window : TestWindow {
    explicit Window(int extraMovements = 0)
        : TestWindow(Fixture, [extraMovements](TestDatabase& db) {
              InstallReportTemplates(db.dir().path());
              insertMovements(db, extraMovements);
          }) {}
    // The preview on the screen (a closed one is deleted later).
    ReportPreview* preview() const {
        for (ReportPreview* preview : form->findChildren<ReportPreview*>()) {
            if (preview->isVisible())
                return preview;
        }
        return nullptr;
    }
};

// The text objects of a table row, by their top.
std::vector<const ReportText*> row(const Report& report, int top) {
    std::vector<const ReportText*> cells;
    const ReportPage& page = *report.Page(0);
    for (int i = 0; i < page.ObjectCount(); ++i) {
        const ReportText* text = page.Object(i)->AsText();
        if (text && text->Top == top)
            cells.push_back(text);
    }
    return cells;
}

QStringList rowTexts(const Report& report, int top) {
    QStringList texts;
    for (const ReportText* cell : row(report, top))
        texts << cell->Text();
    return texts;
}

QStringList pageTexts(const PreparedPage& page) {
    QStringList texts;
    for (const PreparedText& text : page.texts)
        texts << text.text;
    return texts;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        UseChineseLocale();
        MessageBoxes::setScripted(true);
        FileChoosers::setScripted(true);
    }
    void init() {
        MessageBoxes::clearShown();
        FileChoosers::clear();
    }

    void layout_data() {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<int>>("hidden");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<QList<int>>("cells");
        QTest::addColumn<QList<int>>("lefts");
        QTest::addColumn<int>("pageNumberLeft");
        const QList<int> stockIn{80, 120, 120, 60, 70, 70, 90, 100, 250};
        QTest::newRow("stock-in grid at its layout widths")
            << stockIn << QList<int>{} << true << QList<int>{85, 128, 128, 64, 74, 74, 96, 107, 267}
            << QList<int>{20, 105, 233, 361, 425, 499, 573, 669, 776} << 860;
        QTest::newRow("balance grid on the narrow template")
            << QList<int>{100, 100, 100, 50, 80, 80, 80} << QList<int>{} << false
            << QList<int>{121, 121, 121, 60, 97, 97, 97}
            << QList<int>{20, 141, 262, 383, 443, 540, 637} << 490;
        QTest::newRow("716 wide: narrow, the grid's own widths")
            << QList<int>{316, 400} << QList<int>{} << false << QList<int>{316, 400}
            << QList<int>{20, 336} << 616;
        QTest::newRow("717 wide: the wide template")
            << QList<int>{317, 400} << QList<int>{} << true << QList<int>{454, 573}
            << QList<int>{20, 474} << 617;
        QTest::newRow("hidden first column: no gap")
            << stockIn << QList<int>{0} << true << QList<int>{140, 140, 70, 81, 81, 105, 116, 292}
            << QList<int>{20, 160, 300, 370, 451, 532, 637, 753} << 780;
        QTest::newRow("hidden middle columns")
            << stockIn << QList<int>{3, 5} << true << QList<int>{99, 148, 148, 86, 111, 123, 309}
            << QList<int>{20, 119, 267, 415, 501, 612, 735} << 730;
        QList<int> widened = stockIn;
        widened.last() = 300;
        QTest::newRow("a widened column takes a larger share")
            << widened << QList<int>{} << true << QList<int>{81, 122, 122, 61, 71, 71, 91, 101, 305}
            << QList<int>{20, 101, 223, 345, 406, 477, 548, 639, 740} << 910;
        widened.last() = 400;
        QTest::newRow("very wide grid: page number kept on the paper")
            << widened << QList<int>{} << true << QList<int>{74, 111, 111, 55, 64, 64, 83, 92, 370}
            << QList<int>{20, 94, 205, 316, 371, 435, 499, 582, 674} << 968;
        QTest::newRow("narrow grid: page number kept on the paper")
            << QList<int>{50} << QList<int>{} << false << QList<int>{716} << QList<int>{20} << 0;
    }
    void layout() {
        QFETCH(QList<int>, widths);
        QFETCH(QList<int>, hidden);
        QFETCH(bool, wide);
        QFETCH(QList<int>, cells);
        QFETCH(QList<int>, lefts);
        QFETCH(int, pageNumberLeft);
        TestDatabase db;
        InstallReportTemplates(db.dir().path());
        std::vector<GridColumn> columns = MovementList(MovementKind::StockIn).columns;
        columns.resize(std::size_t(widths.size()));
        DataGrid grid;
        grid.setColumns(columns);
        for (int i = 0; i < widths.size(); ++i)
            grid.setColumnWidth(i, widths[i]);
        for (int i : hidden)
            grid.setColumnVisible(i, false);
        Report report;
        BuildListReport(ListTable(grid.dataSet(), grid.columns()), report, "T", false,
                        NarrowTemplateName, WideTemplateName, db.dir().path(), Letterhead());
        QVERIFY(report.FileName().endsWith(wide ? WideTemplateName : NarrowTemplateName));

        const ReportPage& page = *report.Page(0);
        QList<std::pair<BandType, QRect>> bands;
        for (int i = 0; i < page.ObjectCount(); ++i) {
            if (const ReportBand* band = page.Object(i)->AsBand(); band && band->Top >= 240)
                bands << std::pair{band->Type(),
                                   QRect(band->Left, band->Top, band->Width, band->Height)};
        }
        const QList<std::pair<BandType, QRect>> expectedBands{
            {BandType::PageHeader, QRect(0, 240, 0, 20)},
            {BandType::MasterData, QRect(0, 280, 0, 20)},
            {BandType::MasterFooter, QRect(0, 320, 0, 20)},
            {BandType::ReportSummary, QRect(0, 360, 0, 20)},
            {BandType::PageFooter, QRect(0, 382, 0, 20)}};
        QCOMPARE(bands, expectedBands);

        for (int top : {240, 280, 320, 360}) {
            QList<int> rowWidths, rowLefts;
            for (const ReportText* cell : row(report, top)) {
                rowWidths << cell->Width;
                rowLefts << cell->Left;
                QCOMPARE(cell->Height, 20);
                QCOMPARE(cell->Alignment, 10);
                QCOMPARE(cell->FrameTyp, 15);
            }
            QCOMPARE(rowWidths, cells);
            QCOMPARE(rowLefts, lefts);
        }
        const auto pageNumber = row(report, 382);
        QCOMPARE(pageNumber.size(), std::size_t(1));
        QCOMPARE(QRect(pageNumber[0]->Left, pageNumber[0]->Top, pageNumber[0]->Width,
                       pageNumber[0]->Height),
                 QRect(pageNumberLeft, 382, 80, 20));
        QCOMPARE(pageNumber[0]->Text(), "[PAGE#]/[TOTALPAGES]");
        QCOMPARE(rowTexts(report, 320).first(), hidden.contains(0) ? "" : "合计");
        QCOMPARE(rowTexts(report, 320).count("合计"), hidden.contains(0) ? 0 : 1);
    }

    // Headers, record references, the total label, sums as plain numbers in the footers'
    // colours; printing again starts from the template again.
    void tableCells() {
        Window w;
        TMainForm& f = *w.form;
        f.AdvGlowButton2->click();
        QVERIFY2(MessageBoxes::shown().isEmpty(), qPrintable(MessageBoxes::shown().value(0).text));
        const Report& report = f.frReport1;
        QCOMPARE(rowTexts(report, 240),
                 QStringList({"商品编号", "商品名称", "商品型号", "单位", "入库数量", "价格",
                              "金额", "入库时间", "备注"}));
        for (const ReportText* cell : row(report, 240))
            QCOMPARE(cell->Prop("FillColor"), 12632256);
        const auto records = row(report, 280);
        QCOMPARE(records[0]->Text(), "[ADOQueryStoreIn.ProductSerial]");
        QCOMPARE(records[8]->Text(), "[ADOQueryStoreIn.StoreRemark]");
        QCOMPARE(records[4]->FontColor, f.DBGridEh1->column(4).FontColor);
        QCOMPARE(rowTexts(report, 320), QStringList({"合计", "", "", "", "", "", "", "", ""}));
        QCOMPARE(rowTexts(report, 360),
                 QStringList({"", "", "", "", "12.5", "", "2469.75", "", ""}));
        const auto footers = row(report, 360);
        QCOMPARE(footers[4]->FontColor, clFuchsia);
        QCOMPARE(footers[6]->FontColor, clBlue);
        QVERIFY(!footers[0]->FillColor);
        for (const auto* band : {report.FindObject("HeadingBand")})
            QVERIFY(band && band->AsBand());

        const int objects = report.Page(0)->ObjectCount();
        w.preview()->close();
        f.AdvGlowButton2->click();
        QCOMPARE(report.Page(0)->ObjectCount(), objects);
    }

    // Each print button prints its own grid under its title; a list without rows prints too.
    void printButtons_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("templateName");
        QTest::addColumn<QStringList>("firstRecord");
        QTest::newRow("stock in") << 0 << "入库列表" << WideTemplateName
                                  << QStringList{"A1",          "螺丝",     "M3",
                                                 "个",          "10.00",    "246.90",
                                                 "￥ 2,469.00", "2024/3/1", "第一批"};
        QTest::newRow("stock out")
            << 1 << "出库列表" << WideTemplateName
            << QStringList{"A1", "螺丝", "M3", "个", "3.00", "1.00", "￥ 3.00", "2024/4/2 08:30:00",
                           ""};
        QTest::newRow("balance") << 2 << "库存信息" << NarrowTemplateName
                                 << QStringList{"A1", "螺丝", "M3", "个", "10.00", "3.00", "7.00"};
        // This month's summary: every product with its stock as opening and closing.
        QTest::newRow("period summary") << 3 << "进销存汇总" << WideTemplateName
                                        << QStringList{"A1",  "螺丝", "M3",   "个",     "7.00",
                                                       ".00", ".00",  "7.00", "￥ .00", "￥ .00"};
    }
    void printButtons() {
        QFETCH(int, page);
        QFETCH(QString, title);
        QFETCH(QString, templateName);
        QFETCH(QStringList, firstRecord);
        Window w;
        TMainForm& f = *w.form;
        const std::array buttons{f.AdvGlowButton2, f.AdvGlowButton7, f.AdvGlowButton15,
                                 f.AdvGlowButton21};
        const std::array reports{&f.frReport1, &f.frReport2, &f.frReport3, &f.frReport5};
        f.DBGridEh3->dataSet()->SetSort("ProductSerial");
        f.DBGridEh5->dataSet()->SetSort("ProductSerial");
        f.DBGridEh1->dataSet()->SetSort("StoreNumber DESC");
        buttons[std::size_t(page)]->click();
        QVERIFY2(MessageBoxes::shown().isEmpty(), qPrintable(MessageBoxes::shown().value(0).text));
        QVERIFY(reports[std::size_t(page)]->FileName().endsWith(templateName));
        ReportPreview* preview = w.preview();
        QVERIFY(preview && preview->isVisible());
        QVERIFY(preview->isModal());
        QCOMPARE(preview->windowTitle(), "打印预览 - " + title);
        const PreparedPage first = preview->pageView()->report().Page(0);
        const QStringList texts = pageTexts(first);
        QCOMPARE(texts.mid(texts.indexOf("商品编号") + firstRecord.size(), firstRecord.size()),
                 firstRecord);
        QVERIFY(texts.contains(title));
        QVERIFY(texts.contains("1/1"));
        preview->close();

        // The same with no rows at all.
        w.db.exec("delete from Store");
        f.QueryStoreIn(QString());
        f.QueryStoreOut(QString());
        f.QueryStoreBalance(QString());
        f.QueryStoreSummary(QString());
        buttons[std::size_t(page)]->click();
        QVERIFY(MessageBoxes::shown().isEmpty());
        const QStringList empty = pageTexts(w.preview()->pageView()->report().Page(0));
        QVERIFY(empty.contains("合计"));
        QVERIFY(empty.contains("0"));
        QVERIFY(!empty.contains("A1"));
    }

    // A few hundred records: the heading and the column headers on every page, the total
    // line and the sums once at the end, "n/N" at the foot of every page.
    void manyRecords() {
        Window w(300);
        TMainForm& f = *w.form;
        f.AdvGlowButton2->click();
        const PreparedReport& report = w.preview()->pageView()->report();
        // Landscape A4 less its margins leaves 734 units: heading and headers 260, the page
        // number 20, so 22 records a page; 302 records need 14 pages.
        QCOMPARE(report.PageCount(), 14);
        int records = 0;
        for (int p = 0; p < report.PageCount(); ++p) {
            const QStringList texts = pageTexts(report.Page(p));
            QCOMPARE(texts.count("入库列表"), 1);
            QCOMPARE(texts.count("公司地址："), 1);
            QCOMPARE(texts.count("电        话："), 1);
            QCOMPARE(texts.count("商品编号"), 1);
            QCOMPARE(texts.last(), QString("%1/14").arg(p + 1));
            QCOMPARE(texts.count("合计"), p == 13 ? 1 : 0);
            records += int(texts.count("A1") + texts.count("B1"));
        }
        QCOMPARE(records, 302);
        QVERIFY(pageTexts(report.Page(13)).contains("45162.5")); // 12.5 + 1 + … + 300
    }

    void letterhead() {
        Window w;
        TMainForm& f = *w.form;
        w.db.exec("insert into Remarks (RemarksName,RemarksValue) values "
                  "('公司名称','华东[PAGE#]五金'),('公司地址','上海市张江路 100 号'),"
                  "('公司其它信息','021-12345678')");
        f.AdvGlowButton15->click();
        const QStringList texts = pageTexts(w.preview()->pageView()->report().Page(0));
        QCOMPARE(texts.mid(0, 4),
                 QStringList({"华东[PAGE#]五金", "库存信息", "公司地址：上海市张江路 100 号",
                              "电        话：021-12345678"}));
    }

    void printFaults_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("message");
        QTest::newRow("missing template")
            << "missing" << QStringList{"找不到报表模板文件", "frf/CommonPrint2.frf"};
        QTest::newRow("template without a heading object")
            << "no CompanyTel" << QStringList{"CompanyTel", "frf/CommonPrint2.frf"};
        QTest::newRow("no visible column") << "hidden" << QStringList{"没有可打印的列"};
    }
    void printFaults() {
        QFETCH(QString, fault);
        QFETCH(QStringList, message);
        Window w;
        TMainForm& f = *w.form;
        const QString wide = w.db.dir().path() + "frf/" + WideTemplateName;
        if (fault == "missing") {
            QFile::remove(wide);
        } else if (fault == "no CompanyTel") {
            QFile file(wide);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray content = file.readAll().replace("\"CompanyTel\"", "\"Telephone\"");
            file.close();
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
        } else {
            for (int i = 0; i < f.DBGridEh1->columnCount(); ++i)
                f.DBGridEh1->setColumnVisible(i, false);
        }
        f.AdvGlowButton2->click();
        QCOMPARE(MessageBoxes::shown().size(), 1);
        for (const QString& part : message)
            QVERIFY2(MessageBoxes::shown().first().text.contains(part),
                     qPrintable(MessageBoxes::shown().first().text));
        QVERIFY(!w.preview());
    }

    void previewWindow() {
        Window w(300);
        TMainForm& f = *w.form;
        f.AdvGlowButton2->click();
        ReportPreview* preview = w.preview();
        ReportPageView* view = preview->pageView();
        preview->resize(1000, 760);
        keepPicture(preview->grab().toImage(), "preview-fit-width");
        // Only the pages in view are drawn.
        QVERIFY(!view->paintedPages().isEmpty());
        QVERIFY(view->paintedPages().size() <= 2);
        QCOMPARE(view->paintedPages().first(), 0);

        QCOMPARE(view->zoomMode(), ReportPageView::ZoomMode::FitWidth);
        QVERIFY(view->horizontalScrollBar()->maximum() == 0);
        preview->ZoomTo("整页");
        QVERIFY(view->zoom() * 794 * view->logicalDpiY() / 96 <= view->viewport()->height());
        preview->ZoomTo("100%");
        QCOMPARE(view->zoom(), 1.0);

        preview->NextPage();
        QCOMPARE(view->currentPage(), 1);
        preview->LastPage();
        QCOMPARE(view->currentPage(), 13);
        QCOMPARE(preview->findChild<QSpinBox*>("PageBox")->value(), 14);
        preview->PriorPage();
        QCOMPARE(view->currentPage(), 12);
        preview->FirstPage();
        QCOMPARE(view->currentPage(), 0);
        preview->findChild<QSpinBox*>("PageBox")->setValue(5);
        QCOMPARE(view->currentPage(), 4);

        // Find goes from match to match, over pages, and round to the start.
        preview->FirstPage();
        QVERIFY(preview->FindNext("第150条"));
        QCOMPARE(view->currentPage(), 6);
        QVERIFY(preview->statusText().contains("第150条"));
        preview->grab();
        QVERIFY(view->paintedPages().contains(6));
        keepPicture(preview->grab().toImage(), "preview-found");
        QVERIFY(preview->FindNext("2024/3/31"));
        QCOMPARE(view->currentPage(), 0);
        QVERIFY(!preview->FindNext("不在报表里"));
        QVERIFY(preview->statusText().contains("没有找到"));

        preview->findChild<QAction*>("CloseAction")->trigger();
        QVERIFY(!preview->isVisible());
    }

    // The saved PDF holds the report as searchable text: the Chinese title, the letterhead and
    // the values as the grid shows them. A failure is a message and leaves no file.
    void pdfOfTheReport() {
        Window w;
        TMainForm& f = *w.form;
        w.db.exec("insert into Remarks (RemarksName,RemarksValue) values "
                  "('公司名称','华东五金有限公司'),('公司地址','上海市张江路 100 号')");
        f.AdvGlowButton2->click();
        QTemporaryDir out;
        const QString path = out.filePath("入库列表.pdf");
        QVERIFY(w.preview()->SaveAsPdf(path));
        const QString text = PdfText(path);
        for (const char* expected :
             {"入库列表", "华东五金有限公司", "公司地址：上海市张江路 100 号", "螺丝", "246.90",
              "￥ 2,469.00", "2024/3/31", "合计", "2469.75", "1/1"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);

        const QString unwritable = out.filePath("gone/x.pdf");
        RunGuarded([&] { w.preview()->SaveAsPdf(unwritable); });
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QVERIFY(MessageBoxes::shown().first().text.contains(unwritable));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 1);
    }

    // The PDF button asks where to save, proposing the report's title; the file holds every page.
    // A cancelled chooser writes nothing.
    void pdfButtonSavesThroughTheChooser() {
        Window w(300);
        w.form->AdvGlowButton2->click();
        ReportPreview* preview = w.preview();
        QAction* savePdf = preview->findChild<QAction*>("SavePdfAction");
        QTemporaryDir out;
        savePdf->trigger();
        QCOMPARE(FileChoosers::shown().size(), 1);
        QCOMPARE(FileChoosers::shown().first().caption, "保存为 PDF 文件");
        QVERIFY(FileChoosers::shown().first().startFolder.endsWith("/入库列表.pdf"));
        QVERIFY(QDir(out.path()).isEmpty());
        QCOMPARE(preview->statusText(), QString());

        const QString path = out.filePath("入库.pdf");
        FileChoosers::setNextChoice(path);
        savePdf->trigger();
        QVERIFY2(MessageBoxes::shown().isEmpty(), qPrintable(MessageBoxes::shown().value(0).text));
        QVERIFY(startsAsPdf(path));
        QCOMPARE(PdfPages(path), 14);
        QVERIFY(preview->statusText().contains(path));
    }

    // The print button prints on the printer the print dialog set up, with its page range; a
    // cancelled dialog prints nothing.
    void printButtonPrintsOnTheChosenPrinter() {
        Window w(300);
        w.form->AdvGlowButton2->click();
        ReportPreview* preview = w.preview();
        QAction* print = preview->findChild<QAction*>("PrintAction");
        QTemporaryDir out;
        const QString path = out.filePath("printed.pdf");
        int offeredPages = 0;
        FileChoosers::setNextPrinterChoice([&](QPrinter& printer) {
            offeredPages = printer.fromPage();
            printer.setOutputFileName(path);
            return false;
        });
        print->trigger();
        QCOMPARE(FileChoosers::shown().size(), 1);
        QCOMPARE(FileChoosers::shown().first().caption, "打印");
        QCOMPARE(offeredPages, 0); // every page unless the user picks some
        QVERIFY(!QFile::exists(path));
        QCOMPARE(preview->statusText(), QString());

        FileChoosers::setNextPrinterChoice([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(6, 7);
            return true;
        });
        print->trigger();
        QVERIFY2(MessageBoxes::shown().isEmpty(), qPrintable(MessageBoxes::shown().value(0).text));
        QVERIFY(startsAsPdf(path));
        QCOMPARE(PdfPages(path), 2);
        const QString text = PdfText(path);
        QVERIFY(text.contains("第150条"));
        QVERIFY(text.contains("6/14") && text.contains("7/14"));
        QVERIFY(!text.contains("5/14") && !text.contains("8/14"));
        QCOMPARE(preview->statusText(), "已送往打印机。");
    }

    // The tool writes the report of a page's print button for a command line of `list` or
    // `balance`, with the letterhead of that file; a failure is a message and a non-zero exit.
    void toolWritesTheReport_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("stock-in list by name")
            << QStringList{"list", "FILE", "in", "--name", "螺丝"}
            << QStringList{"入库列表", "华东五金有限公司", "螺丝", "246.90", "合计", "1/1"}
            << QStringList{"垫圈"};
        QTest::newRow("stock-out list in a date range")
            << QStringList{"list", "FILE", "out", "--from", "2024-04-01", "--to", "2024-04-30"}
            << QStringList{"出库列表", "2024/4/2 08:30:00"} << QStringList{"入库列表"};
        QTest::newRow("balance") << QStringList{"balance", "FILE", "2026-12-31"}
                                 << QStringList{"库存信息", "当前库存", "7.00", "9.5"}
                                 << QStringList{};
        QTest::newRow("summary of April, a name")
            << QStringList{"summary", "FILE", "2024-04-01", "2024-04-30", "--name", "螺丝"}
            << QStringList{"进销存汇总", "期初库存", "期末库存", "出库金额",
                           "10.00",      "7.00",     "￥ 3.00"}
            << QStringList{"垫圈"};
    }
    void toolWritesTheReport() {
        QFETCH(QStringList, command);
        QFETCH(QStringList, found);
        QFETCH(QStringList, absent);
        TestDatabase db;
        for (const QString& sql : Fixture)
            db.exec(sql);
        db.exec("insert into Remarks (RemarksName,RemarksValue) values "
                "('公司名称','华东五金有限公司')");
        command.replace(1, db.dir().address());
        const QString output = db.dir().path() + "报表.pdf";
        QProcess tool;
        tool.start(qEnvironmentVariable("VARNHOLT_TOOLS_DIR") + "/varnholt-db",
                   QStringList{"print", output} + command);
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(tool.readAllStandardError(), QByteArray());
        const QString text = PdfText(output);
        for (const QString& expected : found)
            QVERIFY2(text.contains(expected), qPrintable(expected + "\n" + text));
        for (const QString& unexpected : absent)
            QVERIFY2(!text.contains(unexpected), qPrintable(unexpected));
    }

    // Sums of 11 digits and more, of many equal amounts (where plain addition drifts): every
    // printed number whole, the totals exact, drawn smaller where they do not fit their cells.
    void largeTotalsPrintWholeAndExact_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("cell");  // one record's amount as the grid shows it
        QTest::addColumn<QString>("total"); // the amount column's total
        QTest::newRow("eleven digits") << 363229171.35 << 100 << "￥ 363,229,171.35"
                                       << "36322917135";
        QTest::newRow("thirteen digits") << 3456789012.34 << 300 << "￥ 3,456,789,012.34"
                                         << "1037036703702";
        QTest::newRow("thirteen digits and a decimal")
            << 98765432109.87 << 40 << "￥ 98,765,432,109.87"
            << "3950617284394.8";
    }
    void largeTotalsPrintWholeAndExact() {
        QFETCH(double, amount);
        QFETCH(int, count);
        QFETCH(QString, cell);
        QFETCH(QString, total);
        TestDatabase db;
        db.exec("insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
                "('A1','螺丝','M3','个')");
        db.exec(QString("with recursive n(i) as (select 1 union all select i+1 from n where i<%1) "
                        "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,"
                        "StoreSum,StoreRecordDate,StoreRemark) "
                        "select 1,0,1,%2,%2,'2024-03-01 00:00:00','' from n")
                    .arg(count)
                    .arg(amount, 0, 'f', 2));
        const QString output = db.dir().path() + "合计.pdf";
        QProcess tool;
        tool.start(qEnvironmentVariable("VARNHOLT_TOOLS_DIR") + "/varnholt-db",
                   {"print", output, "list", db.dir().address(), "in"});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        const QString text = PdfText(output);
        QVERIFY2(!text.contains(QChar(0x2026)), qPrintable(text.left(2000)));
        // The footer line: the quantity total, the amount total, each a whole word.
        const QRegularExpression footer(QString("\\s%1\\s+%2\\s").arg(count).arg(total));
        QVERIFY2(footer.match(text).hasMatch(), qPrintable(text.right(1500)));
        QVERIFY2(text.contains(cell), qPrintable(cell));
        if (!qEnvironmentVariable("VARNHOLT_GRAB_DIR").isEmpty())
            QProcess::execute("pdftoppm", {"-png", "-r", "80", "-f", "1", "-l", "1", output,
                                           qEnvironmentVariable("VARNHOLT_GRAB_DIR") + "/" +
                                               QTest::currentDataTag()});
    }

    void toolFaults_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unwritable folder")
            << QStringList{"print", "DIR/none/x.pdf", "balance", "FILE", "2026-12-31"}
            << "DIR/none/x.pdf";
        QTest::newRow("missing database")
            << QStringList{"print", "DIR/x.pdf", "list", "DIR/none.mdb", "in"}
            << "找不到数据库文件";
        QTest::newRow("bad date") << QStringList{"print", "DIR/x.pdf", "balance", "FILE",
                                                 "2026-13-01"}
                                  << "日期";
        QTest::newRow("not a list")
            << QStringList{"print", "DIR/x.pdf", "sql", "FILE", "x"} << "用法";
        QTest::newRow("no list at all") << QStringList{"print", "DIR/x.pdf"} << "用法";
    }
    void toolFaults() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        TestDatabase db;
        const QString folder = db.dir().path();
        for (QString& arg : args)
            arg.replace("DIR/", folder).replace("FILE", db.dir().address());
        message.replace("DIR/", folder);
        QProcess tool;
        tool.start(qEnvironmentVariable("VARNHOLT_TOOLS_DIR") + "/varnholt-db", args);
        QVERIFY(tool.waitForFinished(60000));
        QVERIFY(tool.exitCode() != 0);
        const QString error = QString::fromUtf8(tool.readAllStandardError());
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!QFile::exists(folder + "x.pdf"));
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
