#include "data/RowOrder.h"

#include <array>

void SortByKeys(std::vector<std::uint64_t>& keys, std::vector<std::uint32_t>& rows) {
    const std::size_t n = keys.size();
    if (n < 2)
        return;
    std::vector<std::uint64_t> keyBuffer(n);
    std::vector<std::uint32_t> rowBuffer(n);
    for (unsigned shift = 0; shift < 64; shift += 8) {
        std::array<std::size_t, 256> counts{};
        for (std::uint64_t key : keys)
            ++counts[(key >> shift) & 0xff];
        if (counts[(keys[0] >> shift) & 0xff] == n)
            continue; // every key has this byte: the pass would change nothing
        std::size_t position = 0;
        for (std::size_t& count : counts) {
            const std::size_t c = count;
            count = position;
            position += c;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t to = counts[(keys[i] >> shift) & 0xff]++;
            keyBuffer[to] = keys[i];
            rowBuffer[to] = rows[i];
        }
        keys.swap(keyBuffer);
        rows.swap(rowBuffer);
    }
}
