#pragma once

#include "data/CellValue.h"
#include "data/EngineStatement.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <string>

class EngineConnection;

// The one statement wrapper: owns one prepared statement of the connection's engine, binds its
// parameters, steps through its rows and reads their cells. The text must hold exactly one
// statement (a closing ";" is fine).
class PreparedStatement {
public:
    PreparedStatement(EngineConnection& engine, const QString& sql);
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    // Binds a parameter (from 1): texts as UTF-8, dates as stored date text.
    void bind(int position, const QVariant& value);
    // Binds a value exactly as it was read: a text with its bytes, a stored date as its text.
    void bind(int position, const CellValue& value);

    // Returns true while a row is available; throws DataError with the engine's message.
    bool step() { return m_statement->step(); }
    // Ready to run again with the parameters bound now or next (see EngineStatement::reset).
    void reset() { m_statement->reset(); }

    int columnCount() const { return m_statement->columnCount(); }
    // A cell of the current row as a fetched result holds it (see StoredCell).
    CellValue cell(int column, std::string& buffer) const {
        return m_statement->cell(column, buffer);
    }
    // Every cell of the current row, as cell() reads them.
    void readRow(CellValue* cells, std::string* buffers, int count) const {
        m_statement->readRow(cells, buffers, count);
    }
    // A cell of the current row as text (valid UTF-8) and as a whole number.
    QString text(int column) const;
    qint64 integer(int column) const { return m_statement->integer(column); }

    const EngineStatement& engineStatement() const { return *m_statement; }

private:
    std::unique_ptr<EngineStatement> m_statement;
};
