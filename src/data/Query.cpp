#include "data/Query.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/EngineConnection.h"
#include "data/FetchLane.h"
#include "data/PreparedStatement.h"
#include "data/RowOrder.h"
#include "data/SqlDialect.h"
#include "data/SqlValues.h"
#include "data/StoredDate.h"
#include "data/StoredText.h"
#include "data/TextRanks.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Significant digits of a floating-point value read as text: enough for every quantity and
// amount, few enough that 0.1+0.2 reads as 0.3.
constexpr int FloatTextDigits = 15;

QString utf8Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString dateText(qint64 seconds) {
    char text[19];
    StoredDate::writeCanonical(seconds, text);
    return QString::fromLatin1(text, sizeof text);
}

// Keys that order like the values: the sign bit flipped for whole numbers, and for floating-point
// numbers the IEEE bits turned around where the sign is set (-0 counts as 0).
std::uint64_t integerKey(qint64 v) {
    return static_cast<std::uint64_t>(v) ^ (std::uint64_t(1) << 63);
}

std::uint64_t realKey(double v) {
    if (v == 0)
        v = 0; // -0 and 0 are equal
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return (bits >> 63) ? ~bits : bits | (std::uint64_t(1) << 63);
}

// Whether two values read are the same as the engine's IS compares them: numbers by value.
bool sameCell(const CellValue& a, const CellValue& b) {
    const auto number = [](const CellValue& v) {
        return v.kind == CellValue::Kind::Integer || v.kind == CellValue::Kind::Real;
    };
    if (a.kind == CellValue::Kind::Integer && b.kind == CellValue::Kind::Integer)
        return a.integer == b.integer;
    if (number(a) && number(b))
        return CellAsFloat(a) == CellAsFloat(b);
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case CellValue::Kind::Text:
        return a.text == b.text;
    case CellValue::Kind::Date:
        return a.integer == b.integer;
    default:
        return true;
    }
}

} // namespace

Query::Query(Connection* connection, QObject* parent) : QObject(parent), m_connection(connection) {
    m_fillTimer.setInterval(10);
    connect(&m_fillTimer, &QTimer::timeout, this, [this] { takeFill(false); });
}

Query::~Query() {
    dropFill();
}

EngineConnection& Query::database() const {
    if (!m_connection)
        throw DataError(QStringLiteral("查询没有连接到数据库。"));
    return m_connection->engine();
}

QString Query::statementText() const {
    return TranslateSql(m_sql.join('\n'), database().sqlTarget());
}

void Query::Open() {
    Close();
    const QString statement = statementText();
    RowSet rows = takePrefetched(statement);
    m_rows = rows.columnCount() > 0 ? std::move(rows) : RowSet::fetch(database(), statement);
    m_ranks.assign(m_rows.columnCount(), {});
    m_active = true;
    m_current = m_rows.rowCount() > 0 ? 0 : -1;
    m_eof = m_rows.rowCount() == 0;
    m_sort.clear();
    emit changed();
    emit currentChanged(RecNo());
}

void Query::Prefetch() {
    const QString statement = statementText();
    takePrefetched(QString()); // a fetch still running for another statement is dropped
    const EngineConnection& db = database();
    const Connection& connection = *m_connection;
    m_prefetch.statement = statement;
    m_prefetch.changesBefore = db.totalChanges();
    m_prefetch.rows = std::async(std::launch::async, [path = connection.Address(),
                                                      password = connection.password(), statement] {
        Connection own;
        own.Open(path, password);
        own.UseSinglePassCache(); // closed after this one statement
        return RowSet::fetch(own.engine(), statement);
    });
}

// The prefetched rows when they are of this statement and nothing was written since; else none
// (and a prefetch that cannot be used is waited for and dropped).
RowSet Query::takePrefetched(const QString& statement) {
    if (!m_prefetch.rows.valid())
        return {};
    std::future<RowSet> rows = std::move(m_prefetch.rows);
    const bool usable = m_prefetch.statement == statement && m_connection &&
                        m_connection->Connected() &&
                        m_connection->engine().totalChanges() == m_prefetch.changesBefore;
    if (!usable) {
        try {
            rows.get();
        } catch (...) {
        }
        return {};
    }
    return rows.get(); // an error of the fetch comes out here, as from the statement itself
}

