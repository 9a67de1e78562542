#include "sheet/CellText.h"

#include "platform/Numbers.h"
#include "platform/Utf8.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// UTF-16 code units of the character that starts with `lead`.
int utf16Units(unsigned char lead) {
    return lead >= 0xF0 ? 2 : 1;
}

// Byte length of the longest prefix of `text` with at most `limit` UTF-16 code units.
std::size_t prefixWithin(std::string_view text, std::size_t limit) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (isContinuation(byte))
            continue;
        units += utf16Units(byte);
        if (units > limit)
            return i;
    }
    return text.size();
}

// Code points of a UTF-8 text: what the file library measures against the cell limit.
std::size_t codePoints(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text)
        count += !isContinuation(static_cast<unsigned char>(c));
    return count;
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Whether an escaped-character form "_xHHHH_" starts at `i`.
bool escapeFormAt(std::string_view text, std::size_t i) {
    return i + 7 <= text.size() && text[i] == '_' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
           isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5]) &&
           text[i + 6] == '_';
}

bool hasEscapeForm(std::string_view text) {
    for (std::size_t i = text.find('_'); i != std::string_view::npos; i = text.find('_', i + 1))
        if (escapeFormAt(text, i))
            return true;
    return false;
}

// The underscore that opens such a form is written as the escaped underscore "_x005F_".
void guardEscapeForms(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (escapeFormAt(text, i))
            out += "_x005F";
        out += text[i];
    }
}

// Whether the text needs mending before a workbook may hold it: bytes that are no UTF-8, or
// U+FFFE or U+FFFF, which XML does not allow.
bool needsMending(std::string_view text) {
    return !IsValidUtf8(text) || text.find("\xEF\xBF\xBE") != std::string_view::npos ||
           text.find("\xEF\xBF\xBF") != std::string_view::npos;
}

std::string mended(std::string_view text) {
    QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    decoded.replace(QChar(0xFFFE), QChar::ReplacementCharacter);
    decoded.replace(QChar(0xFFFF), QChar::ReplacementCharacter);
    return decoded.toStdString();
}

std::string_view prepareValidText(std::string_view text, std::string& buffer, bool& cut) {
    cut = false;
    // Fewer bytes than the limit means fewer characters too.
    const bool escaped = hasEscapeForm(text);
    if (text.size() <= CellTextLimit && !escaped)
        return text;
    std::size_t limit = CellTextLimit;
    for (;;) {
        const std::string_view kept = text.substr(0, prefixWithin(text, limit));
        cut = kept.size() < text.size();
        if (!escaped) {
            if (!cut)
                return text;
            buffer.assign(kept);
            return buffer;
        }
        guardEscapeForms(kept, buffer);
        // The guard marks count against the limit too; cut further until they fit.
        const std::size_t written = codePoints(buffer);
        if (written <= CellTextLimit)
            return buffer;
        limit -= std::min(limit, written - CellTextLimit);
    }
}

} // namespace

std::string_view PrepareCellText(std::string_view text, std::string& buffer, bool& cut) {
    if (!needsMending(text))
        return prepareValidText(text, buffer, cut);
    const std::string valid = mended(text);
    const std::string_view prepared = prepareValidText(valid, buffer, cut);
    if (prepared.data() == valid.data())
        buffer = valid;
    return buffer;
}

int TextDisplayWidth(std::string_view utf8) {
    int width = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            ++width;
        else if (!isContinuation(byte))
            // Two-byte characters are Latin, Greek, Cyrillic and the like; three- and four-byte
            // ones are mostly Chinese, Japanese, Korean and full-width forms.
            width += byte >= 0xE0 ? 2 : 1;
    }
    return width;
}

int NumberDisplayWidth(double value) {
    constexpr int widest = 11;
    if (!std::isfinite(value))
        return static_cast<int>(std::char_traits<char>::length(NonFiniteMark));
    // Most quantities and prices have a few decimals: count them without formatting the number.
    const double magnitude = std::fabs(value);
    if (magnitude < 1e10) {
        int digits = 1;
        for (auto whole = static_cast<long long>(magnitude); whole >= 10; whole /= 10)
            ++digits;
        const int sign = value < 0 ? 1 : 0;
        double scaled = magnitude;
        for (int decimals = 0; decimals <= 4; ++decimals, scaled *= 10)
            if (scaled == std::floor(scaled))
                return std::min(widest, sign + digits + (decimals > 0 ? decimals + 1 : 0));
    }
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::min(widest, static_cast<int>(result.ptr - text));
}

int CellDisplayWidth(const SheetCell& cell) {
    switch (cell.kind) {
    case SheetCell::Kind::Blank:
        return 0;
    case SheetCell::Kind::Number:
        return NumberDisplayWidth(cell.number);
    case SheetCell::Kind::Text:
        return TextDisplayWidth(cell.text);
    case SheetCell::Kind::DateTime:
        // "2024/12/31", or with the time of day "2024/12/31 23:59".
        return cell.date.hour || cell.date.minute || cell.date.second ? 16 : 10;
    }
    return 0;
}

double ColumnWidthFor(int displayWidth, double fontSize) {
    constexpr double defaultSize = 11;
    constexpr double padding = 1.5;
    constexpr double widest = 255;
    const double scale = fontSize > 0 ? fontSize / defaultSize : 1;
    return std::min(widest, displayWidth * scale + padding);
}
