#pragma once

#include <QString>

struct sqlite3;

// A database that looks like a shop's ten years: 20,000 products with distinct names, each in
// several models with a code of its own; `movements` stock movements recorded day by day (two
// thirds received), dates without a time of day, free-text remarks on a third of them, most of
// them different. Made once per size in the temporary directory and reused by later runs.
QString BenchDatabase(int movements);

// The same data in an unencrypted file, to tell what the encryption costs.
QString PlainBenchDatabase(int movements);
// Opens such an unencrypted file for reading with the engine's defaults.
sqlite3* OpenPlainDatabase(const QString& path);
