// ImportSession against discs in the virtual recorder: which session is read, the failures
// before any tree is read, sessions written by another program, and the ls and extract
// commands over a whole session.

#include <fmt/format.h>

#include <set>
#include <sstream>

#include "tests/iso/HandDisc.h"
#include "tests/iso/ImportDiscFixture.h"
#include "virtualdrive/Sense.h"

namespace kivo::testing {
namespace {

const std::map<std::string, std::string> kFiles{
    {"readme", Content(10)},
    {"Long document name.txt", Content(5000)},
    {"docs/sub folder/deep.bin", Content(70000, 'k')},
    {"docs/empty.dat", ""},
};

TEST_F(ImportDiscTest, SessionNumbersResolveToTheDiscsSessions) {
  InsertMkisoImage(MakeSources(kFiles));
  // A disc made from an image holds one session: -1 and every number above it read that one.
  for (const int session : {-1, 1, 5, 127}) {
    SCOPED_TRACE(session);
    burner.ResetCompilation(65535, 8191);
    messages.clear();
    ASSERT_TRUE(burner.ImportSession(static_cast<std::int8_t>(session), nullptr));
    EXPECT_EQ(messages.front(), (Message{" IMPORTING SESSION # 1", 1}));
    EXPECT_NE(burner.FindDirectory("\\docs\\sub folder"), nullptr);
  }
  messages.clear();
  EXPECT_FALSE(burner.ImportSession(0, nullptr));
  EXPECT_TRUE(messages.empty());
}

TEST_F(ImportDiscTest, FailuresBeforeAnyTreeIsRead) {
  // A blank disc has no session to import: no message.
  Insert(vdrive::MediumKind::CdR);
  EXPECT_FALSE(burner.ImportSession(-1, nullptr));
  EXPECT_TRUE(messages.empty());

  // The track of the session cannot be read.
  InsertMkisoImage(MakeSources(kFiles));
  Faults([](vdrive::Faults& f) {
    f.commands.push_back({.opcode = 0x52, .kind = vdrive::CommandFault::Kind::Sense,
                          .code = vdrive::sense::kInvalidFieldInCdb});
  });
  EXPECT_FALSE(burner.ImportSession(-1, nullptr));
  EXPECT_TRUE(Said({" ERROR IMPORTING SESSION # 1", 4}));

  // A disc without volume descriptors.
  InsertImage(tmp.Write("plain.bin", std::string(100 * 2048, 'x')));
  messages.clear();
  EXPECT_FALSE(burner.ImportSession(-1, nullptr));
  EXPECT_EQ(messages.back(), (Message{" ERROR IMPORTING SESSION 1 (ISO IMAGE NOT FOUND)", 4}));
  EXPECT_EQ(burner.FileList().size(), 0u);
}

TEST_F(ImportDiscTest, SessionsOfAnotherProgramImport) {
#ifdef _WIN32
  GTEST_SKIP() << "the other program is xorriso, a Linux tool";
#endif
  const std::string src = MakeSources(kFiles);
  for (const bool joliet : {true, false}) {
    SCOPED_TRACE(joliet ? "with Joliet" : "without Joliet");
    const std::string image = tmp / (joliet ? "joliet.iso" : "plain.iso");
    const CommandResult made = RunCommand("xorriso -as mkisofs -quiet " + std::string(joliet ? "-J " : "") + "-o " +
                                          Quoted(image) + " " + Quoted(src));
    ASSERT_EQ(made.status, 0) << made.output;
    InsertImage(image);
    burner.ResetCompilation(65535, 8191);
    ASSERT_TRUE(burner.ImportSession(-1, nullptr));

    // Every file with its content, found by its Joliet name or (without Joliet) by its size
    // and content, since ISO 9660 names are the other program's choice.
    std::multiset<std::string> read;
    int n = 0;
    for (TFEntry* e : burner.FileList()) {
      if (e->IsDirectory()) continue;
      const std::string out = tmp / fmt::format("out{}", n++);
      ASSERT_EQ(burner.ExtractFile(e, out), 1) << e->LongName;
      read.insert(ReadText(out));
    }
    std::multiset<std::string> expected;
    for (const auto& [name, content] : kFiles) expected.insert(content);
    EXPECT_EQ(read, expected);
    if (joliet) {
      EXPECT_NE(burner.FindFileEntry(burner.FindDirectory("\\docs\\sub folder"), "deep.bin"), nullptr);
      EXPECT_NE(burner.FindFileEntry(burner.RootDirectory(), "Long document name.txt"), nullptr);
    }
  }
}

// kivoardel-cli ls and extract --all list and recreate exactly the files mkiso was given.
TEST_F(ImportDiscTest, LsAndExtractAllGiveBackTheSources) {
  const std::string src = MakeSources(kFiles);
  InsertMkisoImage(src);

  const CommandResult listing = RunCli({"ls"});
  ASSERT_EQ(listing.status, 0) << listing.output;
  std::map<std::string, std::string> listed;  // path -> size
  std::istringstream lines(listing.output);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t first = line.find('\t'), second = line.find('\t', first + 1);
    if (second == std::string::npos) continue;  // an engine message
    EXPECT_EQ(second - first - 1, 19u) << line;  // "YYYY-MM-DD HH:MM:SS"
    listed[line.substr(second + 1)] = line.substr(0, first);
  }
  const std::map<std::string, std::string> expected{
      {"readme.", "10"},   {"Long document name.txt", "5000"}, {"docs/", "-"},
      {"docs/sub folder/", "-"}, {"docs/sub folder/deep.bin", "70000"}, {"docs/empty.dat", "0"}};
  EXPECT_EQ(listed, expected) << listing.output;

