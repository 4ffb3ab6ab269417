#include "engine/platform/PrivateProfile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <optional>
#include <vector>

#include "engine/platform/Files.h"
#include "engine/platform/ReplacementFile.h"
#include "engine/platform/Text.h"

namespace kivo::platform {

namespace {

constexpr std::string_view kBlanks = " \t";
// Editors on other systems put one before the first section; it must not hide that section.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) { return UpperAscii(Trim(a)) == UpperAscii(Trim(b)); }

// Whole decimal numbers only: a value the user mistyped is treated as absent, not as its
// leading digits.
std::optional<long long> ParseWhole(std::string_view text) {
  std::string_view digits = text;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  if (text[0] == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

struct Line {
  std::string text;
  std::string end;  // "\r\n", "\n", or empty for a last line without one
};

struct Entry {
  enum Kind { kOther, kSection, kKey } kind = kOther;
  std::string_view name;
  std::size_t valueStart = 0;  // keys: the offset just past '='
};

Entry Classify(std::string_view text) {
  const std::size_t skipped = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  const std::string_view body = text.substr(skipped);
  const std::string_view trimmed = Trim(body);
  if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') return {};
  // A header missing its ']' still opens a section, so the keys below it are not taken for
  // keys of the section before.
  if (trimmed[0] == '[') {
    const std::size_t close = trimmed.find(']');
    return {Entry::kSection, Trim(trimmed.substr(1, close == std::string_view::npos ? close : close - 1))};
  }
  const std::size_t equals = body.find('=');
  if (equals == std::string_view::npos) return {};
  return {Entry::kKey, Trim(body.substr(0, equals)), skipped + equals + 1};
}

// The file as lines, each keeping its own line end, so that lines no write touches go back
// byte for byte even in a file with mixed ends.
class Lines {
 public:
  explicit Lines(std::string_view content) {
    for (std::size_t start = 0; start < content.size();) {
      const std::size_t newline = content.find('\n', start);
      if (newline == std::string_view::npos) {
        lines_.push_back({std::string(content.substr(start)), {}});
        break;
      }
      const std::size_t textEnd = newline > start && content[newline - 1] == '\r' ? newline - 1 : newline;
      lines_.push_back({std::string(content.substr(start, textEnd - start)),
                        std::string(content.substr(textEnd, newline + 1 - textEnd))});
      start = newline + 1;
    }
    const auto ended = std::find_if(lines_.begin(), lines_.end(), [](const Line& l) { return !l.end.empty(); });
    newLineEnd_ = ended == lines_.end() ? "\n" : ended->end;
  }

  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const {
    const Place place = Locate(section, key);
    if (place.key == kNone) return std::nullopt;
    const std::string& text = lines_[place.key].text;
    return Trim(std::string_view(text).substr(Classify(text).valueStart));
  }

  void Put(std::string_view section, std::string_view key, std::string_view value) {
    Place place = Locate(section, key);
    if (place.key != kNone) {
      // The key's spelling and the blanks after '=' are the user's; only the value changes.
      std::string& text = lines_[place.key].text;
      std::size_t keep = Classify(text).valueStart;
      while (keep < text.size() && kBlanks.find(text[keep]) != std::string_view::npos) ++keep;
      text.replace(keep, std::string::npos, value);
      return;
    }
    if (place.header == kNone) {
      Insert(lines_.size(), "[" + std::string(Trim(section)) + "]");
      place.after = lines_.size();
    }
    Insert(place.after, std::string(Trim(key)) + "=" + std::string(value));
  }

  std::string Join() const {
    std::string content;
    for (const Line& line : lines_) content += line.text + line.end;
    return content;
  }

 private:
  static constexpr std::size_t kNone = std::string::npos;

  struct Place {
    std::size_t header = kNone;
    std::size_t key = kNone;
    std::size_t after = kNone;  // where a new key goes: after the header or the last key
  };

  // Only the first section of a name counts, for reading and writing alike, so a duplicate
  // section further down can never shadow what the program wrote.
  Place Locate(std::string_view section, std::string_view key) const {
    Place place;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const Entry entry = Classify(lines_[i].text);
      if (entry.kind == Entry::kSection) {
        if (place.header != kNone) break;
        if (SameName(entry.name, section)) {
          place.header = i;
          place.after = i + 1;
        }
      } else if (entry.kind == Entry::kKey && place.header != kNone) {
        place.after = i + 1;
        if (SameName(entry.name, key)) {
          place.key = i;
          break;
        }
      }
    }
    return place;
  }

  void Insert(std::size_t at, std::string text) {
    // Only the last line can lack an end; a line after it needs one.
    if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = newLineEnd_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), newLineEnd_});
  }

