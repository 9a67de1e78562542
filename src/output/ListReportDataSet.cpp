#include "output/ListReportDataSet.h"

#include "data/Query.h"
#include "lists/ListTable.h"

// Field indexes below the list's column count are its columns; the others are the query's own
// fields, offset by that count.

QString ListReportDataSet::DataSetName() const {
    return m_table ? m_table->queryName() : QString();
}

int ListReportDataSet::RecordCount() const {
    return m_table ? m_table->rowCount() : 0;
}

int ListReportDataSet::FieldIndex(const QString& field) const {
    if (!m_table)
        return -1;
    const std::vector<GridColumn>& columns = m_table->columns();
    for (int i = 0; i < m_table->columnCount(); ++i) {
        if (columns[i].FieldName.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    const Query* query = m_table->query();
    const int stored = query && query->Active() ? query->FieldIndex(field) : -1;
    return stored < 0 ? -1 : m_table->columnCount() + stored;
}

QString ListReportDataSet::FieldText(int record, int field) const {
    if (field < m_table->columnCount())
        return m_table->cellText(record, field);
    return m_table->query()->TextAt(record, field - m_table->columnCount());
}
