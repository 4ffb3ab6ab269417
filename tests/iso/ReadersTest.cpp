// Images made by kivoardel-cli mkiso, read by four independent readers with their strictest
// checks and by our own structural checker; the files the readers extract must equal the
// sources.

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "tests/iso/Commands.h"
#include "tests/iso/ImageCheck.h"
#include "tests/platform/TempDir.h"

namespace kivo::testing {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempDir;

void WriteFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// Content that differs from file to file and tells a misplaced sector apart.
std::string Content(const std::string& seed, std::size_t size) {
  std::string out;
  while (out.size() < size) out += seed + "|" + std::to_string(out.size()) + "\n";
  out.resize(size);
  return out;
}

// libarchive reads at most 103 characters of a Joliet name (the long-name limit of an older
// writer), so bsdtar extracts longer names cut short; the other readers show them whole.
constexpr std::size_t kBsdtarNameLimit = 103;

// What bsdtar extracts from the Joliet tree: a file name without "." carries one; names longer
// than its limit are cut (the long names here are ASCII, one byte a character).
std::map<std::string, std::string> JolietView(const std::map<std::string, std::string>& sources) {
  std::map<std::string, std::string> out;
  for (const auto& [path, content] : sources) {
    const bool hasDot = fs::path(path).filename().string().find('.') != std::string::npos;
    fs::path view;
    for (const auto& part : fs::path(hasDot ? path : path + ".")) view /= part.string().substr(0, kBsdtarNameLimit);
    out[view.string()] = content;
  }
  return out;
}

// Names first, then contents, each file named when it differs (the contents can be megabytes).
void ExpectSameFiles(const std::map<std::string, std::string>& got, const std::map<std::string, std::string>& want) {
  std::vector<std::string> gotNames, wantNames;
  for (const auto& [path, content] : got) gotNames.push_back(path);
  for (const auto& [path, content] : want) wantNames.push_back(path);
  ASSERT_EQ(gotNames, wantNames);
  for (const auto& [path, content] : want) EXPECT_TRUE(got.at(path) == content) << path;
}

// The contents alone, for a tree whose names are not the sources'.
std::multiset<std::string> Contents(const std::map<std::string, std::string>& files) {
  std::multiset<std::string> out;
  for (const auto& [path, content] : files) out.insert(content);
  return out;
}

// A bit of everything a compilation meets: depth, Serbian and other non-ASCII names, no
// extension, an empty and a hidden file, the longest names the tree takes (108 units for a
// file, 109 for a directory), sizes around sector and chunk ends. (A character beyond the BMP
// is written as a surrogate pair, which xorriso warns is not UCS-2; it is left out here.)
// What a tree adds to the mkiso command line, and the files the image holds besides the sources.
struct TreeSetup {
  std::vector<std::string> options;
  std::map<std::string, std::string> extraFiles;
  std::vector<std::string> longNames;  // xorriso's listing of the Joliet tree must show these whole
};

TreeSetup MakeMixedTree(const fs::path& tmp) {
  const fs::path src = tmp / "src";
  const std::string longFile = std::string(104, 'f') + ".txt";
  const std::string longDir = std::string(109, 'd');
  for (const auto& [path, size] : std::vector<std::pair<std::string, std::size_t>>{
           {"a/b/c/d/e/f/g/deep.txt", 10},
           {"čćžšđ/Čačak.txt", 100},
           {"Đorđe Šćepanović.txt", 2048},
           {"ŽĆŠ/ćevapi i pljeskavica.txt", 2049},
           {"Ελληνικά.txt", 5},
           {"日本語/ファイル.txt", 7},
           {"README", 300000},
           {"empty.txt", 0},
           {".hidden", 3},
           {longFile, 11},
           {longDir + "/inside.txt", 12},
       }) {
    WriteFile(src / path, Content(path, size));
  }
  return {{}, {}, {longFile, longDir}};
}

TreeSetup MakeWideTree(const fs::path& tmp) {
  for (int i = 0; i < 10000; ++i) WriteFile(tmp / "src/many" / fmt::format("file {:05}.dat", i), Content(std::to_string(i), i % 5000));
  return {{}, {}, {}};
}

// The boot image is listed in the root as a hidden BOOT.IMG, so readers know its sectors.
TreeSetup MakeBootableTree(const fs::path& tmp) {
  const std::string floppy = Content("boot", 1474560);
  WriteFile(tmp / "floppy.img", floppy);
  WriteFile(tmp / "src/a.txt", "a");
  WriteFile(tmp / "src/sub/b.txt", Content("b", 5000));
  return {{"--boot", (tmp / "floppy.img").string()}, {{"BOOT.IMG", floppy}}, {}};
}

struct ReaderCase {
  const char* name;
  std::function<TreeSetup(const fs::path&)> make;
  bool joliet;
};

void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

class ReadersTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReadersTest, ReadersAndChecksAgree) {
  const ReaderCase& c = GetParam();
  TempDir tmp;
  const fs::path root = tmp.str();
  std::vector<std::string> arguments{"mkiso", "-o", tmp / "image.iso"};
  const TreeSetup setup = c.make(root);
  for (const std::string& option : setup.options) arguments.push_back(option);
  if (!c.joliet) arguments.push_back("--no-joliet");
  arguments.push_back(tmp / "src");
  const CommandResult made = RunCli(arguments);
  ASSERT_EQ(made.status, 0) << made.output;