void Query::OpenInBackground(FetchLane& lane, std::uint32_t firstRows) {
    Close();
    m_fill = lane.enqueue(statementText(), std::max<std::uint32_t>(firstRows, 1));
    m_active = true;
    m_fillTimer.start();
}

void Query::WaitForFetch() {
    if (m_fill)
        takeFill(true);
}

// Takes what the background fetch has ready: its first rows once, then all of them. Waiting, it
// blocks until the fetch is complete. A handler of a signal sent here may read the whole list
// (and so complete the fill itself) or close the query: each step looks again afterwards.
void Query::takeFill(bool wait) {
    const std::shared_ptr<BackgroundFetch> fill = m_fill;
    if (!fill)
        return;
    if (wait) {
        std::unique_lock lock(fill->mutex);
        if (!fill->done) {
            lock.unlock();
            emit fetchWaitStarted();
            if (m_fill != fill) { // its handler dropped the fill or started another
                emit fetchWaitFinished();
                return;
            }
            lock.lock();
            fill->ready.wait(lock, [&] { return fill->done; });
            lock.unlock();
            emit fetchWaitFinished();
            if (m_fill != fill)
                return;
        }
    }
    if (m_rows.columnCount() == 0) {
        RowSet head;
        {
            std::lock_guard lock(fill->mutex);
            if (fill->headReady && !fill->error)
                head = std::move(fill->head);
        }
        if (head.columnCount() > 0) {
            m_rows = std::move(head);
            m_ranks.assign(m_rows.columnCount(), {});
            m_current = m_rows.rowCount() > 0 ? 0 : -1;
            m_eof = m_rows.rowCount() == 0;
            emit changed();
            emit currentChanged(RecNo());
            if (m_fill != fill)
                return;
        }
    }
    RowSet all;
    std::exception_ptr error;
    {
        std::lock_guard lock(fill->mutex);
        if (!fill->done)
            return;
        all = std::move(fill->all);
        error = fill->error;
    }
    m_fill.reset();
    m_fillTimer.stop();
    if (error) {
        Close();
        emit fillFinished();
        if (wait)
            std::rethrow_exception(error);
        QString message;
        try {
            std::rethrow_exception(error);
        } catch (const UserError& e) {
            message = e.message();
        } catch (const std::exception& e) {
            message = QString::fromLocal8Bit(e.what());
        }
        emit fillFailed(message);
        return;
    }
    // The first rows are the beginning of all rows: those shown stay, the rest are added.
    const int before = static_cast<int>(m_rows.rowCount());
    emit fillAboutToFinish(before, static_cast<int>(all.rowCount()));
    m_rows = std::move(all);
    m_ranks.assign(m_rows.columnCount(), {});
    const bool hadRow = m_current >= 0;
    if (!hadRow && m_rows.rowCount() > 0) {
        m_current = 0;
        m_eof = false;
    }
    emit fillFinished();
    if (!hadRow && m_current >= 0)
        emit currentChanged(RecNo());
}

void Query::dropFill() {
    if (m_fill)
        m_fill->cancelled = true;
    m_fill.reset();
    m_fillTimer.stop();
}

void Query::Close() {
    dropFill();
    const bool wasActive = m_active || m_rows.columnCount() > 0;
    m_active = false;
    m_rows = RowSet();
    m_order.clear();
    m_order.shrink_to_fit();
    m_ranks.clear();
    m_current = -1;
    m_eof = true;
    m_sort.clear();
    m_editState = EditState::Browse;
    if (wasActive)
        emit changed();
}

std::size_t Query::MemoryBytes() const {
    if (m_fill)
        const_cast<Query*>(this)->WaitForFetch();
    std::size_t total = m_rows.bytes() + m_order.capacity() * sizeof(std::uint32_t);
    for (const auto& ranks : m_ranks)
        total += ranks.capacity() * sizeof(std::uint32_t);
    return total;
}

