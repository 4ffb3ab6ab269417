// The read-ahead cache against sources in a temporary folder: the exact bytes and block
// boundaries it hands out, how it ends (delivered, failed, aborted), and what it says about
// sources that no longer match the compilation. The caches are small, so that the producer
// keeps waiting for room while the test takes blocks.

#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <fmt/format.h>
#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "engine/drive/MediaKinds.h"
#include "engine/record/Strings.h"
#include "engine/record/TCacheThread.h"
#include "tests/platform/TempDir.h"

namespace kivo::cache_test {
namespace {

using platform::testing::TempDir;

constexpr std::int32_t kSector = 2048;

std::string Zeros(std::size_t n) { return std::string(n, '\0'); }

// Bytes without zeros, different per seed: a misplaced or zero-filled piece shows.
std::string Pattern(std::size_t n, int seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(1 + (i * 7 + static_cast<std::size_t>(seed) * 31) % 250);
  return s;
}

// Data as it lies on the disc: its last sector filled up with zeros.
std::string Sectors(std::string data) {
  data.resize((data.size() + kSector - 1) / kSector * kSector, '\0');
  return data;
}

struct Drained {
  std::vector<std::int32_t> lengths;
  std::string bytes;
};

// How the consumer takes blocks: copied into its buffer, or borrowed and handed back.
enum class Consumer { kCopy, kBorrow };

// Takes blocks as the writer does until the cache reports the end of data.
Drained Drain(TCacheThread& cache, Consumer consumer = Consumer::kCopy) {
  std::vector<char> buffer(kMaxBlockSize);
  Drained out;
  for (;;) {
    CacheBlock block;
    const std::int32_t n =
        consumer == Consumer::kCopy ? cache.GetBlock(buffer.data()) : cache.TakeBlock(block);
    if (n == 0) return out;
    if (n < 0) {
      if (!cache.WaitForBlock(5000)) {
        ADD_FAILURE() << "no block and no end within 5 s";
        return out;
      }
      continue;
    }
    out.lengths.push_back(n);
    if (consumer == Consumer::kCopy) {
      out.bytes.append(buffer.data(), static_cast<std::size_t>(n));
    } else {
      out.bytes.append(reinterpret_cast<const char*>(block.Data.get()), static_cast<std::size_t>(n));
      cache.ReturnBlock(std::move(block));
    }
  }
}

bool WaitUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

struct StreamCase {
  const char* name;
  TCacheSetup setup;
  std::string expected;
  std::vector<std::int32_t> lengths;
};

class CacheTest : public ::testing::Test {
 protected:
  TCacheSetup SetupOf(std::int32_t blockSize, std::int32_t blocksInCache) {
    TCacheSetup setup;
    setup.BlockSize = blockSize;
    setup.CacheSize = blockSize * blocksInCache;
    setup.OnMessage = [this](const std::string& message) { messages.push_back(message); };
    return setup;
  }
  TMemoryStreamEx* Header(const std::string& bytes) {
    TMemoryStreamEx& header = headers.emplace_back();
    header.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    return &header;
  }
  TFEntry* Entry(const std::string& sourcePath, std::int64_t size, std::int32_t attr = 0) {
    TFEntry& entry = entries.emplace_back();
    entry.SourcePath = sourcePath;
    entry.Size = size;
    entry.Attr = attr;
    return &entry;
  }
  TFEntry* File(const std::string& name, const std::string& content) {
    return Entry(dir.Write(name, content), static_cast<std::int64_t>(content.size()));
  }
  std::vector<StreamCase> StreamCases();

