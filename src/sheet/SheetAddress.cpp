#include "sheet/SheetAddress.h"

#include "sheet/SpreadsheetError.h"

#include <QStringView>
#include <algorithm>

namespace {

// One side of an address: a column, a row, or both.
struct AddressPart {
    int column = 0; // 0: none given
    int row = 0;    // 0: none given
};

[[noreturn]] void malformed(const QString& address) {
    throw SpreadsheetError(QStringLiteral("无法识别的单元格地址：%1").arg(address));
}

AddressPart parsePart(QStringView text, const QString& address) {
    AddressPart part;
    qsizetype i = 0;
    if (i < text.size() && text[i] == u'$')
        ++i;
    qint64 column = 0;
    for (; i < text.size() && text[i].isLetter(); ++i) {
        const char16_t c = text[i].toUpper().unicode();
        if (c < u'A' || c > u'Z')
            malformed(address);
        column = column * 26 + (c - u'A' + 1);
        if (column > SheetMaxColumns)
            malformed(address);
    }
    if (i < text.size() && text[i] == u'$')
        ++i;
    qint64 row = 0;
    const qsizetype digits = i;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        row = row * 10 + (text[i].unicode() - u'0');
        if (row > SheetMaxRows)
            malformed(address);
    }
    if (i != text.size() || (i > digits && row == 0))
        malformed(address);
    part.column = static_cast<int>(column);
    part.row = static_cast<int>(row);
    return part;
}

} // namespace

SheetArea ParseSheetAddress(const QString& address) {
    const QString trimmed = address.trimmed();
    const qsizetype colon = trimmed.indexOf(u':');
    const QStringView whole(trimmed);
    const AddressPart first = parsePart(colon < 0 ? whole : whole.left(colon), address);
    const AddressPart last = colon < 0 ? first : parsePart(whole.mid(colon + 1), address);
    // Two cells, or two columns without rows.
    const bool cells = first.row > 0 && last.row > 0;
    const bool columns = first.row == 0 && last.row == 0 && colon >= 0;
    if (first.column == 0 || last.column == 0 || !(cells || columns))
        malformed(address);
    SheetArea area;
    area.firstColumn = std::min(first.column, last.column);
    area.lastColumn = std::max(first.column, last.column);
    if (cells) {
        area.firstRow = std::min(first.row, last.row);
        area.lastRow = std::max(first.row, last.row);
    }
    return area;
}
