#pragma once

#include "report/ReportPage.h"

#include <QString>
#include <memory>
#include <vector>

// Reads a report template (a UTF-8 JSON document of format "varnholt-report", version 1; see
// resources/frf/README.md) into its design pages. Throws ReportError with a message that names
// the file and what is wrong with it: missing, unreadable, not a template, no page, an object
// that cannot be understood.
std::vector<std::unique_ptr<ReportPage>> ReadReportTemplate(const QString& path);
