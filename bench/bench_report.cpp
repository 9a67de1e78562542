// Printing a long list: preparing the report of 100,000 stock-in records and painting its
// first page (beside the time of fetching those rows), and writing the whole report as a PDF
// file (pages per second) beside the same pages drawn with the leanest Qt calls.
#include "BenchData.h"
#include "BenchSupport.h"
#include "data/Letterhead.h"
#include "data/ShareDMUnit.h"
#include "lists/ListTable.h"
#include "output/ListReport.h"
#include "output/ListReportDataSet.h"
#include "platform/ColorCodes.h"
#include "report/PreparedReport.h"
#include "report/Report.h"
#include "report/ReportOutput.h"
#include "report/ReportPagePainter.h"
#include "report/ReportText.h"
#include "stock/StockLists.h"
#include "stock/StockStatements.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <malloc.h>

namespace {

// 150,000 movements, two thirds of them goods received.
constexpr int Movements = 150'000;

// The program directory of the build, whose frf/ holds the templates.
QString programDir() {
    return QDir(GetAppPath() + QStringLiteral("../bin")).absolutePath() + u'/';
}

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

// The stock-in page as the print button finds it: the list fetched into its query.
struct StockInPage {
    StockInPage() {
        dm.ADOConnection1.OpenFile(BenchDatabase(Movements), DatabasePassword);
        query.setObjectName(list.query);
        OpenSQL(query, list.statement);
        report.setDataSet(&dataSet);
        // The grid's footer sums, made when the list was fetched; printing takes them over.
        sums = ListTable(&query, list.columns).columnSums();
    }
    // What the print button does: the list of the grid's columns over the query, its report.
    std::shared_ptr<const PreparedReport> prepare() {
        const auto table = std::make_shared<const ListTable>(&query, list.columns, sums);
        dataSet.setTable(table);
        BuildListReport(*table, report, list.title, false, NarrowTemplateName, WideTemplateName,
                        programDir(), ReadLetterhead(dm));
        return report.PrepareReport();
    }

    TShareDM dm;
    ListDefinition list = MovementList(MovementKind::StockIn);
    Query query{&dm.ADOConnection1};
    ListReportDataSet dataSet{list.dataSet};
    std::vector<std::optional<double>> sums;
    Report report;
};

void BM_FetchStockInList(benchmark::State& state) {
    TShareDM dm;
    dm.ADOConnection1.OpenFile(BenchDatabase(Movements), DatabasePassword);
    Query query(&dm.ADOConnection1);
    for (auto _ : state)
        OpenSQL(query, MovementListStatement(MovementKind::StockIn, QString()));
    state.counters["records"] = query.RecordCount();
}

// What the print button does before the preview shows: build the report from the template,
// lay out every record on pages, build and paint the first page at 100 %.
void BM_PrepareReportAndPaintFirstPage(benchmark::State& state) {
    StockInPage page;
    QImage image(1123, 794, QImage::Format_RGB32);
    int pages = 0;
    std::size_t preparedBytes = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        const auto prepared = page.prepare();
        preparedBytes = heapInUse() - before;
        QPainter painter(&image);
        ReportPagePainter(painter, QPointF(0, 0), 1.0).drawPage(prepared->Page(0));
        pages = prepared->PageCount();
    }
    state.counters["records"] = page.query.RecordCount();
    state.counters["pages"] = pages;
    state.counters["bytes_per_record"] = double(preparedBytes) / page.query.RecordCount();
}

// The floor of the PDF: the same pages drawn with the leanest Qt calls into a PDF writer of the
// same resolution. Per page: the white paper, the fills, each text as one drawText placed by its
// width in its font (shortened with "…" when it does not fit), the cells framed on all sides as
// one grid of whole lines across the table and any other framed side as a line of its own; font
// and pen set only when they change, no clipping, no saved states.
class LeanPageDrawing {
public:
    LeanPageDrawing(QPainter& painter, double scale) : m_painter(painter), m_scale(scale) {}

