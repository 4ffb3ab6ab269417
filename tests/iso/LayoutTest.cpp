// The layout's exact places and bytes: where every structure of a session goes, the sizes of
// path tables and directories, the directory order, dates, flags and the boot catalog.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <fmt/format.h>

#include <array>
#include <ctime>
#include <tuple>
#include <filesystem>

#include "engine/drive/MediaKinds.h"
#include "engine/iso/DirectoryRecords.h"
#include "engine/iso/ElTorito.h"
#include "engine/iso/IsoFields.h"
#include "engine/platform/Text.h"
#include "engine/platform/Threads.h"
#include "tests/iso/HandDisc.h"
#include "tests/iso/ImageFixture.h"
#include "tests/platform/ScopedEnv.h"

namespace kivo::testing {
namespace {

using LayoutTest = ImageTest;

std::uint32_t Le32At(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
}

// PVD, SVD, terminator, ISO L and M tables, Joliet L and M tables, ISO and Joliet directories,
// padding.
using Places = std::array<std::uint32_t, 10>;

TEST_F(LayoutTest, OneByteFilePlacesEveryStructure) {
  for (const auto& [joliet, want] : std::vector<std::pair<bool, Places>>{
           {true, {16, 17, 18, 19, 20, 21, 22, 23, 24, 125}},
           {false, {16, 0, 17, 18, 19, 0, 0, 20, 0, 129}}}) {
    SCOPED_TRACE(joliet);
    burner.ResetCompilation(100, 10);
    burner.JolietFileSystem = joliet;
    AddSource(Root(), "a.txt", 1);
    ASSERT_TRUE(Save());
    const Places got{burner.PrimaryDescriptorLocation, burner.JolietDescriptorLocation, burner.TerminatorLocation,
                     burner.IsoPathTableL, burner.IsoPathTableM, burner.JolietPathTableL, burner.JolietPathTableM,
                     burner.IsoDirectoryArea, burner.JolietDirectoryArea, burner.PaddingSectors};
    EXPECT_EQ(got, want);
    EXPECT_EQ(burner.FirstFileLocation, 150u);
    EXPECT_EQ(burner.VolumeSpaceSize, 151);
    EXPECT_EQ(burner.ImageSize(), 300);
    burner.WritePostGap = false;
    EXPECT_EQ(burner.ImageSize(), 151);
    burner.WritePostGap = true;

    // 16 zero sectors, the structures, zeros up to 150, then the byte and 2047 zeros.
    ASSERT_EQ(image.size(), 309248u);
    const ImageCheck check = CheckImage(image);
    EXPECT_EQ(check.problems, std::vector<std::string>{});
    EXPECT_EQ(check.iso.at(0).extent, 150u);
    EXPECT_TRUE(std::all_of(SectorAt(got[7] + (joliet ? 2 : 1)), SectorAt(150), [](auto b) { return b == 0; }));
    EXPECT_EQ(image[150 * 2048], 'a');
    EXPECT_TRUE(std::all_of(image.begin() + 150 * 2048 + 1, image.end(), [](auto b) { return b == 0; }));
  }
}

TEST_F(LayoutTest, PathTableSizes) {
  // ISO records are 8 bytes, the name, and a pad to even length; Joliet names take 2 bytes a unit.
  for (const auto& [name, isoSize, jolietSize] : std::vector<std::tuple<std::string, std::uint32_t, std::uint32_t>>{
           {"DOCS", 22, 26}, {"DOC", 22, 24}, {"Đorđe", 10 + 8 + 5 + 1, 10 + 8 + 10}}) {
    burner.ResetCompilation(100, 10);
    burner.NewDirectory(Root(), name, 0x10);
    burner.PrepareLayout(true, nullptr);
    EXPECT_EQ(burner.IsoPathTableSize, isoSize) << name;
    EXPECT_EQ(burner.JolietPathTableSize, jolietSize) << name;
  }

  // 10 + 254 * 16 + 22 = 4096: two whole sectors, the M table right after them, nothing between.
  burner.ResetCompilation(1000, 1000);
  burner.JolietFileSystem = false;
  for (int i = 0; i < 254; ++i) burner.NewDirectory(Root(), fmt::format("D{:07}", i), 0x10);
  AddSource(burner.NewDirectory(Root(), "ABCDEFGHIJKLM", 0x10), "f.txt", 1);
  ASSERT_TRUE(Save());
  EXPECT_EQ(burner.IsoPathTableSize, 4096u);
  EXPECT_EQ(std::make_tuple(burner.IsoPathTableL, burner.IsoPathTableM, burner.IsoDirectoryArea),
            std::make_tuple(18u, 20u, 22u));
  EXPECT_EQ(CheckImage(image).problems, std::vector<std::string>{});
}

TEST_F(LayoutTest, DirectorySectorFilledExactly) {
  // "." and ".." take 68 bytes; 45 records of 44 bytes ("FILE00.TX;1": 11 bytes, odd, no pad)
  // fill the rest of the sector to its last byte.
  for (int i = 0; i < 45; ++i) AddSource(Root(), fmt::format("FILE{:02}.TX", i), 1);
  burner.PrepareLayout(true, nullptr);
  EXPECT_EQ(Root()->IsoDirSize, 2048);

  AddSource(Root(), "FILE45.TX", 1);
  ASSERT_TRUE(Save());
  EXPECT_EQ(Root()->IsoDirSize, 4096);
  const std::uint8_t* first = SectorAt(burner.IsoDirectoryArea);
  EXPECT_EQ(first[2047], '1');                    // the 45th record ends the sector: no zero tail
  EXPECT_EQ(SectorAt(burner.IsoDirectoryArea + 1)[0], 44);  // the 46th opens the next one
  EXPECT_EQ(CheckImage(image).problems, std::vector<std::string>{});
}

TEST_F(LayoutTest, DirectoryOrderIsLevelByLevelByShortName) {
  TDEntry* b = burner.NewDirectory(Root(), "B", 0x10);
  TDEntry* a = burner.NewDirectory(Root(), "A", 0x10);
  TDEntry* c = burner.NewDirectory(b, "C", 0x10);
  TDEntry* ab = burner.NewDirectory(Root(), "AB", 0x10);  // a prefix sorts first
  for (TDEntry* d : {a, b, c, ab}) AddSource(d, "f.txt", 1);
  ASSERT_TRUE(Save());
  EXPECT_EQ(std::make_tuple(a->Number, ab->Number, b->Number, c->Number), std::make_tuple(2, 3, 4, 5));
  const std::vector<TDEntry*> order{Root(), a, ab, b, c};
  EXPECT_EQ(burner.IsoDirOrder(), order);
  EXPECT_EQ(burner.JolietDirOrder(), order);
  EXPECT_EQ(burner.DirList(), (std::vector<TDEntry*>{Root(), b, a, c, ab}));  // creation order kept
  EXPECT_EQ(CheckImage(image).problems, std::vector<std::string>{});
}

// Each tree's records ascend by its own identifiers (the name, then the extension, each padded
// with blanks; a byte-wise order would differ for every pair below), while the files' data keeps
// the order they were added in.
TEST_F(LayoutTest, RecordsAscendInEachTreeWhileDataKeepsItsOrder) {
  const std::vector<std::string> added{"a-b.txt", "a.txt", "a b.txt", "X.B1", "X.B"};
  for (const std::string& name : added) AddSource(Root(), name, 1);
  ASSERT_TRUE(Save());
  const ImageCheck check = CheckImage(image);
  EXPECT_EQ(check.problems, std::vector<std::string>{});
  std::vector<std::string> joliet, iso;
  for (const CheckedEntry& e : check.joliet) joliet.push_back(e.path);
  for (const CheckedEntry& e : check.iso) iso.push_back(e.path);
  EXPECT_EQ(joliet, (std::vector<std::string>{"X.B", "X.B1", "a.txt", "a b.txt", "a-b.txt"}));
  const auto at = [&](const std::string& name) { return std::find(iso.begin(), iso.end(), name) - iso.begin(); };
  EXPECT_LT(at("X.B;1"), at("X.B1;1"));
  for (std::size_t i = 1; i < added.size(); ++i) {
    EXPECT_LT(Find(check.joliet, added[i - 1])->extent, Find(check.joliet, added[i])->extent) << added[i];
  }
}

TEST_F(LayoutTest, EmptyFilesTakeNoSector) {
  AddSource(Root(), "a.txt", 1);
  AddSource(Root(), "empty.txt", 0);
  AddSource(Root(), "b.txt", 3000);
  AddSource(Root(), "c.txt", 1);
  ASSERT_TRUE(Save());
  const ImageCheck check = CheckImage(image);
  EXPECT_EQ(check.problems, std::vector<std::string>{});
  for (const bool iso : {true, false}) {
    const auto& tree = iso ? check.iso : check.joliet;
    const auto path = [&](const std::string& name) { return iso ? fmt::format("{};1", platform::UpperAscii(name)) : name; };
    EXPECT_EQ(Find(tree, path("empty.txt"))->extent, 0u);
    EXPECT_EQ(Find(tree, path("empty.txt"))->size, 0u);
    EXPECT_EQ(Find(tree, path("b.txt"))->extent, 151u);
    EXPECT_EQ(Find(tree, path("c.txt"))->extent, 153u);
  }
  EXPECT_EQ(burner.VolumeSpaceSize, 154);
}

// The moment a record's date names: its fields read as UTC, less the offset it carries.
std::int64_t MomentOf(const std::uint8_t* date) {
  std::tm tm{};
  tm.tm_year = date[0];
  tm.tm_mon = date[1] - 1;
  tm.tm_mday = date[2];
  tm.tm_hour = date[3];
  tm.tm_min = date[4];
  tm.tm_sec = date[5];
#ifdef _WIN32
  const std::time_t utc = ::_mkgmtime(&tm);
#else
  const std::time_t utc = ::timegm(&tm);
#endif
  return static_cast<std::int64_t>(utc) - static_cast<std::int8_t>(date[6]) * 900;
}

// Every date carries the offset in force at it, summer time included, so that a reader in any
// zone turns it back into the moment the file was written: the records of files from winter and
// from summer, "." (the moment of the build), and the primary descriptor's dates.
TEST_F(LayoutTest, DatesCarryTheOffsetInForceAtThem) {
#ifdef _WIN32
  GTEST_SKIP() << "the zones are set with TZ rules, which the Windows layer does not read (it asks the system)";
#endif
  constexpr std::int64_t kWinter = 1705320000, kSummer = 1721044800;  // 15 January, 15 July 2024, 12:00 UTC
  struct Case {
    const char* tz;
    std::int8_t winter, summer;
  };
  for (const Case& c : {Case{"CET-1CEST,M3.5.0,M10.5.0/3", 4, 8}, Case{"EST5EDT,M3.2.0,M11.1.0", -20, -16},
                        Case{"AEST-10AEDT,M10.1.0,M4.1.0/3", 44, 40}, Case{"IST-5:30", 22, 22}}) {
    SCOPED_TRACE(c.tz);
    platform::testing::ScopedEnv zone("TZ", c.tz);
    platform::testing::ScopedEnv build("SOURCE_DATE_EPOCH", std::to_string(kSummer).c_str());
    burner.ResetCompilation(100, 10);
    AddSource(Root(), "winter.txt", 1)->DateTime = *UnixToDateTime(kWinter);
    AddSource(Root(), "summer.txt", 1)->DateTime = *UnixToDateTime(kSummer);
    ASSERT_TRUE(Save());
    const std::uint8_t* dir = SectorAt(burner.IsoDirectoryArea);
    for (const auto& [identifier, moment, offset] : std::vector<std::tuple<std::string, std::int64_t, std::int8_t>>{
             {"WINTER.TXT;1", kWinter, c.winter}, {"SUMMER.TXT;1", kSummer, c.summer}, {std::string(1, '\0'), kSummer, c.summer}}) {
      const std::uint8_t* record = RecordIn(dir, identifier);
      ASSERT_NE(record, nullptr) << identifier;
      EXPECT_EQ(static_cast<std::int8_t>(record[24]), offset) << identifier;
      EXPECT_EQ(MomentOf(record + 18), moment) << identifier;
    }
    for (const std::size_t at : {813u, 830u}) EXPECT_EQ(static_cast<std::int8_t>(SectorAt(16)[at + 16]), c.summer);
  }
}

TEST_F(LayoutTest, DescriptorDateTexts) {
  platform::testing::ScopedEnv zone("TZ", "UTC0");
  platform::testing::ScopedEnv build("SOURCE_DATE_EPOCH", "1700000000");
  AddSource(Root(), "a.txt", 1);
  ASSERT_TRUE(Save());

  // The primary descriptor carries the moment of the build; the Joliet one the burner's dates,
  // which are still 0: 30 December 1899.
  std::array<std::uint8_t, 17> expected{};
  WriteDateText(expected, *UnixToDateTime(1700000000));
  EXPECT_EQ(TextAt(16, 813, 17), std::string(expected.begin(), expected.end()));
  EXPECT_EQ(TextAt(16, 830, 17), std::string(expected.begin(), expected.end()));
  for (const std::size_t at : {813u, 830u}) EXPECT_EQ(TextAt(17, at, 17), std::string("1899123000000000\0", 17));
  for (const std::size_t at : {847u, 864u}) EXPECT_EQ(TextAt(17, at, 17), std::string("0000000000000000\0", 17));

  // Milliseconds take at least two digits and the text stops at 16 characters.
  for (const auto& [ms, tail] : std::vector<std::pair<int, std::string>>{{5, "05"}, {45, "45"}, {123, "12"}}) {
    std::array<std::uint8_t, 17> field{};
    WriteDateText(field, EncodeDateTime({2024, 3, 9, 7, 8, 9, ms}));
    EXPECT_EQ(std::string(field.begin(), field.end()), "20240309070809" + tail + std::string(1, '\0'));
  }
}

TEST_F(LayoutTest, HiddenFlags) {
  AddSource(Root(), "shown.txt", 1);
  AddSource(Root(), ".secret", 1, platform::kAttrHidden);
  platform::DirEntry hiddenDir = DirRec(".config");
  hiddenDir.attributes |= platform::kAttrHidden;
  AddSource(burner.AddDirectoryEntry(Root(), hiddenDir), "x.txt", 1);
  ASSERT_TRUE(Save());
  const ImageCheck check = CheckImage(image);
  EXPECT_EQ(check.problems, std::vector<std::string>{});
  EXPECT_EQ(Find(check.joliet, "shown.txt")->flags, 0);
  EXPECT_EQ(Find(check.joliet, ".secret")->flags, 1);
  EXPECT_EQ(Find(check.joliet, ".config")->flags, 3);
  // CheckImage compares the flags of the two trees record by record.
}

TEST_F(LayoutTest, BootImageSizesAndPlaces) {
  AddSource(Root(), "a.txt", 1);
  burner.Bootable = true;
  burner.BootImage = tmp / "boot.img";
  for (const auto& [bytes, sectors, type] : std::vector<std::tuple<std::uintmax_t, std::uint32_t, int>>{
           {1228800, 600, 1}, {1474560, 720, 2}, {2949120, 1440, 3}, {1474561, 721, 4}, {4096, 2, 4}}) {
    SCOPED_TRACE(bytes);
    tmp.Write("boot.img", std::string(bytes, 'B'));
    ASSERT_TRUE(Save());
    EXPECT_EQ(std::make_tuple(burner.PrimaryDescriptorLocation, burner.BootRecordLocation,
                              burner.JolietDescriptorLocation, burner.TerminatorLocation),
              std::make_tuple(16u, 17u, 18u, 19u));
    EXPECT_EQ(burner.BootImageSectors, sectors);
    EXPECT_EQ(burner.BootImageLocation, burner.BootCatalogLocation + 1);
    EXPECT_EQ(burner.BootCatalogLocation, burner.JolietDirectoryArea + 1);
    EXPECT_EQ(burner.FirstFileLocation, std::max(150u, burner.BootImageLocation + sectors));
    EXPECT_EQ(Le32At(SectorAt(17) + 71), burner.BootCatalogLocation);
    const std::uint8_t* catalog = SectorAt(burner.BootCatalogLocation);
    EXPECT_EQ(catalog[33], type);
    EXPECT_EQ(Le32At(catalog + 40), burner.BootImageLocation);
    // The image follows the catalog, its last sector zero-filled; then zeros up to the files.
    EXPECT_EQ(SectorAt(burner.BootImageLocation)[0], 'B');
    EXPECT_EQ(SectorAt(burner.BootImageLocation)[bytes - 1], 'B');
    EXPECT_TRUE(std::all_of(SectorAt(burner.BootImageLocation) + bytes, SectorAt(burner.FirstFileLocation),
                            [](auto b) { return b == 0; }));
    EXPECT_EQ(SectorAt(burner.FirstFileLocation)[0], 'a');
    const ImageCheck check = CheckImage(image);
    EXPECT_EQ(check.problems, std::vector<std::string>{});
    EXPECT_TRUE(check.bootable);
    // Both trees list the boot image as a hidden file, so that readers know what those sectors are.
    const CheckedEntry* listed = Find(check.joliet, "BOOT.IMG");
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(std::make_tuple(listed->extent, listed->size, listed->flags),
              std::make_tuple(burner.BootImageLocation, static_cast<std::uint32_t>(bytes), std::uint8_t{1}));
  }
  // The root's own BOOT.IMG keeps its name; the boot image takes the next free one.
  AddSource(Root(), "boot.img", 1);
  ASSERT_TRUE(Save());
  const ImageCheck check = CheckImage(image);
  EXPECT_EQ(Find(check.joliet, "boot.img")->flags, 0);
  ASSERT_NE(Find(check.iso, "BOOT~1.IMG;1"), nullptr);
  EXPECT_EQ(Find(check.iso, "BOOT~1.IMG;1")->extent, burner.BootImageLocation);
  // A boot image that is not there makes the compilation an ordinary one, without a word.
  std::filesystem::remove(tmp / "boot.img");
  ASSERT_TRUE(Save());
  EXPECT_FALSE(burner.Bootable);
  EXPECT_EQ(burner.TerminatorLocation, 18u);
}

TEST(BootCatalogTest, ChecksumZeroesTheWordSum) {
  const SectorBytes catalog = BootCatalog(25, 720);
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < 32; i += 2) sum = static_cast<std::uint16_t>(sum + (catalog[i] | catalog[i + 1] << 8));
  EXPECT_EQ(sum, 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&catalog[4]), 19), "Zantir CD/DVD Ardel");
  EXPECT_EQ(std::make_tuple(catalog[0], catalog[30], catalog[31], catalog[32], catalog[38], catalog[39]),
            std::make_tuple(1, 0x55, 0xAA, 0x88, 1, 0));
}

