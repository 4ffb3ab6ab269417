// Everything the drive remembers between commands (and between processes): the tray, the
// medium with its sessions and tracks, the mode pages, speeds, the running long operation and
// the state of the write buffer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "virtualdrive/Medium.h"

namespace kivo::vdrive {

struct Track {
  std::uint32_t number = 0;
  std::uint32_t session = 0;
  std::uint32_t start = 0;     // first user block (after the pre-gap on CD)
  std::uint32_t reserved = 0;  // reserved size; 0 for a track that grows as it is written
  std::uint32_t written = 0;   // blocks recorded from start (padding included once closed)
  bool closed = false;
  std::uint8_t trackMode = 4;  // control nibble / track mode the track was written with
  bool operator==(const Track&) const = default;
};

struct Disc {
  MediumKind kind = MediumKind::CdR;

  // Read-only media: the image file they were made from.
  std::string romImage;
  std::uint32_t romBlocks = 0;

  // Sequential media.
  std::uint32_t closedSessions = 0;
  bool finalized = false;
  std::uint32_t openSessionStart = 0;  // where the first track of the open session begins
  std::vector<Track> tracks;

  // Overwritable media.
  bool formatted = false;              // DVD+RW: basic format done
  std::uint32_t formattedBlocks = 0;   // DVD-RW restricted overwrite: the overwritable area
  bool intermediate = false;           // DVD-RW restricted overwrite: growing sequentially

  std::uint32_t recordedEnd = 0;  // one past the highest block ever recorded (for export)

  bool operator==(const Disc&) const = default;
};

// A long operation started with IMMED (or still running from a command that waited for it).
struct Operation {
  enum class Kind { None, LongWrite, Format };
  Kind kind = Kind::None;
  std::int64_t startMs = 0;
  std::int64_t endMs = 0;
  bool operator==(const Operation&) const = default;
};

constexpr std::size_t kWriteParametersLength = 52;  // mode page 05h with its two header bytes
using WriteParametersPage = std::array<std::uint8_t, kWriteParametersLength>;

struct DriveState {
  bool trayOpen = false;
  std::optional<Disc> disc;
  bool preventRemoval = false;

  WriteParametersPage writeParameters{};
  std::uint16_t readSpeed = 0xFFFF;   // requested, KB/s (FFFFh = fastest)
  std::uint16_t writeSpeed = 0xFFFF;

  double timeScale = 1.0;  // 1 = real durations, 0 = everything instant and unthrottled
  Operation operation;

  // Drive buffer: bytes held at the moment bufferAtMs; it drains at the write speed.
  std::uint64_t bufferFill = 0;
  std::int64_t bufferAtMs = 0;

  // Blocks accepted in test-write mode for the track being simulated (never recorded).
  std::uint32_t simulatedBlocks = 0;

  bool operator==(const DriveState&) const = default;
};

// The medium the drive can work with: present and with the tray closed.
inline const Disc* LoadedDisc(const DriveState& state) {
  return state.disc && !state.trayOpen ? &*state.disc : nullptr;
}
inline Disc* LoadedDisc(DriveState& state) { return state.disc && !state.trayOpen ? &*state.disc : nullptr; }

// The write parameters page a drive powers up with for a medium.
WriteParametersPage DefaultWriteParameters(std::optional<MediumKind> kind);

// A blank medium of a kind, as it comes out of the box.
Disc BlankDisc(MediumKind kind);

// Puts a medium into the drive (closing the tray) and resets what a medium change resets.
void LoadMedium(DriveState& state, Disc disc);

}  // namespace kivo::vdrive
