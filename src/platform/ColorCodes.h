#pragma once

#include <QtGlobal>

// Colours in the program's encoding: 0x00BBGGRR for a fixed colour, or 0xFF000000 plus a
// system-colour index for a colour of the desktop scheme. The grids, the report templates and
// the printed reports all carry colours in this form.

constexpr quint32 clSystemColorFlag = 0xFF000000;

// Decodes a colour into opaque 0xAARRGGBB (Qt's QRgb). System colours map to a fixed light scheme
// in which black text stays readable on every background colour that the grids use; an unknown
// index gives black.
quint32 ColorToArgb(quint32 encoded);
