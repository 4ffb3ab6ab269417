// Sizes, fields, dates and streams shared by the layout and the recording code.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/iso/DateTime.h"
#include "engine/iso/IsoFields.h"
#include "engine/iso/Streams.h"
#include "engine/iso/VolumeDescriptors.h"
#include "engine/platform/Text.h"
#include "tests/platform/TempDir.h"

namespace kivo {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  return std::vector<std::uint8_t>(values.begin(), values.end());
}

TEST(IsoFields, FieldsSectorsAndNumbers) {
  for (const auto& [bytes, sectors] : std::vector<std::pair<std::int64_t, std::int64_t>>{
           {0, 0}, {1, 1}, {2048, 1}, {2049, 2}, {std::int64_t{1} << 40, std::int64_t{1} << 29}}) {
    EXPECT_EQ(Sectors(bytes), sectors) << bytes;
  }

  std::vector<std::uint8_t> field(8);
  WritePaddedField(field, "ABC");
  EXPECT_EQ(std::string(field.begin(), field.end()), "ABC     ");
  WritePaddedField(field, "ABCDEFGHIJ");
  EXPECT_EQ(std::string(field.begin(), field.end()), "ABCDEFGH");

  WriteUcs2BeField(field, "AB");
  EXPECT_EQ(field, Bytes({0x00, 0x41, 0x00, 0x42, 0x00, 0x20, 0x00, 0x20}));
  WriteUcs2BeField(field, "\xC5\xBE\xF0\x9F\x98\x80");  // z-caron, then U+1F600 as a surrogate pair
  EXPECT_EQ(field, Bytes({0x01, 0x7E, 0xD8, 0x3D, 0xDE, 0x00, 0x00, 0x20}));

  EXPECT_EQ(SectorToMsf(4500), (Msf{1, 0, 0}));
  EXPECT_EQ(SectorToMsf(74), (Msf{0, 0, 74}));
  EXPECT_EQ(SectorToMsf(4500 * 80 + 75 * 59 + 74), (Msf{80, 59, 74}));

  EXPECT_EQ(PaddedNumber(1234, 8, "0"), "00001234");
  EXPECT_EQ(PaddedNumber(123456789, 8, "0"), "123456789");
  EXPECT_EQ(PaddedNumber(7, 3, "ab"), "abab7");

  EXPECT_EQ(Swap16(0x1234), 0x3412);
  EXPECT_EQ(Swap32(0x12345678u), 0x78563412u);
}

TEST(IsoFields, DateTimeConversions) {
  struct Case {
    platform::CivilTime civil;
    double value;
  };
  for (const Case& c : std::vector<Case>{
           {{1899, 12, 30, 0, 0, 0, 0}, 0.0},
           {{1899, 12, 29, 6, 0, 0, 0}, -1.25},  // before day 0 the fraction still counts forward
           {{1900, 1, 1, 12, 0, 0, 0}, 2.5},
           {{1970, 1, 1, 0, 0, 0, 0}, 25569.0},
           {{2000, 2, 29, 18, 0, 0, 0}, 36585.75},
       }) {
    EXPECT_DOUBLE_EQ(EncodeDateTime(c.civil), c.value) << c.value;
    const auto back = DecodeDateTime(c.value);
    ASSERT_TRUE(back) << c.value;
    EXPECT_EQ(std::tie(back->year, back->month, back->day, back->hour),
              std::tie(c.civil.year, c.civil.month, c.civil.day, c.civil.hour));
  }
  // 23:59:59.9996 rounds to the next midnight instead of to a 24th hour.
  const auto carried = DecodeDateTime(1.0 - 0.0004 / 86400.0);
  ASSERT_TRUE(carried);
  EXPECT_EQ(std::tie(carried->day, carried->hour), std::make_tuple(31, 0));

  EXPECT_FALSE(DecodeDateTime(std::nan("")));
  EXPECT_FALSE(DecodeDateTime(1e12));
  EXPECT_FALSE(UnixToDateTime(std::int64_t{1} << 60));
  // A moment that cannot be converted becomes the current one.
  EXPECT_GT(UnixToDateTimeOrNow(std::int64_t{1} << 60), 40000.0);
}

