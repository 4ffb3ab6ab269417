// Where a session's file system lies. A session may open with audio tracks or hold several
// tracks, so its number says nothing about its tracks' numbers: each track's own information
// names its session and tells data from audio.
#pragma once

#include <cstdint>
#include <optional>

namespace kivo {

class TSCSIDevice;

struct SessionData {
  unsigned track = 0;        // the session's first data track
  std::uint32_t start = 0;   // its first sector: the volume descriptors follow at +16
  // The first sector beyond what the track recorded; 0 when its size is unknown. A track that
  // follows it in the session (one left open by a broken recording, say) holds nothing of
  // this file system that can be trusted.
  std::uint32_t end = 0;
};

// The session's first data track and its extent; nothing when the session holds
// no data track or its tracks cannot be read. Leaves the drive's track information unspecified.
std::optional<SessionData> FindSessionData(TSCSIDevice& device, unsigned session);

}  // namespace kivo
