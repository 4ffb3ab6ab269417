// The FORMAT UNIT parameter lists the recording and the erase send: a 4-byte format list
// header and one 8-byte format descriptor, big-endian. The command goes with byte 1 = 11h
// (format data follows, format code 1).
#pragma once

#include <array>
#include <cstdint>

namespace kivo::formatlist {

using List = std::array<std::uint8_t, 12>;

inline constexpr std::uint8_t kFormatUnitByte1 = 0x11;

// Header byte 1: FOV 80h, DCRT 20h, IMMED 02h. Byte 8: format type << 2 | subtype.
// DVD-RW sequential before a compilation: quick format (type 15h), no certification.
inline constexpr List kDvdRwQuick = {0x00, 0xA2, 0x00, 0x08, 0x00, 0x00, 0x03, 0xE8, 0x54, 0x00, 0x00, 0x10};
// DVD-RW in restricted overwrite before a compilation: grow the formatted area (type 13h).
inline constexpr List kDvdRwGrow = {0x00, 0x82, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x4C, 0x00, 0x00, 0x10};
// When a drive refuses the first list: quick format of whatever size the drive chooses.
inline constexpr List kDvdRwQuickFallback = {0x00, 0x82, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x54, 0x00, 0x00, 0x10};
// DVD+RW: basic format (type 26h) of the whole disc, for the erase and for unformatted media.
inline constexpr List kDvdPlusRwBasic = {0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00, 0x00, 0x00};
// DVD-RAM full erase: full format (type 0) with 2048-byte blocks.
inline constexpr List kDvdRamFull = {0x00, 0x82, 0x00, 0x08, 0x00, 0x22, 0x21, 0x20, 0x00, 0x00, 0x08, 0x00};

}  // namespace kivo::formatlist
