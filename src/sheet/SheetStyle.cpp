#include "sheet/SheetStyle.h"

#include "sheet/SpreadsheetError.h"

namespace {

[[noreturn]] void unknownCode(const char* what, int code) {
    throw SpreadsheetError(
        QStringLiteral("电子表格不支持%1代码 %2。").arg(QString::fromUtf8(what)).arg(code));
}

} // namespace

HorizontalAlignment HorizontalAlignmentFromCode(int code) {
    switch (code) {
    case 1:
        return HorizontalAlignment::General;
    case -4131:
        return HorizontalAlignment::Left;
    case -4108:
        return HorizontalAlignment::Center;
    case -4152:
        return HorizontalAlignment::Right;
    case 5:
        return HorizontalAlignment::Fill;
    case -4130:
        return HorizontalAlignment::Justify;
    case 7:
        return HorizontalAlignment::CenterAcrossSelection;
    case -4117:
        return HorizontalAlignment::Distributed;
    }
    unknownCode("水平对齐", code);
}

VerticalAlignment VerticalAlignmentFromCode(int code) {
    switch (code) {
    case -4160:
    case 1:
        return VerticalAlignment::Top;
    case -4108:
    case 2:
        return VerticalAlignment::Center;
    case -4107:
    case 3:
        return VerticalAlignment::Bottom;
    case -4130:
    case 4:
        return VerticalAlignment::Justify;
    case -4117:
        return VerticalAlignment::Distributed;
    }
    unknownCode("垂直对齐", code);
}

BorderLine BorderLineFromCode(int code) {
    switch (code) {
    case 1:
        return BorderLine::Thin;
    case -4115:
        return BorderLine::Dashed;
    case -4118:
        return BorderLine::Dotted;
    case -4119:
        return BorderLine::Double;
    case 4:
        return BorderLine::DashDot;
    case 5:
        return BorderLine::DashDotDot;
    case 13:
        return BorderLine::SlantDashDot;
    case -4142:
        return BorderLine::None;
    }
    unknownCode("线型", code);
}

void StyleEntry::applyTo(CellStyle& style, int row, int column) const {
    switch (property) {
    case Property::FontName:
        style.fontName = text;
        return;
    case Property::FontSize:
        style.fontSize = number;
        return;
    case Property::Horizontal:
        style.horizontal = horizontal;
        return;
    case Property::Vertical:
        style.vertical = vertical;
        return;
    case Property::Border:
        break;
    }
    switch (borderIndex) {
    case EdgeLeft:
        if (column == area.firstColumn)
            style.left = line;
        break;
    case EdgeTop:
        if (row == area.firstRow)
            style.top = line;
        break;
    case EdgeBottom:
        if (row == area.lastRow)
            style.bottom = line;
        break;
    case EdgeRight:
        if (column == area.lastColumn)
            style.right = line;
        break;
    case InsideVertical:
        if (column > area.firstColumn)
            style.left = line;
        if (column < area.lastColumn)
            style.right = line;
        break;
    case InsideHorizontal:
        if (row > area.firstRow)
            style.top = line;
        if (row < area.lastRow)
            style.bottom = line;
        break;
    }
}
