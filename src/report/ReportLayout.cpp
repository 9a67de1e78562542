#include "report/ReportLayout.h"

#include "report/ReportDataSource.h"
#include "report/ReportError.h"
#include "report/ReportPage.h"
#include "report/ReportText.h"

#include <algorithm>
#include <array>

namespace {

QString objectLabel(const ReportObject& object) {
    return object.Name.isEmpty() ? QStringLiteral("（无名）") : object.Name;
}

// The band a text object belongs to: the one it names, else the first whose vertical span
// holds its top.
const ReportBand* bandOf(const ReportPage& page, const ReportText& text) {
    for (const auto& object : page.Objects()) {
        const ReportBand* band = object->AsBand();
        if (!band)
            continue;
        if (!text.Band.isEmpty() ? band->Name == text.Band
                                 : text.Top >= band->Top && text.Top < band->Top + band->Height)
            return band;
    }
    throw ReportError(
        QStringLiteral("报表对象 %1 不在任何数据带内：它的位置（上边 %2）没有数据带。")
            .arg(objectLabel(text))
            .arg(text.Top));
}

const ReportDataSource* bandSource(const ReportBand& band, const ReportDataSource* source) {
    if (band.Type() != BandType::MasterData)
        return nullptr;
    if (band.DataSet.isEmpty())
        throw ReportError(QStringLiteral("主数据带 %1 没有指定数据源。").arg(objectLabel(band)));
    if (!source || band.DataSet.compare(source->Name(), Qt::CaseInsensitive) != 0)
        throw ReportError(QStringLiteral("主数据带 %1 的数据源 %2 不存在。")
                              .arg(objectLabel(band), band.DataSet));
    return source;
}

LayoutText compileText(const ReportText& text, const ReportBand& band, const PageSetup& setup,
                       const ReportDataSource* source) {
    LayoutText compiled;
    compiled.rect = QRect(text.Left, text.Top - band.Top, text.Width, text.Height);
    compiled.text =
        text.Literal ? TextExpression::Literal(text.Text()) : TextExpression(text.Text(), source);
    compiled.alignment = text.Alignment;
    compiled.frame = text.FrameTyp;
    if (text.FillColor && *text.FillColor != clNone)
        compiled.fillColor = text.FillColor;
    compiled.fontColor = text.FontColor;
    compiled.font = text.Font.value_or(setup.defaultFont);
    return compiled;
}

} // namespace

std::vector<LayoutBand> CompileBands(const ReportPage& page, const ReportDataSource* source) {
    std::vector<const ReportBand*> bands;
    for (const auto& object : page.Objects()) {
        if (const ReportBand* band = object->AsBand())
            bands.push_back(band);
    }
    // Kinds in printing order, bands of one kind by their tops.
    std::stable_sort(bands.begin(), bands.end(), [](const ReportBand* a, const ReportBand* b) {
        return a->Type() != b->Type() ? a->Type() < b->Type() : a->Top < b->Top;
    });

    std::vector<LayoutBand> compiled(bands.size());
    for (std::size_t i = 0; i < bands.size(); ++i) {
        compiled[i].type = bands[i]->Type();
        compiled[i].height = bands[i]->Height;
        compiled[i].source = bandSource(*bands[i], source);
    }
    for (const auto& object : page.Objects()) {
        const ReportText* text = object->AsText();
        if (!text)
            continue;
        const ReportBand* band = bandOf(page, *text);
        const auto index = std::size_t(std::find(bands.begin(), bands.end(), band) - bands.begin());
        compiled[index].texts.push_back(compileText(*text, *band, page.Setup, source));
    }
    return compiled;
}

namespace {

class Paginator {
public:
    Paginator(const std::vector<LayoutBand>& bands, int printableHeight,
              std::vector<BandPlacement>& placements, std::vector<std::size_t>& pageStarts)
        : m_bands(bands), m_placements(placements), m_pageStarts(pageStarts) {
        for (std::size_t i = 0; i < m_bands.size(); ++i)
            m_byType[std::size_t(m_bands[i].type)].push_back(int(i));
        int footerHeight = 0;
        for (int band : of(BandType::PageFooter))
            footerHeight += m_bands[std::size_t(band)].height;
        m_bodyBottom = printableHeight - footerHeight;
    }

    void run() {
        startPage();
        for (int band : of(BandType::MasterData)) {
            const int records = m_bands[std::size_t(band)].source->RecordCount();
            for (int record = 0; record < records; ++record) {
                m_record = record;
                placeInBody(band);
            }
        }
        for (int band : of(BandType::MasterFooter))
            placeInBody(band);
        for (int band : of(BandType::ReportSummary))
            placeInBody(band);
        finishPage();
    }

private:
    // The bands of a kind, in printing order.
    const std::vector<int>& of(BandType type) const { return m_byType[std::size_t(type)]; }

    void place(int band, int top) { m_placements.push_back({band, top, m_record}); }

    void startPage() {
        m_pageStarts.push_back(m_placements.size());
        m_y = 0;
        for (int band : of(BandType::PageHeader)) {
            place(band, m_y);
            m_y += m_bands[std::size_t(band)].height;
        }
        m_bodyTop = m_y;
    }

    void finishPage() {
        int y = m_bodyBottom;
        for (int band : of(BandType::PageFooter)) {
            place(band, y);
            y += m_bands[std::size_t(band)].height;
        }
    }

    // A band that does not fit goes to the next page, unless the page holds no body band yet
    // (it would not fit on any page then).
    void placeInBody(int band) {
        const int height = m_bands[std::size_t(band)].height;
        if (m_y + height > m_bodyBottom && m_y > m_bodyTop) {
            finishPage();
            startPage();
        }
        place(band, m_y);
        m_y += height;
    }

    const std::vector<LayoutBand>& m_bands;
    std::array<std::vector<int>, 5> m_byType;
    std::vector<BandPlacement>& m_placements;
    std::vector<std::size_t>& m_pageStarts;
    int m_bodyBottom = 0;
    int m_bodyTop = 0;
    int m_y = 0;
    int m_record = -1;
};

} // namespace

void PaginateBands(const std::vector<LayoutBand>& bands, int printableHeight,
                   std::vector<BandPlacement>& placements, std::vector<std::size_t>& pageStarts) {
    Paginator(bands, printableHeight, placements, pageStarts).run();
}
