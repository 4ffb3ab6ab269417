// Streams with 64-bit positions for source files, image files and the header built in memory.
// Counts are 32-bit as callers move at most a block at a time; positions and sizes are 64-bit.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/platform/Files.h"

namespace kivo {

// Seek origins.
inline constexpr std::uint16_t soFromBeginning = 0;
inline constexpr std::uint16_t soFromCurrent = 1;
inline constexpr std::uint16_t soFromEnd = 2;

// Open modes of TFileStreamEx: an access mode, optionally or-ed with a share mode (sharing is
// not enforced here: other programs may read and write the file meanwhile).
inline constexpr std::uint16_t fmCreate = 0xFFFF;
inline constexpr std::uint16_t fmOpenRead = 0x0000;
inline constexpr std::uint16_t fmOpenWrite = 0x0001;
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;
inline constexpr std::uint16_t fmShareDenyNone = 0x0040;

class TStreamEx {
 public:
  virtual ~TStreamEx() = default;

  // False when the new size could not be set; the stream's own error text says why.
  virtual bool SetSize(std::int64_t NewSize);
  virtual std::int32_t Read(void* Buffer, std::int32_t Count) = 0;
  virtual std::int32_t Write(const void* Buffer, std::int32_t Count) = 0;
  // The new position, or -1 when the position cannot be moved there.
  virtual std::int64_t Seek(std::int64_t Offset, std::uint16_t Origin) = 0;

  // The size, leaving the position where it was.
  std::int64_t Size();
};

class THandleStreamEx : public TStreamEx {
 public:
  explicit THandleStreamEx(platform::File file);

  bool SetSize(std::int64_t NewSize) override;
  // Bytes moved; 0 when nothing could be (an invalid handle, an error at once).
  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  std::int64_t Seek(std::int64_t Offset, std::uint16_t Origin) override;
  // Reads into the pieces in order, in as few system calls as possible; fewer bytes than they
  // hold at the end of the file or on an error.
  std::int64_t ReadScattered(std::span<const std::span<std::uint8_t>> Pieces);

  bool HandleValid() const { return file_.IsOpen(); }
  platform::FileVersion Version() const { return file_.Version(); }
  // Writes the file's data out to the disk and closes it; false when either failed (LastError
  // says why). A written file is closed here, where the failure can still be reported.
  bool Close();
  // The last failure as "<path>: <reason>", empty when none.
  const std::string& LastError() const { return file_.LastError(); }

 protected:
  platform::File file_;
};

class TFileStreamEx : public THandleStreamEx {
 public:
  // Never fails: a file that cannot be opened leaves the handle invalid, and reads and writes
  // then move nothing (LastError says why).
  TFileStreamEx(const std::string& FileName, std::uint16_t Mode);
};

// The header of a session is assembled here before it goes to the disc or the image file.
class TMemoryStreamEx : public TStreamEx {
 public:
  bool SetSize(std::int64_t NewSize) override;
  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  // Writing past the end extends the stream; a gap left by a seek beyond the end reads as zeros.
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  std::int64_t Seek(std::int64_t Offset, std::uint16_t Origin) override;

  void Clear();
  std::int64_t Position() const { return position_; }
  const std::vector<std::uint8_t>& Memory() const { return data_; }

 private:
  std::vector<std::uint8_t> data_;
  std::int64_t position_ = 0;
};

}  // namespace kivo
