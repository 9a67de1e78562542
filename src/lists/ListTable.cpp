#include "lists/ListTable.h"

#include "data/Query.h"
#include "platform/Numbers.h"

QString RowCountText(int rows) {
    return QStringLiteral("共 ") + QString::number(rows) + QStringLiteral(" 条");
}

ListTable::ListTable(const Query* query, std::vector<GridColumn> columns)
    : ListTable(query, std::move(columns), {}) {
    if (m_rowCount > 0)
        m_sums = ListColumnSums(*query, m_columns, m_fieldIndex, m_rowCount);
}

ListTable::ListTable(const Query* query, std::vector<GridColumn> columns,
                     std::vector<std::optional<double>> sums)
    : m_query(query), m_columns(std::move(columns)), m_formatter(m_columns),
      m_sums(std::move(sums)) {
    m_sums.resize(m_columns.size());
    m_fieldIndex.assign(m_columns.size(), -1);
    if (!query || !query->Active())
        return;
    m_rowCount = query->RecordCount();
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        m_fieldIndex[i] = query->FieldIndex(m_columns[i].FieldName);
}

std::vector<std::optional<double>> ListColumnSums(const Query& query,
                                                  const std::vector<GridColumn>& columns,
                                                  const std::vector<int>& fieldIndex,
                                                  int rowCount) {
    std::vector<std::optional<double>> sums(columns.size());
    if (rowCount == 0)
        return sums;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].Footer != FooterKind::Sum || fieldIndex[i] < 0)
            continue;
        NumberSum total;
        for (int row = 0; row < rowCount; ++row)
            total.add(query.FloatAt(row, fieldIndex[i]));
        sums[i] = total.total();
    }
    return sums;
}

QString ListTable::cellText(int row, int column) const {
    const int field = m_fieldIndex[column];
    if (field < 0 || row < 0 || row >= m_rowCount)
        return QString();
    return m_formatter.text(column, m_query->CellAt(row, field));
}

QString ListTable::queryName() const {
    return m_query ? m_query->objectName() : QString();
}

QString ListTable::staticFooterText(int column) const {
    return m_columns[column].Footer == FooterKind::StaticText ? RowCountText(m_rowCount)
                                                              : QString();
}