int Query::ExecSQL() {
    Close();
    EngineConnection& db = database();
    PreparedStatement statement(db, statementText());
    const qint64 totalBefore = db.totalChanges();
    while (statement.step()) {
    }
    // The engine's count belongs to the last statement that changed rows, which need not be
    // this one.
    return db.totalChanges() == totalBefore ? 0 : static_cast<int>(db.changes());
}

bool Query::ReturnsRows() const {
    PreparedStatement statement(database(), statementText());
    return statement.columnCount() > 0;
}

// ---- rows and navigation -------------------------------------------------------------------

int Query::RecordCount() const {
    if (m_fill) // a whole-list reader: it gets the whole list
        const_cast<Query*>(this)->WaitForFetch();
    return m_active ? static_cast<int>(m_rows.rowCount()) : 0;
}

int Query::RecNo() const {
    return m_current >= 0 ? m_current + 1 : -1;
}

void Query::SetRecNo(int recNo) {
    // A row already shown is reached without waiting for the rest.
    if (recNo > RowsReady())
        WaitForFetch();
    if (recNo < 1 || recNo > RecordCount() || recNo == RecNo())
        return;
    m_current = recNo - 1;
    m_eof = false;
    emit currentChanged(RecNo());
}

void Query::First() {
    if (RecordCount() == 0)
        return;
    m_eof = false;
    if (m_current != 0) {
        m_current = 0;
        emit currentChanged(RecNo());
    }
}

void Query::Next() {
    if (m_current < 0 || m_eof)
        return;
    if (m_current + 1 < RecordCount()) {
        ++m_current;
        emit currentChanged(RecNo());
    } else {
        m_eof = true;
    }
}

bool Query::Eof() const {
    return m_eof;
}

// ---- columns and reads ---------------------------------------------------------------------

QString Query::FieldName(int column) const {
    return m_rows.columns().at(column).name;
}

int Query::FieldIndex(const QString& name) const {
    if (m_fill && m_rows.columnCount() == 0) // the columns come with the first rows
        const_cast<Query*>(this)->WaitForFetch();
    return FindColumn(m_rows.columns(), name);
}

int Query::checkedFieldIndex(const QString& field) const {
    const int index = FieldIndex(field);
    if (index < 0)
        throw DataError(QStringLiteral("数据集中没有字段 %1。").arg(field));
    return index;
}

std::uint32_t Query::checkedStorageRow(int row) const {
    if (m_fill && row >= static_cast<int>(m_rows.rowCount()))
        const_cast<Query*>(this)->WaitForFetch();
    if (row < 0 || row >= static_cast<int>(m_rows.rowCount()))
        throw std::out_of_range("row out of range");
    return storageRow(row);
}

QString Query::storedText(std::uint32_t storageRow, int column) const {
    const CellValue value = m_rows.cell(storageRow, column);
    switch (value.kind) {
    case CellValue::Kind::Integer:
        return QString::number(value.integer);
    case CellValue::Kind::Real:
        return QString::number(value.real, 'g', FloatTextDigits);
    case CellValue::Kind::Text:
        return utf8Text(value.text);
    case CellValue::Kind::Date:
        return dateText(value.integer);
    case CellValue::Kind::Null:
        break;
    }
    return {};
}

double Query::storedFloat(std::uint32_t storageRow, int column) const {
    return CellAsFloat(m_rows.cell(storageRow, column));
}

qint64 Query::storedInteger(std::uint32_t storageRow, int column) const {
    const CellValue value = m_rows.cell(storageRow, column);
    if (value.kind == CellValue::Kind::Integer)
        return value.integer;
    return static_cast<qint64>(std::llround(CellAsFloat(value)));
}

QVariant Query::storedValue(std::uint32_t storageRow, int column) const {
    const CellValue value = m_rows.cell(storageRow, column);
    switch (value.kind) {
    case CellValue::Kind::Integer:
        return value.integer;
    case CellValue::Kind::Real:
        return value.real;
    case CellValue::Kind::Text:
        return utf8Text(value.text);
    case CellValue::Kind::Date:
        return dateText(value.integer);
    case CellValue::Kind::Null:
        break;
    }
    return {};
}

