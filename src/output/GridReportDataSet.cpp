#include "GridReportDataSet.h"

#include "DataGrid.h"
#include "DataGridModel.h"
#include "Query.h"

// Field indexes below the grid's column count are grid columns; the others are the dataset's
// own fields, offset by that count.

QString GridReportDataSet::DataSetName() const {
    return m_grid && m_grid->dataSet() ? m_grid->dataSet()->objectName() : QString();
}

int GridReportDataSet::RecordCount() const {
    return m_grid ? m_grid->model()->rowCount() : 0;
}

int GridReportDataSet::FieldIndex(const QString& field) const {
    if (!m_grid)
        return -1;
    for (int i = 0; i < m_grid->columnCount(); ++i) {
        if (m_grid->column(i).FieldName.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    const Query* query = m_grid->dataSet();
    const int stored = query && query->Active() ? query->FieldIndex(field) : -1;
    return stored < 0 ? -1 : m_grid->columnCount() + stored;
}

QString GridReportDataSet::FieldText(int record, int field) const {
    if (field < m_grid->columnCount())
        return m_grid->cellText(record, field);
    return m_grid->dataSet()->TextAt(record, field - m_grid->columnCount());
}
