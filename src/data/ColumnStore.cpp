#include "data/ColumnStore.h"

#include "data/StoredDate.h"

#include <QString>
#include <cstring>

namespace {

constexpr unsigned Shift = ChunkedArray<int>::Shift;
constexpr std::uint32_t ChunkSize = ChunkedArray<int>::ChunkSize;
constexpr std::uint32_t Mask = ChunkedArray<int>::Mask;

std::uint8_t widthFor(qint64 v) {
    if (v == static_cast<std::int8_t>(v))
        return 1;
    if (v == static_cast<std::int16_t>(v))
        return 2;
    if (v == static_cast<std::int32_t>(v))
        return 4;
    return 8;
}

qint64 load(const std::uint8_t* p, std::uint8_t width) {
    switch (width) {
    case 1:
        return static_cast<std::int8_t>(*p);
    case 2: {
        std::int16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case 4: {
        std::int32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    default: {
        qint64 v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    }
}

void store(std::uint8_t* p, std::uint8_t width, qint64 v) {
    switch (width) {
    case 1:
        *p = static_cast<std::uint8_t>(static_cast<std::int8_t>(v));
        break;
    case 2: {
        const auto n = static_cast<std::int16_t>(v);
        std::memcpy(p, &n, sizeof n);
        break;
    }
    case 4: {
        const auto n = static_cast<std::int32_t>(v);
        std::memcpy(p, &n, sizeof n);
        break;
    }
    default:
        std::memcpy(p, &v, sizeof v);
        break;
    }
}

std::uint64_t bitsOf(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

double doubleOf(std::uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

} // namespace

double CellAsFloat(const CellValue& value) {
    switch (value.kind) {
    case CellValue::Kind::Integer:
        return static_cast<double>(value.integer);
    case CellValue::Kind::Real:
        return value.real;
    case CellValue::Kind::Text:
        return QString::fromUtf8(value.text.data(), static_cast<qsizetype>(value.text.size()))
            .toDouble();
    case CellValue::Kind::Null:
    case CellValue::Kind::Date:
        break;
    }
    return 0.0;
}

// ---- PackedInts ----------------------------------------------------------------------------

qint64 PackedInts::get(std::uint32_t i) const {
    const Chunk& chunk = m_chunks[i >> Shift];
    return load(chunk.data.get() + std::size_t(i & Mask) * chunk.width, chunk.width);
}

void PackedInts::widen(Chunk& chunk, std::uint8_t width, std::uint32_t used) {
    std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[std::size_t(chunk.capacity) * width]);
    for (std::uint32_t i = 0; i < used; ++i)
        store(data.get() + std::size_t(i) * width, width,
              load(chunk.data.get() + std::size_t(i) * chunk.width, chunk.width));
    chunk.data = std::move(data);
    chunk.width = width;
}

void PackedInts::reserveLast(std::uint32_t capacity, std::uint32_t used) {
    Chunk& chunk = m_chunks.back();
    std::unique_ptr<std::uint8_t[]> data(
        new std::uint8_t[std::max<std::size_t>(std::size_t(capacity) * chunk.width, 1)]);
    std::memcpy(data.get(), chunk.data.get(), std::size_t(used) * chunk.width);
    chunk.data = std::move(data);
    chunk.capacity = capacity;
}

void PackedInts::push_back(qint64 value) {
    const std::uint32_t offset = m_size & Mask;
    const std::uint8_t width = widthFor(value);
    if (offset == 0 && (m_size >> Shift) == m_chunks.size()) {
        Chunk chunk;
        chunk.capacity = m_chunks.empty() ? 16 : ChunkSize;
        chunk.width = width;
        chunk.data.reset(new std::uint8_t[std::size_t(chunk.capacity) * width]);
        m_chunks.push_back(std::move(chunk));
    } else if (offset == m_chunks.back().capacity) {
        reserveLast(std::min<std::uint32_t>(m_chunks.back().capacity * 4, ChunkSize), offset);
    }
    Chunk& chunk = m_chunks.back();
    if (width > chunk.width)
        widen(chunk, width, offset);
    store(chunk.data.get() + std::size_t(offset) * chunk.width, chunk.width, value);
    ++m_size;
}

void PackedInts::set(std::uint32_t i, qint64 value) {
    Chunk& chunk = m_chunks[i >> Shift];
    const std::uint8_t width = widthFor(value);
    if (width > chunk.width) {
        const bool last = (i >> Shift) == m_chunks.size() - 1;
        widen(chunk, width, last ? m_size - (i & ~Mask) : ChunkSize);
    }
    store(chunk.data.get() + std::size_t(i & Mask) * chunk.width, chunk.width, value);
}

void PackedInts::trim() {
    if (m_chunks.empty())
        return;
    const std::uint32_t used = m_size - static_cast<std::uint32_t>(m_chunks.size() - 1) * ChunkSize;
    if (used < m_chunks.back().capacity)
        reserveLast(used, used);
    m_chunks.shrink_to_fit();
}

std::size_t PackedInts::bytes() const {
    std::size_t total = m_chunks.capacity() * sizeof(Chunk);
    for (const Chunk& chunk : m_chunks)
        total += std::size_t(chunk.capacity) * chunk.width;
    return total;
}

// ---- ColumnStore ---------------------------------------------------------------------------

ColumnStore::Kind ColumnStore::kindFor(CellValue::Kind kind) {
    switch (kind) {
    case CellValue::Kind::Integer:
        return Kind::Integer;
    case CellValue::Kind::Real:
        return Kind::Real;
    case CellValue::Kind::Text:
        return Kind::Text;
    case CellValue::Kind::Date:
        return Kind::Date;
    case CellValue::Kind::Null:
        break;
    }
    return Kind::Empty;
}

bool ColumnStore::accepts(CellValue::Kind kind) const {
    if (kind == CellValue::Kind::Null || m_kind == Kind::Mixed)
        return true;
    if (m_kind == Kind::Text)
        return kind == CellValue::Kind::Text || kind == CellValue::Kind::Date;
    return m_kind != Kind::Empty && m_kind == kindFor(kind);
}

ColumnStore::Kind ColumnStore::widerKind(CellValue::Kind kind) const {
    if (m_kind == Kind::Empty)
        return kindFor(kind);
    if (m_kind == Kind::Date && kind == CellValue::Kind::Text)
        return Kind::Text; // the dates become the texts they were read as
    return Kind::Mixed;
}

void ColumnStore::convertTo(Kind kind) {
    ColumnStore converted;
    converted.m_kind = kind;
    converted.m_finished = m_finished;
    for (std::uint32_t row = 0; row < m_size; ++row)
        converted.append(at(row));
    *this = std::move(converted);
}

void ColumnStore::setNull(std::uint32_t row, bool null) {
    const std::uint32_t chunk = row >> Shift;
    if (chunk >= m_nulls.size()) {
        if (!null)
            return;
        m_nulls.resize(chunk + 1);
    }
    if (!m_nulls[chunk]) {
        if (!null)
            return;
        m_nulls[chunk] = std::make_unique<std::uint64_t[]>(ChunkSize / 64);
    }
    const std::uint64_t bit = std::uint64_t(1) << (row & 63);
    std::uint64_t& word = m_nulls[chunk][(row & Mask) >> 6];
    word = null ? (word | bit) : (word & ~bit);
}

bool ColumnStore::isNull(std::uint32_t row) const {
    switch (m_kind) {
    case Kind::Empty:
        return true;
    case Kind::Mixed:
        return m_kinds[row] == static_cast<std::uint8_t>(CellValue::Kind::Null);
    default:
        break;
    }
    const std::uint32_t chunk = row >> Shift;
    return chunk < m_nulls.size() && m_nulls[chunk] &&
           (m_nulls[chunk][(row & Mask) >> 6] >> (row & 63) & 1);
}

std::uint32_t ColumnStore::textOf(const CellValue& value) {
    std::string_view text = value.text;
    char date[19];
    if (value.kind == CellValue::Kind::Date) {
        StoredDate::writeCanonical(value.integer, date);
        text = std::string_view(date, sizeof date);
    }
    // While fetching, a text seen before keeps its code; afterwards (a row read back after it
    // was written) it simply gets a new one.
    return m_finished ? m_texts.add(text) : m_texts.intern(text);
}

void ColumnStore::write(std::uint32_t row, const CellValue& value, bool append) {
    const bool null = value.kind == CellValue::Kind::Null;
    switch (m_kind) {
    case Kind::Empty:
        break;
    case Kind::Integer:
    case Kind::Date: {
        const qint64 v = null ? 0 : value.integer;
        append ? m_ints.push_back(v) : m_ints.set(row, v);
        break;
    }
    case Kind::Real: {
        const double v = null ? 0.0 : value.real;
        append ? m_reals.push_back(v) : void(m_reals[row] = v);
        break;
    }
    case Kind::Text: {
        const qint64 code = null ? 0 : textOf(value);
        append ? m_ints.push_back(code) : m_ints.set(row, code);
        break;
    }
    case Kind::Mixed: {
        CellValue::Kind kind =
            value.kind == CellValue::Kind::Date ? CellValue::Kind::Text : value.kind;
        std::uint64_t slot = 0;
        if (kind == CellValue::Kind::Integer)
            slot = static_cast<std::uint64_t>(value.integer);
        else if (kind == CellValue::Kind::Real)
            slot = bitsOf(value.real);
        else if (kind == CellValue::Kind::Text)
            slot = textOf(value);
        if (append) {
            m_kinds.push_back(static_cast<std::uint8_t>(kind));
            m_slots.push_back(slot);
        } else {
            m_kinds[row] = static_cast<std::uint8_t>(kind);
            m_slots[row] = slot;
        }
        return;
    }
    }
    if (m_kind != Kind::Empty)
        setNull(row, null);
}

void ColumnStore::append(const CellValue& value) {
    if (!accepts(value.kind))
        convertTo(widerKind(value.kind));
    write(m_size, value, true);
    ++m_size;
}

void ColumnStore::set(std::uint32_t row, const CellValue& value) {
    if (!accepts(value.kind))
        convertTo(widerKind(value.kind));
    write(row, value, false);
}

CellValue ColumnStore::at(std::uint32_t row) const {
    switch (m_kind) {
    case Kind::Empty:
        return {};
    case Kind::Mixed: {
        const auto kind = static_cast<CellValue::Kind>(m_kinds[row]);
        const std::uint64_t slot = m_slots[row];
        switch (kind) {
        case CellValue::Kind::Integer:
            return CellValue::ofInteger(static_cast<qint64>(slot));
        case CellValue::Kind::Real:
            return CellValue::ofReal(doubleOf(slot));
        case CellValue::Kind::Text:
            return CellValue::ofText(m_texts.at(static_cast<std::uint32_t>(slot)));
        default:
            return {};
        }
    }
    default:
        break;
    }
    if (isNull(row))
        return {};
    switch (m_kind) {
    case Kind::Integer:
        return CellValue::ofInteger(m_ints.get(row));
    case Kind::Date:
        return CellValue::ofDate(m_ints.get(row));
    case Kind::Real:
        return CellValue::ofReal(m_reals[row]);
    case Kind::Text:
        return CellValue::ofText(m_texts.at(static_cast<std::uint32_t>(m_ints.get(row))));
    default:
        return {};
    }
}

std::uint32_t ColumnStore::textCode(std::uint32_t row) const {
    return static_cast<std::uint32_t>(m_kind == Kind::Mixed ? m_slots[row] : m_ints.get(row));
}

void ColumnStore::finish() {
    m_finished = true;
    m_ints.trim();
    m_reals.trim();
    m_kinds.trim();
    m_slots.trim();
    m_nulls.shrink_to_fit();
    m_texts.finish();
}

std::size_t ColumnStore::bytes() const {
    std::size_t total = m_ints.bytes() + m_reals.bytes() + m_kinds.bytes() + m_slots.bytes() +
                        m_texts.bytes() + m_nulls.capacity() * sizeof(void*);
    for (const auto& bits : m_nulls)
        if (bits)
            total += ChunkSize / 8;
    return total;
}
