#include "tests/iso/ImageCheck.h"

#include <fmt/format.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

#include "engine/platform/Text.h"

namespace kivo::testing {

namespace {

constexpr std::size_t kSector = 2048;

std::uint32_t Le16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
std::uint32_t Be16(const std::uint8_t* p) { return p[0] << 8 | p[1]; }
std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint32_t Be32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | static_cast<std::uint32_t>(p[3]);
}

struct Directory {
  std::string path;        // readable, as in CheckedEntry
  std::string identifier;  // bytes as recorded; the root's is "\0"
  std::uint32_t extent = 0;
  std::uint32_t size = 0;
  std::uint32_t parentExtent = 0;
};

struct PathRecord {
  std::string identifier;
  std::uint32_t extent = 0;
  std::uint32_t parent = 0;
  bool operator==(const PathRecord&) const = default;
};

struct TreeReading {
  std::vector<Directory> dirs;    // in walk order
  std::vector<PathRecord> table;  // the L table
  std::map<std::uint32_t, std::vector<CheckedEntry>> contents;  // by the directory's extent
};

std::u16string Units(const std::string& id, bool joliet) {
  std::u16string units;
  if (!joliet) {
    for (const char c : id) units.push_back(static_cast<std::uint8_t>(c));
    return units;
  }
  for (std::size_t i = 0; i + 1 < id.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(id[i]) << 8 | static_cast<std::uint8_t>(id[i + 1])));
  }
  return units;
}

// A recorded identifier as a reader shows it: Joliet names decoded from UTF-16 and without a
// file's ";1"; ISO names as they are.
std::string Readable(const std::string& id, bool joliet) {
  if (!joliet) return id;
  std::u16string units = Units(id, true);
  if (units.ends_with(u";1")) units.resize(units.size() - 2);
  return platform::Utf16ToUtf8(units);
}

// What a directory's records ascend by: the name and then the extension, each padded with blanks
// to a width no identifier reaches (every version this system writes is 1).
std::u16string SortKey(const std::string& id, bool joliet) {
  std::u16string units = Units(id, joliet);
  units.resize(std::min(units.size(), units.rfind(u';')));
  const std::size_t dot = units.rfind(u'.');
  std::u16string name = units.substr(0, dot);
  std::u16string extension = dot == std::u16string::npos ? u"" : units.substr(dot + 1);
  name.resize(256, u' ');
  extension.resize(256, u' ');
  return name + extension;
}

class Checker {
 public:
  explicit Checker(std::span<const std::uint8_t> image) : image_(image) {}

  ImageCheck Run() {
    if (image_.size() < 17 * kSector || image_.size() % kSector != 0) {
      Problem("the image is not a whole number of sectors beyond the system area");
      return std::move(result_);
    }
    if (std::any_of(image_.begin(), image_.begin() + 16 * kSector, [](std::uint8_t b) { return b != 0; })) {
      Problem("the system area is not zero");
    }
    const std::uint8_t* pvd = nullptr;
    const std::uint8_t* svd = nullptr;
    for (std::size_t s = 16;; ++s) {
      if ((s + 1) * kSector > image_.size()) {
        Problem("no volume descriptor set terminator");
        return std::move(result_);
      }
      const std::uint8_t* d = Sector(s);
      if (std::string(reinterpret_cast<const char*>(d + 1), 5) != "CD001" || d[6] != 1) {
        Problem(fmt::format("sector {} is no volume descriptor", s));
        return std::move(result_);
      }
      if (d[0] == 255) break;
      if (d[0] == 1) pvd = d;
      if (d[0] == 2) svd = d;
      if (d[0] == 0) CheckBootRecord(d);
    }
    if (pvd == nullptr) {
      Problem("no primary volume descriptor");
      return std::move(result_);
    }
    result_.volumeSpaceSize = Both32(pvd, 80, "PVD volume space size");
    if (result_.volumeSpaceSize != image_.size() / kSector) {
      Problem(fmt::format("volume space size {} but the image holds {} sectors", result_.volumeSpaceSize,
                          image_.size() / kSector));
    }
    if (std::any_of(pvd + 88, pvd + 120, [](std::uint8_t b) { return b != 0; })) {
      Problem("PVD bytes 88-119 are not zero");
    }
    const TreeReading iso = CheckTree(pvd, false, result_.iso);
    if (svd != nullptr) {
      result_.hasJoliet = true;
      if (svd[88] != 0x25 || svd[89] != 0x2F) Problem("SVD carries no Joliet escape sequence");
      if (Both32(svd, 80, "SVD volume space size") != result_.volumeSpaceSize) Problem("SVD volume space size differs");
      const TreeReading joliet = CheckTree(svd, true, result_.joliet);
      CompareTrees(iso, joliet);
    }
    return std::move(result_);
  }

