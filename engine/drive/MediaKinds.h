// The media kind: a number 0 to 15 naming the loaded medium, derived from the drive's current
// profile. Kinds below 4 are CD media; every caller chooses between CD and DVD behaviour by that.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/drive/Strings.h"

namespace kivo {

namespace media {
inline constexpr std::uint16_t kUnknown = 0;
inline constexpr std::uint16_t kCdRom = 1;
inline constexpr std::uint16_t kCdR = 2;
inline constexpr std::uint16_t kCdRw = 3;
inline constexpr std::uint16_t kDvdRom = 4;
inline constexpr std::uint16_t kDvdR = 5;
inline constexpr std::uint16_t kDvdRam = 6;
inline constexpr std::uint16_t kDvdRwRestricted = 8;
inline constexpr std::uint16_t kDvdRwSequential = 9;
inline constexpr std::uint16_t kDvdPlusRw = 10;
inline constexpr std::uint16_t kDvdPlusR = 11;
inline constexpr std::uint16_t kDvdPlusRDl = 12;
inline constexpr std::uint16_t kDdcdRom = 13;
inline constexpr std::uint16_t kDdcdR = 14;
inline constexpr std::uint16_t kDdcdRw = 15;

inline bool IsCd(std::uint16_t kind) { return kind < kDvdRom; }

// Overwritable DVD has no sessions of its own: readers find the newest volume by the volume
// descriptors at the disc's start.
inline bool OverwritesInPlace(std::uint16_t kind) {
  return kind == kDvdPlusRw || kind == kDvdRwRestricted || kind == kDvdRam;
}

// DVD media are recorded in whole ECC blocks of this many sectors.
inline constexpr std::uint32_t kDvdEccBlockSectors = 16;
inline std::uint32_t AlignToEccBlock(std::uint32_t sectors) {
  return (sectors + kDvdEccBlockSectors - 1) / kDvdEccBlockSectors * kDvdEccBlockSectors;
}
}  // namespace media

// The last media kind a recording, erase or layout determined. Process-wide because the worker
// threads that read it do not know the component that stored it.
extern std::atomic<std::uint16_t> CurrentMediaKind;

// The kind's text by number, "UNKNOWN" ... "DDCD-RW".
inline constexpr const auto& MediaNames = text::kMediaNames;

// The kind of a current profile; 0 for a profile that names none of the kinds.
std::uint16_t MediaKindOfProfile(std::uint16_t profile);
// Profiles whose media can be erased (magneto-optical, CD-RW, DVD-RW, DVD+RW, DDCD-RW).
bool IsErasableProfile(std::uint16_t profile);
// Kinds counted as erasable when the disc itself cannot be asked.
bool IsErasableKind(std::uint16_t kind);

}  // namespace kivo
