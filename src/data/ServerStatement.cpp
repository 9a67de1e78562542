#include "data/ServerStatement.h"

#include "data/DataError.h"
#include "data/ServerEngine.h"
#include "data/StoredDate.h"

#include <charconv>
#include <libpq-fe.h>

namespace {

// Type numbers of the server's built-in types.
constexpr Oid BoolType = 16, ByteaType = 17, Int8Type = 20, Int2Type = 21, Int4Type = 23,
              OidType = 26, Float4Type = 700, Float8Type = 701, TimestampType = 1114,
              NumericType = 1700;

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

ServerStatement::ServerStatement(ServerEngine& engine, const QString& sql)
    : m_engine(engine), m_sql(ServerSqlText::from(sql, true)) {
    if (m_sql.text.trimmed().isEmpty())
        throw DataError(QStringLiteral("空的 SQL 语句。"));
    m_values.resize(m_sql.parameters);
    m_types.assign(m_sql.parameters, 0);
    for (const auto& [number, text] : m_sql.literals)
        m_values[number - 1] = text;
}

ServerStatement::~ServerStatement() {
    m_engine.endStreaming(this);
    if (m_state == State::Running && !m_restRead) {
        // Rows nobody will read: outside a transaction the server is asked to stop sending
        // them; inside one that would end the transaction, so they are read and dropped.
        if (!m_engine.inTransaction()) {
            if (PGcancel* cancel = PQgetCancel(m_engine.handle())) {
                char error[256];
                PQcancel(cancel, error, sizeof error);
                PQfreeCancel(cancel);
            }
        }
        while (PGresult* result = PQgetResult(m_engine.handle()))
            PQclear(result);
    }
    PQclear(m_row);
    for (PGresult* result : m_rest)
        PQclear(result);
}

void ServerStatement::bind(int position, std::optional<std::string> value, unsigned type) {
    const int marks = static_cast<int>(m_sql.marks.size());
    if (position < 1 || position > marks)
        throw DataError(QStringLiteral("参数的位置 %1 超出了范围（这条语句有 %2 个参数）。")
                            .arg(position)
                            .arg(marks));
    const int number = m_sql.marks[position - 1];
    m_values[number - 1] = std::move(value);
    m_types[number - 1] = type;
}

void ServerStatement::bindNull(int position) {
    bind(position, std::nullopt, 0);
}

void ServerStatement::bindInteger(int position, qint64 value) {
    bind(position, std::to_string(value), Int8Type);
}

void ServerStatement::bindReal(int position, double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    std::string written(text, end);
    if (written == "inf")
        written = "Infinity";
    else if (written == "-inf")
        written = "-Infinity";
    else if (written == "nan" || written == "-nan")
        written = "NaN";
    bind(position, std::move(written), Float8Type);
}

void ServerStatement::bindText(int position, std::string_view utf8) {
    // The server infers the type from where the parameter stands (a date for a date column).
    bind(position, std::string(utf8), 0);
}

// A text bound where the server reads a date must be a date in a form that the file's date rule
// accepts, and is sent in the stored form: the server's own reading would also take "now",
// "today", "infinity", "20240105", "Jan 5 2024", time zones and fractions of a second.
void ServerStatement::checkDates() {
    bool texts = false;
    for (std::size_t p = 0; p < m_values.size(); ++p)
        texts = texts || (m_values[p] && m_types[p] == 0);
    if (!texts || m_sql.parameters > ServerSqlText::DescribableParameters)
        return;
    const std::vector<unsigned>& types = m_engine.parameterTypes(m_sql.text, m_sql.parameters);
    for (std::size_t p = 0; p < m_values.size() && p < types.size(); ++p) {
        if (!m_values[p] || m_types[p] != 0 || types[p] != TimestampType)
            continue;
        qint64 seconds = 0;
        if (!StoredDate::parseAnyForm(*m_values[p], seconds))
            throw DataError(StoredDate::invalidDateMessage(
                QStringLiteral("“%1”").arg(QString::fromStdString(*m_values[p]))));
        char stored[19];
        StoredDate::writeCanonical(seconds, stored);
        m_values[p] = std::string(stored, sizeof stored);
        m_types[p] = TimestampType;
    }
}

PGresult* ServerStatement::nextResult() {
    if (!m_rest.empty()) {
        PGresult* result = m_rest.front();
        m_rest.pop_front();
        return result;
    }
    return m_restRead ? nullptr : PQgetResult(m_engine.handle());
}

bool ServerStatement::step() {
    if (m_state == State::Done)
        return false;
    PGconn* conn = m_engine.handle();
    if (m_state == State::Ready) {
        m_engine.settle();
        checkDates();
        std::vector<const char*> values(m_values.size());
        for (std::size_t p = 0; p < m_values.size(); ++p)
            values[p] = m_values[p] ? m_values[p]->c_str() : nullptr;
        if (!PQsendQueryParams(conn, m_sql.text.constData(), m_sql.parameters, m_types.data(),
                               values.data(), nullptr, nullptr, 0))
            throw DataError(m_engine.noteFailure(nullptr));
        PQsetSingleRowMode(conn);
        m_state = State::Running;
        m_engine.setStreaming(this);
    }
    PQclear(m_row);
    m_row = nullptr;
    PGresult* result = nextResult();
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_COMMAND_OK;
    if (status == PGRES_SINGLE_TUPLE) {
        if (!m_columns)
            takeColumns(result);
        m_row = result;
        return true;
    }
    if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
        if (result) {
            if (!m_columns && status == PGRES_TUPLES_OK)
                takeColumns(result);
            m_engine.noteCommand(result);
            PQclear(result);
        }
        finish();
        return false;
    }
    const QString message = m_engine.noteFailure(result);
    PQclear(result);
    finish();
    throw DataError(message);
}

