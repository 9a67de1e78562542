#pragma once

#include "report/ReportBand.h"
#include "report/ReportFont.h"
#include "report/TextExpression.h"

#include <QRect>
#include <optional>
#include <vector>

class ReportDataSource;
class ReportPage;

// A text object ready to print: its rectangle (left from the printable area's left edge, top
// from its band's top), its resolved text and its look.
struct LayoutText {
    QRect rect;
    TextExpression text;
    int alignment = 0;
    int frame = 0;
    std::optional<quint32> fillColor;
    quint32 fontColor = 0;
    ReportFont font;
};

// A band ready to print: its kind, height, data source and text objects.
struct LayoutBand {
    BandType type = BandType::PageHeader;
    int height = 0;
    const ReportDataSource* source = nullptr; // master data bands
    std::vector<LayoutText> texts;
};

// Where a band is printed: the band (its index), its top on the page's printable area, and the
// record it prints (the last record printed so far for bands that are not master data; -1
// before the first).
struct BandPlacement {
    int band;
    int top;
    int record;
};

// The bands of a design page with their texts, in the order of their tops within each kind.
// `source` is the report's data source: master data bands must name it, field references
// resolve against it. Throws ReportError for a master data band without that data source, a
// text object outside every band or a reference to a field that does not exist.
std::vector<LayoutBand> CompileBands(const ReportPage& page, const ReportDataSource* source);

// Lays the bands out on pages of the given printable height: the page headers at the top of
// every page, then the master data once per record, the master footers and the report
// summaries, each on a new page when it does not fit above the page footers, which close every
// page. Appends the placements to `placements` and the index of each page's first placement to
// `pageStarts`; there is always at least one page.
void PaginateBands(const std::vector<LayoutBand>& bands, int printableHeight,
                   std::vector<BandPlacement>& placements, std::vector<std::size_t>& pageStarts);