QString Query::AsString(const QString& field) const {
    const int column = checkedFieldIndex(field);
    return m_current < 0 ? QString() : storedText(storageRow(m_current), column);
}

qint64 Query::AsInteger(const QString& field) const {
    const int column = checkedFieldIndex(field);
    return m_current < 0 ? 0 : storedInteger(storageRow(m_current), column);
}

double Query::AsFloat(const QString& field) const {
    const int column = checkedFieldIndex(field);
    return m_current < 0 ? 0.0 : storedFloat(storageRow(m_current), column);
}

QDateTime Query::AsDateTime(const QString& field) const {
    const int column = checkedFieldIndex(field);
    if (m_current < 0)
        return {};
    const CellValue value = m_rows.cell(storageRow(m_current), column);
    if (value.kind != CellValue::Kind::Date)
        return ParseStoredDateTime(storedText(storageRow(m_current), column));
    return StoredDate::toDateTime(value.integer);
}

bool Query::IsNullField(const QString& field) const {
    const int column = checkedFieldIndex(field);
    return m_current < 0 || m_rows.store(column).isNull(storageRow(m_current));
}

QString Query::TextAt(int row, int column) const {
    return storedText(checkedStorageRow(row), column);
}

double Query::FloatAt(int row, int column) const {
    return storedFloat(checkedStorageRow(row), column);
}

qint64 Query::IntegerAt(int row, int column) const {
    return storedInteger(checkedStorageRow(row), column);
}

QVariant Query::ValueAt(int row, int column) const {
    return storedValue(checkedStorageRow(row), column);
}

// ---- in-memory ordering --------------------------------------------------------------------

void Query::SetSort(const QString& sort) {
    WaitForFetch();
    QString field = sort.trimmed();
    bool descending = false;
    if (field.endsWith(" DESC", Qt::CaseInsensitive)) {
        descending = true;
        field.chop(5);
        field = field.trimmed();
    } else if (field.endsWith(" ASC", Qt::CaseInsensitive)) {
        field.chop(4);
        field = field.trimmed();
    }
    const int column = field.isEmpty() ? -1 : checkedFieldIndex(field);
    const std::uint32_t currentRow = m_current >= 0 ? storageRow(m_current) : 0;

    if (column < 0) {
        m_order.clear();
        m_order.shrink_to_fit();
    } else {
        sortOrder(column, descending);
    }
    m_sort = sort.trimmed();
    if (m_current >= 0)
        m_current = m_order.empty()
                        ? static_cast<int>(currentRow)
                        : static_cast<int>(std::find(m_order.begin(), m_order.end(), currentRow) -
                                           m_order.begin());
    emit changed();
    emit currentChanged(RecNo());
}

const std::vector<std::uint32_t>& Query::textRanks(int column) {
    std::vector<std::uint32_t>& ranks = m_ranks[column];
    if (ranks.size() != m_rows.store(column).texts().size())
        ranks = RankTexts(m_rows.store(column).texts());
    return ranks;
}

