// Everything the writer does to the drive before the first data block: the medium's kind, the
// speeds, the write parameters page, streaming, the DVD-R reservation, power calibration and
// the line that announces the write. No failure here stops the recording: the first write
// reports what the drive then refuses.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

class TZelvoBurner;

struct WriterSetup {
  // READ BUFFER CAPACITY worked once, so the writer may keep polling the drive's buffer.
  bool BufferReadable = false;
  // The track the session's data goes to; the closing commands name it.
  std::uint8_t Track = 1;
};

// Kind is the medium the writer found in the drive, read once at its start.
WriterSetup SetUpDriveForWriting(TZelvoBurner& Burner, std::uint16_t Kind);

// "4.0X (5,540 KB/s)": DVD speeds in multiples of 1385 KB/s with one decimal, CD speeds in
// multiples of 176.4 KB/s without; the user's separators.
std::string WriteSpeedText(std::uint16_t Kind, double Speed);

}  // namespace kivo
