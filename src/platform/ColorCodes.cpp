#include "platform/ColorCodes.h"

#include <array>

namespace {

// An opaque colour as 0xAARRGGBB.
constexpr quint32 rgb(quint32 red, quint32 green, quint32 blue) {
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

// One entry per system-colour index. The values follow the usual light desktop scheme, except
// that the caption colours are lightened: the grids paint rows on them under black text.
constexpr std::array<quint32, 31> systemColors = {
    rgb(200, 200, 200), // 0 scroll bar
    rgb(0, 0, 0),       // 1 desktop
    rgb(153, 180, 209), // 2 active caption
    rgb(191, 205, 219), // 3 inactive caption
    rgb(240, 240, 240), // 4 menu
    rgb(255, 255, 255), // 5 window
    rgb(100, 100, 100), // 6 window frame
    rgb(0, 0, 0),       // 7 menu text
    rgb(0, 0, 0),       // 8 window text
    rgb(0, 0, 0),       // 9 caption text
    rgb(180, 180, 180), // 10 active border
    rgb(244, 247, 252), // 11 inactive border
    rgb(171, 171, 171), // 12 application workspace
    rgb(51, 153, 255),  // 13 highlight
    rgb(255, 255, 255), // 14 highlight text
    rgb(240, 240, 240), // 15 button face
    rgb(160, 160, 160), // 16 button shadow
    rgb(109, 109, 109), // 17 grey text
    rgb(0, 0, 0),       // 18 button text
    rgb(216, 228, 248), // 19 inactive caption text
    rgb(255, 255, 255), // 20 button highlight
    rgb(105, 105, 105), // 21 3-D dark shadow
    rgb(227, 227, 227), // 22 3-D light
    rgb(0, 0, 0),       // 23 tooltip text
    rgb(255, 255, 225), // 24 tooltip background
    rgb(0, 0, 0),       // 25 unused
    rgb(0, 102, 204),   // 26 hot-tracked item
    rgb(185, 209, 234), // 27 gradient active caption
    rgb(215, 228, 242), // 28 gradient inactive caption
    rgb(51, 153, 255),  // 29 menu highlight
    rgb(240, 240, 240), // 30 menu bar
};

} // namespace

quint32 ColorToArgb(quint32 encoded) {
    if ((encoded & 0xFF000000u) == clSystemColorFlag) {
        const quint32 index = encoded & 0x00FFFFFFu;
        return index < systemColors.size() ? systemColors[index] : rgb(0, 0, 0);
    }
    return rgb(encoded & 0xFF, (encoded >> 8) & 0xFF, (encoded >> 16) & 0xFF);
}
