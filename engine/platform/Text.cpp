#include "engine/platform/Text.h"

#include <utf8.h>

namespace kivo::platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Visits the code points of a UTF-8 text. Every byte that does not start a valid sequence is
// reported as U+FFFD on its own: a Linux file name may hold any byte, and collapsing a run of bad
// bytes into one replacement would let two different names convert to the same text.
template <typename Visit>
void ForEachCodePoint(std::string_view text, Visit visit) {
  auto it = text.begin();
  const auto end = text.end();
  while (it != end) {
    const auto bad = utf8::find_invalid(it, end);
    while (it != bad) visit(static_cast<char32_t>(utf8::unchecked::next(it)));
    if (bad != end) {
      visit(kReplacement);
      ++it;
    }
  }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&](char32_t cp) { AppendUtf16(out, cp); });
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      cp = kReplacement;
    }
    utf8::unchecked::append(cp, std::back_inserter(out));
  }
  return out;
}

bool IsValidUtf8(std::string_view text) { return utf8::is_valid(text.begin(), text.end()); }

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  ForEachCodePoint(utf8, [&](char32_t cp) { units += cp < 0x10000 ? 1 : 2; });
  return units;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace kivo::platform
