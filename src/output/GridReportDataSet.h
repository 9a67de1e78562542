#pragma once

#include "ReportDataSource.h"

#include <QString>

class DataGrid;

// The report data source of a grid's dataset: its records in the grid's current order, and its
// fields as the grid shows them (through the column's display format) where the grid has a
// column for the field, exactly as stored otherwise. Reached by its own name (e.g.
// "frDBDataSet1") and by the name of the grid's dataset (e.g. "ADOQueryStoreIn").
class GridReportDataSet : public ReportDataSource {
public:
    explicit GridReportDataSet(const QString& name, DataGrid* grid = nullptr)
        : m_name(name), m_grid(grid) {}

    void setGrid(DataGrid* grid) { m_grid = grid; }
    DataGrid* grid() const { return m_grid; }

    QString Name() const override { return m_name; }
    QString DataSetName() const override;
    int RecordCount() const override;
    int FieldIndex(const QString& field) const override;
    QString FieldText(int record, int field) const override;

private:
    QString m_name;
    DataGrid* m_grid;
};
