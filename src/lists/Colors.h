#pragma once

#include "platform/ColorCodes.h"

// The named colours of the program's encoding (see ColorCodes.h).

constexpr quint32 clBlack = 0x000000;
constexpr quint32 clMaroon = 0x000080;
constexpr quint32 clGreen = 0x008000;
constexpr quint32 clOlive = 0x008080;
constexpr quint32 clNavy = 0x800000;
constexpr quint32 clPurple = 0x800080;
constexpr quint32 clTeal = 0x808000;
constexpr quint32 clGray = 0x808080;
constexpr quint32 clSilver = 0xC0C0C0;
constexpr quint32 clRed = 0x0000FF;
constexpr quint32 clLime = 0x00FF00;
constexpr quint32 clYellow = 0x00FFFF;
constexpr quint32 clBlue = 0xFF0000;
constexpr quint32 clFuchsia = 0xFF00FF;
constexpr quint32 clAqua = 0xFFFF00;
constexpr quint32 clWhite = 0xFFFFFF;

constexpr quint32 clActiveCaption = clSystemColorFlag | 2;
constexpr quint32 clWindow = clSystemColorFlag | 5;
constexpr quint32 clWindowText = clSystemColorFlag | 8;
constexpr quint32 clHighlight = clSystemColorFlag | 13;
constexpr quint32 clHighlightText = clSystemColorFlag | 14;
constexpr quint32 clBtnFace = clSystemColorFlag | 15;
constexpr quint32 clGrayText = clSystemColorFlag | 17;
constexpr quint32 clInactiveCaptionText = clSystemColorFlag | 19;
constexpr quint32 clInfoBk = clSystemColorFlag | 24;