  std::vector<Line> lines_;
  std::string newLineEnd_;
};

// Why a name would not read back as itself; empty when it would.
std::string_view NameProblem(std::string_view name, bool isSection) {
  const std::string_view trimmed = Trim(name);
  if (trimmed.empty()) return "the name is empty";
  if (trimmed.find_first_of("\r\n") != std::string_view::npos) return "the name holds a line break";
  if (isSection && trimmed.find(']') != std::string_view::npos) return "a section name cannot hold ']'";
  if (!isSection && trimmed.find('=') != std::string_view::npos) return "a key name cannot hold '='";
  if (!isSection && std::string_view(";#[").find(trimmed[0]) != std::string_view::npos)
    return "a key name cannot start with ';', '#' or '['";
  return {};
}

}  // namespace

bool PrivateProfile::Load(std::string* content, bool* exists) const {
  error_.clear();
  content->clear();
  *exists = false;
  File file;
  if (!file.Open(path_, File::Mode::Read)) {
    if (errno == ENOENT) return true;
    error_ = file.LastError();
    return false;
  }
  char buffer[4096];
  for (;;) {
    const std::int64_t n = file.Read(buffer, sizeof buffer);
    content->append(buffer, static_cast<std::size_t>(n));
    if (n == static_cast<std::int64_t>(sizeof buffer)) continue;
    if (!file.LastError().empty()) {
      error_ = file.LastError();
      content->clear();
      return false;
    }
    break;
  }
  *exists = true;
  return true;
}

bool PrivateProfile::Save(const std::string& content) {
  // A settings file behind a symbolic link stays behind it: the file it leads to is replaced.
  if (!PathTaken(path_) && !MakeDirectory(ParentFolder(path_), &error_)) return false;
  ReplacementFile file;
  const auto size = static_cast<std::int64_t>(content.size());
  if (!file.Create(path_, ReplacementFile::Links::Follow) || file.file().Write(content.data(), size) != size ||
      !file.Commit()) {
    error_ = file.LastError().empty() ? file.file().LastError() : file.LastError();
    return false;
  }
  return true;
}

std::string PrivateProfile::ReadString(std::string_view section, std::string_view key,
                                       std::string_view fallback) const {
  std::string content;
  bool exists;
  if (!Load(&content, &exists) || !exists) return std::string(fallback);
  const Lines lines(content);  // the value found points into it
  return std::string(lines.Find(section, key).value_or(fallback));
}

int PrivateProfile::ReadInt(std::string_view section, std::string_view key, int fallback) const {
  const auto value = ParseWhole(ReadString(section, key, {}));
  return value && *value >= INT_MIN && *value <= INT_MAX ? static_cast<int>(*value) : fallback;
}

bool PrivateProfile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  const auto value = ParseWhole(ReadString(section, key, {}));
  return value ? *value != 0 : fallback;
}

bool PrivateProfile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  return WriteAll(section, {{std::string(key), std::string(value)}});
}

bool PrivateProfile::WriteInt(std::string_view section, std::string_view key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool PrivateProfile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

bool PrivateProfile::WriteAll(std::string_view section, const KeyValues& keyValues) {
  error_.clear();
  const auto refuse = [&](std::string_view what, std::string_view name, std::string_view problem) {
    error_ = path_ + ": cannot store " + std::string(what) + " \"" + std::string(name) + "\": ";
    error_ += problem;
    return false;
  };
  if (const auto problem = NameProblem(section, true); !problem.empty())
    return refuse("the section", section, problem);
  for (const auto& [key, value] : keyValues) {
    if (const auto problem = NameProblem(key, false); !problem.empty()) return refuse("the key", key, problem);
    // The line break would end the value early and turn its rest into a line of its own.
    if (value.find_first_of("\r\n") != std::string::npos)
      return refuse("the key", key, "the value holds a line break");
  }

  std::string old;
  bool exists;
  // A file that exists but cannot be read is never replaced: that would lose what it holds.
  if (!Load(&old, &exists)) return false;
  Lines lines(old);
  for (const auto& [key, value] : keyValues) lines.Put(section, key, value);
  const std::string content = lines.Join();
  if (exists && content == old) return true;
  return Save(content);
}

}  // namespace kivo::platform