TEST_F(LayoutTest, DiscModeWithoutADriveStartsAtTheFirstSession) {
  // The drive that is not there is waited for as a slow one would be; only the pauses between
  // its polls are left out.
  platform::SetWaitScale(0);
  struct RealWaits {
    ~RealWaits() { platform::SetWaitScale(1); }
  } realWaits;
  AddSource(Root(), "a.txt", 1);
  CurrentMediaKind = 99;
  burner.SessionStartRequested = true;
  burner.PrepareLayout(false, nullptr);
  EXPECT_EQ(CurrentMediaKind.load(), 0);  // nothing answered: an unknown medium
  EXPECT_EQ(burner.SessionStart, 0u);
  EXPECT_EQ(burner.PrimaryDescriptorLocation, 16u);
  const Message noStart{" ERROR GETTING NEXT WRITABLE ADDRESS", 0};
  EXPECT_NE(std::find(messages.begin(), messages.end(), noStart), messages.end());
}

std::string Joliet(const std::string& text) {
  const std::vector<std::uint8_t> units = Ucs2(text);
  return {units.begin(), units.end()};
}

// A file past what one record's length can say takes several records of its name, adjacent in
// both trees, each but the last flagged and holding kExtentBytes, their extents one after the
// other. A source that large is taken only with LargeFiles; an imported one always.
TEST_F(LayoutTest, FilesOf4GiBOrMoreTakeSeveralExtents) {
  constexpr std::int64_t kSize = 2 * kExtentBytes + 1000;
  constexpr std::uint32_t kExtentSectors = kExtentBytes / 2048;
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("big.bin", kSize), false, 0, "/src/big.bin"), 0);
  EXPECT_NE(std::find_if(messages.begin(), messages.end(),
                         [](const Message& m) { return m.text.find("--large-files") != std::string::npos; }),
            messages.end());
  burner.LargeFiles = true;
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("big.bin", kSize), false, 0, "/src/big.bin"), 1);
  burner.LargeFiles = false;
  ASSERT_EQ(burner.AddFileEntry(Root(), FileRec("old.bin", kSize), false, 5000, ""), 1);  // imported
  AddSource(Root(), "a.txt", 1);
  AddSource(Root(), "z.txt", 1);
  burner.PrepareLayout(true, nullptr);
  burner.BuildHeader(nullptr);
  const std::uint32_t bigAt = burner.FirstFileLocation + static_cast<std::uint32_t>(burner.FindFileEntry(Root(), "big.bin")->IsoAddress);

  const auto& header = burner.HeaderStream.Memory();
  for (const auto& [area, big, old] : {std::make_tuple(burner.IsoDirectoryArea, std::string("BIG.BIN;1"), std::string("OLD.BIN;1")),
                                       std::make_tuple(burner.JolietDirectoryArea, Joliet("big.bin;1"), Joliet("old.bin;1"))}) {
    SCOPED_TRACE(area);
    // (identifier, extent, length, flags) of the root's records after "." and "..".
    std::vector<std::tuple<std::string, std::uint32_t, std::uint32_t, int>> records;
    const std::uint8_t* root = header.data() + std::size_t{area} * 2048;
    for (std::size_t at = 2 * kDotRecordLength; at < 2048 && root[at] != 0; at += root[at]) {
      records.emplace_back(std::string(reinterpret_cast<const char*>(root + at + 33), root[at + 32]), Le32At(root + at + 2),
                           Le32At(root + at + 10), root[at + 25]);
    }
    const std::uint32_t last = kSize - 2 * kExtentBytes;
    const std::uint32_t full = kExtentBytes;
    const std::vector<std::tuple<std::string, std::uint32_t, std::uint32_t, int>> want{
        {big, bigAt, full, 0x80}, {big, bigAt + kExtentSectors, full, 0x80}, {big, bigAt + 2 * kExtentSectors, last, 0},
        {old, 5000, full, 0x80}, {old, 5000 + kExtentSectors, full, 0x80}, {old, 5000 + 2 * kExtentSectors, last, 0}};
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(std::vector(records.begin() + 1, records.end() - 1), want);
  }
}

TEST_F(LayoutTest, LeadingHeaderCopy) {
  AddSource(Root(), "a.txt", 1);
  burner.PrepareLayout(true, nullptr);
  burner.BuildHeader(nullptr);
  ASSERT_EQ(burner.LeadingHeaderCopy.size(), 65537u);
  EXPECT_EQ(burner.LeadingHeaderBytes, 19 * 2048);  // system area, PVD, SVD, terminator
  const auto& header = burner.HeaderStream.Memory();
  EXPECT_TRUE(std::equal(header.begin(), header.begin() + 19 * 2048, burner.LeadingHeaderCopy.begin()));
  EXPECT_TRUE(std::all_of(burner.LeadingHeaderCopy.begin() + 19 * 2048, burner.LeadingHeaderCopy.end(),
                          [](auto b) { return b == 0xFF; }));
  EXPECT_EQ(header.size(), 25u * 2048);  // up to the Joliet root directory, whole sectors
  EXPECT_TRUE(burner.LayoutValid);
}

}  // namespace
}  // namespace kivo::testing
