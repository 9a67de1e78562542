#include "data/TextRanks.h"

#include "data/RowOrder.h"
#include "data/TextDictionary.h"

#include <QLocale>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

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

// The collation keys of all distinct texts, one after the other. A key orders like its text:
// byte by byte, a key that ends first being the smaller.
class KeyTable {
public:
    KeyTable(UCollator* collator, const TextDictionary& texts) {
        const std::uint32_t count = texts.size();
        m_offsets.resize(std::size_t(count) + 1);
        m_bytes.resize(std::size_t(count) * 16 + 64);
        std::vector<UChar> utf16(64);
        std::size_t used = 0;
        for (std::uint32_t code = 0; code < count; ++code) {
            const std::string_view text = texts.at(code);
            int32_t length = 0;
            UErrorCode status = U_ZERO_ERROR;
            u_strFromUTF8Lenient(utf16.data(), static_cast<int32_t>(utf16.size()), &length,
                                 text.data(), static_cast<int32_t>(text.size()), &status);
            if (status == U_BUFFER_OVERFLOW_ERROR || length > static_cast<int32_t>(utf16.size())) {
                utf16.resize(std::size_t(length) + 16);
                status = U_ZERO_ERROR;
                u_strFromUTF8Lenient(utf16.data(), static_cast<int32_t>(utf16.size()), &length,
                                     text.data(), static_cast<int32_t>(text.size()), &status);
            }
            for (;;) {
                const std::size_t room = m_bytes.size() - used;
                const std::size_t size =
                    collator ? static_cast<std::size_t>(ucol_getSortKey(
                                   collator, utf16.data(), length, m_bytes.data() + used,
                                   static_cast<int32_t>(std::min<std::size_t>(room, INT32_MAX))))
                             : codeUnitKey(utf16.data(), length, m_bytes.data() + used, room);
                if (size <= room) {
                    used += size;
                    break;
                }
                m_bytes.resize(std::max(m_bytes.size() * 2, used + size + 64));
            }
            m_offsets[code + 1] = used;
        }
        m_bytes.resize(used + 8); // reading eight bytes at a time may pass the last key's end
    }

    std::size_t length(std::uint32_t code) const { return m_offsets[code + 1] - m_offsets[code]; }
    const std::uint8_t* key(std::uint32_t code) const { return m_bytes.data() + m_offsets[code]; }

    // Eight bytes of a key from `from` on, as a number that orders like them (zeros past the end).
    std::uint64_t chunk(std::uint32_t code, std::size_t from) const {
        const std::size_t size = length(code);
        std::uint64_t value = 0;
        const std::uint8_t* bytes = key(code);
        if (from + 8 <= size) {
            std::memcpy(&value, bytes + from, 8);
            return __builtin_bswap64(value);
        }
        for (std::size_t i = from; i < from + 8; ++i)
            value = value << 8 | (i < size ? bytes[i] : 0);
        return value;
    }

    int compare(std::uint32_t a, std::uint32_t b, std::size_t from) const {
        const std::size_t la = length(a), lb = length(b);
        const std::size_t common = std::min(la, lb);
        if (from < common) {
            const int order = std::memcmp(key(a) + from, key(b) + from, common - from);
            if (order != 0)
                return order;
        }
        return la < lb ? -1 : la > lb ? 1 : 0;
    }

private:
    // Without a collation texts compare by their UTF-16 code units: two bytes each, high first.
    static std::size_t codeUnitKey(const UChar* text, int32_t length, std::uint8_t* out,
                                   std::size_t room) {
        const std::size_t size = std::size_t(length) * 2;
        if (size <= room)
            for (int32_t i = 0; i < length; ++i) {
                out[2 * i] = static_cast<std::uint8_t>(text[i] >> 8);
                out[2 * i + 1] = static_cast<std::uint8_t>(text[i] & 0xff);
            }
        return size;
    }

    std::vector<std::size_t> m_offsets;
    std::vector<std::uint8_t> m_bytes;
};

// Sorts order[begin, end) by the keys, all of which agree in their first `from` bytes: eight
// bytes at a time by a radix sort, then each group that still agrees on the next eight bytes.
// tied[i] is set where the key at position i equals the one before it.
void sortByKeys(const KeyTable& keys, std::vector<std::uint32_t>& order,
                std::vector<std::uint8_t>& tied, std::size_t begin, std::size_t end,
                std::size_t from) {
    if (end - begin < 64) {
        std::sort(order.begin() + begin, order.begin() + end,
                  [&](std::uint32_t a, std::uint32_t b) { return keys.compare(a, b, from) < 0; });
        for (std::size_t i = begin + 1; i < end; ++i)
            tied[i] = keys.compare(order[i - 1], order[i], from) == 0;
        return;
    }
    std::vector<std::uint64_t> chunks(end - begin);
    std::vector<std::uint32_t> part(order.begin() + begin, order.begin() + end);
    for (std::size_t i = 0; i < part.size(); ++i)
        chunks[i] = keys.chunk(part[i], from);
    SortByKeys(chunks, part);
    std::copy(part.begin(), part.end(), order.begin() + begin);
    for (std::size_t run = 0; run < part.size();) {
        std::size_t next = run + 1;
        bool longer = keys.length(part[run]) > from + 8;
        while (next < part.size() && chunks[next] == chunks[run]) {
            longer = longer || keys.length(part[next]) > from + 8;
            ++next;
        }
        if (next - run > 1 && longer) {
            sortByKeys(keys, order, tied, begin + run, begin + next, from + 8);
        } else {
            for (std::size_t i = run + 1; i < next; ++i)
                tied[begin + i] = keys.length(part[i]) == keys.length(part[i - 1]);
        }
        run = next;
    }
}

QString utf16(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void SetCollationLocale(const QString& localeName) {
    const std::lock_guard lock(collatorMutex);
    collator().setLocale(QLocale(localeName));
}

std::vector<std::uint32_t> RankTexts(const TextDictionary& texts) {
    const std::lock_guard lock(collatorMutex);
    const std::uint32_t count = texts.size();
    const KeyTable keys(collator().get(), texts);
    std::vector<std::uint32_t> order(count);
    for (std::uint32_t code = 0; code < count; ++code)
        order[code] = code;
    std::vector<std::uint8_t> tied(count, 0);
    sortByKeys(keys, order, tied, 0, count, 0);

    // Texts that the collation holds equal (equal keys) go by their UTF-16 code units; the same
    // text twice shares its rank.
    std::vector<std::uint32_t> ranks(count);
    std::uint32_t rank = 0;
    for (std::uint32_t begin = 0; begin < count;) {
        std::uint32_t end = begin + 1;
        while (end < count && tied[end])
            ++end;
        if (end - begin > 1)
            std::stable_sort(order.begin() + begin, order.begin() + end,
                             [&](std::uint32_t a, std::uint32_t b) {
                                 return utf16(texts.at(a)) < utf16(texts.at(b));
                             });
        for (std::uint32_t position = begin; position < end; ++position) {
            if (position > begin && texts.at(order[position]) != texts.at(order[position - 1]))
                ++rank;
            ranks[order[position]] = rank;
        }
        ++rank;
        begin = end;
    }
    return ranks;
}
