// The rules of the disc itself: where tracks and sessions lie, where the next write may go,
// and what closing, reserving and finalizing do. Pure functions over a Disc; the command
// handlers turn their answers into replies.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "virtualdrive/DriveState.h"
#include "virtualdrive/Scsi.h"

namespace kivo::vdrive {

// One track as READ TRACK INFORMATION describes it, the invisible track included.
struct TrackView {
  std::uint32_t number = 0;
  std::uint32_t session = 0;
  std::uint32_t start = 0;
  std::uint32_t size = 0;
  std::uint32_t nextWritable = 0;
  std::uint32_t freeBlocks = 0;
  std::uint32_t lastRecorded = 0;
  std::uint8_t trackMode = 4;
  bool reserved = false;
  bool blank = false;
  bool nwaValid = false;
  bool lraValid = false;
  bool invisible = false;              // the open-ended last track
  std::optional<std::size_t> index;    // position in Disc::tracks once it exists there
};

// What READ DISC INFORMATION reports in its first bytes.
struct DiscSummary {
  std::uint8_t status = 0;            // 0 empty, 1 incomplete, 2 complete
  std::uint8_t lastSessionState = 0;  // 0 empty, 1 incomplete, 3 complete
  std::uint32_t sessions = 1;
  std::uint32_t firstTrackLastSession = 1;
  std::uint32_t lastTrackLastSession = 1;
};

// A complete session as the TOC shows it.
struct SessionView {
  std::uint32_t number = 0;
  std::vector<Track> tracks;
  std::uint32_t leadOut = 0;  // first block after its last track
};

std::uint32_t Capacity(const Disc& disc);
const MediumInfo& InfoOf(const Disc& disc);

DiscSummary Summarize(const Disc& disc);
std::vector<TrackView> Tracks(const Disc& disc);  // recorded tracks, then the invisible track
std::optional<TrackView> FindTrack(const Disc& disc, std::uint32_t number);  // FFh: invisible
std::optional<TrackView> InvisibleTrack(const Disc& disc);
std::vector<SessionView> CompleteSessions(const Disc& disc);
std::uint32_t LastRecordedBlock(const Disc& disc);  // READ CAPACITY; 0 when nothing is recorded

// Reading: nullopt when every block of the range can be read.
std::optional<SenseCode> CheckRead(const Disc& disc, std::uint32_t lba, std::uint32_t count);

// Writing. CheckWrite decides whether count blocks may be written at lba (simulated: test-write
// mode, with simulatedBlocks already accepted at the track's address); RecordWrite applies it.
struct WriteTarget {
  std::optional<TrackView> track;  // sequential media: the track being extended
};
std::optional<SenseCode> CheckWrite(const Disc& disc, std::uint32_t lba, std::uint32_t count,
                                    std::uint32_t simulatedBlocks, WriteTarget& target);
void RecordWrite(Disc& disc, const WriteTarget& target, std::uint32_t lba, std::uint32_t count,
                 std::uint8_t trackMode);

std::optional<SenseCode> ReserveTrack(Disc& disc, std::uint32_t blocks);
std::optional<SenseCode> CloseTrack(Disc& disc, std::uint32_t number);
// Closes the open session; keepAppendable decides whether another session may follow.
std::optional<SenseCode> CloseSession(Disc& disc, bool keepAppendable);
std::optional<SenseCode> FinalizeDisc(Disc& disc);

}  // namespace kivo::vdrive