TEST(IsoFields, RecordingDate) {
  std::array<std::uint8_t, 7> field{};
  WriteRecordingDate(field, EncodeDateTime({2006, 3, 14, 15, 9, 26, 0}), -20);
  EXPECT_EQ(std::vector<std::uint8_t>(field.begin(), field.end()), Bytes({106, 3, 14, 15, 9, 26, 0xEC}));
  // Years outside the byte's range stay at its ends instead of wrapping into another century.
  WriteRecordingDate(field, EncodeDateTime({1850, 1, 1, 0, 0, 0, 0}), 4);
  EXPECT_EQ(field[0], 0);
  WriteRecordingDate(field, EncodeDateTime({2300, 1, 1, 0, 0, 0, 0}), 4);
  EXPECT_EQ(field[0], 255);
}

// The primary descriptor holds only ISO 9660 characters, Serbian letters written in Latin ones;
// the Joliet descriptor keeps the text as it was given.
TEST(VolumeDescriptorTexts, PrimaryInIsoCharactersJolietAsGiven) {
  const struct {
    std::string given, primary;
  } cases[] = {
      {"Đorđe Šćepanović", "DJORDJE SCEPANOVIC"},
      {"čćžšđ ČĆŽŠĐ", "CCZSDJ CCZSDJ"},
      {"naïve 日本 \U0001F600", "NA_VE __ _"},
      {"a_b-1.2 (x)?~#@", "A_B-1.2 (X)?___"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    VolumeTexts texts;
    texts.Volume = texts.Publisher = c.given;
    const SectorBytes primary = PrimaryDescriptor(texts, {}, 100, 45000.0);
    const auto field = [](const SectorBytes& s, std::size_t at, std::size_t width) {
      std::string text(s.begin() + static_cast<std::ptrdiff_t>(at), s.begin() + static_cast<std::ptrdiff_t>(at + width));
      return text.substr(0, text.find_last_not_of(' ') + 1);
    };
    EXPECT_EQ(field(primary, 40, 32), c.primary);
    EXPECT_EQ(field(primary, 318, 128), c.primary);
    const SectorBytes joliet = JolietDescriptor(texts, {}, 100, 45000.0, 45000.0);
    std::u16string units;
    for (std::size_t i = 318; i < 318 + 128; i += 2) units.push_back(static_cast<char16_t>(joliet[i] << 8 | joliet[i + 1]));
    EXPECT_EQ(platform::Utf16ToUtf8(units.substr(0, units.find_last_not_of(u' ') + 1)), c.given);
  }
}

TEST(Streams, FileStream) {
  platform::testing::TempDir dir;
  const std::string path = dir / "data.bin";
  {
    TFileStreamEx out(path, fmCreate);
    ASSERT_TRUE(out.HandleValid());
    EXPECT_EQ(out.Write("0123456789", 10), 10);
    // Positions beyond 4 GiB: the file grows sparse to 5 GiB.
    const std::int64_t far = std::int64_t{5} << 30;
    EXPECT_TRUE(out.SetSize(far));
    EXPECT_EQ(out.Seek(3, soFromBeginning), 3);
    EXPECT_EQ(out.Size(), far);
    EXPECT_EQ(out.Seek(0, soFromCurrent), 3);  // Size left the position alone
    EXPECT_TRUE(out.SetSize(10));
  }
  TFileStreamEx in(path, fmOpenRead | fmShareDenyNone);
  char buf[16] = {};
  EXPECT_EQ(in.Seek(-4, soFromEnd), 6);
  EXPECT_EQ(in.Read(buf, 16), 4);
  EXPECT_EQ(std::string(buf, 4), "6789");
  EXPECT_EQ(in.Write("x", 1), 0);  // opened for reading only

  TFileStreamEx missing(dir / "missing.bin", fmOpenRead);
  EXPECT_FALSE(missing.HandleValid());
  EXPECT_EQ(missing.Read(buf, 16), 0);
  EXPECT_NE(missing.LastError().find("missing.bin"), std::string::npos);
}

TEST(Streams, MemoryStream) {
  TMemoryStreamEx m;
  EXPECT_EQ(m.Write("abc", 3), 3);
  EXPECT_EQ(m.Seek(6, soFromBeginning), 6);
  EXPECT_EQ(m.Write("z", 1), 1);
  EXPECT_EQ(m.Size(), 7);
  EXPECT_EQ(m.Position(), 7);
  EXPECT_EQ(std::string(m.Memory().begin(), m.Memory().end()), std::string("abc\0\0\0z", 7));
  EXPECT_EQ(m.Seek(-1, soFromBeginning), -1);
  char buf[8];
  m.Seek(5, soFromBeginning);
  EXPECT_EQ(m.Read(buf, 8), 2);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
}

}  // namespace
}  // namespace kivo
