// A burner with its messages collected, and small helpers to build and read compilations.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "engine/iso/TZelvoBurner.h"
#include "tests/platform/TempDir.h"

namespace kivo::testing {

using platform::testing::TempDir;

struct Message {
  std::string text;
  int type;
  bool operator==(const Message&) const = default;
};

inline void PrintTo(const Message& m, std::ostream* os) { *os << m.type << ":" << m.text; }

class TreeTest : public ::testing::Test {
 protected:
  TreeTest() {
    burner.OnDebugMessage = [this](TSCSIDevice*, const std::string& text, std::uint8_t type) {
      messages.push_back({text, type});
    };
  }

  // A directory-search record of a file.
  static platform::DirEntry FileRec(std::string name, std::uint64_t size = 0, std::string alias = "") {
    platform::DirEntry rec;
    rec.name = std::move(name);
    rec.alias = std::move(alias);
    rec.size = size;
    rec.attributes = platform::kAttrArchive;
    rec.mtime = 1700000000;
    return rec;
  }
  static platform::DirEntry DirRec(std::string name, std::string alias = "") {
    platform::DirEntry rec = FileRec(std::move(name), 0, std::move(alias));
    rec.attributes = platform::kAttrDirectory;
    return rec;
  }

  // Long names of a directory's entries, in list order.
  static std::vector<std::string> LongNames(const TDEntry* dir) {
    std::vector<std::string> out;
    for (const TFEntry* e = dir->FirstEntry; e != nullptr; e = e->Next) out.push_back(e->LongName);
    return out;
  }
  static std::vector<std::string> ShortNames(const TDEntry* dir) {
    std::vector<std::string> out;
    for (const TFEntry* e = dir->FirstEntry; e != nullptr; e = e->Next) out.push_back(e->ShortName);
    return out;
  }
  std::vector<std::string> DirPaths() const {
    std::vector<std::string> out;
    for (const TDEntry* d : burner.DirList()) out.push_back(d->Path);
    return out;
  }
  std::vector<std::string> FileListNames() const {
    std::vector<std::string> out;
    for (const TFEntry* e : burner.FileList()) out.push_back(e->LongName);
    return out;
  }
  TDEntry* Root() const { return burner.RootDirectory(); }

  // Makes files and directories below tmp: a path ending with "/" is a directory; a file holds
  // as many bytes as the number after "=" says ("a/x.txt=10"), else one.
  static void MakeTree(const TempDir& tmp, const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
      if (p.ends_with('/')) {
        std::filesystem::create_directories(tmp / p);
        continue;
      }
      const std::size_t eq = p.find('=');
      const std::string file = p.substr(0, eq);
      std::filesystem::create_directories(std::filesystem::path(tmp / file).parent_path());
      tmp.Write(file, std::string(eq == std::string::npos ? 1 : std::stoul(p.substr(eq + 1)), 'x'));
    }
  }

  TZelvoBurner burner;
  std::vector<Message> messages;
};

}  // namespace kivo::testing