  const std::string out = tmp / "out";
  const CommandResult extracted = RunCli({"extract", "--all", out});
  ASSERT_EQ(extracted.status, 0) << extracted.output;
  EXPECT_EQ(FilesBelow(out), FilesBelow(src));

  // One file by its path on the disc, into a folder; a path the session lacks fails.
  const std::string single = tmp / "single";
  std::filesystem::create_directory(single);
  EXPECT_EQ(RunCli({"extract", "--session", "1", "docs/sub folder/deep.bin", single}).status, 0);
  EXPECT_EQ(FilesBelow(single), (std::map<std::string, std::string>{{"deep.bin", kFiles.at("docs/sub folder/deep.bin")}}));
  EXPECT_EQ(RunCli({"extract", "docs/none.bin", single}).status, 1);
  EXPECT_EQ(RunCli({"ls", "--session", "0"}).status, 1);
  // A session the disc does not hold is refused, never read as the last one.
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"ls", "--session", "2"}, {"extract", "--session", "99", "--all", tmp / "none"},
        {"extract", "--session", "2", "readme", single}}) {
    const CommandResult refused = RunCli(arguments);
    EXPECT_EQ(refused.status, 1) << refused.output;
    EXPECT_NE(refused.output.find("the disc in the drive holds 1 session, not "), std::string::npos) << refused.output;
  }
  EXPECT_FALSE(std::filesystem::exists(tmp / "none"));
}

// A session whose last file's data was never recorded (the image ends before it): ls and
// extract --all show everything else, name the file, and say in their exit status that the
// session was not read whole.
TEST_F(ImportDiscTest, FilesWhoseDataIsMissingAreNamedAndTheStatusSaysSo) {
  const std::string src = MakeSources({{"a.txt", "first"}, {"z.bin", Content(1000000)}});
  const std::string image = tmp / "cut.iso";
  ASSERT_EQ(RunCli({"mkiso", "-o", image, src}).status, 0);
  std::filesystem::resize_file(image, 200 * 2048);
  InsertImage(image);
  const std::string missing = "FILE DATA LIES BEYOND THE RECORDED END OF THE SESSION, NOT IMPORTED: \\z.bin";
  const CommandResult listing = RunCli({"ls"});
  EXPECT_EQ(listing.status, 2) << listing.output;
  EXPECT_NE(listing.output.find("a.txt"), std::string::npos) << listing.output;
  EXPECT_NE(listing.output.find(missing), std::string::npos) << listing.output;
  const std::string out = tmp / "out";
  const CommandResult extracted = RunCli({"extract", "--all", out});
  EXPECT_EQ(extracted.status, 2) << extracted.output;
  EXPECT_NE(extracted.output.find("done, but the session was not read whole"), std::string::npos) << extracted.output;
  EXPECT_EQ(FilesBelow(out), (std::map<std::string, std::string>{{"a.txt", "first"}}));
}

// A disc made to harm its reader: names that climb out of a folder or hold a separator, a
// directory that holds its own root, one whose length runs far past the disc. Everything that
// is sound lists and extracts, nothing lands outside the destination, and both commands say
// in their status that the session was not read whole.
TEST_F(ImportDiscTest, HostileDiscListsAndExtractsInsideTheDestination) {
  const HandDisc hand = HostileJolietDisc();
  InsertImage(tmp.Write("hostile.iso", std::string(hand.bytes.begin(), hand.bytes.end())));

  const CommandResult listing = RunCli({"ls"});
  EXPECT_EQ(listing.status, 2) << listing.output;
  for (const char* line : {"5\t", "ok.txt", "a%2Fb", "..%2Fup.txt", "huge/inside.txt", "DIRECTORY LOOP NOT FOLLOWED",
                           "DIRECTORY REACHES BEYOND THE END OF THE DISC"}) {
    EXPECT_NE(listing.output.find(line), std::string::npos) << line << "\n" << listing.output;
  }

  const std::filesystem::path box = tmp / "box";
  const CommandResult extracted = RunCli({"extract", "--all", (box / "out").string()});
  EXPECT_EQ(extracted.status, 2) << extracted.output;
  std::set<std::string> inBox;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(box)) {
    inBox.insert(entry.path().lexically_relative(box).generic_string());
  }
  EXPECT_EQ(inBox, (std::set<std::string>{"out", "out/ok.txt", "out/a%2Fb", "out/..%2Fup.txt", "out/loop", "out/huge",
                                          "out/huge/inside.txt"}))
      << extracted.output;
  EXPECT_EQ(ReadText((box / "out/huge/inside.txt").string()), "sound!");
  for (const char* name : {"escaped.txt", "up.txt", "owned"}) {
    EXPECT_FALSE(std::filesystem::exists(tmp / name)) << name;
  }
}

