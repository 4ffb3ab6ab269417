// Command blocks and data phases from arbitrary bytes, fed to the virtual recorder's decoder
// and then to the drive model, in sequences so that writes, closes and formats reach deep
// states. The drive must answer every one with a status, never crash or read out of bounds.
//
// Input: one byte choosing the medium and the time scale, then commands, each as
//   length of the block (low 5 bits) and direction (bits 5-6), data length (2 bytes, little
//   endian), milliseconds that pass before it (1 byte), the block, the data (data out only).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "virtualdrive/Cdb.h"
#include "virtualdrive/DiscLayout.h"
#include "virtualdrive/DriveState.h"
#include "virtualdrive/Faults.h"
#include "virtualdrive/Model.h"
#include "virtualdrive/SectorStore.h"

using namespace kivo::vdrive;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 1) return 0;
  static constexpr MediumKind kKinds[] = {
      MediumKind::CdR,      MediumKind::CdRw,       MediumKind::DvdR,      MediumKind::DvdRwSequential,
      MediumKind::DvdRwRestricted, MediumKind::DvdPlusR, MediumKind::DvdPlusRDl, MediumKind::DvdPlusRw,
      MediumKind::DvdRam,   MediumKind::DvdRom};
  DriveState state;
  state.timeScale = (bytes[0] & 0x80) ? 0.001 : 0;
  const std::size_t choice = bytes[0] & 0x0F;
  if (choice < std::size(kKinds)) {
    Disc disc = BlankDisc(kKinds[choice]);
    if (disc.kind == MediumKind::DvdRom) disc.romBlocks = 4096;
    LoadMedium(state, disc);
  }
  if (bytes[0] & 0x40) state.trayOpen = true;
  Faults faults;
  if (bytes[0] & 0x20) faults.blockDescriptor = true;
  MemorySectorStore sectors;
  std::int64_t now = 1000;

  std::size_t at = 1;
  while (at + 4 <= size) {
    const std::uint8_t head = bytes[at];
    const std::size_t cdbLength = head & 0x1F;
    const auto direction = static_cast<DataDirection>(((head >> 5) & 0x03) % 3);
    const std::size_t dataLength = bytes[at + 1] | (std::size_t{bytes[at + 2]} << 8);
    now += bytes[at + 3];
    at += 4;
    if (at + cdbLength > size) break;
    const std::uint8_t* cdb = bytes + at;
    at += cdbLength;
    std::vector<std::uint8_t> data(dataLength, 0);
    if (direction == DataDirection::Out) {
      const std::size_t n = std::min(dataLength, size - at);
      std::copy(bytes + at, bytes + at + n, data.begin());
      at += n;
    }
    ScsiRequest request{cdb, cdbLength, direction, data.empty() ? nullptr : data.data(), data.size()};
    DriveContext ctx{state, faults, sectors, now};
    const ScsiResult result = ExecuteCommand(ctx, request);
    if (ctx.sectorsCleared) sectors.Clear();
    // What the drive claims to have moved must fit the buffer it was given.
    if (result.transferred > data.size()) __builtin_trap();
    // Every reading of the disc stays consistent with itself.
    if (const Disc* disc = LoadedDisc(state)) {
      (void)Summarize(*disc);
      (void)Tracks(*disc);
      if (disc->recordedEnd > Capacity(*disc)) __builtin_trap();
    }
  }
  return 0;
}
