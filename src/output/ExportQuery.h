#pragma once

#include "sheet/Spreadsheet.h"

#include <QString>
#include <memory>

class Connection;

// The query an export fetches its rows with: opened on a statement, it knows its columns and
// its exact row count, and hands its recordset to a worksheet's external-data table, which
// reads the rows one at a time while the workbook is written (read ahead on a thread of their
// own, so that reading the file and writing the workbook overlap). The recordset stays usable
// after the query is closed, as long as the table holds it and the connection is open.
class ExportQuery {
public:
    explicit ExportQuery(Connection* connection) : m_connection(connection) {}

    // Prepares the statement and counts its rows; throws DataError.
    void Open(const QString& sql);
    void Close() { m_recordset.reset(); }
    bool Active() const { return m_recordset != nullptr; }

    int FieldCount() const;
    qint64 RecordCount() const;
    std::shared_ptr<SheetRowSource> Recordset() const { return m_recordset; }

private:
    Connection* m_connection;
    std::shared_ptr<SheetRowSource> m_recordset;
};
