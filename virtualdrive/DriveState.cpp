#include "virtualdrive/DriveState.h"

#include "virtualdrive/Bytes.h"

namespace kivo::vdrive {

WriteParametersPage DefaultWriteParameters(std::optional<MediumKind> kind) {
  WriteParametersPage p{};
  p[0] = 0x05;
  p[1] = kWriteParametersLength - 2;
  const bool dvdSequential =
      kind && (*kind == MediumKind::DvdR || *kind == MediumKind::DvdRwSequential);
  if (dvdSequential) {
    p[2] = 0x20 | 0x00;  // LS_V, incremental
    p[3] = 0xC0 | 0x20 | 0x05;  // keep appendable, fixed packets, data track recorded incrementally
    p[5] = 16;                  // link size
    put32(&p[10], 16);          // packet size: one ECC block
  } else {
    p[2] = 0x01;  // track at once
    p[3] = 0x04;  // data track
  }
  p[4] = 0x08;  // Mode 1, 2048-byte blocks
  put16(&p[14], 150);
  return p;
}

Disc BlankDisc(MediumKind kind) {
  Disc d;
  d.kind = kind;
  if (kind == MediumKind::DvdRam) d.formatted = true;
  if (kind == MediumKind::DvdRwRestricted) {
    d.formatted = true;
    d.formattedBlocks = Info(kind).capacity;
  }
  return d;
}

void LoadMedium(DriveState& state, Disc disc) {
  const MediumKind kind = disc.kind;
  state.disc = std::move(disc);
  state.trayOpen = false;
  state.operation = {};
  state.bufferFill = 0;
  state.simulatedBlocks = 0;
  state.writeParameters = DefaultWriteParameters(kind);
}

}  // namespace kivo::vdrive
