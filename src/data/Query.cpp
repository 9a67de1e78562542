#include "Query.h"

#include "Connection.h"
#include "DataError.h"
#include "SqlDialect.h"
#include "SqlScript.h"
#include "SqlValues.h"
#include "TextRanks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sqlcipher/sqlite3.h>

namespace {

// Owns a prepared statement for the length of one call.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql) : m_db(db) {
        const QByteArray text = sql.toUtf8();
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db, text.constData(), text.size(), &m_stmt, &tail) != SQLITE_OK)
            throw DataError(QString::fromUtf8(sqlite3_errmsg(db)));
        if (!m_stmt)
            throw DataError(QStringLiteral("空的 SQL 语句。"));
        // The engine would quietly ignore everything behind the first statement.
        if (!IsBlankSql(QString::fromUtf8(tail, text.constData() + text.size() - tail))) {
            sqlite3_finalize(m_stmt);
            throw DataError(QStringLiteral("一次只能执行一条 SQL 语句。"));
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    // Returns true while a row is available.
    bool step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw DataError(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// Significant digits of a floating-point value read as text: enough for every quantity and
// amount, few enough that 0.1+0.2 reads as 0.3.
constexpr int FloatTextDigits = 15;

QString columnText(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

Query::Query(Connection* connection, QObject* parent) : QObject(parent), m_connection(connection) {}

Query::~Query() = default;

sqlite3* Query::database() const {
    if (!m_connection)
        throw DataError(QStringLiteral("查询没有连接到数据库。"));
    return m_connection->handle();
}

QString Query::statementText() const {
    return TranslateSql(m_sql.join('\n'));
}

void Query::Open() {
    Close();
    Statement statement(database(), statementText());
    readColumns(statement.get());
    while (statement.step())
        appendFetchedRow(statement.get());
    m_order.resize(m_rowCount);
    for (std::uint32_t i = 0; i < m_rowCount; ++i)
        m_order[i] = i;
    m_active = true;
    m_current = m_rowCount > 0 ? 0 : -1;
    m_eof = m_rowCount == 0;
    m_sort.clear();
    emit changed();
    emit currentChanged(RecNo());
}

void Query::Close() {
    const bool wasActive = m_active || !m_columns.empty();
    m_active = false;
    m_columns.clear();
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_types.clear();
    m_types.shrink_to_fit();
    m_arena.clear();
    m_arena.shrink_to_fit();
    m_order.clear();
    m_order.shrink_to_fit();
    m_rowCount = 0;
    m_current = -1;
    m_eof = true;
    m_sort.clear();
    m_editState = EditState::Browse;
    if (wasActive)
        emit changed();
}

int Query::ExecSQL() {
    Close();
    sqlite3* db = database();
    Statement statement(db, statementText());
    const auto totalBefore = sqlite3_total_changes(db);
    while (statement.step()) {
    }
    // The engine's count belongs to the last statement that changed rows, which need not be
    // this one.
    return sqlite3_total_changes(db) == totalBefore ? 0 : sqlite3_changes(db);
}

bool Query::ReturnsRows() const {
    Statement statement(database(), statementText());
    return sqlite3_column_count(statement.get()) > 0;
}

void Query::readColumns(sqlite3_stmt* statement) {
    const int count = sqlite3_column_count(statement);
    m_columns.resize(count);
    for (int c = 0; c < count; ++c) {
        m_columns[c].name = columnText(sqlite3_column_name(statement, c));
        m_columns[c].table = columnText(sqlite3_column_table_name(statement, c));
        m_columns[c].origin = columnText(sqlite3_column_origin_name(statement, c));
    }
}

std::uint32_t Query::storeText(const char* text, int length) {
    const std::size_t offset = m_arena.size();
    const std::uint32_t len = static_cast<std::uint32_t>(length);
    m_arena.append(reinterpret_cast<const char*>(&len), sizeof len);
    m_arena.append(text, length);
    return static_cast<std::uint32_t>(offset);
}

void Query::appendFetchedRow(sqlite3_stmt* statement) {
    const int columns = FieldCount();
    for (int c = 0; c < columns; ++c) {
        std::uint64_t slot = 0;
        CellType type = CellType::Null;
        switch (sqlite3_column_type(statement, c)) {
        case SQLITE_INTEGER: {
            const qint64 v = sqlite3_column_int64(statement, c);
            std::memcpy(&slot, &v, sizeof v);
            type = CellType::Integer;
            break;
        }
        case SQLITE_FLOAT: {
            const double v = sqlite3_column_double(statement, c);
            std::memcpy(&slot, &v, sizeof v);
            type = CellType::Real;
            break;
        }
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
            slot = storeText(text, sqlite3_column_bytes(statement, c));
            type = CellType::Text;
            break;
        }
        default:
            break;
        }
        m_slots.push_back(slot);
        m_types.push_back(type);
    }
    ++m_rowCount;
}

// ---- rows and navigation -------------------------------------------------------------------

int Query::RecordCount() const {
    return m_active ? static_cast<int>(m_rowCount) : 0;
}

int Query::RecNo() const {
    return m_current >= 0 ? m_current + 1 : -1;
}

void Query::SetRecNo(int recNo) {
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
    return m_columns.at(column).name;
}

int Query::FieldIndex(const QString& name) const {
    for (int c = 0; c < FieldCount(); ++c)
        if (m_columns[c].name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

int Query::checkedFieldIndex(const QString& field) const {
    const int index = FieldIndex(field);
    if (index < 0)
        throw DataError(QStringLiteral("数据集中没有字段 %1。").arg(field));
    return index;
}

std::size_t Query::cellIndex(std::uint32_t storageRow, int column) const {
    return static_cast<std::size_t>(storageRow) * m_columns.size() + column;
}

Query::CellType Query::storedType(std::uint32_t storageRow, int column) const {
    return m_types[cellIndex(storageRow, column)];
}

QString Query::storedText(std::uint32_t storageRow, int column) const {
    const std::size_t cell = cellIndex(storageRow, column);
    const std::uint64_t slot = m_slots[cell];
    switch (m_types[cell]) {
    case CellType::Integer: {
        qint64 v;
        std::memcpy(&v, &slot, sizeof v);
        return QString::number(v);
    }
    case CellType::Real: {
        double v;
        std::memcpy(&v, &slot, sizeof v);
        return QString::number(v, 'g', FloatTextDigits);
    }
    case CellType::Text: {
        std::uint32_t len;
        std::memcpy(&len, m_arena.data() + slot, sizeof len);
        return QString::fromUtf8(m_arena.data() + slot + sizeof len, len);
    }
    case CellType::Null:
        break;
    }
    return {};
}

double Query::storedFloat(std::uint32_t storageRow, int column) const {
    const std::size_t cell = cellIndex(storageRow, column);
    const std::uint64_t slot = m_slots[cell];
    switch (m_types[cell]) {
    case CellType::Integer: {
        qint64 v;
        std::memcpy(&v, &slot, sizeof v);
        return static_cast<double>(v);
    }
    case CellType::Real: {
        double v;
        std::memcpy(&v, &slot, sizeof v);
        return v;
    }
    case CellType::Text:
        return storedText(storageRow, column).toDouble();
    case CellType::Null:
        break;
    }
    return 0.0;
}

qint64 Query::storedInteger(std::uint32_t storageRow, int column) const {
    const std::size_t cell = cellIndex(storageRow, column);
    if (m_types[cell] == CellType::Integer) {
        qint64 v;
        std::memcpy(&v, &m_slots[cell], sizeof v);
        return v;
    }
    return static_cast<qint64>(std::llround(storedFloat(storageRow, column)));
}

QVariant Query::storedValue(std::uint32_t storageRow, int column) const {
    switch (storedType(storageRow, column)) {
    case CellType::Integer:
        return storedInteger(storageRow, column);
    case CellType::Real:
        return storedFloat(storageRow, column);
    case CellType::Text:
        return storedText(storageRow, column);
    case CellType::Null:
        break;
    }
    return {};
}

QString Query::AsString(const QString& field) const {
    const int column = checkedFieldIndex(field);
    return m_current < 0 ? QString() : storedText(m_order[m_current], column);
}

qint64 Query::AsInteger(const QString& field) const {
    const int column = checkedFieldIndex(field);
    return m_current < 0 ? 0 : storedInteger(m_order[m_current], column);
}

double Query::AsFloat(const QString& field) const {
    const int column = checkedFieldIndex(field);
    return m_current < 0 ? 0.0 : storedFloat(m_order[m_current], column);
}

QDateTime Query::AsDateTime(const QString& field) const {
    return ParseStoredDateTime(AsString(field));
}

bool Query::IsNullField(const QString& field) const {
    const int column = checkedFieldIndex(field);
    return m_current < 0 || storedType(m_order[m_current], column) == CellType::Null;
}

Query::CellType Query::CellTypeAt(int row, int column) const {
    return storedType(m_order.at(row), column);
}

QString Query::TextAt(int row, int column) const {
    return storedText(m_order.at(row), column);
}

double Query::FloatAt(int row, int column) const {
    return storedFloat(m_order.at(row), column);
}

qint64 Query::IntegerAt(int row, int column) const {
    return storedInteger(m_order.at(row), column);
}

QVariant Query::ValueAt(int row, int column) const {
    return storedValue(m_order.at(row), column);
}

// ---- in-memory ordering --------------------------------------------------------------------

void Query::SetSort(const QString& sort) {
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
    const std::uint32_t currentRow = m_current >= 0 ? m_order[m_current] : 0;

    if (column < 0) {
        for (std::uint32_t i = 0; i < m_rowCount; ++i)
            m_order[i] = i;
    } else {
        sortOrder(column, descending);
    }
    m_sort = sort.trimmed();
    if (m_current >= 0)
        m_current = static_cast<int>(std::find(m_order.begin(), m_order.end(), currentRow) -
                                     m_order.begin());
    emit changed();
    emit currentChanged(RecNo());
}

void Query::sortOrder(int column, bool descending) {
    // Each row gets a sort key once: nulls first, then numbers by value, then texts by their
    // rank in the user's collation. Rows with equal keys keep the statement's order.
    std::vector<std::uint32_t> textRows;
    for (std::uint32_t r = 0; r < m_rowCount; ++r)
        if (storedType(r, column) == CellType::Text)
            textRows.push_back(r);
    std::vector<std::uint32_t> ranks = RankTexts(
        textRows.size(), [&](std::size_t i) { return storedTextView(textRows[i], column); });

    struct Key {
        int group;
        double value;
    };
    std::vector<Key> keys(m_rowCount);
    for (std::uint32_t r = 0; r < m_rowCount; ++r) {
        const CellType type = storedType(r, column);
        keys[r] = {type == CellType::Null   ? 0
                   : type == CellType::Text ? 2
                                            : 1,
                   type == CellType::Text ? 0.0 : storedFloat(r, column)};
    }
    for (std::size_t i = 0; i < textRows.size(); ++i)
        keys[textRows[i]].value = ranks[i];

    for (std::uint32_t i = 0; i < m_rowCount; ++i)
        m_order[i] = i;
    auto less = [&](std::uint32_t a, std::uint32_t b) {
        const Key& x = keys[a];
        const Key& y = keys[b];
        return x.group != y.group ? x.group < y.group : x.value < y.value;
    };
    if (descending)
        std::stable_sort(m_order.begin(), m_order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return less(b, a); });
    else
        std::stable_sort(m_order.begin(), m_order.end(), less);
}

std::string_view Query::storedTextView(std::uint32_t storageRow, int column) const {
    const std::uint64_t slot = m_slots[cellIndex(storageRow, column)];
    std::uint32_t len;
    std::memcpy(&len, m_arena.data() + slot, sizeof len);
    return {m_arena.data() + slot + sizeof len, len};
}

// ---- editing -------------------------------------------------------------------------------

void Query::Append() {
    if (!m_active)
        throw DataError(QStringLiteral("数据集没有打开，不能添加记录。"));
    m_editState = EditState::Insert;
    m_editValues.assign(m_columns.size(), QVariant());
    m_editChanged.assign(m_columns.size(), false);
}

void Query::Edit() {
    if (m_editState != EditState::Browse)
        return; // already editing or appending: the pending values stay
    if (m_current < 0) {
        Append();
        return;
    }
    m_editState = EditState::Edit;
    m_editValues.resize(m_columns.size());
    for (int c = 0; c < FieldCount(); ++c)
        m_editValues[c] = storedValue(m_order[m_current], c);
    m_editChanged.assign(m_columns.size(), false);
}

void Query::SetField(const QString& field, const QVariant& value) {
    if (m_editState == EditState::Browse)
        throw DataError(QStringLiteral("数据集不在编辑状态。"));
    const int column = checkedFieldIndex(field);
    if (m_columns[column].table.isEmpty())
        throw DataError(QStringLiteral("字段 %1 是计算字段，不能修改。").arg(field));
    m_editValues[column] = value;
    m_editChanged[column] = true;
}

void Query::Cancel() {
    m_editState = EditState::Browse;
}

QString Query::updatableTable() const {
    QString table;
    for (const ColumnInfo& column : m_columns) {
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
    Statement info(database(), QStringLiteral("PRAGMA table_info(%1)").arg(QuotedName(table)));
    QString key;
    int keyColumns = 0;
    while (info.step())
        if (sqlite3_column_int(info.get(), 5) > 0) {
            ++keyColumns;
            key = columnText(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)));
        }
    if (keyColumns != 1)
        throw DataError(QStringLiteral("表 %1 没有单列主键，不能修改。").arg(table));
    return key;
}

void Query::Post() {
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
    sqlite3* db = database();
    QStringList names, marks;
    for (int c : columns) {
        names << QuotedName(m_columns[c].origin);
        marks << "?";
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuotedName(table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(QuotedName(table), names.join(','), marks.join(','));
    Statement insert(db, sql);
    bindValues(insert.get(), columns);
    insert.step();
    if (sqlite3_changes(db) != 1)
        throw DataError(QStringLiteral("记录没有写入数据库，请重试。"));
    return {QStringLiteral("rowid"), QVariant(qint64(sqlite3_last_insert_rowid(db)))};
}

// Writes the changed columns of the current row, found by the table's key as it was read.
Query::RowKey Query::updateRow(const QString& table, const std::vector<int>& columns) {
    const QString key = keyColumn(table);
    const int keyIndex = originIndex(table, key);
    if (keyIndex < 0)
        throw DataError(QStringLiteral("查询结果中没有主键 %1，不能修改。").arg(key));
    const QVariant readKey = storedValue(m_order[m_current], keyIndex);
    const QVariant newKey = m_editChanged[keyIndex] ? m_editValues[keyIndex] : readKey;
    if (columns.empty())
        return {QuotedName(key), readKey};

    sqlite3* db = database();
    QStringList sets;
    for (int c : columns)
        sets << QuotedName(m_columns[c].origin) + "=?";
    Statement update(db, QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                             .arg(QuotedName(table), sets.join(','), QuotedName(key)));
    bindValues(update.get(), columns);
    BindValue(update.get(), static_cast<int>(columns.size()) + 1, readKey);
    update.step();
    if (sqlite3_changes(db) != 1)
        throw DataError(QStringLiteral("该记录已被删除或修改，请刷新后重试。"));
    return {QuotedName(key), newKey};
}

int Query::originIndex(const QString& table, const QString& origin) const {
    for (int c = 0; c < FieldCount(); ++c)
        if (m_columns[c].table.compare(table, Qt::CaseInsensitive) == 0 &&
            m_columns[c].origin.compare(origin, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

void Query::bindValues(sqlite3_stmt* statement, const std::vector<int>& columns) const {
    int position = 1;
    for (int c : columns)
        BindValue(statement, position++, m_editValues[c]);
}

// Reads the posted row back, so that the key and any value the database set are visible.
void Query::reloadRow(const QString& table, const RowKey& key) {
    QStringList names;
    for (const ColumnInfo& column : m_columns)
        names << (column.table.isEmpty() ? QStringLiteral("NULL") : QuotedName(column.origin));
    Statement select(database(), QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                                     .arg(names.join(','), QuotedName(table), key.column));
    BindValue(select.get(), 1, key.value);
    if (!select.step())
        throw DataError(QStringLiteral("写入的记录已被其它程序删除，请刷新后重试。"));
    if (m_editState == EditState::Insert || m_current < 0) {
        appendFetchedRow(select.get());
        m_order.push_back(m_rowCount - 1);
        m_current = static_cast<int>(m_order.size()) - 1;
    } else {
        // Overwrite the current row's cells in place; earlier texts stay unused in the arena.
        const std::uint32_t row = m_order[m_current];
        const std::size_t savedCount = m_slots.size();
        appendFetchedRow(select.get());
        --m_rowCount;
        std::copy(m_slots.begin() + savedCount, m_slots.end(), m_slots.begin() + cellIndex(row, 0));
        std::copy(m_types.begin() + savedCount, m_types.end(), m_types.begin() + cellIndex(row, 0));
        m_slots.resize(savedCount);
        m_types.resize(savedCount);
    }
    m_eof = false;
}
