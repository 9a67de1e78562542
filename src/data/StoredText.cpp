#include "data/StoredText.h"

#include "data/DataError.h"
#include "platform/Utf8.h"

#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <vector>

namespace StoredText {

namespace {

// One converter a thread: lists are also read on threads of their own (prefetch, export).
struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

UConverter* gb18030() {
    thread_local std::unique_ptr<UConverter, ConverterCloser> converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UConverter, ConverterCloser> opened(ucnv_open("GB18030", &status));
        return U_SUCCESS(status) ? std::move(opened) : nullptr;
    }();
    return converter.get();
}

void appendReplacement(std::string& out) {
    out += "\xEF\xBF\xBD"; // U+FFFD
}

// Without a converter every byte outside ASCII stands for one character that cannot be read.
void replaceNonAscii(std::string_view bytes, std::string& out) {
    out.clear();
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80)
            out += c;
        else
            appendReplacement(out);
    }
}

// GB18030 decodes every byte sequence: a sequence it does not hold becomes U+FFFD.
void decodeGb18030(std::string_view bytes, std::string& out) {
    UConverter* converter = gb18030();
    if (!converter || bytes.size() > INT32_MAX / 4) {
        replaceNonAscii(bytes, out);
        return;
    }
    ucnv_reset(converter);
    // A byte gives at most one UTF-16 unit, a four-byte sequence two.
    std::vector<UChar> units(bytes.size() + 1);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t count = ucnv_toUChars(converter, units.data(), static_cast<int32_t>(units.size()),
                                        bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) {
        replaceNonAscii(bytes, out);
        return;
    }
    out.resize(static_cast<std::size_t>(count) * 3 + 1);
    int32_t length = 0;
    status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, units.data(), count,
                       0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        replaceNonAscii(bytes, out);
        return;
    }
    out.resize(static_cast<std::size_t>(length));
}

} // namespace

std::string_view toUtf8(std::string_view bytes, std::string& buffer) {
    if (IsValidUtf8(bytes))
        return bytes;
    decodeGb18030(bytes, buffer);
    return buffer;
}

} // namespace StoredText