// Nulls first, then numbers by value, then texts in the user's collation; descending turns that
// round. Rows with equal values keep the statement's order either way. Each part is sorted by
// 64-bit keys: numbers by their value, texts by the rank of their distinct text, so that a text
// column sorts as fast as a number column once its distinct texts are ranked.
void Query::sortOrder(int column, bool descending) {
    const ColumnStore& store = m_rows.store(column);
    const std::uint32_t count = m_rows.rowCount();
    const bool hasTexts =
        store.kind() == ColumnStore::Kind::Text || store.kind() == ColumnStore::Kind::Mixed;
    const std::vector<std::uint32_t> noRanks;
    const std::vector<std::uint32_t>& ranks = hasTexts ? textRanks(column) : noRanks;

    enum Group { Nulls, Numbers, Texts };
    std::vector<std::uint32_t> rows[3];
    std::vector<std::uint64_t> keys[3];
    auto add = [&](Group group, std::uint32_t row, std::uint64_t key) {
        if (rows[group].empty())
            rows[group].reserve(group == Nulls ? 16 : count);
        rows[group].push_back(row);
        keys[group].push_back(descending ? ~key : key);
    };
    for (std::uint32_t row = 0; row < count; ++row) {
        if (store.isNull(row)) {
            add(Nulls, row, 0);
            continue;
        }
        switch (store.kind()) {
        case ColumnStore::Kind::Integer:
            add(Numbers, row, integerKey(store.integerAt(row)));
            continue;
        case ColumnStore::Kind::Date: // the stored form orders like the time
            add(Texts, row, integerKey(store.integerAt(row)));
            continue;
        case ColumnStore::Kind::Text:
            add(Texts, row, ranks[store.textCode(row)]);
            continue;
        default:
            break;
        }
        const CellValue value = store.at(row);
        switch (value.kind) {
        case CellValue::Kind::Integer:
            // A column of numbers of both kinds compares them all as floating-point numbers.
            add(Numbers, row, realKey(static_cast<double>(value.integer)));
            break;
        case CellValue::Kind::Real:
            add(Numbers, row, realKey(value.real));
            break;
        case CellValue::Kind::Text:
            add(Texts, row, ranks[store.textCode(row)]);
            break;
        default:
            add(Nulls, row, 0);
            break;
        }
    }
    m_order.clear();
    m_order.reserve(count);
    const Group sequence[3] = {descending ? Texts : Nulls, Numbers, descending ? Nulls : Texts};
    for (Group group : sequence) {
        if (group != Nulls)
            SortByKeys(keys[group], rows[group]);
        m_order.insert(m_order.end(), rows[group].begin(), rows[group].end());
        std::vector<std::uint32_t>().swap(rows[group]);
        std::vector<std::uint64_t>().swap(keys[group]);
    }
}

// ---- editing -------------------------------------------------------------------------------

void Query::Append() {
    WaitForFetch();
    if (!m_active)
        throw DataError(QStringLiteral("数据集没有打开，不能添加记录。"));
    m_editState = EditState::Insert;
    m_editValues.assign(m_rows.columns().size(), QVariant());
    m_editChanged.assign(m_rows.columns().size(), false);
}

void Query::Edit() {
    WaitForFetch();
    if (m_editState != EditState::Browse)
        return; // already editing or appending: the pending values stay
    if (m_current < 0) {
        Append();
        return;
    }
    m_editState = EditState::Edit;
    m_editValues.resize(m_rows.columns().size());
    for (int c = 0; c < FieldCount(); ++c)
        m_editValues[c] = storedValue(storageRow(m_current), c);
    m_editChanged.assign(m_rows.columns().size(), false);
}

void Query::SetField(const QString& field, const QVariant& value) {
    if (m_editState == EditState::Browse)
        throw DataError(QStringLiteral("数据集不在编辑状态。"));
    const int column = checkedFieldIndex(field);
    if (m_rows.columns()[column].table.isEmpty())
        throw DataError(QStringLiteral("字段 %1 是计算字段，不能修改。").arg(field));
    m_editValues[column] = value;
    m_editChanged[column] = true;
}

void Query::Cancel() {
    m_editState = EditState::Browse;
}

QString Query::updatableTable() const {
    QString table;
    for (const ResultColumn& column : m_rows.columns()) {
        if (column.table.isEmpty())
            continue;
        if (!table.isEmpty() && column.table.compare(table, Qt::CaseInsensitive) != 0)
            throw DataError(QStringLiteral("多表查询的结果不能修改。"));
        table = column.table;
    }
    if (table.isEmpty())
        throw DataError(QStringLiteral("该查询的结果不能修改。"));
    return table;
}

QString Query::keyColumn(const QString& table) const {
    const QStringList keys = database().keyColumns(table);
    if (keys.size() != 1)
        throw DataError(QStringLiteral("表 %1 没有单列主键，不能修改。").arg(table));
    return keys.front();
}

