#include "data/DatabaseCopy.h"

#include "data/DataError.h"
#include "data/DatabaseCheck.h"
#include "data/EngineConnection.h"
#include "data/PreparedStatement.h"
#include "data/Schema.h"
#include "data/Transaction.h"

#include <QCryptographicHash>
#include <cstring>
#include <optional>
#include <string>

namespace {

// The parameters one statement may have on the file engine as this system builds it (the server
// takes many more).
constexpr int MaxParameters = 999;

// The administrator account that a new database holds (see SchemaStatements).
const QString NewAccountCondition = QStringLiteral("PowerName='管理员' AND PowerKey=''");

QString keyOf(const QStringList& columns) {
    return columns.first();
}

// Every column of the table in the program's order; a column that the database's data version
// does not hold yet reads as empty, as it is once the database is upgraded.
QString selectAll(EngineConnection& db, const QString& table, const QStringList& columns) {
    const int version = db.schemaVersion();
    QStringList selected;
    for (const QString& column : columns)
        selected << SelectedColumn(table, column, version);
    return QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
        .arg(selected.join(QStringLiteral(", ")), table, keyOf(columns));
}

QString insertRows(const QString& table, const QStringList& columns, int rows) {
    const QString row = '(' + QStringList(columns.size(), QStringLiteral("?")).join(',') + ')';
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(table, columns.join(QStringLiteral(", ")),
             QStringList(rows, row).join(QStringLiteral(", ")));
}

qint64 countOf(EngineConnection& db, const QString& sql) {
    PreparedStatement count(db, sql);
    count.step();
    return count.integer(0);
}

qint64 rowsOf(EngineConnection& db, const QString& table) {
    return countOf(db, QStringLiteral("SELECT count(*) FROM ") + table);
}

// The checksum of a table's rows, fed one row at a time (see TallyTable).
class RowChecksum {
public:
    void add(const CellValue* cells, int count) {
        m_row.clear();
        for (int c = 0; c < count; ++c)
            append(cells[c]);
        m_hash.addData(QByteArrayView(m_row.data(), static_cast<qsizetype>(m_row.size())));
        ++m_rows;
    }
    qint64 rows() const { return m_rows; }
    QByteArray result() const { return m_hash.result().toHex(); }

private:
    void appendNumber(quint64 bits) {
        char bytes[sizeof bits];
        std::memcpy(bytes, &bits, sizeof bits);
        m_row.append(bytes, sizeof bytes);
    }
    void append(const CellValue& cell) {
        m_row.push_back(static_cast<char>(cell.kind));
        switch (cell.kind) {
        case CellValue::Kind::Null:
            return;
        case CellValue::Kind::Integer:
        case CellValue::Kind::Date:
            appendNumber(static_cast<quint64>(cell.integer));
            return;
        case CellValue::Kind::Real: {
            quint64 bits = 0;
            std::memcpy(&bits, &cell.real, sizeof bits);
            appendNumber(bits);
            return;
        }
        case CellValue::Kind::Text:
            appendNumber(cell.text.size());
            m_row.append(cell.text);
            return;
        }
    }

    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    std::string m_row;
    qint64 m_rows = 0;
};

// Reads the rows of a statement one at a time into `cells`.
class RowReader {
public:
    RowReader(EngineConnection& db, const QString& sql, int columns)
        : m_statement(db, sql), m_cells(columns), m_buffers(columns) {}
    bool next() {
        if (!m_statement.step())
            return false;
        m_statement.readRow(m_cells.data(), m_buffers.data(), static_cast<int>(m_cells.size()));
        return true;
    }
    const CellValue* cells() const { return m_cells.data(); }
    int count() const { return static_cast<int>(m_cells.size()); }

private:
    PreparedStatement m_statement;
    std::vector<CellValue> m_cells;
    std::vector<std::string> m_buffers;
};

// The rows of a batch until they are written: the cells, with their texts kept here, since the
// source's cells last only until its next row.
class PendingRows {
public:
    explicit PendingRows(int width) : m_width(width) {}
    int rows() const { return static_cast<int>(m_cells.size()) / m_width; }
    void add(const CellValue* cells) {
        for (int c = 0; c < m_width; ++c) {
            CellValue cell = cells[c];
            if (cell.kind == CellValue::Kind::Text) {
                // The offset stands in the number until the batch is written.
                cell.integer = static_cast<qint64>(m_texts.size());
                m_texts.append(cell.text);
            }
            m_cells.push_back(cell);
        }
    }
    // Binds the rows to `statement` (made for exactly as many), runs it and starts afresh.
    void writeWith(PreparedStatement& statement) {
        for (std::size_t i = 0; i < m_cells.size(); ++i) {
            CellValue cell = m_cells[i];
            if (cell.kind == CellValue::Kind::Text) {
                cell.text = std::string_view(m_texts).substr(cell.integer, cell.text.size());
                cell.integer = 0;
            }
            statement.bind(static_cast<int>(i) + 1, cell);
        }
        statement.step();
        m_cells.clear();
        m_texts.clear();
    }

private:
    int m_width;
    std::vector<CellValue> m_cells;
    std::string m_texts;
};

qint64 largestKey(EngineConnection& db, const QString& table, const QString& key) {
    return countOf(db, QStringLiteral("SELECT coalesce(max(%1), 0) FROM %2").arg(key, table));
}

} // namespace

