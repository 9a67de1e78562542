#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class TextDictionary;

// Ranks the distinct texts of a column in the user's collation (pinyin order for Chinese,
// digits by their numeric value), texts that the collation holds equal in the order of their
// UTF-16 code units: ranks[code] is the position of the text in that order, and equal texts
// share a rank. Each text gets its collation key once; texts are compared in full only where the
// first bytes of their keys agree. Sorting rows by these ranks is then an integer sort.
std::vector<std::uint32_t> RankTexts(const TextDictionary& texts);

// The locale whose collation RankTexts uses; the system locale until set.
void SetCollationLocale(const QString& localeName);
