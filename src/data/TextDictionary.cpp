#include "data/TextDictionary.h"

#include "data/DataError.h"

#include <QString>
#include <cstring>
#include <functional>

namespace {

constexpr std::size_t BlockSize = std::size_t(1) << 20;

std::size_t prefixLength(std::size_t length) {
    std::size_t n = 1;
    while (length >= 0x80) {
        length >>= 7;
        ++n;
    }
    return n;
}

} // namespace

std::uint32_t TextDictionary::hashOf(std::string_view text) {
    const std::size_t h = std::hash<std::string_view>{}(text);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

void TextDictionary::resizeLast(std::size_t size) {
    std::unique_ptr<char[]> block(new char[std::max<std::size_t>(size, 1)]);
    std::memcpy(block.get(), m_blocks.back().get(), std::min(size, m_lastUsed));
    m_blocks.back() = std::move(block);
    m_blockSizes.back() = std::max<std::size_t>(size, 1);
}

std::uint32_t TextDictionary::store(std::string_view text) {
    const std::size_t need = sizeof(std::uint32_t) + prefixLength(text.size()) + text.size();
    if (m_blocks.empty() || m_lastUsed + need > m_blockSizes.back()) {
        if (!m_blocks.empty() && m_lastUsed + need <= BlockSize) {
            // The last block grows like a vector up to a megabyte.
            resizeLast(std::min(BlockSize, std::max(m_blockSizes.back() * 2, m_lastUsed + need)));
        } else {
            // A text starts in the first megabyte of its block; a longer one gets a block of its
            // own.
            if (!m_blocks.empty())
                resizeLast(m_lastUsed);
            if (m_blocks.size() >= (std::size_t(1) << (32 - BlockShift)) - 1)
                throw DataError(QStringLiteral("查询结果的文字太多，无法全部读入。"));
            const std::size_t size =
                std::max(need, m_blocks.empty() ? std::size_t(256) : BlockSize);
            m_blocks.emplace_back(new char[size]);
            m_blockSizes.push_back(size);
            m_lastUsed = 0;
        }
    }
    char* out = m_blocks.back().get() + m_lastUsed;
    const std::uint32_t code = m_positions.size();
    std::memcpy(out, &code, sizeof code);
    out += sizeof code;
    std::size_t length = text.size();
    while (length >= 0x80) {
        *out++ = static_cast<char>(0x80 | (length & 0x7f));
        length >>= 7;
    }
    *out++ = static_cast<char>(length);
    std::memcpy(out, text.data(), text.size());
    const std::uint32_t position =
        static_cast<std::uint32_t>(((m_blocks.size() - 1) << BlockShift) | m_lastUsed);
    m_lastUsed += need;
    m_positions.push_back(position);
    return code;
}

std::string_view TextDictionary::textAt(std::uint32_t position, std::uint32_t* code) const {
    const char* p = m_blocks[position >> BlockShift].get() + (position & ((1u << BlockShift) - 1));
    if (code)
        std::memcpy(code, p, sizeof *code);
    p += sizeof(std::uint32_t);
    std::size_t length = 0;
    unsigned shift = 0;
    while (static_cast<unsigned char>(*p) & 0x80) {
        length |= std::size_t(static_cast<unsigned char>(*p) & 0x7f) << shift;
        shift += 7;
        ++p;
    }
    length |= std::size_t(static_cast<unsigned char>(*p)) << shift;
    return {p + 1, length};
}

std::string_view TextDictionary::at(std::uint32_t code) const {
    return textAt(m_positions[code], nullptr);
}

std::uint32_t TextDictionary::add(std::string_view text) {
    return store(text);
}

void TextDictionary::grow() {
    const std::size_t capacity = m_lookup.empty() ? 64 : m_lookup.size() * 2;
    std::vector<std::uint64_t> table(capacity, 0);
    const std::size_t mask = capacity - 1;
    for (std::uint64_t slot : m_lookup) {
        if (!slot)
            continue;
        std::size_t i = (slot >> 32) & mask;
        while (table[i])
            i = (i + 1) & mask;
        table[i] = slot;
    }
    m_lookup.swap(table);
}

void TextDictionary::prefetch(std::string_view text) {
    if (m_lookup.empty())
        return;
    m_pendingText = text;
    m_pendingHash = hashOf(text);
    __builtin_prefetch(&m_lookup[m_pendingHash & (m_lookup.size() - 1)]);
}

std::uint32_t TextDictionary::intern(std::string_view text) {
    if (m_lookup.empty()) {
        grow();
        for (std::uint32_t code = 0; code < size(); ++code) {
            const std::uint64_t hash = hashOf(at(code));
            std::size_t i = hash & (m_lookup.size() - 1);
            while (m_lookup[i])
                i = (i + 1) & (m_lookup.size() - 1);
            m_lookup[i] = hash << 32 | (std::uint64_t(m_positions[code]) + 1);
            if (2 * (code + 1) > m_lookup.size())
                grow();
        }
    }
    const bool announced =
        text.data() == m_pendingText.data() && text.size() == m_pendingText.size();
    const std::uint32_t hash = announced ? m_pendingHash : hashOf(text);
    m_pendingText = {};
    const std::size_t mask = m_lookup.size() - 1;
    std::size_t i = hash & mask;
    while (const std::uint64_t slot = m_lookup[i]) {
        if ((slot >> 32) == hash) {
            std::uint32_t code;
            if (textAt(static_cast<std::uint32_t>(slot) - 1, &code) == text)
                return code;
        }
        i = (i + 1) & mask;
    }
    const std::uint32_t code = store(text);
    m_lookup[i] = std::uint64_t(hash) << 32 | (std::uint64_t(m_positions[code]) + 1);
    if (2 * std::size_t(size()) > m_lookup.size())
        grow();
    return code;
}

void TextDictionary::finish() {
    m_lookup.clear();
    m_lookup.shrink_to_fit();
    m_positions.trim();
    if (!m_blocks.empty() && m_lastUsed < m_blockSizes.back())
        resizeLast(m_lastUsed);
}

std::size_t TextDictionary::bytes() const {
    std::size_t total = m_positions.bytes() + m_lookup.capacity() * sizeof(std::uint64_t);
    for (std::size_t size : m_blockSizes)
        total += size;
    return total;
}
