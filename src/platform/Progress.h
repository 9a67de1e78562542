#pragma once

#include <cstdint>
#include <functional>

// How a long piece of work (writing a workbook, printing pages) reports how far it is: the part
// done so far and the whole. Returning false asks the work to stop.
using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;
