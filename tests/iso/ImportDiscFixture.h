// A burner on the virtual recorder, and read-only discs made from images that mkiso (or
// another program) wrote from files the test makes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/iso/TZelvoBurner.h"
#include "tests/drive/RecorderFixture.h"
#include "tests/iso/Commands.h"
#include "tests/iso/TreeFixture.h"

namespace kivo::testing {

class ImportDiscTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    burner.OnDebugMessage = [this](TSCSIDevice*, const std::string& text, std::uint8_t type) {
      messages.push_back({text, type});
    };
    ASSERT_TRUE(burner.InitializeTransport(false, KIVO_WNASPI32));
    ASSERT_FALSE(burner.DeviceList.empty());
    burner.SelectDevice(burner.DeviceList.front());
    burner.ResetCompilation(65535, 8191);
  }

  // Source files below tmp/src ("dir/name" -> content); returns the folder.
  std::string MakeSources(const std::map<std::string, std::string>& files) {
    const std::filesystem::path src = tmp / "src";
    for (const auto& [name, content] : files) {
      std::filesystem::create_directories((src / name).parent_path());
      tmp.Write("src/" + name, content);
    }
    return src.string();
  }
  // An image of the folder's contents by mkiso, put in the drive as a read-only disc.
  void InsertMkisoImage(const std::string& folder) {
    const std::string image = tmp / "mkiso.iso";
    const CommandResult made = RunCli({"mkiso", "-o", image, folder});
    ASSERT_EQ(made.status, 0) << made.output;
    InsertImage(image);
  }
  void InsertImage(const std::string& image) {
    std::string error;
    ASSERT_TRUE(recorder->InsertImage(image, error)) << error;
  }
  bool Said(const Message& m) const { return std::find(messages.begin(), messages.end(), m) != messages.end(); }

  TZelvoBurner burner;
  std::vector<Message> messages;
  platform::testing::TempDir tmp;
};

// Content in which a misplaced or repeated sector shows: each 2048-byte block is shifted.
inline std::string Content(std::size_t size, char seed = 'a') {
  std::string out(size, '\0');
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<char>(seed + (i / 2048 + i) % 23);
  return out;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kivo::testing
