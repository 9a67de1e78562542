#include "StoredText.h"

#include "DataError.h"
#include "Utf8.h"

#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sqlcipher/sqlite3.h>
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

void storedTextFunction(sqlite3_context* context, int, sqlite3_value** arguments) {
    sqlite3_value* value = arguments[0];
    const int type = sqlite3_value_type(value);
    if (type != SQLITE_TEXT && type != SQLITE_BLOB) {
        sqlite3_result_value(context, value);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const std::string_view bytes(text ? text : "",
                                 static_cast<std::size_t>(sqlite3_value_bytes(value)));
    std::string buffer;
    const std::string_view utf8 = toUtf8(bytes, buffer);
    sqlite3_result_text64(context, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

} // namespace

std::string_view toUtf8(std::string_view bytes, std::string& buffer) {
    if (IsValidUtf8(bytes))
        return bytes;
    decodeGb18030(bytes, buffer);
    return buffer;
}

void registerSqlFunction(sqlite3* db) {
    if (sqlite3_create_function_v2(db, SqlFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   storedTextFunction, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw DataError(QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace StoredText
