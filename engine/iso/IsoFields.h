// Sizes, fixed-width text fields, dates and sector addresses as the disc formats write them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/iso/DateTime.h"

namespace kivo {

inline constexpr std::int64_t kSectorSize = 2048;

using SectorBytes = std::array<std::uint8_t, kSectorSize>;
// The one zero sector that every padding is written from.
inline constexpr SectorBytes kZeroSector{};

// Sectors that hold a byte count: every file starts in a sector of its own, so sizes round up.
std::int64_t Sectors(std::int64_t bytes);

// The text followed by spaces, cut to the field's width (identifiers of ISO 9660).
void WritePaddedField(std::span<std::uint8_t> field, std::string_view text);

// The text followed by spaces, as UTF-16 with the high byte first, cut to the field's width in
// bytes (Joliet identifiers). Characters outside the BMP take two units.
void WriteUcs2BeField(std::span<std::uint8_t> field, std::string_view text);

// The 7-byte date of a directory record: years since 1900, month, day, hour, minute, second
// and the time-zone offset in 15-minute units.
void WriteRecordingDate(std::span<std::uint8_t, 7> field, TDateTime local, std::int16_t timeZoneOffset);

// The 17-byte date of a volume descriptor: year, month, day, hour, minute and second, then the
// milliseconds with at least two digits, the text cut to 16 characters; the 17th byte is the
// offset from GMT in force at that date. A value that names no date is written as the "not
// specified" form of zeros.
void WriteDateText(std::span<std::uint8_t, 17> field, TDateTime local);

// Numbers at a byte offset of a structure: little-endian, big-endian, or both (the
// little-endian copy first, then the big-endian one, as a volume's both-byte-order fields are).
void PutLe16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t value);
void PutBe16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t value);
void PutLe32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value);
void PutBe32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value);
void PutBoth16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t value);
void PutBoth32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value);

// Minutes, seconds and frames (75 per second) of a sector count, with no lead-in offset.
struct Msf {
  std::int64_t Minutes = 0;
  int Seconds = 0;
  int Frames = 0;
  bool operator==(const Msf&) const = default;
};
Msf SectorToMsf(std::int64_t sector);

// The number's decimal text, preceded by one copy of fill for each character it falls short
// of width (width 8, fill "0": an eight-digit number).
std::string PaddedNumber(std::int64_t number, int width, std::string_view fill);

constexpr std::uint16_t Swap16(std::uint16_t v) {
  return static_cast<std::uint16_t>((v >> 8) | (v << 8));
}
constexpr std::uint32_t Swap32(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

}  // namespace kivo
