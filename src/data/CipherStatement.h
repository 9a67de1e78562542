#pragma once

#include "data/EngineStatement.h"

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement of the encrypted file engine (see EngineStatement).
class CipherStatement final : public EngineStatement {
public:
    // The text must hold exactly one statement (a closing ";" is fine): the engine would quietly
    // ignore anything behind the first.
    CipherStatement(sqlite3* db, const QString& sql);
    ~CipherStatement() override;
    CipherStatement(const CipherStatement&) = delete;
    CipherStatement& operator=(const CipherStatement&) = delete;

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
    void readRow(CellValue* cells, std::string* buffers, int count) const override;

private:
    void checkBound(int rc) const;
    CellValue readCell(int column, std::string& buffer) const;

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};
