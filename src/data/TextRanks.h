#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// Ranks texts in the user's collation (pinyin order for Chinese): equal texts share a rank,
// and rank order is collation order. Each distinct text is compared a few times only, so
// sorting a million rows by the ranks stays fast.
std::vector<std::uint32_t> RankTexts(std::size_t count,
                                     const std::function<std::string_view(std::size_t)>& text);

// The locale whose collation RankTexts uses; the system locale until set.
void SetCollationLocale(const QString& localeName);
