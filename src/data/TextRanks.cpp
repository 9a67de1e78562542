#include "TextRanks.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <unordered_map>

namespace {
QLocale& collationLocale() {
    static QLocale locale;
    return locale;
}
} // namespace

void SetCollationLocale(const QString& localeName) {
    collationLocale() = QLocale(localeName);
}

std::vector<std::uint32_t> RankTexts(std::size_t count,
                                     const std::function<std::string_view(std::size_t)>& text) {
    // Distinct texts first: columns repeat a few names over many rows.
    std::unordered_map<std::string_view, std::uint32_t> distinctIndex;
    std::vector<std::string_view> distinct;
    std::vector<std::uint32_t> ofRow(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view value = text(i);
        auto [it, inserted] =
            distinctIndex.emplace(value, static_cast<std::uint32_t>(distinct.size()));
        if (inserted)
            distinct.push_back(value);
        ofRow[i] = it->second;
    }

    QCollator collator(collationLocale());
    collator.setNumericMode(true);
    std::vector<QString> strings;
    strings.reserve(distinct.size());
    for (std::string_view value : distinct)
        strings.push_back(QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    std::vector<std::uint32_t> byCollation(distinct.size());
    for (std::uint32_t i = 0; i < byCollation.size(); ++i)
        byCollation[i] = i;
    std::sort(byCollation.begin(), byCollation.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int order = collator.compare(strings[a], strings[b]);
        return order != 0 ? order < 0 : strings[a] < strings[b];
    });
    std::vector<std::uint32_t> rankOfDistinct(distinct.size());
    for (std::uint32_t position = 0; position < byCollation.size(); ++position)
        rankOfDistinct[byCollation[position]] = position;

    for (std::uint32_t& r : ofRow)
        r = rankOfDistinct[r];
    return ofRow;
}
