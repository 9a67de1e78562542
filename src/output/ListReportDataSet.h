#pragma once

#include "report/ReportDataSource.h"

#include <QString>
#include <memory>

class ListTable;

// The report data source of a list: its records in the query's current order, and its fields as
// the list shows them (through the column's display format) where the list has a column for the
// field, exactly as stored otherwise. Reached by its own name (e.g. "frDBDataSet1") and by the
// name of the list's query (e.g. "ADOQueryStoreIn").
class ListReportDataSet : public ReportDataSource {
public:
    explicit ListReportDataSet(const QString& name, std::shared_ptr<const ListTable> table = {})
        : m_name(name), m_table(std::move(table)) {}

    // The list it reads; none: a source without records. A prepared report reads its pages'
    // texts when they are shown, so the source keeps the list until it is given another.
    void setTable(std::shared_ptr<const ListTable> table) { m_table = std::move(table); }
    const ListTable* table() const { return m_table.get(); }

    QString Name() const override { return m_name; }
    QString DataSetName() const override;
    int RecordCount() const override;
    int FieldIndex(const QString& field) const override;
    QString FieldText(int record, int field) const override;

private:
    QString m_name;
    std::shared_ptr<const ListTable> m_table;
};
