#include "engine/iso/SessionImportRecord.h"

#include "engine/drive/BigEndian.h"
#include "engine/iso/DateTime.h"
#include "engine/iso/IsoNames.h"
#include "engine/platform/Text.h"
#include "engine/platform/Time.h"

namespace kivo {

namespace {

// Places inside a directory record.
constexpr std::size_t kExtent = 2;       // little-endian half of the both-byte-order field
constexpr std::size_t kDataLength = 10;
constexpr std::size_t kDate = 18;
constexpr std::size_t kFlags = 25;
constexpr std::size_t kIdentifierLength = 32;


std::u16string Ucs2(std::span<const std::uint8_t> identifier) {
  std::u16string units(identifier.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>((identifier[2 * i] << 8) | identifier[2 * i + 1]);
  }
  return units;
}

std::string WithoutSlashes(std::string name) {
  for (std::size_t at = name.find('/'); at != std::string::npos; at = name.find('/', at)) {
    name.replace(at, 1, "%2F");
  }
  return name;
}

// A file identifier ends in its version (";1"): only a last ";" followed by nothing but
// digits is cut, so that a ";" the name itself holds stays ("ab;c.txt;1" is "ab;c.txt"). A
// ";" in the first place would leave no name and is kept. Directory identifiers carry no
// version and are left whole.
template <typename Text>
void CutVersion(Text& name, bool directory) {
  const std::size_t semicolon = name.rfind(';');
  if (directory || semicolon == Text::npos || semicolon == 0) return;
  for (std::size_t i = semicolon + 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return;
  }
  name.resize(semicolon);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool IsRealDay(int year, int month, int day) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  return day <= kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

}  // namespace

std::string ImportedName(std::span<const std::uint8_t> identifier, DirectoryTree tree, bool directory) {
  if (tree == DirectoryTree::Joliet) {
    std::u16string units = Ucs2(identifier);
    CutVersion(units, directory);
    return WithoutSlashes(platform::Utf16ToUtf8(units));
  }
  std::string name(identifier.begin(), identifier.end());
  CutVersion(name, directory);
  return WithoutSlashes(std::move(name));
}

std::string ShownIdentifier(std::span<const std::uint8_t> identifier, DirectoryTree tree) {
  // A Joliet identifier is shown decoded: read byte by byte, a Latin name would end at the
  // zero high byte of its first character and show nothing.
  if (tree == DirectoryTree::Joliet) {
    std::u16string units = Ucs2(identifier);
    units.resize(std::min(units.size(), units.find(u'\0')));
    return platform::Utf16ToUtf8(units);
  }
  std::string text(identifier.begin(), identifier.end());
  text.resize(std::min(text.size(), text.find('\0')));
  return text;
}

std::int64_t ImportedTime(const std::uint8_t* date) {
  platform::CivilTime t;
  t.year = 1900 + date[0];
  t.month = date[1];
  t.day = date[2];
  if (!IsRealDay(t.year, t.month, t.day)) {
    t.year = 1899;  // the zero date
    t.month = 12;
    t.day = 30;
  }
  if (date[3] < 24 && date[4] < 60 && date[5] < 60) {
    t.hour = date[3];
    t.minute = date[4];
    t.second = date[5];
  }
  return platform::LocalToUnix(t);
}

std::int64_t RecordTimes::Of(const std::uint8_t* date) {
  std::uint64_t key = 0;
  for (int i = 0; i < 6; ++i) key = key << 8 | date[i];
  const auto [it, added] = known_.try_emplace(key, 0);
  if (added) it->second = ImportedTime(date);
  return it->second;
}

ImportedRecord DecodeRecord(std::span<const std::uint8_t> record, DirectoryTree tree, RecordTimes& times) {
  const std::uint8_t* r = record.data();
  ImportedRecord out;
  out.extent = le32(r + kExtent);
  out.dataLength = le32(r + kDataLength);
  out.directory = (r[kFlags] & kFlagDirectory) != 0;
  out.moreExtents = !out.directory && (r[kFlags] & kFlagMoreExtents) != 0;
  platform::DirEntry& rec = out.searchRec;
  rec.name = ImportedName(record.subspan(kRecordHeaderLength, r[kIdentifierLength]), tree, out.directory);
  rec.alias = NameToAlias(rec.name);
  rec.size = out.dataLength;
  rec.attributes = ((r[kFlags] & kFlagHidden) ? platform::kAttrHidden : 0u) |
                   (out.directory ? platform::kAttrDirectory : 0u);
  rec.mtime = times.Of(r + kDate);
  return out;
}

}  // namespace kivo