  TempDir dir;
  std::deque<TMemoryStreamEx> headers;
  std::deque<TFEntry> entries;
  std::vector<std::string> messages;  // written by the cache thread, read after WaitFor
};

// Compilations and an image file, made afresh for each run (the cache empties the header).
std::vector<StreamCase> CacheTest::StreamCases() {
  std::vector<StreamCase> cases;

  {  // A header alone, padded with the post-gap to 300 sectors.
    const std::string header = Pattern(3 * kSector, 1);
    TCacheSetup setup = SetupOf(kBlockSize, 3);
    setup.HeaderStream = Header(header);
    setup.ImageBytes = 3 * kSector;
    setup.WritePostGap = true;
    std::vector<std::int32_t> lengths(11, kBlockSize);
    lengths.front() = 3 * kSector;
    lengths.back() = 9 * kSector;
    cases.push_back({"header and post-gap", setup, header + Zeros(kPostGapBytes - 3 * kSector), lengths});
  }
  {  // A bootable compilation on CD: the header's tail shares a block with the boot image, the
     // padding and the files; entries without data of their own add nothing.
    const std::string header = Pattern(30 * kSector, 2);
    const std::string boot = Pattern(3000, 3);
    const std::string large = Pattern(100000, 4);
    TCacheSetup setup = SetupOf(kCdBlockSize, 3);
    setup.HeaderStream = Header(header);
    setup.BootImagePath = dir.Write("boot.img", boot);
    setup.BootImageSectors = 2;
    setup.PaddingSectors = 5;
    TFEntry* largeFile = File("large.bin", large);
    setup.FileList = {Entry(largeFile->SourcePath, 4096, kEntryAttrDirectory),  // a directory's entry
                      Entry("", 5000),                                          // imported
                      File("one.txt", "Z"),
                      Entry(dir / "never-opened", 0),
                      largeFile};
    setup.ImageBytes = 87 * kSector;
    setup.WritePostGap = false;
    cases.push_back({"boot image, padding and files", setup,
                     header + Sectors(boot) + Zeros(5 * kSector) + Sectors("Z") + Sectors(large),
                     {kCdBlockSize, kCdBlockSize, kCdBlockSize, 6 * kSector}});
  }
  {  // An image file: header, padding, files and post-gap are the compilation's, not the image's.
    const std::string image = Pattern(5000, 5);
    TCacheSetup setup = SetupOf(kBlockSize, 3);
    setup.ImageFileName = dir.Write("disc.iso", image);
    setup.ImageBytes = 3 * kSector;
    setup.HeaderStream = Header(Pattern(kSector, 6));
    setup.PaddingSectors = 4;
    setup.FileList = {File("ignored.txt", "ignored")};
    setup.WritePostGap = true;
    cases.push_back({"image file", setup, Sectors(image), {3 * kSector}});
  }
  {  // Many small blocks through a cache of many: producer and consumer wake each other in
     // batches, and no block may be left behind at a batch's edge or at the end.
    const std::string image = Pattern(301 * kSector, 8);
    TCacheSetup setup = SetupOf(2 * kSector, 40);
    setup.ImageFileName = dir.Write("long.iso", image);
    setup.ImageBytes = 301 * kSector;
    std::vector<std::int32_t> lengths(151, 2 * kSector);
    lengths.back() = kSector;
    cases.push_back({"image file in many blocks", setup, image, lengths});
  }
  return cases;
}

TEST_F(CacheTest, ProducesTheSectorSequenceInWriteSizedBlocks) {
  for (const Consumer consumer : {Consumer::kCopy, Consumer::kBorrow}) {
    for (const StreamCase& c : StreamCases()) {
      SCOPED_TRACE(fmt::format("{}, {}", c.name, consumer == Consumer::kCopy ? "copied" : "borrowed"));
      messages.clear();
      TCacheThread cache(c.setup);
      const Drained out = Drain(cache, consumer);
      cache.WaitFor();
      EXPECT_EQ(c.lengths, out.lengths);
      EXPECT_TRUE(out.bytes == c.expected) << "stream differs from the sector sequence";
      EXPECT_EQ("", cache.Status());
      EXPECT_EQ(0, cache.BytesHeld());
      EXPECT_EQ(0, cache.BytesToDeliver());
      EXPECT_EQ(std::vector<std::string>{}, messages);
      if (c.setup.ImageFileName.empty()) {
        EXPECT_EQ(0, c.setup.HeaderStream->Size()) << "header not released";
      }
    }
  }
}

TEST_F(CacheTest, GetBlockSaysWaitUntilDataArrivesAndZeroAfterTheEnd) {
#ifdef _WIN32
  GTEST_SKIP() << "the data arrives through a pipe in a folder, which Windows lacks";
#else
  // The producer sits in opening a pipe until the test starts writing into it.
  const std::string fifo = dir / "image.fifo";
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  TCacheSetup setup = SetupOf(kBlockSize, 3);
  setup.ImageFileName = fifo;
  setup.ImageBytes = 2 * kSector;
  TCacheThread cache(setup);

  std::vector<char> buffer(kMaxBlockSize);
  EXPECT_EQ(-1, cache.GetBlock(buffer.data()));
  EXPECT_FALSE(cache.WaitForBlock(20));
  EXPECT_FALSE(cache.Primed());

  const std::string image = Pattern(2 * kSector, 7);
  const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(static_cast<ssize_t>(image.size()), ::write(fd, image.data(), image.size()));
  ::close(fd);

  ASSERT_TRUE(cache.WaitForBlock(5000));
  ASSERT_EQ(2 * kSector, cache.GetBlock(buffer.data()));
  EXPECT_EQ(image, std::string(buffer.data(), image.size()));
  ASSERT_TRUE(cache.WaitForBlock(5000));
  EXPECT_EQ(0, cache.GetBlock(buffer.data()));
  EXPECT_EQ(0, cache.GetBlock(buffer.data()));
  EXPECT_TRUE(cache.Finished());
#endif
}

TEST_F(CacheTest, HeaderLargerThanTheCachePrimesItThenDrains) {
  const std::string header = Pattern(10 * kBlockSize + kSector, 8);
  TCacheSetup setup = SetupOf(kBlockSize, 3);
  setup.HeaderStream = Header(header);
  setup.ImageBytes = static_cast<std::int64_t>(header.size());
  TCacheThread cache(setup);

  ASSERT_TRUE(WaitUntil([&] { return cache.Primed(); }));
  EXPECT_FALSE(cache.Finished());
  EXPECT_EQ(static_cast<std::size_t>(cache.BlockLimit() - 1), cache.QueuedBlocks());
  EXPECT_EQ(2 * kBlockSize, cache.BytesHeld());

  EXPECT_TRUE(Drain(cache).bytes == header);
  EXPECT_EQ("", cache.Status());
}

TEST_F(CacheTest, AbortEndsTheRecordingWithTheFirstReason) {
  struct Case {
    const char* name;
    std::int32_t headerBlocks;  // 10 keeps the producer waiting for room; 1 is all queued at once
    std::string earlierStatus;  // the writer's own message, set before Abort
    std::string status;
    std::size_t queuedAfter;
  };
  const std::string aborted(recordtext::kOperationAborted);
  const std::vector<Case> cases{
      {"while waiting for room", 10, "", aborted, 0},
      {"after the writer's message", 10, "WRITER ERROR [X]", "WRITER ERROR [X]", 0},
      {"after everything was queued", 1, "", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCacheSetup setup = SetupOf(kBlockSize, 3);
    setup.HeaderStream = Header(Pattern(static_cast<std::size_t>(c.headerBlocks) * kBlockSize, 9));
    setup.ImageBytes = std::int64_t{c.headerBlocks} * kBlockSize;
    TCacheThread cache(setup);
    ASSERT_TRUE(WaitUntil([&] { return cache.Primed(); }));

    if (!c.earlierStatus.empty()) cache.SetStatus(c.earlierStatus);
    cache.Abort();
    cache.WaitFor();
    EXPECT_TRUE(cache.Finished());
    EXPECT_EQ(c.status, cache.Status());
    EXPECT_EQ(c.queuedAfter, cache.QueuedBlocks());
    std::vector<char> buffer(kMaxBlockSize);
    EXPECT_EQ(0, cache.GetBlock(buffer.data()));
  }
}

TEST_F(CacheTest, SourceThatCannotBeReadEndsTheRecording) {
  struct Case {
    const char* name;
    TFEntry* entry;
    std::string status;
  };
  const std::string missing = dir / "deleted after adding.txt";
  // A directory opens for reading but every read fails: a stand-in for a failing disk.
  const std::string unreadable = dir / "a folder";
  std::filesystem::create_directory(unreadable);
  std::vector<Case> cases{
      {"missing file", Entry(missing, 10), fmt::sprintf(recordtext::kCannotOpenFile, missing)},
      {"entry that cannot be fetched", nullptr, std::string(recordtext::kInternalError0005)},
  };
#ifndef _WIN32  // Windows refuses to open a folder as a file: it cannot stand in there
  cases.push_back({"read that fails", Entry(unreadable, 10),
                   fmt::sprintf(recordtext::kCannotReadFile, unreadable, unreadable + ": Is a directory")});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages.clear();
    TCacheSetup setup = SetupOf(kBlockSize, 3);
    setup.HeaderStream = Header(Pattern(kSector, 10));
    setup.FileList = {File("before.txt", "before"), c.entry};
    setup.ImageBytes = 3 * kSector;
    TCacheThread cache(setup);
    Drain(cache);
    cache.WaitFor();
    EXPECT_EQ(c.status, cache.Status());
    // The system's reason for a failed open goes to the log; the status has no room for it.
    if (c.entry != nullptr && c.entry->SourcePath == missing) {
      ASSERT_EQ(1u, messages.size());
      EXPECT_NE(std::string::npos, messages[0].find(missing));
    }
  }
}

TEST_F(CacheTest, SourcesThatNoLongerMatchAreRecordedAndReported) {
  struct Case {
    const char* name;
    TCacheSetup setup;
    std::string expected;
    std::string message;
    bool fails = false;  // the recording's result is the message
  };
  std::vector<Case> cases;
  {  // A file shrank after it was added: its place keeps its length, the next file its place.
    TCacheSetup setup = SetupOf(kBlockSize, 3);
    const std::string shrunk = Pattern(3000, 11);
    const std::string path = dir.Write("shrunk.bin", shrunk);
    setup.FileList = {Entry(path, 5000), File("next.txt", "next")};
    setup.ImageBytes = 4 * kSector;
    cases.push_back({"file shrank", setup, Sectors(shrunk) + Zeros(kSector) + Sectors("next"),
                     fmt::sprintf(recordtext::kSourceEndedEarly, 3000, 5000, path)});
  }
  {  // The same within a read that fills several blocks at once.
    TCacheSetup setup = SetupOf(kSector, 8);
    const std::string shrunk = Pattern(5000, 13);
    const std::string path = dir.Write("shrunk-long.bin", shrunk);
    setup.FileList = {Entry(path, 10 * kSector), File("next.txt", "next")};
    setup.ImageBytes = 11 * kSector;
    cases.push_back({"file shrank within a long read", setup, Sectors(shrunk) + Zeros(7 * kSector) + Sectors("next"),
                     fmt::sprintf(recordtext::kSourceEndedEarly, 5000, 10 * kSector, path)});
  }
  {  // The layout promised more than the sources hold: the stream ends instead of waiting.
    TCacheSetup setup = SetupOf(kBlockSize, 3);
    const std::string header = Pattern(kSector, 12);
    setup.HeaderStream = Header(header);
    setup.ImageBytes = 3 * kSector;
    cases.push_back({"image length too large", setup, header,
                     fmt::sprintf(recordtext::kStreamLengthMismatch, kSector, 3 * kSector), true});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages.clear();
    TCacheThread cache(c.setup);
    EXPECT_TRUE(Drain(cache).bytes == c.expected);
    cache.WaitFor();
    EXPECT_EQ(c.fails ? c.message : "", cache.Status());
    EXPECT_EQ(std::vector<std::string>{c.message}, messages);
  }
}

TEST(CacheBlockSize, IsTwentySevenSectorsOnlyOnRecordableCd) {
  const std::vector<std::pair<std::uint16_t, std::int32_t>> cases{
      {media::kCdR, 55296},      {media::kCdRw, 55296},  {media::kCdRom, 65536},
      {media::kDvdPlusRw, 65536}, {media::kDvdR, 65536},  {media::kUnknown, 65536},
  };
  for (const auto& [kind, size] : cases) EXPECT_EQ(size, BlockSizeForMediaKind(kind)) << "kind " << kind;
}

}  // namespace
}  // namespace kivo::cache_test
