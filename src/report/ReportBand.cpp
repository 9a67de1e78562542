#include "report/ReportBand.h"

#include <array>
#include <utility>

namespace {

const std::array<std::pair<BandType, const char*>, 5> bandNames = {{
    {BandType::PageHeader, "Page header"},
    {BandType::MasterData, "Master data"},
    {BandType::MasterFooter, "Master footer"},
    {BandType::ReportSummary, "Report summary"},
    {BandType::PageFooter, "Page footer"},
}};

} // namespace

std::optional<BandType> BandTypeFromName(const QString& name) {
    for (const auto& [kind, text] : bandNames) {
        if (name == QLatin1String(text))
            return kind;
    }
    return std::nullopt;
}
