#pragma once

#include "data/EngineStatement.h"
#include "data/ServerSqlText.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

struct pg_result;
class ServerEngine;

// A statement of the database server engine (see EngineStatement). Parameters go to the server
// apart from the text; rows come one at a time, so a result of any size takes the memory of one
// row. Should another statement need the connection before the last row has come, the rest of
// the rows are read into memory first (ServerEngine::settle).
class ServerStatement final : public EngineStatement {
public:
    ServerStatement(ServerEngine& engine, const QString& sql);
    ~ServerStatement() override;
    ServerStatement(const ServerStatement&) = delete;
    ServerStatement& operator=(const ServerStatement&) = delete;

    void bindNull(int position) override;
    void bindInteger(int position, qint64 value) override;
    void bindReal(int position, double value) override;
    void bindText(int position, std::string_view utf8) override;

    bool step() override;
    void reset() override;

    int columnCount() const override;
    QString columnName(int column) const override;
    QString columnTable(int column) const override;
    QString columnOrigin(int column) const override;

    Type type(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    std::string_view text(int column) const override;
    std::string_view blob(int column) const override;

    CellValue cell(int column, std::string& buffer) const override;

    // Reads the rows the server has still to send into memory (see the class comment).
    void readRest();

private:
    // How a column's values are read, by the column's type on the server.
    enum class Kind : std::uint8_t { Integer, Real, Boolean, Text, Timestamp, Bytes };
    struct Column {
        QString name;
        unsigned table = 0;
        int tableColumn = 0;
        Kind kind = Kind::Text;
    };

    void bind(int position, std::optional<std::string> value, unsigned type);
    void describe() const;
    void checkDates();
    void takeColumns(const pg_result* result) const;
    pg_result* nextResult();
    void finish();
    bool isNull(int column) const;
    std::string_view raw(int column) const;

    ServerEngine& m_engine;
    ServerSqlText m_sql;
    std::vector<std::optional<std::string>> m_values;
    std::vector<unsigned> m_types;
    enum class State : std::uint8_t { Ready, Running, Done } m_state = State::Ready;
    pg_result* m_row = nullptr;    // the current row
    std::deque<pg_result*> m_rest; // rows read ahead by readRest, the last result included
    bool m_restRead = false;       // whether the server has sent everything
    mutable std::optional<std::vector<Column>> m_columns;
    mutable std::vector<std::string> m_bytes; // decoded bytea cells of the current row
};
