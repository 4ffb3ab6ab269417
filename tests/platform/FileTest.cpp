#include <gtest/gtest.h>

#include <span>
#include <string>

#include "engine/platform/Files.h"
#include "tests/platform/TempDir.h"

namespace kivo::platform {
namespace {

using testing::TempDir;

TEST(File, SeeksReadsAndWritesBeyondFourGiB) {
  TempDir dir;
  File file;
  ASSERT_TRUE(file.Open(dir / "sparse.img", File::Mode::Create)) << file.LastError();

  constexpr std::int64_t kFar = (std::int64_t{5} << 30) + 7;  // past every 32-bit boundary
  ASSERT_EQ(file.Seek(kFar, File::Origin::Begin), kFar) << file.LastError();
  ASSERT_EQ(file.Write("tail", 4), 4) << file.LastError();
  EXPECT_EQ(file.Size(), kFar + 4);
  EXPECT_EQ(file.Seek(-4, File::Origin::End), kFar);
  EXPECT_EQ(file.Seek(2, File::Origin::Current), kFar + 2);

  char bytes[6] = {};
  EXPECT_EQ(file.ReadAt(bytes, 6, kFar - 2), 6);
  EXPECT_EQ(std::string(bytes, 6), std::string("\0\0tail", 6));
  EXPECT_EQ(file.Seek(0, File::Origin::Current), kFar + 2) << "ReadAt leaves the position alone";

  ASSERT_TRUE(file.SetSize(kFar)) << file.LastError();
  EXPECT_EQ(file.Size(), kFar);
}

TEST(File, ShortCountsTellEndOfFileFromFailure) {
  TempDir dir;
  const std::string path = dir.Write("ten", "0123456789");
  File file;
  ASSERT_TRUE(file.Open(path, File::Mode::Read));

  char buffer[16];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 10);
  EXPECT_EQ(file.LastError(), "");
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);
  EXPECT_EQ(file.LastError(), "");

  EXPECT_EQ(file.Write("x", 1), 0);
#ifdef _WIN32
  EXPECT_EQ(file.LastError(), path + ": Permission denied");  // Windows' word for a read-only handle
#else
  EXPECT_EQ(file.LastError(), path + ": Bad file descriptor");
#endif

  File missing;
  EXPECT_FALSE(missing.Open(dir / "none", File::Mode::ReadWrite));
  EXPECT_EQ(missing.LastError(), dir / "none" + ": No such file or directory");
  EXPECT_FALSE(missing.IsOpen());
}

// A scattered read fills its pieces in order, across a piece's edge, and stops short at the end
// of the file with no error; a descriptor that cannot be read says why.
TEST(File, ScatteredReadsFillThePiecesInOrder) {
  TempDir dir;
  const std::string path = dir.Write("ten", "0123456789");
  File file;
  ASSERT_TRUE(file.Open(path, File::Mode::Read));
  std::uint8_t a[4] = {}, c[8] = {};
  const std::span<std::uint8_t> pieces[] = {a, std::span<std::uint8_t>(), c};
  EXPECT_EQ(file.ReadScattered(pieces), 10);
  EXPECT_EQ(file.LastError(), "");
  EXPECT_EQ(std::string(a, a + 4) + std::string(c, c + 6), "0123456789");
  EXPECT_EQ(file.ReadScattered(pieces), 0);
  EXPECT_EQ(file.LastError(), "");

  // A folder read as a file: Linux opens it and refuses the read, Windows refuses the open; the
  // reason is the same.
  File folder;
#ifdef _WIN32
  EXPECT_FALSE(folder.Open(dir.str(), File::Mode::Read));
#else
  ASSERT_TRUE(folder.Open(dir.str(), File::Mode::Read));
  EXPECT_EQ(folder.ReadScattered(pieces), 0);
#endif
  EXPECT_EQ(folder.LastError(), dir.str() + ": Is a directory");
}

TEST(File, MovingHandsOverTheHandle) {
  TempDir dir;
  File first;
  ASSERT_TRUE(first.Open(dir / "f", File::Mode::Create));
  File second = std::move(first);
  EXPECT_FALSE(first.IsOpen());
  EXPECT_EQ(second.Write("ab", 2), 2);
  EXPECT_EQ(second.Path(), dir / "f");
}

}  // namespace
}  // namespace kivo::platform
