#pragma once

#include "data/ChunkedArray.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// The distinct texts of one column, each held once: a row keeps only the text's code. Texts lie
// in blocks of a megabyte behind their code and a short length prefix, so that neither growing
// nor reading copies them.
class TextDictionary {
public:
    TextDictionary() = default;
    TextDictionary(TextDictionary&&) noexcept = default;
    TextDictionary& operator=(TextDictionary&&) noexcept = default;

    // The code of the text, adding it when it is new. Only while fetching (see finish()).
    std::uint32_t intern(std::string_view text);
    // Announces the text that the next intern() takes, so that its slot of the look-up table is
    // loaded while the other cells of the row are read (a large table lies beyond the caches).
    void prefetch(std::string_view text);
    // Adds the text under a new code, even when it is held already.
    std::uint32_t add(std::string_view text);
    std::string_view at(std::uint32_t code) const;
    std::uint32_t size() const { return m_positions.size(); }

    // Fetching is over: drops the look-up table and the unused room; intern() rebuilds it.
    void finish();
    std::size_t bytes() const;

private:
    std::uint32_t store(std::string_view text);
    void grow();
    void resizeLast(std::size_t size);
    static std::uint32_t hashOf(std::string_view text);
    // The text at an arena position, and the code stored in front of it.
    std::string_view textAt(std::uint32_t position, std::uint32_t* code) const;

    static constexpr unsigned BlockShift = 20;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<std::size_t> m_blockSizes;
    std::size_t m_lastUsed = 0;
    ChunkedArray<std::uint32_t> m_positions; // code → block << 20 | offset
    // Open addressing: hash in the high half, arena position + 1 in the low half; 0 is empty.
    std::vector<std::uint64_t> m_lookup;
    std::string_view m_pendingText;
    std::uint32_t m_pendingHash = 0;
};
