#pragma once

#include <QString>

// A database with `movements` stock movements over `products` products spread over ten years,
// made once per size in the temporary directory and reused by later runs.
QString BenchDatabase(int movements, int products = 2000);
