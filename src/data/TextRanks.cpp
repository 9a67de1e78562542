#include "TextRanks.h"

#include "RowOrder.h"
#include "TextDictionary.h"

#include <QLocale>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <unicode/ucol.h>
#include <unicode/uiter.h>

namespace {

// The collator of QCollator in numeric mode for the same locale: the same ICU collation with
// normalisation, the default strength and punctuation that counts.
class Collator {
public:
    ~Collator() { close(); }

    void setLocale(const QLocale& locale) {
        close();
        m_isC = locale.language() == QLocale::C;
        if (m_isC)
            return;
        UErrorCode status = U_ZERO_ERROR;
        const QByteArray name = locale.bcp47Name().replace('-', '_').toLatin1();
        m_collator = ucol_open(name.constData(), &status);
        if (U_FAILURE(status)) {
            m_collator = nullptr;
            return;
        }
        ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(m_collator, UCOL_STRENGTH, UCOL_DEFAULT_STRENGTH, &status);
        ucol_setAttribute(m_collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
        ucol_setAttribute(m_collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    }

    UCollator* get() const { return m_collator; }

private:
    void close() {
        if (m_collator)
            ucol_close(m_collator);
        m_collator = nullptr;
    }
    UCollator* m_collator = nullptr;
    bool m_isC = false;
};

std::mutex collatorMutex;
Collator& collator() {
    static Collator instance = [] {
        Collator c;
        c.setLocale(QLocale());
        return c;
    }();
    return instance;
}

// The first eight bytes of the text's collation key, as a number that orders like the key.
std::uint64_t keyPrefix(UCollator* collator, std::string_view text) {
    UCharIterator iterator;
    uiter_setUTF8(&iterator, text.data(), static_cast<int32_t>(text.size()));
    uint32_t state[2] = {0, 0};
    uint8_t bytes[8] = {0};
    UErrorCode status = U_ZERO_ERROR;
    ucol_nextSortKeyPart(collator, &iterator, state, bytes, sizeof bytes, &status);
    std::uint64_t prefix = 0;
    for (uint8_t byte : bytes)
        prefix = prefix << 8 | byte;
    return prefix;
}

QString utf16(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The full comparison: the collation, then the UTF-16 code units.
int compareTexts(UCollator* collator, std::string_view a, std::string_view b) {
    if (a == b)
        return 0;
    if (collator) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult order =
            ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                             static_cast<int32_t>(b.size()), &status);
        if (order != UCOL_EQUAL)
            return order == UCOL_LESS ? -1 : 1;
    }
    return utf16(a).compare(utf16(b)) < 0 ? -1 : 1;
}

// Without a collation texts compare by their UTF-16 code units: the first four, as the prefix.
std::uint64_t codeUnitPrefix(std::string_view text) {
    std::uint64_t prefix = 0;
    int units = 0;
    auto put = [&](std::uint32_t unit) {
        if (units < 4) {
            prefix |= std::uint64_t(unit) << (48 - 16 * units);
            ++units;
        }
    };
    for (std::size_t i = 0; i < text.size() && units < 4;) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t point = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (int k = 1; k < length && i + k < text.size(); ++k)
            point = point << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        if (point >= 0x10000) {
            put(0xD800 + ((point - 0x10000) >> 10));
            put(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            put(point);
        }
    }
    return prefix;
}

} // namespace

void SetCollationLocale(const QString& localeName) {
    const std::lock_guard lock(collatorMutex);
    collator().setLocale(QLocale(localeName));
}

std::vector<std::uint32_t> RankTexts(const TextDictionary& texts) {
    const std::lock_guard lock(collatorMutex);
    UCollator* ucollator = collator().get();
    const std::uint32_t count = texts.size();

    std::vector<std::uint64_t> prefixes(count);
    std::vector<std::uint32_t> order(count);
    for (std::uint32_t code = 0; code < count; ++code) {
        const std::string_view text = texts.at(code);
        prefixes[code] = ucollator ? keyPrefix(ucollator, text) : codeUnitPrefix(text);
        order[code] = code;
    }
    SortByKeys(prefixes, order);

    // Texts whose key prefixes agree are put in order by the full comparison.
    for (std::uint32_t begin = 0; begin < count;) {
        std::uint32_t end = begin + 1;
        while (end < count && prefixes[end] == prefixes[begin])
            ++end;
        if (end - begin > 1)
            std::sort(order.begin() + begin, order.begin() + end,
                      [&](std::uint32_t a, std::uint32_t b) {
                          return compareTexts(ucollator, texts.at(a), texts.at(b)) < 0;
                      });
        begin = end;
    }

    std::vector<std::uint32_t> ranks(count);
    std::uint32_t rank = 0;
    for (std::uint32_t position = 0; position < count; ++position) {
        if (position > 0 && (prefixes[position] != prefixes[position - 1] ||
                             texts.at(order[position]) != texts.at(order[position - 1])))
            ++rank;
        ranks[order[position]] = rank;
    }
    return ranks;
}