void Query::Post() {
    WaitForFetch();
    if (m_editState == EditState::Browse)
        return;
    const QString table = updatableTable();
    std::vector<int> changedColumns;
    for (int c = 0; c < FieldCount(); ++c)
        if (m_editChanged[c])
            changedColumns.push_back(c);

    // On any failure the row stays pending with its values, so nothing typed is lost.
    const RowKey posted = m_editState == EditState::Insert ? insertRow(table, changedColumns)
                                                           : updateRow(table, changedColumns);
    reloadRow(table, posted);
    m_editState = EditState::Browse;
    emit changed();
    emit currentChanged(RecNo());
}

Query::RowKey Query::insertRow(const QString& table, const std::vector<int>& columns) {
    EngineConnection& db = database();
    QStringList names, marks;
    for (int c : columns) {
        names << QuotedName(m_rows.columns()[c].origin);
        marks << "?";
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuotedName(table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(QuotedName(table), names.join(','), marks.join(','));
    PreparedStatement insert(db, sql);
    bindValues(insert, columns);
    insert.step();
    if (db.changes() != 1)
        throw DataError(QStringLiteral("记录没有写入数据库，请重试。"));
    // The file finds the row by its rowid; the server's tables have none, but their one key is
    // an identity column whose value the insert drew.
    if (db.sqlTarget() == SqlTarget::File)
        return {QStringLiteral("rowid"), QVariant(db.lastInsertKey())};
    return {QuotedName(keyColumn(table)), QVariant(db.lastInsertKey())};
}

// Writes the changed columns of the current row, found by the table's key as it was read and
// only while those columns still hold the values read (see RowConflict).
Query::RowKey Query::updateRow(const QString& table, const std::vector<int>& columns) {
    const QString key = keyColumn(table);
    const int keyIndex = originIndex(table, key);
    if (keyIndex < 0)
        throw DataError(QStringLiteral("查询结果中没有主键 %1，不能修改。").arg(key));
    const QVariant readKey = storedValue(storageRow(m_current), keyIndex);
    const QVariant newKey = m_editChanged[keyIndex] ? m_editValues[keyIndex] : readKey;
    if (columns.empty())
        return {QuotedName(key), readKey};

    EngineConnection& db = database();
    QStringList sets;
    for (int c : columns)
        sets << QuotedName(m_rows.columns()[c].origin) + "=?";
    const std::vector<int> compared = withoutColumn(columns, keyIndex);
    PreparedStatement update(
        db, QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                .arg(QuotedName(table), sets.join(','), unchangedRowCondition(key, compared)));
    bindValues(update, columns);
    bindUnchangedRow(update, static_cast<int>(columns.size()) + 1, readKey, compared);
    update.step();
    if (db.changes() != 1)
        raiseConflict(table, key, readKey, compared);
    return {QuotedName(key), newKey};
}

void Query::Delete() {
    WaitForFetch();
    if (m_editState == EditState::Insert) {
        Cancel();
        return;
    }
    if (m_current < 0)
        throw DataError(QStringLiteral("没有可以删除的记录。"));
    const QString table = updatableTable();
    const QString key = keyColumn(table);
    const int keyIndex = originIndex(table, key);
    if (keyIndex < 0)
        throw DataError(QStringLiteral("查询结果中没有主键 %1，不能删除。").arg(key));
    std::vector<int> compared;
    for (int c = 0; c < FieldCount(); ++c)
        if (c != keyIndex && m_rows.columns()[c].table.compare(table, Qt::CaseInsensitive) == 0)
            compared.push_back(c);
    const QVariant readKey = storedValue(storageRow(m_current), keyIndex);

    EngineConnection& db = database();
    PreparedStatement remove(db, QStringLiteral("DELETE FROM %1 WHERE %2")
                                     .arg(QuotedName(table), unchangedRowCondition(key, compared)));
    bindUnchangedRow(remove, 1, readKey, compared);
    remove.step();
    if (db.changes() != 1)
        raiseConflict(table, key, readKey, compared);
    m_editState = EditState::Browse;
    Open();
}

std::vector<int> Query::withoutColumn(const std::vector<int>& columns, int column) {
    std::vector<int> rest;
    for (int c : columns)
        if (c != column)
            rest.push_back(c);
    return rest;
}

// "key=? AND c1 IS ? AND …": the row by its key, holding still what was read in the columns.
// A text is compared as reading gives it (stored_text), so that a text stored in another
// encoding equals what was read of it; IS lets a NULL equal a NULL. The server stores every
// text as valid UTF-8, so there the column itself is compared, with the server's spelling of
// IS.
QString Query::unchangedRowCondition(const QString& key, const std::vector<int>& columns) const {
    QString condition = QuotedName(key) + QStringLiteral("=?");
    if (database().sqlTarget() == SqlTarget::Server) {
        for (int c : columns)
            condition += QStringLiteral(" AND %1 IS NOT DISTINCT FROM ?")
                             .arg(QuotedName(m_rows.columns()[c].origin));
        return condition;
    }
    for (int c : columns) {
        const QString name = QuotedName(m_rows.columns()[c].origin);
        const CellValue::Kind kind = m_rows.cell(storageRow(m_current), c).kind;
        const bool text = kind == CellValue::Kind::Text || kind == CellValue::Kind::Date;
        condition += text ? QStringLiteral(" AND %1(%2) IS ?")
                                .arg(QLatin1String(StoredText::SqlFunction), name)
                          : QStringLiteral(" AND %1 IS ?").arg(name);
    }
    return condition;
}

// Binds the key and, from `position` on, the values read of the columns, exactly as held.
void Query::bindUnchangedRow(PreparedStatement& statement, int position, const QVariant& key,
                             const std::vector<int>& columns) const {
    statement.bind(position++, key);
    for (int c : columns)
        statement.bind(position++, m_rows.cell(storageRow(m_current), c));
}

// Tells why a checked write changed no row: the row is gone, or it holds other values now.
void Query::raiseConflict(const QString& table, const QString& key, const QVariant& keyValue,
                          const std::vector<int>& columns) const {
    QStringList names{QStringLiteral("1")};
    for (int c : columns)
        names << QuotedName(m_rows.columns()[c].origin);
    PreparedStatement select(database(),
                             QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                                 .arg(names.join(','), QuotedName(table), QuotedName(key)));
    select.bind(1, keyValue);
    if (!select.step())
        throw RowConflict(RowConflict::Kind::Deleted, {});
    QStringList changed;
    std::string buffer;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int c = columns[i];
        if (!sameCell(select.cell(static_cast<int>(i) + 1, buffer),
                      m_rows.cell(storageRow(m_current), c)))
            changed << m_rows.columns()[c].name;
    }
    throw RowConflict(RowConflict::Kind::Modified, changed);
}

int Query::originIndex(const QString& table, const QString& origin) const {
    for (int c = 0; c < FieldCount(); ++c)
        if (m_rows.columns()[c].table.compare(table, Qt::CaseInsensitive) == 0 &&
            m_rows.columns()[c].origin.compare(origin, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

void Query::bindValues(PreparedStatement& statement, const std::vector<int>& columns) const {
    int position = 1;
    for (int c : columns)
        statement.bind(position++, m_editValues[c]);
}

// Reads the posted row back, so that the key and any value the database set are visible.
void Query::reloadRow(const QString& table, const RowKey& key) {
    QStringList names;
    for (const ResultColumn& column : m_rows.columns())
        names << (column.table.isEmpty() ? QStringLiteral("NULL") : QuotedName(column.origin));
    PreparedStatement select(database(), QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                                             .arg(names.join(','), QuotedName(table), key.column));
    select.bind(1, key.value);
    if (!select.step())
        throw DataError(QStringLiteral("写入的记录已被其它程序删除，请刷新后重试。"));
    if (m_editState == EditState::Insert || m_current < 0) {
        m_rows.appendRow(select);
        if (!m_order.empty())
            m_order.push_back(m_rows.rowCount() - 1);
        m_current = static_cast<int>(m_rows.rowCount()) - 1;
    } else {
        m_rows.setRow(storageRow(m_current), select);
    }
    m_ranks.assign(m_rows.columns().size(), {});
    m_eof = false;
}
