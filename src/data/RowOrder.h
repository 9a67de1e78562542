#pragma once

#include <cstdint>
#include <vector>

// Puts `rows` in the order of their keys (keys[i] belongs to rows[i]); rows with equal keys keep
// the order they had. A radix sort: linear in the number of rows, and key bytes that are the same
// in every key cost nothing.
void SortByKeys(std::vector<std::uint64_t>& keys, std::vector<std::uint32_t>& rows);
