#include "platform/Utf8.h"

#include <cstdint>
#include <cstring>

namespace {
constexpr std::uint64_t HighBits = 0x8080808080808080ull;

bool continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}
} // namespace

// The well-formed byte sequences of the Unicode standard (its table 3-7): the second byte's
// range excludes overlong forms (after E0 and F0), surrogates (after ED) and code points beyond
// U+10FFFF (after F4).
bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
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
        if (lead < 0xC2)
            return false;
        if (lead < 0xE0) {
            if (end - p < 2 || !continuation(p[1]))
                return false;
            p += 2;
            continue;
        }
        if (lead < 0xF0) {
            const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
            const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
            if (end - p < 3 || p[1] < low || p[1] > high || !continuation(p[2]))
                return false;
            p += 3;
            continue;
        }
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        if (lead > 0xF4 || end - p < 4 || p[1] < low || p[1] > high || !continuation(p[2]) ||
            !continuation(p[3]))
            return false;
        p += 4;
    }
    return true;
}