    void draw(const PreparedPage& page) {
        m_painter.fillRect(QRectF(0, 0, page.setup.width * m_scale, page.setup.height * m_scale),
                           Qt::white);
        for (const PreparedText& text : page.texts) {
            if (text.fillColor)
                m_painter.fillRect(scaled(text.rect),
                                   QColor::fromRgba(ColorToArgb(*text.fillColor)));
        }
        for (const PreparedText& text : page.texts)
            drawText(text);
        drawRules(page);
    }

private:
    struct Font {
        ReportFont key;
        QFont font;
        QFontMetricsF metrics;
    };

    QRectF scaled(const QRect& r) const {
        return QRectF(r.left() * m_scale, r.top() * m_scale, r.width() * m_scale,
                      r.height() * m_scale);
    }

    const Font& fontFor(const ReportFont& key) {
        for (const Font& font : m_fonts) {
            if (font.key == key)
                return font;
        }
        QFont font(key.family.isEmpty() ? DefaultReportFontFamily() : key.family);
        font.setPointSizeF(key.size * 96.0 * m_scale / m_painter.device()->logicalDpiY());
        font.setBold(key.bold);
        font.setItalic(key.italic);
        m_fonts.push_back({key, font, QFontMetricsF(font, m_painter.device())});
        return m_fonts.back();
    }

    void drawText(const PreparedText& text) {
        if (text.text.isEmpty())
            return;
        const Font& font = fontFor(text.font);
        if (&font != m_font) {
            m_painter.setFont(font.font);
            m_font = &font;
        }
        if (text.fontColor != m_color || !m_colorSet) {
            m_painter.setPen(QColor::fromRgba(ColorToArgb(text.fontColor)));
            m_color = text.fontColor;
            m_colorSet = true;
        }
        const QRectF area =
            scaled(text.rect).adjusted(2 * m_scale, m_scale, -2 * m_scale, -m_scale);
        double width = font.metrics.horizontalAdvance(text.text);
        QString shortened;
        if (width > area.width()) {
            shortened = font.metrics.elidedText(text.text, Qt::ElideRight, area.width());
            width = font.metrics.horizontalAdvance(shortened);
        }
        double left = area.left();
        if (text.alignment & frtaCenter)
            left = area.center().x() - width / 2;
        else if (text.alignment & frtaRight)
            left = area.right() - width;
        const double height = font.metrics.ascent() + font.metrics.descent();
        double top = area.top();
        if (text.alignment & frtaMiddle)
            top = area.center().y() - height / 2;
        else if (text.alignment & frtaDown)
            top = area.bottom() - height;
        m_painter.drawText(QPointF(left, top + font.metrics.ascent()),
                           shortened.isNull() ? text.text : shortened);
    }

