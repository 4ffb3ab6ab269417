#include "engine/iso/IsoNames.h"

#include <utf8.h>

#include <algorithm>

#include "engine/platform/Text.h"

namespace kivo {

namespace {

constexpr std::size_t kMaxRecordLength = 255;
constexpr std::size_t kRecordHeader = 33;
constexpr std::size_t kVersionSuffix = 2;  // ";1"
constexpr std::size_t kAliasLength = 13;
constexpr std::size_t kStemLength = 8;
constexpr std::size_t kExtensionLength = 3;

bool RecordFits(std::size_t identifierBytes) {
  const std::size_t pad = identifierBytes % 2 == 0 ? 1 : 0;
  return kRecordHeader + identifierBytes + pad <= kMaxRecordLength;
}

// Cuts UTF-8 text to at most n bytes without splitting a character.
std::string_view CutUtf8(std::string_view text, std::size_t n) {
  if (text.size() <= n) return text;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

struct ShortParts {
  std::string_view stem;
  std::string_view dotExtension;  // "." + extension; "." alone for a trailing dot; empty for none
};

ShortParts SplitShortName(std::string_view name) {
  ShortParts p;
  const std::size_t dot = name.rfind('.');
  p.stem = dot == std::string_view::npos ? name : name.substr(0, dot);
  if (dot != std::string_view::npos) p.dotExtension = name.substr(dot);
  const std::size_t tilde = p.stem.rfind('~');
  if (tilde != std::string_view::npos && tilde + 1 < p.stem.size() &&
      std::all_of(p.stem.begin() + static_cast<std::ptrdiff_t>(tilde) + 1, p.stem.end(),
                  [](char c) { return c >= '0' && c <= '9'; })) {
    p.stem = p.stem.substr(0, tilde);
  }
  return p;
}

bool NeedsEscape(char c, bool escapeBackslash) {
  return static_cast<unsigned char>(c) < 0x20 || (escapeBackslash && c == '\\');
}

void AppendEscaped(std::string& out, char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto b = static_cast<unsigned char>(c);
  out += '%';
  out += kHex[b >> 4];
  out += kHex[b & 0x0F];
}

std::string Escaped(std::string_view text, bool escapeBackslash) {
  // Nearly every name is printable ASCII and needs nothing.
  if (std::all_of(text.begin(), text.end(), [&](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x80 &&
               !NeedsEscape(c, escapeBackslash);
      })) {
    return std::string(text);
  }
  std::string out;
  out.reserve(text.size());
  auto it = text.begin();
  while (it != text.end()) {
    const auto bad = utf8::find_invalid(it, text.end());
    for (; it != bad; ++it) {
      if (NeedsEscape(*it, escapeBackslash)) {
        AppendEscaped(out, *it);
      } else {
        out += *it;
      }
    }
    if (bad != text.end()) AppendEscaped(out, *it++);  // one byte at a time: never two as one
  }
  return out;
}

}  // namespace

std::string CompilationName(std::string_view sourceName) { return Escaped(sourceName, true); }

std::string CompilationPath(std::string_view path) { return Escaped(path, false); }

bool IsUsableName(std::string_view name) { return !name.empty() && name != "." && name != ".."; }

bool FitsJolietRecord(std::string_view longName, bool isDirectory) {
  // A UTF-16 unit takes at least one byte of UTF-8, so a short text needs no counting.
  const std::size_t suffix = isDirectory ? 0 : kVersionSuffix;
  if (RecordFits(2 * (longName.size() + suffix))) return true;
  const std::size_t units = platform::Utf16Length(longName) + suffix;
  return RecordFits(2 * units);
}

bool FitsDirectoryRecords(std::string_view longName, std::string_view shortName, bool isDirectory) {
  return FitsJolietRecord(longName, isDirectory) &&
         RecordFits(shortName.size() + (isDirectory ? 0 : kVersionSuffix));
}

std::string NameToAlias(std::string_view name) {
  std::string alias;
  const std::u16string units = platform::Utf8ToUtf16(name);
  for (std::size_t i = 0; i < units.size() && i < kAliasLength; ++i) {
    const char16_t u = units[i];
    if (u >= u'a' && u <= u'z') {
      alias.push_back(static_cast<char>(u - u'a' + 'A'));
    } else if (u < u'!' || u > u'z') {
      alias.push_back('_');
    } else {
      alias.push_back(static_cast<char>(u));
    }
  }
  return alias;
}

std::string NumberedShortName(std::string_view shortName, std::uint32_t n) {
  const ShortParts p = SplitShortName(shortName);
  const std::string tail = "~" + std::to_string(n);
  const std::size_t room = tail.size() < kStemLength ? kStemLength - tail.size() : 0;
  std::string out(CutUtf8(p.stem, room));
  out += tail;
  out += CutUtf8(p.dotExtension, 1 + kExtensionLength);
  return out;
}

std::string ShortNameFamily(std::string_view shortName) {
  const ShortParts p = SplitShortName(shortName);
  return std::string(p.stem) + std::string(p.dotExtension);
}

std::string IsoDescriptorText(std::string_view text) {
  static constexpr std::string_view kAllowedMarks = " !\"%&'()*+,-./:;<=>?_";
  std::string out;
  for (const char16_t unit : platform::Utf8ToUtf16(text)) {
    if (unit >= 0xDC00 && unit <= 0xDFFF) continue;  // the second half of a character already shown
    switch (unit) {
      case u'č': case u'Č': case u'ć': case u'Ć': out += 'C'; continue;
      case u'ž': case u'Ž': out += 'Z'; continue;
      case u'š': case u'Š': out += 'S'; continue;
      case u'đ': case u'Đ': out += "DJ"; continue;
      default: break;
    }
    const char c = unit < 0x80 ? static_cast<char>(unit) : '\0';
    if (c >= 'a' && c <= 'z') {
      out += static_cast<char>(c - 'a' + 'A');
    } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || (c != '\0' && kAllowedMarks.find(c) != std::string_view::npos)) {
      out += c;
    } else {
      out += '_';
    }
  }
  return out;
}

}  // namespace kivo