// Reads what the server still sends for the statement (nothing after its last result).
void ServerStatement::finish() {
    while (PGresult* rest = nextResult())
        PQclear(rest);
    m_restRead = true;
    m_state = State::Done;
    m_engine.endStreaming(this);
}

void ServerStatement::reset() {
    if (m_state == State::Running)
        finish();
    PQclear(m_row);
    m_row = nullptr;
    for (PGresult* result : m_rest)
        PQclear(result);
    m_rest.clear();
    m_restRead = false;
    m_state = State::Ready;
}

void ServerStatement::readRest() {
    if (m_state != State::Running || m_restRead)
        return;
    while (PGresult* result = PQgetResult(m_engine.handle()))
        m_rest.push_back(result);
    m_restRead = true;
}

// ---- columns -------------------------------------------------------------------------------

void ServerStatement::takeColumns(const PGresult* result) const {
    std::vector<Column> columns(PQnfields(result));
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        Column& column = columns[c];
        const QString name = QString::fromUtf8(PQfname(result, c));
        column.name = m_sql.spellings.value(name, m_engine.spelling(name));
        column.table = PQftable(result, c);
        column.tableColumn = PQftablecol(result, c);
        switch (PQftype(result, c)) {
        case Int2Type:
        case Int4Type:
        case Int8Type:
        case OidType:
            column.kind = Kind::Integer;
            break;
        case Float4Type:
        case Float8Type:
        case NumericType:
            column.kind = Kind::Real;
            break;
        case BoolType:
            column.kind = Kind::Boolean;
            break;
        case TimestampType:
            column.kind = Kind::Timestamp;
            break;
        case ByteaType:
            column.kind = Kind::Bytes;
            break;
        default:
            column.kind = Kind::Text;
        }
    }
    m_bytes.resize(columns.size());
    m_columns = std::move(columns);
}

// The columns before the first row: the server describes the statement without running it.
void ServerStatement::describe() const {
    if (m_columns)
        return;
    m_engine.settle();
    PGconn* conn = m_engine.handle();
    PGresult* prepared =
        PQprepare(conn, "", m_sql.text.constData(), m_sql.parameters, m_types.data());
    if (PQresultStatus(prepared) != PGRES_COMMAND_OK) {
        const QString message = m_engine.noteFailure(prepared);
        PQclear(prepared);
        throw DataError(message);
    }
    PQclear(prepared);
    PGresult* description = PQdescribePrepared(conn, "");
    if (PQresultStatus(description) != PGRES_COMMAND_OK) {
        const QString message = m_engine.noteFailure(description);
        PQclear(description);
        throw DataError(message);
    }
    takeColumns(description);
    PQclear(description);
}

