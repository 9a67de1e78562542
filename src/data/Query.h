#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <cstdint>
#include <future>
#include <memory>
#include <vector>

#include "data/CellValue.h"
#include "data/RowSet.h"

class Connection;
class EngineConnection;
class FetchLane;
struct BackgroundFetch;
class PreparedStatement;

// A dataset: runs one statement, fetches every row into memory and then offers an exact row
// count, a current row with its 1-based number, forward navigation, typed column reads, an
// in-memory re-ordering by one column that keeps the current row, and appending or editing
// one row of a single table.
//
// Rows are kept column by column and typed (see RowSet): whole numbers and stored dates as
// packed numbers, each distinct text of a column once. Nothing is allocated per row.
class Query : public QObject {
    Q_OBJECT
public:
    explicit Query(Connection* connection = nullptr, QObject* parent = nullptr);
    ~Query() override;

    void setConnection(Connection* connection) { m_connection = connection; }
    Connection* connection() const { return m_connection; }

    // The statement, one entry per line; OpenSQL and ExecSQL keep the whole statement as the
    // single first line.
    QStringList& SQL() { return m_sql; }
    const QStringList& SQL() const { return m_sql; }

    void Open();   // runs SQL() and fetches all rows; the first row becomes current
    void Close();  // forgets the result; pending edits are dropped
    int ExecSQL(); // runs SQL() as a command; returns the number of changed rows
    bool Active() const { return m_active; }
    // Whether SQL() is a statement that returns rows (checked by the engine, nothing runs).
    bool ReturnsRows() const;

    // Runs SQL() on `lane` and returns at once: the query is open, its first `firstRows` rows
    // come in as soon as the engine yields them (changed()), and all of them once fetched
    // (fillAboutToFinish(), fillFinished()). Until then it is Filling(): what reads the whole
    // list (RecordCount(), and through it every loop over the rows, the sort, the edits) first
    // waits for the rest in WaitForFetch(); a view shows the RowsReady() it has. Close() and
    // Open() drop a fetch still running. An error of the fetch comes out of WaitForFetch(), or
    // as fillFailed() when nothing waited for it.
    void OpenInBackground(FetchLane& lane, std::uint32_t firstRows = 256);
    bool Filling() const { return m_fill != nullptr; }
    // The rows that can be read now without waiting: all of them once the query is filled.
    int RowsReady() const { return m_active ? static_cast<int>(m_rows.rowCount()) : 0; }
    // Takes every row of a fetch running in the background, waiting for it when needed. The one
    // place where a whole-list reader meets a list still being filled.
    void WaitForFetch();

    // Rows and navigation. RecNo is 1-based in the current order; -1 when there is no row.
    // The count of the whole result: waits for a fetch running in the background.
    int RecordCount() const;
    int RecNo() const;
    void SetRecNo(int recNo);
    void First();
    void Next();
    bool Eof() const;
    bool IsEmpty() const { return RecordCount() == 0; }

    // Columns of the result (available also when it has no rows).
    int FieldCount() const { return m_rows.columnCount(); } // 0 until the first rows are in
    QString FieldName(int column) const;
    int FieldIndex(const QString& name) const; // -1 when absent; first match, case-insensitive
    bool HasField(const QString& name) const { return FieldIndex(name) >= 0; }

    // Typed reads of the current row. A query without a current row reads as empty text, 0
    // or a null date. An absent field is an error.
    QString AsString(const QString& field) const;
    qint64 AsInteger(const QString& field) const;
    double AsFloat(const QString& field) const;
    QDateTime AsDateTime(const QString& field) const;
    bool IsNullField(const QString& field) const;

    // Reads by position: `row` is 0-based in the current order. A stored date is a text.
    QString TextAt(int row, int column) const;
    double FloatAt(int row, int column) const;
    qint64 IntegerAt(int row, int column) const;
    QVariant ValueAt(int row, int column) const;
    // The value as it is held, without a copy: what whole-list formatting reads (see
    // ListFormatter). A text stays valid until the result changes.
    CellValue CellAt(int row, int column) const { return m_rows.cell(storageRow(row), column); }

    // The bytes the fetched rows take.
    std::size_t MemoryBytes() const;

    // Starts running SQL() on a connection of its own to the same file, in the background; the
    // next Open() of the very same statement takes those rows instead of running it again, so
    // that several lists can be fetched at the same time. Nothing changes for the caller: errors
    // come out of that Open(), and when anything was written through this query's connection in
    // between, Open() runs the statement afresh.
    void Prefetch();

