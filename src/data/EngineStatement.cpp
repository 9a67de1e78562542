#include "data/EngineStatement.h"

#include "data/StoredDate.h"
#include "data/StoredText.h"

CellValue StoredCell(std::string_view bytes, std::string& buffer) {
    const std::string_view view = StoredText::toUtf8(bytes, buffer);
    qint64 seconds;
    if (view.size() == 19 && StoredDate::parseCanonical(view, seconds))
        return CellValue::ofDate(seconds);
    return CellValue::ofText(view);
}

CellValue EngineStatement::cell(int column, std::string& buffer) const {
    switch (type(column)) {
    case Type::Integer:
        return CellValue::ofInteger(integer(column));
    case Type::Real:
        return CellValue::ofReal(real(column));
    case Type::Text:
        return StoredCell(text(column), buffer);
    case Type::Blob:
        return StoredCell(blob(column), buffer);
    case Type::Null:
        break;
    }
    return {};
}

void EngineStatement::readRow(CellValue* cells, std::string* buffers, int count) const {
    for (int c = 0; c < count; ++c)
        cells[c] = cell(c, buffers[c]);
}
