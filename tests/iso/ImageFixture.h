// A burner over real source files in a temporary folder, saved quickly into an image whose
// bytes and structure the tests then read.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/iso/ImageCheck.h"
#include "tests/iso/TreeFixture.h"

namespace kivo::testing {

class ImageTest : public TreeTest {
 protected:
  ImageTest() {
    burner.OnWriteDone = [this](TZelvoBurner*, const std::string& error) { writeDone.push_back(error); };
  }

  // A source file of size bytes ('a' + its position mod 26, so misplaced data shows) added to dir.
  TFEntry* AddSource(TDEntry* dir, const std::string& name, std::uint64_t size, std::uint32_t attributes = 0) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>('a' + i % 26);
    const std::string path = tmp.Write("src-" + std::to_string(++sources_), content);
    platform::DirEntry rec = FileRec(name, size);
    rec.attributes |= attributes;
    EXPECT_EQ(burner.AddFileEntry(dir, rec, false, 0, path), 1) << name;
    return burner.FindFileEntry(dir, name.find('.') == std::string::npos ? name + "." : name);
  }

  // Saves quickly and keeps the image's bytes; true when the save reported success.
  bool Save() {
    writeDone.clear();
    const std::int32_t result = burner.SaveISO(imagePath, true);
    image = ReadWholeFile(imagePath);
    return result == 1 && writeDone == std::vector<std::string>{""};
  }

  const std::uint8_t* SectorAt(std::uint32_t sector) const { return image.data() + std::size_t{sector} * 2048; }
  std::string TextAt(std::uint32_t sector, std::size_t offset, std::size_t length) const {
    return std::string(reinterpret_cast<const char*>(SectorAt(sector) + offset), length);
  }

  // The record with this identifier in a directory sector (of image, or of a copy), or null.
  template <typename Byte>
  static Byte* RecordIn(Byte* sector, const std::string& identifier) {
    for (std::size_t at = 0; at < 2048 && sector[at] != 0; at += sector[at]) {
      if (std::string(reinterpret_cast<const char*>(sector + at + 33), sector[at + 32]) == identifier) return sector + at;
    }
    return nullptr;
  }

  // The checked entry of a path in one tree.
  static const CheckedEntry* Find(const std::vector<CheckedEntry>& tree, const std::string& path) {
    const auto it = std::find_if(tree.begin(), tree.end(), [&](const CheckedEntry& e) { return e.path == path; });
    return it == tree.end() ? nullptr : &*it;
  }

  TempDir tmp;
  std::string imagePath = tmp / "out.iso";
  std::vector<std::uint8_t> image;
  std::vector<std::string> writeDone;

 private:
  int sources_ = 0;
};

}  // namespace kivo::testing
