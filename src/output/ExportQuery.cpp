#include "ExportQuery.h"

#include "DataError.h"
#include "ReadAheadRows.h"
#include "RowStream.h"

#include <QDate>

namespace {

bool readDigits(std::string_view text, std::size_t from, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// Reads the stored date forms "YYYY-MM-DD", "YYYY-MM-DD HH:MM" and "YYYY-MM-DD HH:MM:SS".
bool readStoredDate(std::string_view text, SheetDateTime& date) {
    const std::size_t size = text.size();
    if (size != 10 && size != 16 && size != 19)
        return false;
    date = SheetDateTime();
    if (text[4] != '-' || text[7] != '-' || !readDigits(text, 0, 4, date.year) ||
        !readDigits(text, 5, 2, date.month) || !readDigits(text, 8, 2, date.day))
        return false;
    if (size > 10 && ((text[10] != ' ' && text[10] != 'T') || text[13] != ':' ||
                      !readDigits(text, 11, 2, date.hour) || !readDigits(text, 14, 2, date.minute)))
        return false;
    if (size == 19 && (text[16] != ':' || !readDigits(text, 17, 2, date.second)))
        return false;
    return QDate::isValid(date.year, date.month, date.day) && date.hour < 24 && date.minute < 60 &&
           date.second < 60;
}

// The rows of the statement as cells: numbers as numbers, a date column's stored dates as
// dates, every other text as text.
class StreamedRecordset : public SheetRowSource {
public:
    StreamedRecordset(Connection& connection, const QString& sql) : m_stream(connection, sql) {
        m_rows = m_stream.CountRows();
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
    SheetCell cell(int field) const {
        SheetCell cell;
        switch (m_stream.Type(field)) {
        case RowStream::CellType::Null:
            break;
        case RowStream::CellType::Integer:
            cell.kind = SheetCell::Kind::Number;
            cell.number = static_cast<double>(m_stream.Integer(field));
            break;
        case RowStream::CellType::Real:
            cell.kind = SheetCell::Kind::Number;
            cell.number = m_stream.Float(field);
            break;
        case RowStream::CellType::Text:
            cell.text = m_stream.Text(field);
            cell.kind = m_stream.IsDateField(field) && readStoredDate(cell.text, cell.date)
                            ? SheetCell::Kind::DateTime
                            : SheetCell::Kind::Text;
            break;
        }
        return cell;
    }

    RowStream m_stream;
    qint64 m_rows = 0;
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