    // In-memory ordering. Empty: the statement's own order; "Field": ascending;
    // "Field DESC": descending. The current row stays the same record.
    void SetSort(const QString& sort);
    QString Sort() const { return m_sort; }
    // Text columns sort in the collation of TextRanks.h (pinyin order for Chinese).

    // Editing one row of the single table the result comes from.
    void Append();
    // Edits the current row; on an empty result it appends instead. While a row is already
    // being edited or appended it changes nothing.
    void Edit();
    void SetField(const QString& field, const QVariant& value);
    // Writes the row; an appended row then shows the key the database gave it. An edit is
    // written by the table's key and only while the columns it writes still hold the values
    // read: when another program changed or deleted the row in between, nothing is written, it
    // raises RowConflict (which says which) and the edit stays pending.
    void Post();
    void Cancel();
    // Deletes the current row from its table by the same rule: only while every column read
    // from the table still holds the value read, else RowConflict. Then the statement runs
    // again, so that the result no longer holds the row. Appending, it drops the new row.
    void Delete();
    bool Editing() const { return m_editState != EditState::Browse; }

signals:
    // The rows, their order or the columns changed (open, close, sort, post): views reload.
    void changed();
    // The current row moved; recNo is 1-based, -1 without a row.
    void currentChanged(int recNo);
    // A background fetch is complete: rows [rowsBefore, rowsAfter) are about to be added after
    // those already shown (the rows shown stay as they are), then fillFinished().
    void fillAboutToFinish(int rowsBefore, int rowsAfter);
    void fillFinished();
    // A background fetch failed while nothing waited for it; the query is closed.
    void fillFailed(const QString& message);
    // WaitForFetch() is about to block until the rest of the rows are in, and is done.
    void fetchWaitStarted();
    void fetchWaitFinished();

private:
    enum class EditState { Browse, Edit, Insert };
    EngineConnection& database() const;
    QString statementText() const;

    int checkedFieldIndex(const QString& field) const;
    int originIndex(const QString& table, const QString& origin) const;
    std::uint32_t storageRow(int row) const {
        return m_order.empty() ? static_cast<std::uint32_t>(row) : m_order[row];
    }
    std::uint32_t checkedStorageRow(int row) const;
    QString storedText(std::uint32_t storageRow, int column) const;
    double storedFloat(std::uint32_t storageRow, int column) const;
    qint64 storedInteger(std::uint32_t storageRow, int column) const;
    QVariant storedValue(std::uint32_t storageRow, int column) const;
    const std::vector<std::uint32_t>& textRanks(int column);
    RowSet takePrefetched(const QString& statement);
    void takeFill(bool wait);
    void dropFill();

    void sortOrder(int column, bool descending);

    QString updatableTable() const;
    QString keyColumn(const QString& table) const;
    void bindValues(PreparedStatement& statement, const std::vector<int>& columns) const;
    // Names one row of a table: its key column as SQL (a quoted name, or rowid) and the value.
    struct RowKey {
        QString column;
        QVariant value;
    };
    RowKey insertRow(const QString& table, const std::vector<int>& columns);
    RowKey updateRow(const QString& table, const std::vector<int>& columns);
    static std::vector<int> withoutColumn(const std::vector<int>& columns, int column);
    QString unchangedRowCondition(const QString& key, const std::vector<int>& columns) const;
    void bindUnchangedRow(PreparedStatement& statement, int position, const QVariant& key,
                          const std::vector<int>& columns) const;
    [[noreturn]] void raiseConflict(const QString& table, const QString& key,
                                    const QVariant& keyValue,
                                    const std::vector<int>& columns) const;
    void reloadRow(const QString& table, const RowKey& key);

    Connection* m_connection = nullptr;
    QStringList m_sql;
    bool m_active = false;

    RowSet m_rows;
    std::vector<std::uint32_t> m_order; // position → stored row; empty: the statement's order
    std::vector<std::vector<std::uint32_t>> m_ranks; // per text column, once it was sorted
    int m_current = -1;                              // position, -1 without rows
    bool m_eof = true;
    QString m_sort;

    struct Prefetched {
        QString statement;
        long long changesBefore = 0;
        std::future<RowSet> rows;
    };
    Prefetched m_prefetch;
    std::shared_ptr<BackgroundFetch> m_fill; // a fetch running in the background
    QTimer m_fillTimer;                      // looks for its rows while it runs

    EditState m_editState = EditState::Browse;
    std::vector<QVariant> m_editValues;
    std::vector<bool> m_editChanged;
};
