#include "engine/iso/IsoFields.h"

#include <algorithm>

#include "engine/iso/ZoneOffsets.h"
#include "engine/platform/Text.h"

namespace kivo {

std::int64_t Sectors(std::int64_t bytes) {
  if (bytes <= 0) return 0;
  return bytes / kSectorSize + (bytes % kSectorSize != 0 ? 1 : 0);
}

void WritePaddedField(std::span<std::uint8_t> field, std::string_view text) {
  const std::size_t n = std::min(field.size(), text.size());
  std::copy_n(text.begin(), n, field.begin());
  std::fill(field.begin() + static_cast<std::ptrdiff_t>(n), field.end(), std::uint8_t{' '});
}

void WriteUcs2BeField(std::span<std::uint8_t> field, std::string_view text) {
  const std::u16string units = platform::Utf8ToUtf16(text);
  for (std::size_t i = 0; i < field.size(); ++i) {
    const std::size_t unit = i / 2;
    const char16_t u = unit < units.size() ? units[unit] : u' ';
    field[i] = static_cast<std::uint8_t>(i % 2 == 0 ? u >> 8 : u & 0xFF);
  }
}

void WriteRecordingDate(std::span<std::uint8_t, 7> field, TDateTime local, std::int16_t timeZoneOffset) {
  const auto t = DecodeDateTime(local);
  if (!t) {
    std::fill(field.begin(), field.end(), std::uint8_t{0});
    return;
  }
  // The year byte counts from 1900 and cannot go below it or past 2155: a date outside is
  // held at the nearest end rather than wrapped into another century.
  field[0] = static_cast<std::uint8_t>(std::clamp(t->year - 1900, 0, 255));
  field[1] = static_cast<std::uint8_t>(t->month);
  field[2] = static_cast<std::uint8_t>(t->day);
  field[3] = static_cast<std::uint8_t>(t->hour);
  field[4] = static_cast<std::uint8_t>(t->minute);
  field[5] = static_cast<std::uint8_t>(t->second);
  field[6] = static_cast<std::uint8_t>(timeZoneOffset & 0xFF);
}

void WriteDateText(std::span<std::uint8_t, 17> field, TDateTime local) {
  std::string text(16, '0');
  if (const auto t = DecodeDateTime(local)) {
    text = PaddedNumber(t->year, 4, "0") + PaddedNumber(t->month, 2, "0") + PaddedNumber(t->day, 2, "0") +
           PaddedNumber(t->hour, 2, "0") + PaddedNumber(t->minute, 2, "0") + PaddedNumber(t->second, 2, "0") +
           PaddedNumber(t->millisecond, 2, "0");
    text.resize(16);
  }
  std::copy_n(text.begin(), 16, field.begin());
  field[16] = static_cast<std::uint8_t>(ZoneOffsetAt(local).value_or(0));
}

void PutLe16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutBe16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<std::uint8_t>(value >> 8);
  out[at + 1] = static_cast<std::uint8_t>(value);
}

void PutLe32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutBe32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

void PutBoth16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t value) {
  PutLe16(out, at, value);
  PutBe16(out, at + 2, value);
}

void PutBoth32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value) {
  PutLe32(out, at, value);
  PutBe32(out, at + 4, value);
}

Msf SectorToMsf(std::int64_t sector) {
  return Msf{sector / 4500, static_cast<int>(sector / 75 % 60), static_cast<int>(sector % 75)};
}

std::string PaddedNumber(std::int64_t number, int width, std::string_view fill) {
  const std::string digits = std::to_string(number);
  std::string out;
  for (int i = static_cast<int>(digits.size()); i < width; ++i) out += fill;
  return out + digits;
}

}  // namespace kivo
