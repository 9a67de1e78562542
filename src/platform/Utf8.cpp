#include "Utf8.h"

#include <cstdint>
#include <cstring>

namespace {
constexpr std::uint64_t HighBits = 0x8080808080808080ull;
} // namespace

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        // Runs of ASCII, eight bytes at a time.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if ((word & HighBits) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int following;
        std::uint32_t code;
        if (lead >= 0xC2 && lead <= 0xDF) {
            following = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            following = 2;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            following = 3;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (end - p <= following)
            return false;
        for (int i = 1; i <= following; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = code << 6 | (p[i] & 0x3F);
        }
        if (following == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)))
            return false;
        if (following == 3 && (code < 0x10000 || code > 0x10FFFF))
            return false;
        p += following + 1;
    }
    return true;
}
