// What the disc readings leave behind: the disc record that GetDiscInfo fills, and the places of
// the fields in the component's disc information and track information buffers.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

// Every size on disc counts sectors of this many bytes.
inline constexpr std::uint32_t kLogicalBlockSize = 2048;

struct TDisc {
  std::uint8_t Ready = 0;          // 1 when the drive reported ready
  std::uint32_t Capacity = 0;      // sectors
  std::uint32_t SectorCount = 0;   // from the track, format-capacity or capacity reading
  std::uint32_t BlockSize = 0;     // 2048, or the block length READ CAPACITY reported
  std::uint8_t FirstSession = 0;   // first complete session
  std::uint8_t LastSession = 0;    // last complete session
  std::uint8_t SessionState = 0;   // state of the last session
  std::uint8_t DiscState = 0;      // 0 empty, 1 incomplete, 2 complete, 3 other
  std::uint16_t Profile = 0;       // current profile
  std::string MediaName;           // profile name ("CD-ROM" ... "???????")
  std::uint8_t Erasable = 0;       // 1 for an erasable disc
};

// Disc information reply (READ DISC INFORMATION); bytes 0-1 are in host order after a reading.
namespace discinfo {
inline constexpr int kStatus = 2;  // bits 0-1 disc status, 2-3 last session state, 4 erasable
inline constexpr int kSessions = 4;
inline constexpr int kLastTrackInLastSession = 6;
inline constexpr std::uint8_t kErasableBit = 0x10;
inline constexpr std::uint8_t DiscStatus(std::uint8_t byte2) { return byte2 & 0x03; }
inline constexpr std::uint8_t LastSessionState(std::uint8_t byte2) { return (byte2 >> 2) & 0x03; }
}  // namespace discinfo

// Track information reply (READ TRACK INFORMATION); the words named here are in host order after
// a successful reading (read them with host32).
namespace trackinfo {
inline constexpr int kValidity = 7;  // bit 0: the next writable address is valid
inline constexpr std::uint8_t kNextWritableValid = 0x01;
inline constexpr int kStart = 8;
inline constexpr int kNextWritable = 12;
inline constexpr int kFreeBlocks = 16;
inline constexpr int kFixedPacketSize = 20;
inline constexpr int kSize = 24;
inline constexpr int kLastRecorded = 28;
}  // namespace trackinfo

}  // namespace kivo
