#pragma once

#include "report/ReportFont.h"
#include "report/ReportLayout.h"
#include "report/ReportPage.h"

#include <QRect>
#include <QString>
#include <optional>
#include <vector>

class Report;

// One text of a prepared page: where it stands (design units from the paper's top-left
// corner), what it reads with every reference replaced, and how it looks.
struct PreparedText {
    QRect rect;
    QString text;
    int alignment = 0; // "Alignment" bits
    int frame = 0;     // "FrameTyp" bits
    std::optional<quint32> fillColor;
    quint32 fontColor = 0;
    ReportFont font;
};

// A prepared page: its paper and its texts in printing order.
struct PreparedPage {
    PageSetup setup;
    std::vector<PreparedText> texts;
};

// A report laid out on pages. Preparing decides which band prints where on which page (a few
// bytes per printed band, so memory grows with the records); the texts of a page are produced
// when the page is asked for, so showing or printing some pages never builds the others. It
// reads its data source when a page is asked for: the data source must outlive it.
class PreparedReport {
public:
    // Lays out every design page of the report. Throws ReportError.
    explicit PreparedReport(const Report& report);

    QString Title() const { return m_title; }
    int PageCount() const { return int(m_pages.size()); }
    const PageSetup& Setup(int page) const;
    // The texts of a page (0-based).
    PreparedPage Page(int index) const;

private:
    // One design page laid out: its paper, its bands.
    struct Section {
        PageSetup setup;
        std::vector<LayoutBand> bands;
    };
    struct PageEntry {
        int section;
        std::size_t firstPlacement;
    };

    QString m_title;
    std::vector<Section> m_sections;
    std::vector<BandPlacement> m_placements;
    std::vector<PageEntry> m_pages;
};
