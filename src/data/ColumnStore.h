#pragma once

#include "data/CellValue.h"
#include "data/ChunkedArray.h"
#include "data/TextDictionary.h"

#include <cstdint>
#include <memory>
#include <vector>

// Whole numbers in chunks of 65,536, each chunk as narrow as its values allow (1, 2, 4 or 8
// bytes a value).
class PackedInts {
public:
    std::uint32_t size() const { return m_size; }
    qint64 get(std::uint32_t i) const;
    void push_back(qint64 value);
    void set(std::uint32_t i, qint64 value);
    void trim();
    std::size_t bytes() const;

private:
    struct Chunk {
        std::unique_ptr<std::uint8_t[]> data;
        std::uint32_t capacity = 0; // values
        std::uint8_t width = 1;     // bytes a value
    };
    void widen(Chunk& chunk, std::uint8_t width, std::uint32_t used);
    void reserveLast(std::uint32_t capacity, std::uint32_t used);

    std::vector<Chunk> m_chunks;
    std::uint32_t m_size = 0;
};

// One column of a fetched result, stored by what it holds: whole numbers and stored dates as
// packed numbers, floating-point numbers as 8 bytes, texts as codes into a dictionary of the
// column's distinct texts, and NULLs as bits. A column whose rows hold values of several kinds
// keeps a kind byte and an 8-byte value for each row.
class ColumnStore {
public:
    enum class Kind : std::uint8_t { Empty, Integer, Real, Date, Text, Mixed };

    Kind kind() const { return m_kind; }
    std::uint32_t size() const { return m_size; }

    void append(const CellValue& value);
    // The value that the next append() takes (see TextDictionary::prefetch).
    void prefetch(const CellValue& value) {
        if (value.kind == CellValue::Kind::Text && !m_finished &&
            (m_kind == Kind::Text || m_kind == Kind::Mixed))
            m_texts.prefetch(value.text);
    }
    void set(std::uint32_t row, const CellValue& value);
    CellValue at(std::uint32_t row) const;
    bool isNull(std::uint32_t row) const;

    // The dictionary of a Text or Mixed column and the code of a row's text.
    const TextDictionary& texts() const { return m_texts; }
    std::uint32_t textCode(std::uint32_t row) const;
    // The number of a row of an Integer or Date column that is not null.
    qint64 integerAt(std::uint32_t row) const { return m_ints.get(row); }

    // Fetching is over: trims every buffer to its content.
    void finish();
    std::size_t bytes() const;

private:
    static Kind kindFor(CellValue::Kind kind);
    bool accepts(CellValue::Kind kind) const;
    Kind widerKind(CellValue::Kind kind) const;
    void convertTo(Kind kind);
    void setNull(std::uint32_t row, bool null);
    void write(std::uint32_t row, const CellValue& value, bool append);
    std::uint32_t textOf(const CellValue& value);

    Kind m_kind = Kind::Empty;
    bool m_finished = false;
    std::uint32_t m_size = 0;
    PackedInts m_ints;                   // Integer, Date (seconds), Text (codes)
    ChunkedArray<double> m_reals;        // Real
    ChunkedArray<std::uint8_t> m_kinds;  // Mixed: a CellValue::Kind a row
    ChunkedArray<std::uint64_t> m_slots; // Mixed: the value's bits, or its text's code
    std::vector<std::unique_ptr<std::uint64_t[]>> m_nulls; // a bit a row, per chunk when needed
    TextDictionary m_texts;
};
