#include "output/ExportQuery.h"

#include "data/DataError.h"
#include "data/RowStream.h"
#include "data/StoredDate.h"
#include "sheet/ReadAheadRows.h"

#include <string>

namespace {

// A stored date as the spreadsheet writes it.
SheetDateTime sheetDate(qint64 seconds) {
    SheetDateTime date;
    const qint64 days = StoredDate::dayOf(seconds);
    const int ofDay = static_cast<int>(seconds - days * StoredDate::SecondsPerDay);
    StoredDate::civilFromDays(days, date.year, date.month, date.day);
    date.hour = ofDay / 3600;
    date.minute = ofDay / 60 % 60;
    date.second = ofDay % 60;
    return date;
}

// The rows of the statement as cells: numbers as numbers, a date column's stored dates as
// dates, every other text as text.
class StreamedRecordset : public SheetRowSource {
public:
    StreamedRecordset(Connection& connection, const QString& sql) : m_stream(connection, sql) {
        m_rows = m_stream.CountRows();
        m_dateTexts.resize(m_stream.FieldCount());
    }

    int FieldCount() const override { return m_stream.FieldCount(); }
    QString FieldName(int field) const override { return m_stream.FieldName(field); }
    qint64 RecordCount() const override { return m_rows; }

    bool NextRow(std::vector<SheetCell>& cells) override {
        if (!m_stream.Next())
            return false;
        for (int field = 0; field < FieldCount(); ++field)
            cells[field] = cell(field);
        return true;
    }

private:
    SheetCell cell(int field) {
        SheetCell cell;
        const CellValue value = m_stream.Cell(field);
        qint64 seconds = value.integer;
        switch (value.kind) {
        case CellValue::Kind::Null:
            break;
        case CellValue::Kind::Integer:
            cell.kind = SheetCell::Kind::Number;
            cell.number = static_cast<double>(value.integer);
            break;
        case CellValue::Kind::Real:
            cell.kind = SheetCell::Kind::Number;
            cell.number = value.real;
            break;
        case CellValue::Kind::Date:
            if (m_stream.IsDateField(field)) {
                cell.kind = SheetCell::Kind::DateTime;
                cell.date = sheetDate(seconds);
            } else { // a text in the date form, in a column that holds texts
                std::string& text = m_dateTexts[field];
                text.resize(19);
                StoredDate::writeCanonical(seconds, text.data());
                cell.kind = SheetCell::Kind::Text;
                cell.text = text;
            }
            break;
        case CellValue::Kind::Text:
            cell.text = value.text;
            if (m_stream.IsDateField(field) && StoredDate::parseAnyForm(value.text, seconds)) {
                cell.kind = SheetCell::Kind::DateTime;
                cell.date = sheetDate(seconds);
            } else {
                cell.kind = SheetCell::Kind::Text;
            }
            break;
        }
        return cell;
    }

    RowStream m_stream;
    qint64 m_rows = 0;
    std::vector<std::string> m_dateTexts; // per field: a date-form text written back
};

} // namespace

void ExportQuery::Open(const QString& sql) {
    Close();
    if (!m_connection)
        throw DataError(QStringLiteral("导出查询没有连接到数据库。"));
    m_recordset =
        std::make_shared<ReadAheadRows>(std::make_shared<StreamedRecordset>(*m_connection, sql));
}

int ExportQuery::FieldCount() const {
    return m_recordset ? m_recordset->FieldCount() : 0;
}

qint64 ExportQuery::RecordCount() const {
    return m_recordset ? m_recordset->RecordCount() : 0;
}