int ServerStatement::columnCount() const {
    describe();
    return static_cast<int>(m_columns->size());
}

QString ServerStatement::columnName(int column) const {
    describe();
    return m_columns->at(column).name;
}

QString ServerStatement::columnTable(int column) const {
    describe();
    return m_engine.tableName(m_columns->at(column).table);
}

QString ServerStatement::columnOrigin(int column) const {
    describe();
    const Column& c = m_columns->at(column);
    return m_engine.columnName(c.table, c.tableColumn);
}

// ---- cells ---------------------------------------------------------------------------------

bool ServerStatement::isNull(int column) const {
    return !m_row || PQgetisnull(m_row, 0, column);
}

std::string_view ServerStatement::raw(int column) const {
    if (isNull(column))
        return {};
    return {PQgetvalue(m_row, 0, column), static_cast<std::size_t>(PQgetlength(m_row, 0, column))};
}

EngineStatement::Type ServerStatement::type(int column) const {
    if (isNull(column))
        return Type::Null;
    switch ((*m_columns)[column].kind) {
    case Kind::Integer:
    case Kind::Boolean:
        return Type::Integer;
    case Kind::Real:
        return Type::Real;
    case Kind::Bytes:
        return Type::Blob;
    case Kind::Text:
    case Kind::Timestamp:
        break;
    }
    return Type::Text;
}

qint64 ServerStatement::integer(int column) const {
    const std::string_view value = raw(column);
    if (value.empty())
        return 0;
    switch ((*m_columns)[column].kind) {
    case Kind::Boolean:
        return value[0] == 't' ? 1 : 0;
    case Kind::Real:
        return static_cast<qint64>(real(column));
    default: {
        qint64 number = 0;
        std::from_chars(value.data(), value.data() + value.size(), number);
        return number;
    }
    }
}

double ServerStatement::real(int column) const {
    const std::string_view value = raw(column);
    if (value.empty())
        return 0;
    if ((*m_columns)[column].kind == Kind::Boolean)
        return value[0] == 't' ? 1 : 0;
    double number = 0;
    std::from_chars(value.data(), value.data() + value.size(), number);
    return number;
}

std::string_view ServerStatement::text(int column) const {
    std::string_view value = raw(column);
    // A timestamp in the one stored date form: without fractions of a second.
    if ((*m_columns)[column].kind == Kind::Timestamp && value.size() > 19 && value[19] == '.')
        value = value.substr(0, 19);
    if ((*m_columns)[column].kind == Kind::Bytes)
        return blob(column);
    return value;
}

// The server writes a bytea as "\x" and two hexadecimal digits per byte.
std::string_view ServerStatement::blob(int column) const {
    const std::string_view value = raw(column);
    if ((*m_columns)[column].kind != Kind::Bytes || value.size() < 2 || value[0] != '\\' ||
        value[1] != 'x')
        return value;
    std::string& bytes = m_bytes[column];
    bytes.clear();
    for (std::size_t i = 2; i + 1 < value.size(); i += 2)
        bytes.push_back(static_cast<char>(hexDigit(value[i]) << 4 | hexDigit(value[i + 1])));
    return bytes;
}

CellValue ServerStatement::cell(int column, std::string& buffer) const {
    if (isNull(column))
        return {};
    switch ((*m_columns)[column].kind) {
    case Kind::Integer:
    case Kind::Boolean:
        return CellValue::ofInteger(integer(column));
    case Kind::Real:
        return CellValue::ofReal(real(column));
    case Kind::Bytes:
        return StoredCell(blob(column), buffer);
    case Kind::Text:
    case Kind::Timestamp:
        break;
    }
    return StoredCell(text(column), buffer);
}
