#pragma once

#include "report/ReportObject.h"

#include <QString>
#include <optional>

// The band kinds, in the order in which they are printed on a page: the page headers at the
// top of every page, the master data once per record of its data source, the master footer
// once after the last record, the report summary once at the end of the report, and the page
// footers at the bottom of every page.
enum class BandType { PageHeader, MasterData, MasterFooter, ReportSummary, PageFooter };

// The kind named "Page header", "Master data", "Master footer", "Report summary" or
// "Page footer" in a template.
std::optional<BandType> BandTypeFromName(const QString& name);

// A band: a horizontal strip of the page, as wide as the printable area, that holds the text
// objects lying within its vertical span and is printed as its kind says.
class ReportBand : public ReportObject {
public:
    explicit ReportBand(BandType type) : BandType_(type) {}

    BandType Type() const { return BandType_; }
    // The report data source of a master data band, by its name (e.g. "frDBDataSet1").
    QString DataSet;

    ReportBand* AsBand() override { return this; }

private:
    BandType BandType_;
};