 private:
  void Problem(std::string text) { result_.problems.push_back(std::move(text)); }

  const std::uint8_t* Sector(std::size_t n) const { return image_.data() + n * kSector; }

  bool Inside(std::uint32_t extent, std::uint32_t size) const {
    const std::uint64_t end = extent + (static_cast<std::uint64_t>(size) + kSector - 1) / kSector;
    return end <= result_.volumeSpaceSize && end * kSector <= image_.size();
  }

  std::uint32_t Both32(const std::uint8_t* p, std::size_t at, const std::string& what) {
    if (Le32(p + at) != Be32(p + at + 4)) Problem(what + ": the two byte orders differ");
    return Le32(p + at);
  }
  std::uint32_t Both16(const std::uint8_t* p, std::size_t at, const std::string& what) {
    if (Le16(p + at) != Be16(p + at + 2)) Problem(what + ": the two byte orders differ");
    return Le16(p + at);
  }

  void CheckBootRecord(const std::uint8_t* d) {
    result_.bootable = true;
    if (std::string(reinterpret_cast<const char*>(d + 7)) != "EL TORITO SPECIFICATION") Problem("boot system id");
    const std::uint32_t catalog = Le32(d + 71);
    if ((static_cast<std::uint64_t>(catalog) + 1) * kSector > image_.size()) {
      Problem("boot catalog outside the image");
      return;
    }
    const std::uint8_t* c = Sector(catalog);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 32; i += 2) sum = static_cast<std::uint16_t>(sum + Le16(c + i));
    if (c[0] != 1 || sum != 0 || c[30] != 0x55 || c[31] != 0xAA) Problem("boot catalog validation entry");
    if (c[32] != 0x88) Problem("boot catalog default entry is not bootable");
    if ((static_cast<std::uint64_t>(Le32(c + 40)) + 1) * kSector > image_.size()) Problem("boot image outside the image");
  }

  // Walks one tree from its descriptor, checking its directory records and path tables.
  TreeReading CheckTree(const std::uint8_t* descriptor, bool joliet, std::vector<CheckedEntry>& entries) {
    const std::string tree = joliet ? "Joliet" : "ISO";
    Both16(descriptor, 120, tree + " volume set size");
    Both16(descriptor, 124, tree + " volume sequence number");
    if (Both16(descriptor, 128, tree + " block size") != kSector) Problem(tree + " block size is not 2048");
    const std::uint32_t tableSize = Both32(descriptor, 132, tree + " path table size");
    const std::uint8_t* root = descriptor + 156;
    if (root[0] != 34 || root[32] != 1 || root[33] != 0) Problem(tree + " root record");

    TreeReading reading;
    std::vector<Directory>& dirs = reading.dirs;
    Directory top{"", std::string(1, '\0'), Both32(root, 2, tree + " root extent"), Both32(root, 10, tree + " root size"), 0};
    top.parentExtent = top.extent;
    std::deque<Directory> pending{top};
    while (!pending.empty()) {
      Directory dir = pending.front();
      pending.pop_front();
      dirs.push_back(dir);
      for (auto& [e, id] : ReadDirectory(dir, joliet, tree)) {
        if (e.IsDirectory()) pending.push_back({e.path, id, e.extent, e.size, dir.extent});
        entries.push_back(e);
        reading.contents[dir.extent].push_back(e);
      }
    }
    reading.table = ReadPathTable(Le32(descriptor + 140), tableSize, false, tree + " L path table");
    if (ReadPathTable(Be32(descriptor + 148), tableSize, true, tree + " M path table") != reading.table) {
      Problem(tree + ": the M path table differs from the L table");
    }
    // The Joliet table keeps the order of the ISO one, which CompareTrees checks.
    CheckPathTable(reading.table, dirs, tree, !joliet);
    return reading;
  }

  // The directory's records but "." and "..", each with its identifier as recorded.
  std::vector<std::pair<CheckedEntry, std::string>> ReadDirectory(const Directory& dir, bool joliet,
                                                                  const std::string& tree) {
    std::vector<std::pair<CheckedEntry, std::string>> out;
    const std::string where = tree + " directory /" + dir.path;
    if (dir.size == 0 || dir.size % kSector != 0 || !Inside(dir.extent, dir.size)) {
      Problem(where + ": size or extent out of place");
      return out;
    }
    int index = 0;
    std::u16string previous;
    for (std::uint32_t s = 0; s < dir.size / kSector; ++s) {
      const std::uint8_t* sector = Sector(dir.extent + s);
      std::size_t at = 0;
      while (at < kSector && sector[at] != 0) {
        const std::uint8_t* r = sector + at;
        const std::size_t length = r[0];
        const std::size_t idLength = r[32];
        if (length < 34 || at + length > kSector || 33 + idLength > length) {
          Problem(where + ": a record crosses its sector or is malformed");
          return out;
        }
        CheckedEntry e;
        e.extent = Both32(r, 2, where + " extent");
        e.size = Both32(r, 10, where + " data length");
        Both16(r, 28, where + " volume sequence number");
        e.flags = r[25];
        const std::string id(reinterpret_cast<const char*>(r + 33), idLength);
        if (index == 0 || index == 1) {
          const std::uint32_t expected = index == 0 ? dir.extent : dir.parentExtent;
          if (id != std::string(1, static_cast<char>(index)) || e.extent != expected) {
            Problem(where + (index == 0 ? ": \".\"" : ": \"..\"") + " record does not point where it should");
          }
        } else {
          const std::string name = Readable(id, joliet);
          e.path = dir.path.empty() ? name : dir.path + "/" + name;
          const std::u16string key = SortKey(id, joliet);
          if (index > 2 && !(previous < key)) Problem(tree + " /" + e.path + ": records are not in ascending order");
          previous = key;
          if (e.size > 0 && !Inside(e.extent, e.size)) Problem(tree + " /" + e.path + ": extent outside the volume");
          if (e.size == 0 && !e.IsDirectory() && e.extent != 0) Problem(tree + " /" + e.path + ": empty file with an extent");
          out.emplace_back(e, id);
        }
        ++index;
        at += length;
      }
      if (std::any_of(sector + at, sector + kSector, [](std::uint8_t b) { return b != 0; })) {
        Problem(where + ": bytes after the last record of a sector");
      }
    }
    return out;
  }

  std::vector<PathRecord> ReadPathTable(std::uint32_t location, std::uint32_t size, bool bigEndian,
                                        const std::string& what) {
    std::vector<PathRecord> records;
    const std::uint64_t sectors = (static_cast<std::uint64_t>(size) + kSector - 1) / kSector;
    if (size < 10 || (location + sectors) * kSector > image_.size()) {
      Problem(what + ": out of place");
      return records;
    }
    const std::uint8_t* t = Sector(location);
    std::size_t at = 0;
    while (at < size) {
      const std::size_t length = t[at];
      if (length == 0 || at + 8 + length > size) {
        Problem(what + ": malformed record");
        return records;
      }
      PathRecord r;
      r.extent = bigEndian ? Be32(t + at + 2) : Le32(t + at + 2);
      r.parent = bigEndian ? Be16(t + at + 6) : Le16(t + at + 6);
      r.identifier.assign(reinterpret_cast<const char*>(t + at + 8), length);
      records.push_back(r);
      at += 8 + length + length % 2;
    }
    if (at != size) Problem(what + ": its size is not the sum of its records");
    if (std::any_of(t + size, t + sectors * kSector, [](std::uint8_t b) { return b != 0; })) {
      Problem(what + ": the tail of its last sector is not zero");
    }
    return records;
  }

  // Every directory has exactly one record; each record's parent is its directory's parent; the
  // order is level by level, grouped by parent, names ascending within a parent.
  void CheckPathTable(const std::vector<PathRecord>& table, const std::vector<Directory>& dirs, const std::string& tree,
                      bool namesAscend) {
    if (table.size() != dirs.size()) {
      Problem(fmt::format("{}: {} path table records for {} directories", tree, table.size(), dirs.size()));
      return;
    }
    std::map<std::uint32_t, const Directory*> byExtent;
    for (const Directory& d : dirs) byExtent[d.extent] = &d;
    for (std::size_t i = 0; i < table.size(); ++i) {
      const PathRecord& r = table[i];
      const auto found = byExtent.find(r.extent);
      if (found == byExtent.end() || r.parent == 0 || r.parent > table.size()) {
        Problem(fmt::format("{}: path table record {} names no directory", tree, i + 1));
        continue;
      }
      const Directory& d = *found->second;
      if (d.identifier != r.identifier || table[r.parent - 1].extent != d.parentExtent) {
        Problem(fmt::format("{}: path table record {} disagrees with the records of /{}", tree, i + 1, d.path));
      }
      const bool sameParent = i > 0 && r.parent == table[i - 1].parent;
      if (i > 0 && (r.parent < table[i - 1].parent || (sameParent && namesAscend && !(table[i - 1].identifier < r.identifier)))) {
        Problem(fmt::format("{}: path table record {} is out of order", tree, i + 1));
      }
    }
    if (table[0].parent != 1 || table[0].identifier != std::string(1, '\0')) Problem(tree + ": path table root record");
  }

  // The Joliet tree holds the same directories and files as the ISO tree, and each file's two
  // records point at the same data. The two path tables list the directories in one order, so a
  // directory is the same in both by its place there; each tree orders its records by its own
  // names, so the files of a directory are compared as a set.
  void CompareTrees(const TreeReading& iso, const TreeReading& joliet) {
    if (iso.dirs.size() != joliet.dirs.size() || result_.iso.size() != result_.joliet.size() ||
        iso.table.size() != joliet.table.size()) {
      Problem("the ISO and the Joliet tree differ in size");
      return;
    }
    using Data = std::tuple<std::uint8_t, std::uint32_t, std::uint32_t>;
    const auto data = [](const TreeReading& tree, std::uint32_t extent) {
      std::vector<Data> out;
      const auto found = tree.contents.find(extent);
      if (found == tree.contents.end()) return out;
      for (const CheckedEntry& e : found->second) {
        out.emplace_back(e.flags, e.IsDirectory() ? 0 : e.extent, e.IsDirectory() ? 0 : e.size);
      }
      std::sort(out.begin(), out.end());
      return out;
    };
    for (std::size_t i = 0; i < iso.table.size(); ++i) {
      if (iso.table[i].parent != joliet.table[i].parent) {
        Problem(fmt::format("path table record {} names another directory in the Joliet table", i + 1));
      }
      if (data(iso, iso.table[i].extent) != data(joliet, joliet.table[i].extent)) {
        Problem(fmt::format("the directory of path table record {} holds other files in the Joliet tree", i + 1));
      }
    }
  }

  std::span<const std::uint8_t> image_;
  ImageCheck result_;
};

}  // namespace

ImageCheck CheckImage(std::span<const std::uint8_t> image) { return Checker(image).Run(); }

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace kivo::testing
