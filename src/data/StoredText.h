#pragma once

#include <string>
#include <string_view>

// Texts as the file holds them. The program writes UTF-8; files of the older program hold their
// texts in GB18030 (of which code page 936 is a part), and any other program may store any
// bytes. Every stored text is read as valid UTF-8: UTF-8 as it stands, other bytes decoded as
// GB18030, and what even that cannot decode as U+FFFD.
namespace StoredText {

// The stored bytes as valid UTF-8: `bytes` itself when they are UTF-8 already (no copy), else
// their decoded text, held in `buffer` (valid until the buffer changes).
std::string_view toUtf8(std::string_view bytes, std::string& buffer);

// The name of the SQL function stored_text(x) that every connection has: for a text or a blob
// the text that reading gives (as toUtf8), any other value as it is. Writes compare stored values
// through it with the values they read, so that a text stored in another encoding equals what
// was read of it.
inline constexpr char SqlFunction[] = "stored_text";

} // namespace StoredText
