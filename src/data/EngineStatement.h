#pragma once

#include "data/CellValue.h"

#include <QString>
#include <string>
#include <string_view>

// One prepared statement of a database engine, as the data layer uses it (see EngineConnection):
// parameters bound by position from 1, rows stepped through forward, cells of the current row
// read by column from 0. An engine implements it once; everything else reads through it.
class EngineStatement {
public:
    // The type of a cell as the engine holds it.
    enum class Type : std::uint8_t { Null, Integer, Real, Text, Blob };

    virtual ~EngineStatement() = default;

    // Parameters; a text is copied. Throws DataError when the position is out of range.
    virtual void bindNull(int position) = 0;
    virtual void bindInteger(int position, qint64 value) = 0;
    virtual void bindReal(int position, double value) = 0;
    virtual void bindText(int position, std::string_view utf8) = 0;

    // Moves to the next row: true while a row is available. Throws DataError with the engine's
    // message.
    virtual bool step() = 0;
    // Makes the statement ready to run again, with the parameters bound now or bound next: a
    // statement that writes many rows is prepared once. Rows not yet read are dropped.
    virtual void reset() = 0;

    // The result's columns: their names and, for a column read straight from a table, that
    // table and the column's name there (empty for computed columns).
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QString columnTable(int column) const = 0;
    virtual QString columnOrigin(int column) const = 0;

    // Cells of the current row. A text or blob is the engine's bytes, valid until the next step.
    virtual Type type(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual std::string_view text(int column) const = 0;
    virtual std::string_view blob(int column) const = 0;

    // A cell as a fetched result holds it (see StoredCell); a text decoded from another encoding
    // goes into `buffer`, which the value then views.
    virtual CellValue cell(int column, std::string& buffer) const;
    // Every cell of the current row at once, `cells[c]` for column c, `buffers` as for cell():
    // one call per row for the readers that fetch whole results.
    virtual void readRow(CellValue* cells, std::string* buffers, int count) const;
};

// Stored bytes of a text as a fetched result holds them: valid UTF-8 (see StoredText.h), and a
// text in the one stored date form as a date.
CellValue StoredCell(std::string_view bytes, std::string& buffer);
