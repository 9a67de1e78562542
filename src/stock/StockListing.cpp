#include "stock/StockListing.h"

#include "data/RowStream.h"
#include "lists/ListFormatter.h"
#include "lists/ListTable.h"
#include "platform/Numbers.h"

#include <string>

void WriteListing(RowStream& rows, const std::vector<GridColumn>& columns, ListingWriter& out) {
    const ListFormatter formatter(columns);
    const std::size_t count = columns.size();
    std::vector<int> fields(count);
    for (std::size_t c = 0; c < count; ++c) {
        fields[c] = rows.FieldIndex(columns[c].FieldName);
        out.cell(columns[c].Title.toStdString());
    }
    out.endLine();

    std::vector<NumberSum> sums(count);
    std::string text;
    int rowCount = 0;
    while (rows.Next()) {
        for (std::size_t c = 0; c < count; ++c) {
            text.clear();
            if (fields[c] >= 0) {
                const CellValue value = rows.Cell(fields[c]);
                formatter.append(static_cast<int>(c), value, text);
                if (columns[c].Footer == FooterKind::Sum)
                    sums[c].add(CellAsFloat(value));
            }
            out.cell(text);
        }
        out.endLine();
        ++rowCount;
    }

    for (std::size_t c = 0; c < count; ++c) {
        text.clear();
        if (columns[c].Footer == FooterKind::StaticText)
            text = RowCountText(rowCount).toStdString();
        else if (columns[c].Footer == FooterKind::Sum && rowCount > 0 && fields[c] >= 0)
            formatter.appendSum(static_cast<int>(c), sums[c].total(), text);
        out.cell(text);
    }
    out.endLine();
}
