// Discs made sector by sector: descriptors and directory records placed where a test wants
// them, for the record rules and for trees that a damaged or hostile disc could hold.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/iso/DirectoryRecords.h"
#include "engine/iso/SessionImport.h"
#include "engine/platform/Text.h"

namespace kivo::testing {

// A disc whose sectors the test holds; it keeps every sector read and the size of each read.
struct SectorDisc {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint32_t> reads;
  std::vector<std::uint32_t> readSizes;
  std::uint32_t unreadableFrom = UINT32_MAX;

  std::uint32_t Sectors() const { return static_cast<std::uint32_t>(bytes.size() / 2048); }
  SessionSource Source() {
    SessionSource source;
    source.end = Sectors();
    source.read = [this](std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> sectors) {
      EXPECT_EQ(sectors.size(), std::size_t{count} * 2048);
      readSizes.push_back(count);
      for (std::uint32_t i = 0; i < count; ++i) reads.push_back(lba + i);
      if (lba + std::uint64_t{count} > std::min(Sectors(), unreadableFrom)) return false;
      std::copy_n(bytes.begin() + std::ptrdiff_t{lba} * 2048, std::size_t{count} * 2048, sectors.begin());
      return true;
    };
    return source;
  }
};

inline std::vector<std::uint8_t> Ucs2(const std::string& text) {
  std::vector<std::uint8_t> out;
  for (char16_t u : platform::Utf8ToUtf16(text)) {
    out.push_back(static_cast<std::uint8_t>(u >> 8));
    out.push_back(static_cast<std::uint8_t>(u));
  }
  return out;
}

inline std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Hand-made sectors: descriptors and directory records placed where a test wants them.
class HandDisc : public SectorDisc {
 public:
  explicit HandDisc(std::uint32_t sectors) { bytes.assign(std::size_t{sectors} * 2048, 0); }

  std::uint8_t* Sector(std::uint32_t lba) { return bytes.data() + std::size_t{lba} * 2048; }

  // A volume descriptor (1 primary, 2 supplementary, with or without the Joliet escape).
  void Descriptor(std::uint32_t lba, std::uint8_t type, std::uint32_t rootExtent, std::uint32_t rootLength,
                  bool jolietEscape) {
    std::uint8_t* d = Sector(lba);
    d[0] = type;
    std::copy_n("CD001\x01", 6, d + 1);
    if (jolietEscape) std::copy_n("%/@", 3, d + 88);
    RecordFields root{.extent = rootExtent, .dataLength = rootLength, .hasDate = false, .flags = kFlagDirectory};
    PutDirectoryRecord({d + 156, 34}, root, std::vector<std::uint8_t>{0}, 0);
  }
  void Terminator(std::uint32_t lba) { std::copy_n("\xff" "CD001\x01", 7, Sector(lba)); }
  // The descriptor of one tree at sector 16, the terminator after it.
  void Volume(DirectoryTree tree, std::uint32_t rootExtent, std::uint32_t rootLength) {
    const bool joliet = tree == DirectoryTree::Joliet;
    Descriptor(16, joliet ? 2 : 1, rootExtent, rootLength, joliet);
    Terminator(17);
  }

  // A record at offset at of a sector; returns the offset after it.
  std::size_t Record(std::uint32_t lba, std::size_t at, const std::vector<std::uint8_t>& identifier,
                     std::uint32_t extent = 0, std::uint32_t length = 0, std::uint8_t flags = 0) {
    RecordFields f{.extent = extent, .dataLength = length, .date = 45000.5, .flags = flags};
    // Up to the end of the disc: a test may let a record cross its sector's end.
    PutDirectoryRecord(std::span(bytes).subspan(std::size_t{lba} * 2048 + at), f, identifier, 0);
    return at + RecordLength(identifier.size());
  }
  // "." and ".." of a directory at lba, as the first two records of its first sector.
  std::size_t Dots(std::uint32_t lba) {
    const std::size_t at = Record(lba, 0, {0}, lba, 2048, kFlagDirectory);
    return Record(lba, at, {1}, lba, 2048, kFlagDirectory);
  }
};

// A disc made to harm its reader, in its Joliet tree: a ".." directory whose own entry would
// land one folder up, names that hold a separator or climb ("a/b", "../up.txt", "..;1"), a
// directory that holds its own root ("loop"), one whose length runs far past the disc ("huge",
// holding the sound "inside.txt"), and the sound "ok.txt". Sector 40 holds "owned", sector 41
// "sound!". moreNames: further files (of "owned") after "ok.txt".
inline HandDisc HostileJolietDisc(const std::vector<std::string>& moreNames = {}) {
  HandDisc hand(60);
  hand.Volume(DirectoryTree::Joliet, 20, 2048);
  std::size_t at = hand.Dots(20);
  at = hand.Record(20, at, Ucs2(".."), 21, 2048, kFlagDirectory);
  at = hand.Record(20, at, Ucs2("a/b"), 40, 5);
  at = hand.Record(20, at, Ucs2("../up.txt"), 40, 5);
  at = hand.Record(20, at, Ucs2("..;1"), 40, 5);
  at = hand.Record(20, at, Ucs2("loop"), 20, 2048, kFlagDirectory);
  at = hand.Record(20, at, Ucs2("huge"), 22, 0xFFFFFFFF, kFlagDirectory);
  at = hand.Record(20, at, Ucs2("ok.txt"), 41, 6);
  for (const std::string& name : moreNames) at = hand.Record(20, at, Ucs2(name), 40, 5);
  hand.Record(21, hand.Dots(21), Ucs2("escaped.txt"), 40, 5);
  hand.Record(22, hand.Dots(22), Ucs2("inside.txt"), 41, 6);
  std::copy_n("owned", 5, hand.Sector(40));
  std::copy_n("sound!", 6, hand.Sector(41));
  return hand;
}

}  // namespace kivo::testing
