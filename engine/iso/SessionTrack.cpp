#include "engine/iso/SessionTrack.h"

#include <algorithm>

#include "engine/drive/BigEndian.h"
#include "engine/drive/DiscInformation.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo {

namespace {

// Places in the track information that the drive component leaves in the drive's order.
constexpr std::size_t kSessionLow = 3;
constexpr std::size_t kTrackMode = 5;
constexpr std::size_t kSessionHigh = 33;
constexpr std::uint8_t kDataTrackBit = 0x04;
constexpr unsigned kLastTrackNumber = 0xFF;
constexpr std::size_t kLastTrackHigh = 11;  // in the disc information, beside the low byte at 6

// The disc's last track, so that no track beyond it is asked for (and reported unreadable).
unsigned LastTrack(TSCSIDevice& device) {
  if (!device.ReadDiscInfo()) return kLastTrackNumber;
  const auto& info = device.DiscInfoBuffer;
  const unsigned last = info[discinfo::kLastTrackInLastSession] | unsigned{info[kLastTrackHigh]} << 8;
  return last == 0 ? kLastTrackNumber : std::min(last, kLastTrackNumber);
}

unsigned SessionOf(const std::array<std::uint8_t, kTrackInfoSize>& info) {
  return info[kSessionLow] | unsigned{info[kSessionHigh]} << 8;
}

// The first sector beyond what the track holds: its size, or for a track still open (its
// recording did not end) its next writable address; 0 when neither is known.
std::uint32_t TrackEnd(const std::array<std::uint8_t, kTrackInfoSize>& info) {
  const std::uint32_t start = host32(&info[trackinfo::kStart]);
  const std::uint32_t size = host32(&info[trackinfo::kSize]);
  std::uint64_t end = size != 0 ? std::uint64_t{start} + size : 0;
  const std::uint32_t next = host32(&info[trackinfo::kNextWritable]);
  if ((info[trackinfo::kValidity] & trackinfo::kNextWritableValid) && next > start && (end == 0 || next < end)) {
    end = next;
  }
  return end <= UINT32_MAX ? static_cast<std::uint32_t>(end) : 0;
}

}  // namespace

std::optional<SessionData> FindSessionData(TSCSIDevice& device, unsigned session) {
  // Every session holds a track at least, so the session's first track is numbered no lower
  // than the session.
  const unsigned last = LastTrack(device);
  for (unsigned track = session; track <= last && device.ReadTrackInfo(track); ++track) {
    const unsigned owner = SessionOf(device.TrackInfo);
    if (owner < session) continue;
    if (owner > session) break;
    if (device.TrackInfo[kTrackMode] & kDataTrackBit) {
      return SessionData{.track = track, .start = host32(&device.TrackInfo[trackinfo::kStart]),
                         .end = TrackEnd(device.TrackInfo)};
    }
  }
  return std::nullopt;
}

}  // namespace kivo
