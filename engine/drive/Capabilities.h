// The drive's capability flag set (TSCSIDevice::Capabilities): what it reads and writes, test
// writing and buffer underrun protection. It describes the drive, never the loaded medium.
#pragma once

#include <cstdint>

namespace kivo {

enum Capability : std::uint32_t {
  kReadsCdR = 0x00000001,
  kReadsCdRw = 0x00000002,
  kReadsMode2Form2 = 0x00000004,
  kReadsDvdRom = 0x00000008,
  kReadsDvdR = 0x00000010,
  kReadsDvdRw = 0x00000020,
  kReadsDvdRam = 0x00000040,
  kReadsDvdPlusR = 0x00000080,
  kReadsDvdPlusRDl = 0x00000100,
  kReadsDvdPlusRw = 0x00000200,
  kWritesCdR = 0x00000400,
  kWritesCdRw = 0x00000800,
  kTestWrite = 0x00001000,
  kWritesDvdR = 0x00002000,
  kWritesDvdRw = 0x00004000,
  kWritesDvdRam = 0x00008000,
  kWritesDvdPlusR = 0x00010000,
  kWritesDvdPlusRDl = 0x00020000,
  kWritesDvdPlusRw = 0x00040000,
  kUnderrunProtection = 0x00100000,
};

// Offsets in the capabilities page (mode page 2Ah), counted from its page code byte.
namespace capspage {
inline constexpr int kReads = 2;
inline constexpr int kWrites = 3;
inline constexpr int kFeatures = 4;  // bit 7: buffer underrun protection
inline constexpr int kMaxReadSpeed = 8;
inline constexpr int kBufferSizeKb = 12;
inline constexpr int kCurrentReadSpeed = 14;
inline constexpr int kMaxWriteSpeed = 18;
inline constexpr int kCurrentWriteSpeed = 20;
}  // namespace capspage

}  // namespace kivo
