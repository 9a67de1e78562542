#pragma once

#include "GridColumn.h"

#include <QStringList>
#include <vector>

class Query;

// A list as its grid shows it, one line of cells per row: the column titles, one row per record
// with the display texts, and the footer (the row count and the column sums).
std::vector<QStringList> ListingRows(Query& query, const std::vector<GridColumn>& columns);
