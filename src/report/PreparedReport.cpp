#include "report/PreparedReport.h"

#include "report/Report.h"
#include "report/ReportError.h"

PreparedReport::PreparedReport(const Report& report) : m_title(report.Title) {
    if (report.PageCount() == 0)
        throw ReportError(QStringLiteral("报表中没有页面（请先载入报表模板）。"));
    std::vector<std::size_t> pageStarts;
    for (int i = 0; i < report.PageCount(); ++i) {
        const ReportPage& page = *report.Page(i);
        m_sections.push_back({page.Setup, CompileBands(page, report.DataSet())});
        const std::size_t firstNew = pageStarts.size();
        PaginateBands(m_sections.back().bands, page.Setup.printableHeight(), m_placements,
                      pageStarts);
        for (std::size_t p = firstNew; p < pageStarts.size(); ++p)
            m_pages.push_back({i, pageStarts[p]});
    }
}

const PageSetup& PreparedReport::Setup(int page) const {
    return m_sections.at(std::size_t(m_pages.at(std::size_t(page)).section)).setup;
}

PreparedPage PreparedReport::Page(int index) const {
    const PageEntry& entry = m_pages.at(std::size_t(index));
    const Section& section = m_sections[std::size_t(entry.section)];
    const std::size_t end = std::size_t(index) + 1 < m_pages.size()
                                ? m_pages[std::size_t(index) + 1].firstPlacement
                                : m_placements.size();
    const QPoint origin(section.setup.margins.left(), section.setup.margins.top());

    PreparedPage page;
    page.setup = section.setup;
    for (std::size_t p = entry.firstPlacement; p < end; ++p) {
        const BandPlacement& placement = m_placements[p];
        for (const LayoutText& text : section.bands[std::size_t(placement.band)].texts) {
            page.texts.push_back({text.rect.translated(origin + QPoint(0, placement.top)),
                                  text.text.Evaluate(placement.record, index + 1, PageCount()),
                                  text.alignment, text.frame, text.fillColor, text.fontColor,
                                  text.font});
        }
    }
    return page;
}
