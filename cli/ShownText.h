// Text from a disc on its way to a terminal. A name is whatever bytes the disc holds: an
// escape sequence, a line break or a right-to-left override in it would rewrite what the user
// sees (another file's line, a forged message, a name shown backwards).
#pragma once

#include <string>
#include <string_view>

namespace kivo::cli {

// text with every control character, every directional formatting character and every byte
// that is not valid UTF-8 written as an escape ("\x1b", "\u{202e}", "\xff"); all other
// characters as they are. The backslash stays: it separates the engine's compilation paths.
std::string Shown(std::string_view text);

}  // namespace kivo::cli
