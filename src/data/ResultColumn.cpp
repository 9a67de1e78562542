#include "data/ResultColumn.h"

int FindColumn(const std::vector<ResultColumn>& columns, const QString& name) {
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(c);
    return -1;
}
