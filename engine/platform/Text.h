// Text conversions. Strings are UTF-8 everywhere in the engine; UTF-16 appears only where a
// disc format or a length rule counts 16-bit code units (Joliet, the name-length limits).
#pragma once

#include <string>
#include <string_view>

namespace kivo::platform {

// UTF-8 to UTF-16. Bytes that are not valid UTF-8 (a Linux file name may hold any byte but
// '/' and NUL) become U+FFFD each, so a name is never dropped or cut short.
std::u16string Utf8ToUtf16(std::string_view text);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

bool IsValidUtf8(std::string_view text);

// Length in UTF-16 code units: the unit in which name and path limits are counted.
std::size_t Utf16Length(std::string_view utf8);

// Upper-casing as the disc formats want it: only the letters a to z change.
std::string UpperAscii(std::string_view text);

}  // namespace kivo::platform
