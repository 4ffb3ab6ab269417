#include "cli/ShownText.h"

#include <fmt/format.h>

#include "engine/platform/Text.h"

namespace kivo::cli {

namespace {

// The length of the UTF-8 sequence that starts with lead (1 for a byte that starts none).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

char32_t CodePoint(std::string_view sequence) {
  const auto lead = static_cast<unsigned char>(sequence[0]);
  if (sequence.size() == 1) return lead;
  char32_t value = lead & (0x7F >> sequence.size());
  for (std::size_t i = 1; i < sequence.size(); ++i) value = value << 6 | (static_cast<unsigned char>(sequence[i]) & 0x3F);
  return value;
}

// Characters that move or hide the text around them: C0 and C1 controls, DEL, and the marks,
// embeddings, overrides and isolates that change the direction of what follows.
bool MustEscape(char32_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string Shown(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = std::min(SequenceLength(static_cast<unsigned char>(text[at])), text.size() - at);
    std::string_view sequence = text.substr(at, length);
    if (length > 1 && !platform::IsValidUtf8(sequence)) sequence = text.substr(at, length = 1);
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (length == 1 && lead >= 0x80) {
      out += fmt::format("\\x{:02x}", lead);  // no character at all
    } else if (const char32_t c = CodePoint(sequence); MustEscape(c)) {
      out += c < 0x80 ? fmt::format("\\x{:02x}", static_cast<unsigned>(c)) : fmt::format("\\u{{{:04x}}}", static_cast<unsigned>(c));
    } else {
      out += sequence;
    }
    at += length;
  }
  return out;
}

}  // namespace kivo::cli