// Names on a disc are bytes from outside: ls shows every one of them, but none may move the
// cursor, break a line or turn the text around on the user's terminal (bytes below a blank and
// bytes that are no text arrive as the compilation's "%XX", the rest is escaped on output). A name without an
// extension, which ls shows with the writer's ".", extracts by its plain name too.
TEST_F(ImportDiscTest, LsShowsNamesSafelyAndExtractFindsThemByTheirPlainName) {
  const std::vector<std::pair<std::string, std::string>> names{
      {"A\x1b[2JB.TXT", "A%1B[2JB.TXT"},
      {"GNP\xe2\x80\xae.EXE", "GNP\\u{202e}.EXE"},
      {"ISO\xe2\x81\xa6.TXT", "ISO\\u{2066}.TXT"},
      {"TAB\tX.TXT", "TAB%09X.TXT"},
      {"LINE\nX.TXT", "LINE%0AX.TXT"},
      {"C1\xc2\x9b.TXT", "C1\\u{009b}.TXT"},
      {"BAD\xff\xc3.TXT", "BAD%FF%C3.TXT"},
      {"\xc5\xa1UMA.TXT", "\xc5\xa1UMA.TXT"},  // a letter outside ASCII stays as it is
      {"README", "README."},
  };
  HandDisc hand(40);
  hand.Volume(DirectoryTree::Iso, 20, 2048);
  std::size_t at = hand.Dots(20);
  for (const auto& [identifier, shown] : names) at = hand.Record(20, at, Bytes(identifier + ";1"), 30, 6);
  std::copy_n("inside", 6, hand.Sector(30));
  InsertImage(tmp.Write("names.iso", std::string(hand.bytes.begin(), hand.bytes.end())));

  const CommandResult listing = RunCli({"ls"});
  ASSERT_EQ(listing.status, 0) << listing.output;
  for (const char c : listing.output) EXPECT_TRUE(c == '\n' || c == '\t' || static_cast<unsigned char>(c) >= 0x20) << int(c);
  EXPECT_EQ(listing.output.find("\xe2\x80\xae"), std::string::npos);
  for (const auto& [identifier, shown] : names) {
    EXPECT_NE(listing.output.find("\t" + shown + "\n"), std::string::npos) << shown << "\n" << listing.output;
  }

  const std::string out = tmp / "readme";
  EXPECT_EQ(RunCli({"extract", "README", out}).status, 0);
  EXPECT_EQ(ReadText(out), "inside");
}

// A bootable session lists its boot image as a hidden file in the root; that record is the
// writer's, and the import leaves it out, whether it is named BOOT.IMG or (when the user has a
// file of that name) BOOT~1.IMG. The user's own files stay, hidden ones included.
TEST_F(ImportDiscTest, TheBootImagesRecordIsNoUserFile) {
  const std::string boot = tmp.Write("boot.bin", Content(4096, 'b'));
  for (const bool userHasBootImg : {false, true}) {
    SCOPED_TRACE(userHasBootImg ? "user's BOOT.IMG" : "no user file of that name");
    std::map<std::string, std::string> files{{"a.txt", "a"}, {".hidden.txt", "h"}};
    if (userHasBootImg) files["BOOT.IMG"] = "the user's";
    std::filesystem::remove_all(tmp / "src");
    const std::string src = MakeSources(files);
    // An image of its own each time: Windows does not let mkiso replace the one the recorder holds.
    const std::string image = tmp / (userHasBootImg ? "boot-2.iso" : "boot-1.iso");
    const CommandResult made = RunCli({"mkiso", "-o", image, "--boot", boot, src});
    ASSERT_EQ(made.status, 0) << made.output;
    InsertImage(image);
    burner.ResetCompilation(65535, 8191);
    ASSERT_TRUE(burner.ImportSession(-1, nullptr));
    std::set<std::string> names;
    for (const TFEntry* e = burner.RootDirectory()->FirstEntry; e != nullptr; e = e->Next) names.insert(e->LongName);
    std::set<std::string> expected{"a.txt", ".hidden.txt"};
    if (userHasBootImg) expected.insert("BOOT.IMG");
    EXPECT_EQ(names, expected);
  }
}

// ls and extract take in as many entries as a compilation may hold, more than 65535.
TEST_F(ImportDiscTest, LsReadsSessionsOfMoreThan65535Files) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine takes many minutes to make 66000 files";
#endif
  constexpr int kFileCount = 66000;
  std::filesystem::create_directories(tmp / "many/d");
  for (int i = 0; i < kFileCount; ++i) std::ofstream(tmp / fmt::format("many/d/f{:05}.txt", i));
  InsertMkisoImage(tmp / "many");
  const CommandResult listing = RunCli({"ls"});
  EXPECT_EQ(listing.status, 0) << listing.output.substr(0, 2000);
  EXPECT_EQ(std::count(listing.output.begin(), listing.output.end(), '\n'), kFileCount + 2);  // d/, and a message
}

}  // namespace
}  // namespace kivo::testing