  const std::string image = Quoted(tmp / "image.iso");
  std::vector<std::string> readers{
      "xorriso -abort_on NEVER -return_with WARNING 32 -report_about WARNING -read_fs ecma119 -indev " + image +
          " -toc -pvd_info -report_el_torito plain -check_media what=image -- -find / -exec lsdl --",
      "isoinfo -d -i " + image,
      "isoinfo -p -i " + image,
      "isoinfo -l -i " + image,
      "7z t -tiso " + image,
      "bsdtar --options iso9660:!rockridge -tvvf " + image,
      "bsdtar --options iso9660:!joliet,iso9660:!rockridge -tvvf " + image,
      "bsdtar -xOf " + image + " > /dev/null",
  };
  if (c.joliet) {
    readers.push_back("xorriso -abort_on NEVER -return_with WARNING 32 -report_about WARNING -read_fs norock -indev " +
                      image + " -toc -pvd_info -report_el_torito plain -check_media what=image -- -find / -exec lsdl --");
    readers.push_back("isoinfo -J -l -i " + image);
  }
  for (const std::string& reader : readers) {
    const CommandResult read = RunCommand(reader);
    EXPECT_EQ(read.status, 0) << reader << "\n" << read.output;
    if (reader.starts_with("7z")) {
      EXPECT_NE(read.output.find("Everything is Ok"), std::string::npos) << read.output;
    }
    if (reader.find("norock") != std::string::npos) {
      for (const std::string& name : setup.longNames) EXPECT_NE(read.output.find("/" + name), std::string::npos) << name;
    }
  }

  const ImageCheck check = CheckImage(ReadWholeFile(tmp / "image.iso"));
  EXPECT_EQ(check.problems, std::vector<std::string>{});
  EXPECT_EQ(check.hasJoliet, c.joliet);

  auto sources = FilesBelow(root / "src");
  const auto extract = [&](const std::string& options, const std::string& folder) {
    fs::create_directories(root / folder);
    const CommandResult x =
        RunCommand("bsdtar --options " + options + " -xf " + image + " -C " + Quoted(tmp / folder));
    EXPECT_EQ(x.status, 0) << x.output;
    return FilesBelow(root / folder);
  };
  auto expected = JolietView(sources);
  expected.insert(setup.extraFiles.begin(), setup.extraFiles.end());
  if (c.joliet) ExpectSameFiles(extract("iso9660:!rockridge", "joliet"), expected);
  // The ISO 9660 tree holds short names only: the same data under other names.
  EXPECT_TRUE(Contents(extract("iso9660:!joliet,iso9660:!rockridge", "iso")) == Contents(expected));
}

INSTANTIATE_TEST_SUITE_P(Trees, ReadersTest,
                         ::testing::Values(ReaderCase{"Mixed", MakeMixedTree, true},
                                           ReaderCase{"MixedWithoutJoliet", MakeMixedTree, false},
                                           ReaderCase{"TenThousandInOneDirectory", MakeWideTree, true},
                                           ReaderCase{"BootableFloppy", MakeBootableTree, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo::testing
