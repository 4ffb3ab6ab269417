// The kinds of media the drive takes and their fixed properties.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kivo::vdrive {

enum class MediumKind {
  CdRom,
  CdR,
  CdRw,
  DvdRom,
  DvdR,
  DvdRwSequential,
  DvdRwRestricted,
  DvdPlusR,
  DvdPlusRDl,
  DvdPlusRw,
  DvdRam,
};

// How the medium is written, which decides almost every rule of the model.
enum class WriteModel {
  ReadOnly,    // pressed discs made from an image file
  Sequential,  // tracks and sessions written at the next writable address
  Overwrite,   // formatted media written anywhere inside the formatted area
};

struct MediumInfo {
  MediumKind kind;
  std::string_view name;         // the control tool's and the state file's name
  std::string_view displayName;  // what the status shows
  std::uint16_t profile;         // MMC current profile
  std::uint32_t capacity;        // user blocks of 2048 bytes (0: taken from the image)
  bool cd;
  WriteModel model;
  bool erasable;                 // the disc information's erasable bit
  std::uint16_t maxReadSpeed;    // KB/s
  std::span<const std::uint16_t> writeSpeeds;  // KB/s, ascending; empty for read-only media
  bool testWrite;                // simulation is possible on this medium
};

const MediumInfo& Info(MediumKind kind);
std::optional<MediumKind> KindFromName(std::string_view name);
std::span<const MediumInfo> AllMedia();

// CD 1x and DVD 1x as MMC counts them (kilobytes of 1000 bytes per second).
constexpr double kCdSpeed1x = 176.4;
constexpr double kDvdSpeed1x = 1385.0;

// Block counts of pressed discs: an image larger than a CD becomes a DVD-ROM.
constexpr std::uint32_t kLargestCd = 405000;  // 90 minutes

// Orange Book: lead-out of the first session 6750 blocks, of later ones 2250, lead-in 4500,
// pre-gap 150. A new session's first user block therefore lies this far after the last one.
constexpr std::uint32_t kCdFirstSessionGap = 6750 + 4500 + 150;
constexpr std::uint32_t kCdLaterSessionGap = 2250 + 4500 + 150;
constexpr std::uint32_t kCdPregap = 150;
constexpr std::uint32_t kCdMinimumTrack = 300;  // 4 seconds; shorter tracks are padded
constexpr std::uint32_t kMsfOffset = 150;       // LBA 0 is MSF 00:02:00

// Approximations of what closing a DVD session costs (border zones, session closures).
constexpr std::uint32_t kDvdMinusFirstBorder = 16384;
constexpr std::uint32_t kDvdMinusLaterBorder = 3072;
constexpr std::uint32_t kDvdPlusSessionClosure = 2048;
constexpr std::uint32_t kDvdEccBlock = 16;

}  // namespace kivo::vdrive
