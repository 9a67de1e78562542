#include "ColorCodes.h"

#include <array>

namespace {

// One entry per system-colour index. The values follow the usual light desktop scheme, except
// that the caption colours are lightened: the grids paint rows on them under black text.
constexpr std::array<QRgb, 31> systemColors = {
    qRgb(200, 200, 200), // 0 scroll bar
    qRgb(0, 0, 0),       // 1 desktop
    qRgb(153, 180, 209), // 2 active caption
    qRgb(191, 205, 219), // 3 inactive caption
    qRgb(240, 240, 240), // 4 menu
    qRgb(255, 255, 255), // 5 window
    qRgb(100, 100, 100), // 6 window frame
    qRgb(0, 0, 0),       // 7 menu text
    qRgb(0, 0, 0),       // 8 window text
    qRgb(0, 0, 0),       // 9 caption text
    qRgb(180, 180, 180), // 10 active border
    qRgb(244, 247, 252), // 11 inactive border
    qRgb(171, 171, 171), // 12 application workspace
    qRgb(51, 153, 255),  // 13 highlight
    qRgb(255, 255, 255), // 14 highlight text
    qRgb(240, 240, 240), // 15 button face
    qRgb(160, 160, 160), // 16 button shadow
    qRgb(109, 109, 109), // 17 grey text
    qRgb(0, 0, 0),       // 18 button text
    qRgb(216, 228, 248), // 19 inactive caption text
    qRgb(255, 255, 255), // 20 button highlight
    qRgb(105, 105, 105), // 21 3-D dark shadow
    qRgb(227, 227, 227), // 22 3-D light
    qRgb(0, 0, 0),       // 23 tooltip text
    qRgb(255, 255, 225), // 24 tooltip background
    qRgb(0, 0, 0),       // 25 unused
    qRgb(0, 102, 204),   // 26 hot-tracked item
    qRgb(185, 209, 234), // 27 gradient active caption
    qRgb(215, 228, 242), // 28 gradient inactive caption
    qRgb(51, 153, 255),  // 29 menu highlight
    qRgb(240, 240, 240), // 30 menu bar
};

} // namespace

QColor ColorToQColor(quint32 encoded) {
    if ((encoded & 0xFF000000u) == clSystemColorFlag) {
        const quint32 index = encoded & 0x00FFFFFFu;
        if (index < systemColors.size())
            return QColor(systemColors[index]);
        return QColor(Qt::black);
    }
    return QColor(int(encoded & 0xFF), int((encoded >> 8) & 0xFF), int((encoded >> 16) & 0xFF));
}
