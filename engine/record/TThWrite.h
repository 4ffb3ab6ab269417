// The writer thread: takes the cache's blocks and writes them to the drive at consecutive
// addresses (or into the image file), then synchronises, closes what the medium needs closed,
// returns the drive to its neutral state and reports the result through OnWriteDone. It is the
// only sender of drive commands while it runs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/iso/Streams.h"
#include "engine/record/CacheQueue.h"
#include "engine/record/WriterSetup.h"

namespace kivo {

class TCacheThread;
class TZelvoBurner;

class TThWrite {
 public:
  // ToFile: write into the burner's ISOFileName; the drive then receives no command at all.
  TThWrite(TZelvoBurner& Burner, TCacheThread& Cache, bool ToFile);
  TThWrite(const TThWrite&) = delete;
  TThWrite& operator=(const TThWrite&) = delete;

  // The thread's whole body. Every path ends in Finish, which destroys the cache and raises
  // OnWriteDone; the burner is not touched after that.
  void Execute();

 private:
  // NextBlock's answer when the recording has to stop (abort, or the cache's Status is set).
  static constexpr std::int32_t kStop = -2;

  bool SameMediumAsPrepared();
  bool OpenImageFile();
  void CloseImageFile();
  // Each false when the recording has to stop (Status says why).
  bool WriteVolumeStart();
  bool SynchronizeDriveCache();
  bool FormatUnformattedDvdPlusRw();
  // Writes every block from the first one (n bytes) on, until the end of data or a stop.
  void WriteBlocks(std::int32_t n);
  // Zero-fills block_ after its n bytes up to whole ECC blocks; returns the new length.
  std::int32_t PadToEccBlock(std::int32_t n);
  // Short blocks of a compilation are joined into whole transfers on DVD media.
  void WriteJoinedBlocks(std::int32_t n);
  // One write at the next address; false when the recording has to stop.
  bool Transfer(const std::uint8_t* data, std::int32_t length);
  bool WriteToFile(const std::uint8_t* data, std::int32_t length);
  bool WriteToDrive(std::uint32_t address, const std::uint8_t* data, std::int32_t length);
  void PollDriveBuffer();
  // Hands the block written last back to the cache and takes the next one into block_.
  std::int32_t NextBlock();
  void End();
  void CloseAfterFailure();
  void FlushInBackground();
  void Finish();
  // Ends the recording early with Status as its result.
  void Stop(const std::string& status);
  // The last command failed for want of a formatted medium.
  bool Unformatted() const;

  TZelvoBurner& burner_;
  TCacheThread& cache_;
  const bool toFile_;
  const bool compilation_;  // false: the cache streams an image file
  std::uint16_t kind_ = 0;
  std::int64_t imageSectors_ = 0;
  std::uint32_t base_ = 0;  // sector of the session's first block
  WriterSetup setup_;
  int bufferPolls_ = 5;     // writes until the drive's buffer is read again
  std::uint32_t written_ = 0;  // sectors written at base_ so far
  bool formatTried_ = false;   // an unformatted DVD+RW was given its format once
  bool wroteToDisc_ = false;   // a write of this recording reached the disc
  bool volumeStartLast_ = false;  // the volume descriptors at the disc's start are written last
  std::vector<std::uint8_t> firstTransfer_;  // held back when the session starts at sector 0
  std::optional<TFileStreamEx> file_;
  CacheBlock block_;                        // the block taken from the cache, written in place
  std::unique_ptr<std::uint8_t[]> buffer_;  // short blocks joined into one transfer
};

}  // namespace kivo
