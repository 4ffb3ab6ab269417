// Session import through the sector-reader seam: images our own writer made, and hand-made
// sectors for the record rules and for trees that a damaged or hostile disc could hold.

#include <gtest/gtest.h>

#include <fmt/printf.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "engine/iso/SessionImport.h"
#include "engine/iso/Strings.h"
#include "tests/iso/HandDisc.h"
#include "tests/iso/ImageFixture.h"

namespace kivo::testing {
namespace {

class ImportTest : public ImageTest {
 protected:
  ImportTest() {
    reader.OnDebugMessage = [this](TSCSIDevice*, const std::string& text, std::uint8_t type) {
      readerMessages.push_back({text, type});
    };
    reader.ResetCompilation(65535, 8191);
  }

  bool Import(SectorDisc& disc, TDEntry* dir = nullptr) {
    return ImportSessionTree(reader, disc.Source(), 1, dir ? dir : reader.RootDirectory());
  }
  // The files and directories of the reader's compilation, by their long names joined by "/".
  std::map<std::string, const TFEntry*> ReaderEntries() const {
    std::map<std::string, const TFEntry*> out;
    for (const TFEntry* e : reader.FileList()) {
      std::string path = e->LongName;
      for (const TDEntry* d = e->Owner(); d != reader.RootDirectory(); d = d->Parent) {
        path = d->OwnEntry()->LongName + "/" + path;
      }
      out[path] = e;
    }
    return out;
  }
  std::vector<std::string> ReaderDirPaths() const {
    std::vector<std::string> out;
    for (const TDEntry* d : reader.DirList()) out.push_back(d->Path);
    return out;
  }
  bool Said(const std::string& text, int type = 4) const {
    return std::find(readerMessages.begin(), readerMessages.end(), Message{text, type}) != readerMessages.end();
  }

  // A tree of our own writer: long names, a name without extension, an empty file, a hidden
  // file, and a directory whose records fill more than one sector in both trees.
  void WriteSampleImage(bool joliet) {
    burner.ResetCompilation(1000, 100);
    burner.JolietFileSystem = joliet;
    AddSource(Root(), "Long Name Report.txt", 5000);
    AddSource(Root(), "noext", 10);
    AddSource(Root(), "empty.txt", 0);
    AddSource(Root(), "secret.txt", 100, platform::kAttrHidden);
    TDEntry* sub = burner.AddDirectoryEntry(Root(), DirRec("Sub Dir"));
    AddSource(sub, "inner file.dat", 3000);
    TDEntry* many = burner.AddDirectoryEntry(sub, DirRec("Many"));
    for (int i = 0; i < 60; ++i) AddSource(many, fmt::format("entry number {:02} with a long name.txt", i), 1);
    ASSERT_TRUE(Save());
    disc.bytes = image;
  }

