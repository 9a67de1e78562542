#pragma once

#include "lists/GridColumn.h"

#include <string_view>
#include <vector>

class RowStream;

// Receives a list line by line, cell by cell (UTF-8).
class ListingWriter {
public:
    virtual ~ListingWriter() = default;
    virtual void cell(std::string_view text) = 0;
    virtual void endLine() = 0;
};

// Writes a list as its grid shows it, while the statement yields its rows: the column titles,
// one line per record with the display texts of the grid (the same ListFormatter), and the
// footer (the row count and the column sums). Holds no row, so memory stays flat.
void WriteListing(RowStream& rows, const std::vector<GridColumn>& columns, ListingWriter& out);