TableTally TallyTable(EngineConnection& db, const QString& table) {
    const QStringList& columns = ProgramTables().at(table);
    RowReader rows(db, selectAll(db, table, columns), static_cast<int>(columns.size()));
    RowChecksum checksum;
    while (rows.next())
        checksum.add(rows.cells(), rows.count());
    return {table, checksum.rows(), checksum.result()};
}

DatabaseTally TallyTables(EngineConnection& db) {
    DatabaseTally tally;
    for (const auto& table : ProgramTables())
        tally.push_back(TallyTable(db, table.first));
    return tally;
}

bool HoldsNoData(EngineConnection& db, QString* table) {
    for (const auto& [name, columns] : ProgramTables()) {
        const bool accounts = name == QStringLiteral("Power");
        const qint64 rows = rowsOf(db, name);
        const bool empty =
            accounts ? rows == 0 || (rows == 1 && countOf(db, "SELECT count(*) FROM Power WHERE " +
                                                                  NewAccountCondition) == 1)
                     : rows == 0;
        if (!empty) {
            if (table)
                *table = name;
            return false;
        }
    }
    return true;
}

DatabaseCopy::DatabaseCopy(EngineConnection& source, EngineConnection& target)
    : m_source(source), m_target(target) {}

DatabaseTally DatabaseCopy::CopyAll(TargetRows rows) {
    if (!m_target.inTransaction())
        throw DataError(QStringLiteral("复制数据需要在目标数据库的事务中进行。"));
    std::optional<Transaction> snapshot;
    if (!m_source.inTransaction())
        snapshot.emplace(m_source, Transaction::Mode::ReadSnapshot);
    if (rows == TargetRows::MustBeEmpty)
        refuseData();
    clearTarget();
    m_copied = 0;
    m_total = 0;
    for (const auto& table : ProgramTables())
        m_total += rowsOf(m_source, table.first);
    DatabaseTally copied;
    for (const auto& [table, columns] : ProgramTables())
        copied.push_back(copyTable(table, columns));
    for (const TableTally& source : copied) {
        const TableTally target = TallyTable(m_target, source.table);
        if (target != source)
            throw DataError(
                QStringLiteral("复制后数据表 %1 与原数据不一致（原有 %2 行，复制后 %3 行，"
                               "校验和不同）；复制的数据没有保留。")
                    .arg(source.table)
                    .arg(source.rows)
                    .arg(target.rows));
    }
    return copied;
}

void DatabaseCopy::refuseData() {
    QString table;
    if (!HoldsNoData(m_target, &table))
        throw DataError(QStringLiteral("目标数据库中已经有数据（数据表 %1 不是空的），不会改动它。"
                                       "只能复制到一个空的数据库。")
                            .arg(table));
}

void DatabaseCopy::clearTarget() {
    for (const auto& table : ProgramTables())
        m_target.execute(QStringLiteral("DELETE FROM ") + table.first);
}

// Streams the table from the source into batches of rows on the target and sums up the rows
// read.
TableTally DatabaseCopy::copyTable(const QString& table, const QStringList& columns) {
    const int width = static_cast<int>(columns.size());
    const int rowsPerBatch = qMax(1, qMin(m_rowsPerBatch, MaxParameters / width));
    try {
        RowReader rows(m_source, selectAll(m_source, table, columns), width);
        RowChecksum checksum;
        PendingRows pending(width);
        int batches = 0;
        PreparedStatement batch(m_target, insertRows(table, columns, rowsPerBatch));
        while (rows.next()) {
            checksum.add(rows.cells(), width);
            pending.add(rows.cells());
            if (pending.rows() == rowsPerBatch) {
                pending.writeWith(batch);
                batch.reset();
                m_copied += rowsPerBatch;
                if (++batches % 16 == 0)
                    report();
            }
        }
        if (pending.rows() > 0) {
            m_copied += pending.rows();
            PreparedStatement rest(m_target, insertRows(table, columns, pending.rows()));
            pending.writeWith(rest);
        }
        report();
        continueKeys(table, keyOf(columns));
        return {table, checksum.rows(), checksum.result()};
    } catch (const DataError& error) {
        throw DataError(QStringLiteral("复制数据表 %1 时出错：%2").arg(table, error.message()));
    }
}

void DatabaseCopy::continueKeys(const QString& table, const QString& key) {
    const qint64 last =
        qMax(m_source.lastKeyHandedOut(table, key), largestKey(m_target, table, key));
    m_target.continueKeysAfter(table, key, last);
}

void DatabaseCopy::report() {
    if (m_progress)
        m_progress(static_cast<int>(qMin<qint64>(m_copied, INT_MAX)),
                   static_cast<int>(qMin<qint64>(m_total, INT_MAX)));
}
