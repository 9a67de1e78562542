#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// A growable array kept in chunks of 65,536 elements: growing never copies what is stored, and
// trim() leaves no more room than the elements need. Large results therefore never hold twice
// their size while they are fetched, and keep no spare capacity afterwards.
template <typename T> class ChunkedArray {
public:
    static constexpr unsigned Shift = 16;
    static constexpr std::uint32_t ChunkSize = 1u << Shift;
    static constexpr std::uint32_t Mask = ChunkSize - 1;

    std::uint32_t size() const { return m_size; }
    T operator[](std::uint32_t i) const { return m_chunks[i >> Shift][i & Mask]; }
    T& operator[](std::uint32_t i) { return m_chunks[i >> Shift][i & Mask]; }

    void push_back(T value) {
        const std::uint32_t offset = m_size & Mask;
        if (offset == 0 && (m_size >> Shift) == m_chunks.size()) {
            // A first chunk starts small, for the many results of a few rows.
            m_lastCapacity = m_chunks.empty() ? 16 : ChunkSize;
            m_chunks.push_back(std::unique_ptr<T[]>(new T[m_lastCapacity]));
        } else if (offset == m_lastCapacity) {
            resizeLast(std::min<std::uint32_t>(m_lastCapacity * 4, ChunkSize));
        }
        m_chunks.back()[offset] = value;
        ++m_size;
    }

    void clear() {
        m_chunks.clear();
        m_chunks.shrink_to_fit();
        m_size = 0;
        m_lastCapacity = 0;
    }

    // Gives back the unused room of the last chunk.
    void trim() {
        const std::uint32_t used =
            m_size - static_cast<std::uint32_t>(m_chunks.size() - 1) * ChunkSize;
        if (!m_chunks.empty() && used < m_lastCapacity)
            resizeLast(used);
        m_chunks.shrink_to_fit();
    }

    std::size_t bytes() const {
        return m_chunks.empty() ? 0
                                : ((m_chunks.size() - 1) * ChunkSize + m_lastCapacity) * sizeof(T) +
                                      m_chunks.capacity() * sizeof(void*);
    }

private:
    void resizeLast(std::uint32_t capacity) {
        std::unique_ptr<T[]> chunk(new T[capacity]);
        const std::uint32_t used =
            m_size - static_cast<std::uint32_t>(m_chunks.size() - 1) * ChunkSize;
        std::memcpy(chunk.get(), m_chunks.back().get(), std::min(used, capacity) * sizeof(T));
        m_chunks.back() = std::move(chunk);
        m_lastCapacity = capacity;
    }

    std::vector<std::unique_ptr<T[]>> m_chunks;
    std::uint32_t m_size = 0;
    std::uint32_t m_lastCapacity = 0;
};