  TZelvoBurner reader;
  std::vector<Message> readerMessages;
  SectorDisc disc;
};

TEST_F(ImportTest, SessionOfOurWriterComesBackWithNamesExtentsAndDates) {
  for (const bool joliet : {true, false}) {
    SCOPED_TRACE(joliet ? "Joliet" : "ISO 9660 only");
    WriteSampleImage(joliet);
    reader.ResetCompilation(65535, 8191);
    ASSERT_TRUE(Import(disc));

    // Joliet: the long names without ";1", with the "." the writer appended; ISO only: the
    // ISO names become the long names.
    // The directories list their entries in disc order: compared as sets.
    const auto sorted = [](std::vector<std::string> names) {
      std::sort(names.begin(), names.end());
      return names;
    };
    const auto names = [&](const TDEntry* d) { return sorted(joliet ? LongNames(d) : ShortNames(d)); };
    const auto imported = [&](const TDEntry* d) { return sorted(LongNames(d)); };
    const auto name = [joliet](const TDEntry* d) { return joliet ? d->LongName : d->ShortName; };
    const TDEntry* sub = burner.FindDirectory("\\Sub Dir");
    const TDEntry* many = burner.FindDirectory("\\Sub Dir\\Many");
    const std::string subPath = "\\" + name(sub);
    const std::string manyPath = subPath + "\\" + name(many);
    ASSERT_NE(reader.FindDirectory(manyPath), nullptr);
    EXPECT_EQ(imported(reader.RootDirectory()), names(Root()));
    EXPECT_EQ(imported(reader.FindDirectory(subPath)), names(sub));
    EXPECT_EQ(imported(reader.FindDirectory(manyPath)), names(many));
    EXPECT_NE(reader.FindFileEntry(reader.RootDirectory(), joliet ? "noext." : "NOEXT."), nullptr);

    // Every file points at its data where the image has it, with its size, date and hidden bit.
    const ImageCheck check = CheckImage(image);
    std::map<std::string, const CheckedEntry*> recorded;
    for (const CheckedEntry& c : joliet ? check.joliet : check.iso) {
      std::string path = c.path;
      if (!joliet && !c.IsDirectory()) path.resize(path.rfind(';'));
      recorded[path] = &c;
    }
    const auto entries = ReaderEntries();
    ASSERT_EQ(entries.size(), recorded.size());
    for (const auto& [path, e] : entries) {
      SCOPED_TRACE(path);
      ASSERT_EQ(recorded.count(path), 1u);
      const CheckedEntry& c = *recorded[path];
      EXPECT_EQ(e->IsDirectory(), c.IsDirectory());
      EXPECT_EQ((e->Attr & platform::kAttrHidden) != 0, (c.flags & kFlagHidden) != 0);
      if (e->IsDirectory()) continue;
      EXPECT_EQ(e->Size, c.size);
      EXPECT_TRUE(e->SourcePath.empty());
      EXPECT_EQ(e->Imported, c.extent != 0);  // the empty file has no data, hence no extent
      EXPECT_EQ(static_cast<std::uint32_t>(e->IsoAddress), c.extent);
      EXPECT_EQ(e->JolietAddress, e->IsoAddress);
      EXPECT_NEAR(e->DateTime, burner.FileList().front()->DateTime, 1.0 / 86400);
    }
    EXPECT_EQ(reader.CompilationBytes, 0);
    EXPECT_TRUE(readerMessages.empty());
  }
}

TEST_F(ImportTest, RecordRulesOfBothTrees) {
  // ISO 9660: "." and ".." by their identifiers, a CD-XA field where a record would start, a
  // zero length byte ending the sector, a record crossing the sector's end.
  HandDisc iso(40);
  iso.Volume(DirectoryTree::Iso, 20, 4096);
  std::size_t at = iso.Dots(20);
  at = iso.Record(20, at, Bytes("A.TXT;1"), 30, 5);
  const std::uint8_t xa[14] = {0, 0, 0, 0, 0x0D, 0x55, 'X', 'A', 1, 0, 0, 0, 0, 0};
  std::copy_n(xa, 14, iso.Sector(20) + at);
  at = iso.Record(20, at + 14, Bytes("B.TXT;1"), 31, 5);
  iso.Record(20, at + 1, Bytes("AFTER_ZERO.TXT;1"), 32, 5);  // behind a zero length byte
  at = iso.Record(21, 0, Bytes("C.TXT;1"), 33, 5);
  iso.Record(21, 2048 - 40, Bytes("CROSSES_THE_END.TXT;1"), 34, 5);

  // Joliet: the first two records of the first sector are passed over whatever they hold; the
  // first record of the next sector is an entry.
  HandDisc joliet(40);
  joliet.Volume(DirectoryTree::Joliet, 20, 4096);
  at = joliet.Record(20, 0, Ucs2("x"), 20, 2048, kFlagDirectory);
  at = joliet.Record(20, at, Ucs2("y"), 20, 2048, kFlagDirectory);
  at = joliet.Record(20, at, Ucs2("a file.txt;1"), 30, 5);
  joliet.Record(20, at + 1, Ucs2("after zero.txt;1"), 31, 5);
  at = joliet.Record(21, 0, Ucs2("first of the second sector.txt;1"), 32, 5);
  at = joliet.Record(21, at, Ucs2(";1"), 33, 5);  // a ";" within the first two characters stays
  joliet.Record(21, at, Ucs2("../up.txt;1"), 34, 5);  // no name may reach outside its folder

  struct Case {
    const char* name;
    HandDisc& disc;
    std::vector<std::string> expected;
  };
  for (const Case& c : {Case{"ISO 9660", iso, {"A.TXT", "B.TXT", "C.TXT"}},
                        Case{"Joliet", joliet, {"a file.txt", "first of the second sector.txt", ";1.", "..%2Fup.txt"}}}) {
    SCOPED_TRACE(c.name);
    reader.ResetCompilation(65535, 8191);
    ASSERT_TRUE(Import(c.disc));
    EXPECT_EQ(LongNames(reader.RootDirectory()), c.expected);
  }
}

TEST_F(ImportTest, SupplementaryDescriptorWithoutJolietEscapeIsPassedOver) {
  // A supplementary descriptor of another kind (no UCS-2 escape sequence) before the primary
  // one: its names are not UCS-2, so the ISO 9660 tree is read.
  HandDisc hand(40);
  hand.Descriptor(16, 2, 20, 2048, false);
  hand.Descriptor(17, 1, 21, 2048, false);
  hand.Terminator(18);
  hand.Record(20, hand.Dots(20), Ucs2("ucs-2.txt;1"), 30, 5);
  hand.Record(21, hand.Dots(21), Bytes("ISO.TXT;1"), 30, 5);
  ASSERT_TRUE(Import(hand));
  EXPECT_EQ(LongNames(reader.RootDirectory()), std::vector<std::string>{"ISO.TXT"});
}

// Every identifier a record holds comes back, up to the longest a record can hold; one that
// claims more than its record holds is reported and the walk goes on.
TEST_F(ImportTest, EveryIdentifierItsRecordHoldsIsImported) {
  HandDisc hand(40);
  hand.Volume(DirectoryTree::Joliet, 20, 2048);
  std::size_t at = hand.Dots(20);
  const std::string longest(107, 'n');  // with "." and ";1": 220 bytes, the most a record holds
  at = hand.Record(20, at, Ucs2(longest + ".;1"), 30, 5);
  at = hand.Record(20, at, Ucs2(std::string(110, 'd')), 21, 2048, kFlagDirectory);
  const std::size_t overrun = at;
  at = hand.Record(20, at, Ucs2("over.txt;1"), 31, 5);
  hand.Sector(20)[overrun + 32] = 40;  // 40 identifier bytes in a record made for 20
  hand.Record(20, at, Ucs2("after.txt;1"), 32, 5);
  hand.Dots(21);
  ASSERT_TRUE(Import(hand));
  EXPECT_EQ(LongNames(reader.RootDirectory()),
            (std::vector<std::string>{longest + ".", std::string(110, 'd'), "after.txt"}));
  // The identifier is shown as far as it goes, the next record's bytes with it.
  ASSERT_EQ(readerMessages.back().type, 4);
  EXPECT_TRUE(readerMessages.back().text.starts_with(
      "ERROR IMPORTING SESSION, FILE NAME LENGTH EXCEEDS 120 CHARS\n\rover.txt;1"));
}

// A ";" is part of a name; only a file's version at its end is cut.
TEST_F(ImportTest, SemicolonsInNamesStay) {
  struct Case {
    DirectoryTree tree;
    std::string identifier;
    std::uint8_t flags;
    std::string expected;
  };
  const Case cases[] = {
      {DirectoryTree::Joliet, "ab;c.txt;1", 0, "ab;c.txt"},
      {DirectoryTree::Joliet, "ab;d.txt;1", 0, "ab;d.txt"},
      {DirectoryTree::Joliet, "x;y;z.;1", 0, "x;y;z."},
      {DirectoryTree::Joliet, "no version;", 0, "no version."},
      {DirectoryTree::Joliet, "dir;1", kFlagDirectory, "dir;1"},
      {DirectoryTree::Iso, "AB;C.TXT;1", 0, "AB;C.TXT"},
      {DirectoryTree::Iso, "PLAIN.TXT;12", 0, "PLAIN.TXT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.identifier);
    HandDisc hand(40);
    hand.Volume(c.tree, 20, 2048);
    const std::size_t at = hand.Dots(20);
    const auto identifier = c.tree == DirectoryTree::Joliet ? Ucs2(c.identifier) : Bytes(c.identifier);
    hand.Record(20, at, identifier, c.flags ? 21 : 30, c.flags ? 2048 : 5, c.flags);
    if (c.flags) hand.Dots(21);
    reader.ResetCompilation(65535, 8191);
    ASSERT_TRUE(Import(hand));
    EXPECT_EQ(LongNames(reader.RootDirectory()), std::vector<std::string>{c.expected});
  }
}

TEST_F(ImportTest, RecordingDates) {
  struct Case {
    std::uint8_t date[6];  // years since 1900, month, day, hour, minute, second
    platform::CivilTime expected;
  };
  const std::vector<Case> cases{
      {{124, 2, 29, 13, 14, 15}, {2024, 2, 29, 13, 14, 15}},
      {{123, 2, 29, 10, 0, 0}, {1899, 12, 30, 10, 0, 0}},  // no such day: the zero date
      {{124, 13, 1, 0, 0, 30}, {1899, 12, 30, 0, 0, 30}},
      {{0, 0, 0, 0, 0, 0}, {1899, 12, 30, 0, 0, 0}},
      {{124, 6, 1, 25, 0, 0}, {2024, 6, 1, 0, 0, 0}},  // no such hour: midnight
  };
  HandDisc hand(40);
  hand.Volume(DirectoryTree::Iso, 20, 2048);
  std::size_t at = hand.Dots(20);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::size_t record = at;
    at = hand.Record(20, at, Bytes(fmt::format("F{}.TXT;1", i)), 30, 5);
    std::copy_n(cases[i].date, 6, hand.Sector(20) + record + 18);
  }
  ASSERT_TRUE(Import(hand));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const TFEntry* e = reader.FindFileEntry(reader.RootDirectory(), fmt::format("F{}.TXT", i));
    ASSERT_NE(e, nullptr);
    EXPECT_NEAR(e->DateTime, EncodeDateTime(cases[i].expected), 1e-7);
  }
}

TEST_F(ImportTest, LoopsAndExtentsOutsideTheDiscEndTheWalk) {
  HandDisc hand(40);
  hand.Volume(DirectoryTree::Iso, 20, 2048);
  std::size_t at = hand.Dots(20);
  at = hand.Record(20, at, Bytes("UP"), 20, 2048, kFlagDirectory);          // the root again
  at = hand.Record(20, at, Bytes("DEEP"), 21, 2048, kFlagDirectory);        // holds itself
  at = hand.Record(20, at, Bytes("FAR"), 1000000, 2048, kFlagDirectory);    // beyond the disc
  at = hand.Record(20, at, Bytes("HUGE"), 22, 0xFFFFFFFF, kFlagDirectory);  // to the disc's end
  at = hand.Record(20, at, Bytes("LATE.TXT;1"), 30, 5);
  hand.Record(21, hand.Dots(21), Bytes("BACK"), 21, 2048, kFlagDirectory);
  hand.Record(22, hand.Dots(22), Bytes("INSIDE.TXT;1"), 30, 5);

  ASSERT_TRUE(Import(hand));
  EXPECT_EQ(ReaderDirPaths(), (std::vector<std::string>{"\\", "\\UP", "\\DEEP", "\\DEEP\\BACK", "\\FAR", "\\HUGE"}));
  EXPECT_EQ(LongNames(reader.RootDirectory()).back(), "LATE.TXT");
  EXPECT_EQ(LongNames(reader.FindDirectory("\\HUGE")), std::vector<std::string>{"INSIDE.TXT"});
  for (const char* text : {"DIRECTORY LOOP NOT FOLLOWED: \\UP", "DIRECTORY LOOP NOT FOLLOWED: \\DEEP\\BACK",
                           "DIRECTORY REACHES BEYOND THE END OF THE DISC, THE REST NOT IMPORTED: \\FAR",
                           "DIRECTORY REACHES BEYOND THE END OF THE DISC, THE REST NOT IMPORTED: \\HUGE"}) {
    EXPECT_TRUE(Said(text)) << text;
  }
  // Each directory sector is read once, and nothing beyond the disc.
  std::vector<std::uint32_t> directoryReads;
  for (std::uint32_t lba : hand.reads)
    if (lba >= 20) directoryReads.push_back(lba);
  std::sort(directoryReads.begin(), directoryReads.end());
  EXPECT_EQ(std::adjacent_find(directoryReads.begin(), directoryReads.end()), directoryReads.end());
  EXPECT_LT(directoryReads.back(), 40u);
}

// A directory claiming gigabytes is read in large blocks, and no further than the most sectors
// the compilation's entries could fill.
TEST_F(ImportTest, HugeDirectoryIsReadInBlocksAndCapped) {
  reader.ResetCompilation(800, 200);  // at most 1000 entries: 126 sectors of the longest records
  constexpr std::uint32_t kBig = 30, kCap = 126;
  HandDisc hand(400);
  hand.Volume(DirectoryTree::Iso, 20, 2048);
  hand.Record(20, hand.Dots(20), Bytes("BIG"), kBig, 0xFFFFFFFF, kFlagDirectory);
  for (std::uint32_t lba : {kBig, kBig + 40, kBig + kCap - 1, kBig + kCap}) {
    hand.Record(lba, lba == kBig ? hand.Dots(kBig) : 0, Bytes(fmt::format("AT{}.TXT;1", lba)), 10, 1);
  }
  ASSERT_TRUE(Import(hand));
  EXPECT_EQ(LongNames(reader.FindDirectory("\\BIG")),
            (std::vector<std::string>{"AT30.TXT", "AT70.TXT", "AT155.TXT"}));
  EXPECT_TRUE(Said("DIRECTORY REACHES BEYOND THE END OF THE DISC, THE REST NOT IMPORTED: \\BIG"));
  EXPECT_TRUE(Said("DIRECTORY LONGER THAN THE COMPILATION COULD HOLD, THE REST NOT IMPORTED: \\BIG"));
  EXPECT_EQ(std::count_if(hand.reads.begin(), hand.reads.end(), [](std::uint32_t lba) { return lba >= kBig; }),
            kCap);
  EXPECT_EQ(*std::max_element(hand.readSizes.begin(), hand.readSizes.end()), 32u);
  EXPECT_LE(hand.readSizes.size(), 30u);
}

// A block that does not read is read again sector by sector: the directory ends at the first
// unreadable one, and what lies before it is imported.
TEST_F(ImportTest, UnreadableSectorEndsItsDirectory) {
  HandDisc hand(40);
  hand.Volume(DirectoryTree::Joliet, 20, 5 * 2048);
  hand.Record(20, hand.Dots(20), Ucs2("first.txt"), 10, 1);
  hand.Record(21, 0, Ucs2("second.txt"), 10, 1);
  hand.Record(23, 0, Ucs2("beyond.txt"), 10, 1);
  hand.unreadableFrom = 22;
  ASSERT_TRUE(Import(hand));
  EXPECT_EQ(LongNames(reader.RootDirectory()), (std::vector<std::string>{"first.txt", "second.txt"}));
}

// A file is imported only when all its data lies within the session's recorded sectors.
TEST_F(ImportTest, FilesWhoseDataIsNotOnTheDiscAreLeftOut) {
  HandDisc hand(40);
  hand.Volume(DirectoryTree::Iso, 20, 2048);
  std::size_t at = hand.Dots(20);
  at = hand.Record(20, at, Bytes("LAST.TXT;1"), 39, 2048);        // the disc's last sector
  at = hand.Record(20, at, Bytes("OVER.TXT;1"), 39, 2049);        // one byte into the next
  at = hand.Record(20, at, Bytes("FAR.TXT;1"), 1000000, 5);
  at = hand.Record(20, at, Bytes("WRAP.TXT;1"), 0xFFFFFFFF, 0xFFFFFFFF);
  hand.Record(20, at, Bytes("EMPTY.TXT;1"), 1000000, 0);           // no data to miss
  ASSERT_TRUE(Import(hand));
  EXPECT_EQ(LongNames(reader.RootDirectory()), (std::vector<std::string>{"LAST.TXT", "EMPTY.TXT"}));
  for (const char* name : {"OVER.TXT", "FAR.TXT", "WRAP.TXT"}) {
    EXPECT_TRUE(Said(std::string("FILE DATA LIES BEYOND THE RECORDED END OF THE SESSION, NOT IMPORTED: \\") + name))
        << name;
  }
}

// A file in several records of one name (any writer's, of any size) is one entry of the whole
// size when its extents follow one another; otherwise the whole file is named and left out, as
// its first part alone would pass for it.
TEST_F(ImportTest, FilesInSeveralExtentsJoinWhenTheyFollowOneAnother) {
  HandDisc hand(60);
  hand.Volume(DirectoryTree::Iso, 20, 2048);
  std::size_t at = hand.Dots(20);
  at = hand.Record(20, at, Bytes("A.BIN;1"), 30, 2048, kFlagMoreExtents);
  at = hand.Record(20, at, Bytes("A.BIN;1"), 31, 4096, kFlagMoreExtents);
  at = hand.Record(20, at, Bytes("A.BIN;1"), 0, 0, kFlagMoreExtents);  // empty: goes nowhere
  at = hand.Record(20, at, Bytes("A.BIN;1"), 33, 100);
  at = hand.Record(20, at, Bytes("GAP.BIN;1"), 34, 2048, kFlagMoreExtents);
  at = hand.Record(20, at, Bytes("GAP.BIN;1"), 36, 10);
  at = hand.Record(20, at, Bytes("PART.BIN;1"), 37, 1000, kFlagMoreExtents);  // not whole sectors
  at = hand.Record(20, at, Bytes("PART.BIN;1"), 38, 10);
  at = hand.Record(20, at, Bytes("CUT.BIN;1"), 39, 2048, kFlagMoreExtents);   // no last record
  at = hand.Record(20, at, Bytes("NEXT.TXT;1"), 40, 5);
  hand.Record(20, at, Bytes("END.BIN;1"), 41, 2048, kFlagMoreExtents);         // the directory ends
  ASSERT_TRUE(Import(hand));
  const auto entries = ReaderEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(std::make_pair(entries.at("A.BIN")->IsoAddress, entries.at("A.BIN")->Size), std::make_pair(30, std::int64_t{6244}));
  EXPECT_EQ(entries.at("NEXT.TXT")->Size, 5);
  for (const char* name : {"GAP.BIN", "PART.BIN", "CUT.BIN", "END.BIN"}) {
    EXPECT_TRUE(Said(std::string("FILE IN SEVERAL EXTENTS THAT ARE INCOMPLETE OR APART, NOT IMPORTED: \\") + name)) << name;
  }
}

TEST_F(ImportTest, DeepChainStopsAtThePathLimit) {
  // Every sector a directory of one 100-character subdirectory, down to the disc's end.
  HandDisc hand(100);
  hand.Volume(DirectoryTree::Joliet, 20, 2048);
  for (std::uint32_t lba = 20; lba < 99; ++lba) {
    hand.Record(lba, hand.Dots(lba), Ucs2(std::string(100, 'd')), lba + 1, 2048, kFlagDirectory);
  }
  ASSERT_TRUE(Import(hand));
  const std::size_t depth = reader.DirList().size() - 1;
  EXPECT_EQ(depth, 4096u / 101);
  ASSERT_FALSE(readerMessages.empty());
  EXPECT_TRUE(readerMessages.back().text.starts_with("DIRECTORY PATH TOO LONG, NOT IMPORTED: \\DDDD"))
      << readerMessages.back().text;
}

TEST_F(ImportTest, ImportingTwiceMergesAndRefusesFilesUnlessReplacing) {
  WriteSampleImage(true);
  ASSERT_TRUE(Import(disc));
  const auto first = ReaderEntries();
  const std::size_t directories = reader.DirList().size();
  std::map<std::string, std::int32_t> addresses;
  for (const auto& [path, e] : first) addresses[path] = e->IsoAddress;

  for (const bool replace : {false, true}) {
    SCOPED_TRACE(replace ? "ReplaceFile" : "no ReplaceFile");
    reader.ReplaceFile = replace;
    const std::size_t said = readerMessages.size();
    ASSERT_TRUE(Import(disc));
    EXPECT_EQ(reader.DirList().size(), directories);
    EXPECT_EQ(ReaderEntries().size(), first.size());
    for (const auto& [path, e] : ReaderEntries()) {
      EXPECT_EQ(e->IsoAddress, addresses[path]) << path;
      EXPECT_EQ(e->Imported, !e->IsDirectory() && e->Size > 0) << path;
    }
    // Refusing a file present already is silent.
    EXPECT_EQ(readerMessages.size(), said);
  }
}

TEST_F(ImportTest, NextLayoutKeepsTheImportedExtents) {
  WriteSampleImage(true);
  const ImageCheck before = CheckImage(image);
  // The next session: the old one imported into a fresh compilation, one new file added.
  burner.ResetCompilation(1000, 100);
  burner.JolietFileSystem = true;
  ASSERT_TRUE(ImportSessionTree(burner, disc.Source(), 1, Root()));
  AddSource(burner.FindDirectory("\\Sub Dir"), "new.txt", 7000);
  ASSERT_TRUE(Save());
  const ImageCheck after = CheckImage(image);

  for (const auto& [old, now, tree] : {std::tuple{&before.joliet, &after.joliet, "Joliet"},
                                       std::tuple{&before.iso, &after.iso, "ISO"}}) {
    SCOPED_TRACE(tree);
    // (extent, size) of the files with data; the ISO names may differ between sessions.
    std::multiset<std::pair<std::uint32_t, std::uint32_t>> oldFiles, newFiles;
    for (const CheckedEntry& c : *old)
      if (!c.IsDirectory() && c.extent != 0) oldFiles.emplace(c.extent, c.size);
    for (const CheckedEntry& c : *now)
      if (!c.IsDirectory() && c.extent != 0) newFiles.emplace(c.extent, c.size);
    EXPECT_TRUE(std::includes(newFiles.begin(), newFiles.end(), oldFiles.begin(), oldFiles.end()));
    EXPECT_EQ(newFiles.size(), oldFiles.size() + 1);
  }
  // Only the new file's data was written.
  EXPECT_EQ(burner.CompilationBytes, 8192);
}

}  // namespace
}  // namespace kivo::testing