    void drawRules(const PreparedPage& page) {
        constexpr int allSides = frftLeft + frftTop + frftRight + frftBottom;
        m_xs.clear();
        m_ys.clear();
        m_lines.clear();
        QRect table;
        for (const PreparedText& text : page.texts) {
            const QRectF r = scaled(text.rect);
            if (text.frame == allSides) {
                table |= text.rect;
                m_xs.push_back(text.rect.left());
                m_xs.push_back(text.rect.left() + text.rect.width());
                m_ys.push_back(text.rect.top());
                m_ys.push_back(text.rect.top() + text.rect.height());
                continue;
            }
            if (text.frame & frftTop)
                m_lines.emplace_back(r.topLeft(), QPointF(r.right(), r.top()));
            if (text.frame & frftRight)
                m_lines.emplace_back(QPointF(r.right(), r.top()), QPointF(r.right(), r.bottom()));
            if (text.frame & frftBottom)
                m_lines.emplace_back(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()));
            if (text.frame & frftLeft)
                m_lines.emplace_back(r.topLeft(), QPointF(r.left(), r.bottom()));
        }
        for (auto* edges : {&m_xs, &m_ys}) {
            std::sort(edges->begin(), edges->end());
            edges->erase(std::unique(edges->begin(), edges->end()), edges->end());
        }
        const QRectF t = scaled(table);
        for (const int x : m_xs)
            m_lines.emplace_back(QPointF(x * m_scale, t.top()), QPointF(x * m_scale, t.bottom()));
        for (const int y : m_ys)
            m_lines.emplace_back(QPointF(t.left(), y * m_scale), QPointF(t.right(), y * m_scale));
        QPen pen(Qt::black, std::max(1.0, m_scale));
        pen.setCapStyle(Qt::SquareCap);
        m_painter.setPen(pen);
        m_colorSet = false;
        m_painter.drawLines(m_lines.data(), int(m_lines.size()));
    }

    QPainter& m_painter;
    double m_scale;
    std::vector<Font> m_fonts;
    const Font* m_font = nullptr;
    quint32 m_color = 0;
    bool m_colorSet = false;
    std::vector<int> m_xs;
    std::vector<int> m_ys;
    std::vector<QLineF> m_lines;
};

void writeLeanPdf(const PreparedReport& report, const QString& path, int resolution) {
    QPdfWriter writer(path);
    writer.setResolution(resolution);
    writer.setPageLayout(PageLayoutOf(report.Setup(0)));
    QPainter painter(&writer);
    LeanPageDrawing drawing(painter, resolution / 96.0);
    for (int index = 0; index < report.PageCount(); ++index) {
        if (index > 0)
            writer.newPage();
        drawing.draw(report.Page(index));
    }
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The processor time of this thread: on a machine shared with other work it shows the cost of
// the drawing more steadily than the time passed.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The whole report as a PDF file beside the lean drawing of the same pages (reference_ms); both
// build each page's texts from the prepared report, which `page_texts_ms` shows alone. The
// processor time of each is counted too (`cpu_s`, `reference_cpu_s`, `cpu_ratio`).
void BM_WriteWholePdf(benchmark::State& state) {
    StockInPage page;
    const auto prepared = page.prepare();
    QTemporaryDir folder;
    const QString path = folder.filePath("stock-in.pdf");
    const QString leanPath = folder.filePath("lean.pdf");
    const int pages = prepared->PageCount();
    const auto start = std::chrono::steady_clock::now();
    for (int index = 0; index < pages; ++index)
        benchmark::DoNotOptimize(prepared->Page(index));
    const double textsSeconds = secondsSince(start);

    double figureSeconds = 0;
    double figureCpu = 0;
    double referenceCpu = 0;
    {
        SideBySide measure(state);
        for (auto _ : state) {
            measure.iteration(
                [&] {
                    const double cpu = threadCpuSeconds();
                    writeLeanPdf(*prepared, leanPath, PdfResolution);
                    referenceCpu += threadCpuSeconds() - cpu;
                },
                [&] {
                    const auto t0 = std::chrono::steady_clock::now();
                    const double cpu = threadCpuSeconds();
                    WriteReportPdf(*prepared, path);
                    figureCpu += threadCpuSeconds() - cpu;
                    figureSeconds += secondsSince(t0);
                });
        }
    }
    state.counters["cpu_s"] = figureCpu / double(state.iterations());
    state.counters["reference_cpu_s"] = referenceCpu / double(state.iterations());
    state.counters["cpu_ratio"] = figureCpu / referenceCpu;
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = double(pages) * double(state.iterations()) / figureSeconds;
    state.counters["page_texts_ms"] = 1000 * textsSeconds;
    state.counters["file_MB"] = QFileInfo(path).size() / 1e6;
    state.counters["reference_file_MB"] = QFileInfo(leanPath).size() / 1e6;
}

BENCHMARK(BM_FetchStockInList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareReportAndPaintFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteWholePdf)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpAsTheProgram(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
