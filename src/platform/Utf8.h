#pragma once

#include <string_view>

// Whether the bytes are well-formed UTF-8: no stray or missing continuation bytes, no overlong
// forms, no surrogates, nothing beyond U+10FFFF. Runs of ASCII are checked eight bytes at a time.
bool IsValidUtf8(std::string_view bytes);
