#include "virtualdrive/ModePages.h"

#include <algorithm>

#include "virtualdrive/Bytes.h"
#include "virtualdrive/Sense.h"
#include "virtualdrive/Timing.h"

namespace kivo::vdrive {
namespace {

// Bits of page 05h the host may change; everything else is reserved and must stay zero.
constexpr std::uint8_t kChangeable[kWriteParametersLength] = {
    0x00, 0x00,                                      // page code, length
    0x7F,                                            // BUFE, LS_V, Test Write, Write Type
    0xFF,                                            // Multi-session, FP, Copy, Track Mode
    0x0F,                                            // Data Block Type
    0xFF,                                            // Link Size
    0x00,                                            // reserved
    0x3F,                                            // Host Application Code
    0xFF,                                            // Session Format
    0x00,                                            // reserved
    0xFF, 0xFF, 0xFF, 0xFF,                          // Packet Size
    0xFF, 0xFF,                                      // Audio Pause Length
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // Media Catalog Number
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // ISRC
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF,                          // Subheader
};

constexpr std::uint8_t kWriteTypePacket = 0;
constexpr std::uint8_t kWriteTypeTao = 1;
constexpr std::uint8_t kWriteTypeSao = 2;
constexpr std::uint8_t kDataBlockMode1 = 8;

}  // namespace

std::vector<std::uint8_t> CapabilitiesPage(const DriveState& state) {
  const auto& speeds = Info(state.disc ? state.disc->kind : MediumKind::CdR).writeSpeeds;
  std::vector<std::uint8_t> p(32 + 4 * speeds.size(), 0);
  p[0] = kCapabilitiesPage;
  p[1] = static_cast<std::uint8_t>(p.size() - 2);
  p[2] = 0x3F;  // reads CD-R, CD-RW, method 2, DVD-ROM, DVD-R, DVD-RAM
  p[3] = 0x37;  // writes CD-R, CD-RW, DVD-R, DVD-RAM; test write
  p[4] = 0xF0;  // BUF, multi-session, Mode 2 Form 2 and Form 1
  p[6] = 0x20 | 0x08 | 0x01 | (state.preventRemoval ? 0x02 : 0x00);  // tray, eject, lock
  const std::uint16_t maxRead = Info(state.disc ? state.disc->kind : MediumKind::CdR).maxReadSpeed;
  const std::uint16_t maxWrite = speeds.empty() ? 0 : speeds.back();
  const std::uint16_t write = EffectiveWriteSpeed(state);
  put16(&p[8], maxRead);
  put16(&p[12], static_cast<std::uint32_t>(kDriveBufferBytes / 1024));
  put16(&p[14], EffectiveReadSpeed(state));
  put16(&p[18], maxWrite);
  put16(&p[20], write);
  put16(&p[28], write);
  put16(&p[30], static_cast<std::uint32_t>(speeds.size()));
  for (std::size_t i = 0; i < speeds.size(); ++i)  // fastest first
    put16(&p[32 + 4 * i + 2], speeds[speeds.size() - 1 - i]);
  return p;
}

std::vector<std::uint8_t> WriteParameters(const DriveState& state, PageControl control) {
  WriteParametersPage page;
  switch (control) {
    case PageControl::Changeable:
      std::copy(std::begin(kChangeable), std::end(kChangeable), page.begin());
      page[0] = kWriteParametersPage;
      page[1] = kWriteParametersLength - 2;
      break;
    case PageControl::Default:
      page = DefaultWriteParameters(state.disc ? std::optional(state.disc->kind) : std::nullopt);
      break;
    default:
      page = state.writeParameters;
  }
  return {page.begin(), page.end()};
}

WriteSettings CurrentWriteSettings(const DriveState& state) {
  const auto& p = state.writeParameters;
  WriteSettings s;
  s.writeType = p[2] & 0x0F;
  s.testWrite = (p[2] & 0x10) != 0;
  s.multiSession = p[3] >> 6;
  s.fixedPacket = (p[3] & 0x20) != 0;
  s.trackMode = p[3] & 0x0F;
  s.packetSize = be32(&p[10]);
  return s;
}

std::optional<SenseCode> CheckWriteParameters(const DriveState& state, const std::uint8_t* page,
                                              std::size_t length) {
  if (length != kWriteParametersLength || page[1] != kWriteParametersLength - 2)
    return sense::kParameterListLengthError;
  for (std::size_t i = 2; i < kWriteParametersLength; ++i)
    if (page[i] & ~kChangeable[i]) return sense::kInvalidFieldInParameterList;

  const std::uint8_t writeType = page[2] & 0x0F;
  const bool testWrite = (page[2] & 0x10) != 0;
  const std::uint8_t multiSession = page[3] >> 6;
  const bool fixedPacket = (page[3] & 0x20) != 0;
  const std::uint8_t trackMode = page[3] & 0x0F;
  const std::uint8_t dataBlockType = page[4] & 0x0F;
  const std::uint32_t packetSize = be32(&page[10]);

  if (writeType > 4 || multiSession == 2) return sense::kInvalidFieldInParameterList;
  if (!state.disc) return std::nullopt;  // nothing to judge the page against yet
  const MediumInfo& info = Info(state.disc->kind);
  if (testWrite && !info.testWrite) return sense::kInvalidFieldInParameterList;

  // Only data tracks of 2048-byte blocks are written by this drive.
  const bool dataTrack = (trackMode & 0x0C) == 0x04;
  switch (state.disc->kind) {
    case MediumKind::CdR:
    case MediumKind::CdRw:
      // The drive writes CD in track-at-once only.
      if (writeType != kWriteTypeTao || !dataTrack || dataBlockType != kDataBlockMode1)
        return sense::kInvalidFieldInParameterList;
      return std::nullopt;
    case MediumKind::DvdR:
    case MediumKind::DvdRwSequential:
      if (writeType != kWriteTypePacket && writeType != kWriteTypeSao) return sense::kInvalidFieldInParameterList;
      if (!dataTrack || dataBlockType != kDataBlockMode1) return sense::kInvalidFieldInParameterList;
      if (writeType == kWriteTypePacket && fixedPacket && packetSize != kDvdEccBlock)
        return sense::kInvalidFieldInParameterList;
      return std::nullopt;
    default:
      // Other media ignore the page, but the values must still be valid ones.
      if (dataBlockType != kDataBlockMode1) return sense::kInvalidFieldInParameterList;
      return std::nullopt;
  }
}

}  // namespace kivo::vdrive
