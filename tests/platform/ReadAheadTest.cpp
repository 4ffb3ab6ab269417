#include "engine/platform/ReadAhead.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/TempDir.h"

namespace kivo::platform {
namespace {

// The files (on Windows: all handles) this process holds open. Wine counts none: 0 there.
std::size_t OpenDescriptors() {
#ifdef _WIN32
  DWORD handles = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
  return handles;
#else
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                std::filesystem::directory_iterator()));
#endif
}

class ReadAheadTest : public ::testing::Test {
 protected:
  ReadAheadTest() {
    for (int i = 0; i < 300; ++i) {
      contents.push_back("file " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 7) * 1000, 'x'));
      paths.push_back(tmp.Write("f" + std::to_string(i), contents.back()));
    }
  }
  std::vector<ReadAhead::Source> Sources() const {
    std::vector<ReadAhead::Source> out;
    for (std::size_t i = 0; i < paths.size(); ++i) out.push_back({&paths[i], static_cast<std::int64_t>(contents[i].size())});
    return out;
  }
  // The file handed over for index, when it came open, must be that very source.
  bool HandedOverRight(File file, std::size_t index) {
    if (!file.IsOpen()) return true;
    ++handedOpen;
    std::string read(contents[index].size() + 1, '\0');
    read.resize(static_cast<std::size_t>(file.Read(read.data(), static_cast<std::int64_t>(read.size()))));
    return read == contents[index];
  }

  testing::TempDir tmp;
  std::vector<std::string> paths, contents;
  int handedOpen = 0;
};

// A reader slower than the disk gets its files open, each the one it asked for, and nothing
// stays open once the read-ahead is gone, whether the reader went through all files or left
// early, in order or skipping ahead.
TEST_F(ReadAheadTest, HandsEachFileOverOpenAndLeavesNothingOpen) {
  const std::size_t before = OpenDescriptors();
  if (before == 0) std::cout << "the system does not tell how many files are open: their count is not checked\n";
  {
    ReadAhead readAhead(Sources());
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      EXPECT_TRUE(HandedOverRight(readAhead.Take(i), i)) << i;
    }
  }
  EXPECT_GT(handedOpen, 0);
  EXPECT_EQ(OpenDescriptors(), before);

  for (const std::vector<std::size_t>& taken : {std::vector<std::size_t>{0, 1, 150, 151, 299}, std::vector<std::size_t>{0, 3}}) {
    ReadAhead readAhead(Sources());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (const std::size_t i : taken) EXPECT_TRUE(HandedOverRight(readAhead.Take(i), i)) << i;
  }
  EXPECT_EQ(OpenDescriptors(), before);

  // A source that cannot be opened comes closed: the reader opens it and hears why.
  std::filesystem::remove(paths[5]);
  ReadAhead readAhead(Sources());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (std::size_t i = 0; i < 5; ++i) readAhead.Take(i);
  EXPECT_FALSE(readAhead.Take(5).IsOpen());
}

}  // namespace
}  // namespace kivo::platform
