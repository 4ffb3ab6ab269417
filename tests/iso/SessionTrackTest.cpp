// Finding a session's file system from the tracks the drive reports: audio tracks, several
// tracks per session, tracks still open.

#include <gtest/gtest.h>

#include "engine/iso/SessionTrack.h"
#include "tests/drive/ScriptedDrive.h"

namespace kivo::testing {
namespace {

struct Track {
  unsigned session;
  bool data;
  std::uint32_t start, size;
  std::uint32_t nextWritable = 0;  // valid when not 0
};

// A disc of these tracks, numbered from 1: READ DISC INFORMATION and READ TRACK INFORMATION.
void Script(ScriptedDrive& drive, const std::vector<Track>& tracks) {
  std::vector<unsigned char> disc(34, 0);
  disc[2] = 0x0E;  // complete disc, complete last session
  disc[4] = static_cast<unsigned char>(tracks.back().session);
  disc[6] = static_cast<unsigned char>(tracks.size());
  drive.On({0x51}, {Reply::Data(disc)});
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    const Track& t = tracks[i];
    std::vector<unsigned char> info(40, 0);
    info[2] = static_cast<unsigned char>(i + 1);
    info[3] = static_cast<unsigned char>(t.session);
    info[5] = t.data ? 0x04 : 0x00;
    info[7] = t.nextWritable != 0 ? 0x01 : 0x00;
    auto put = [&](std::size_t at, std::uint32_t v) {
      for (int b = 0; b < 4; ++b) info[at + b] = static_cast<unsigned char>(v >> (24 - 8 * b));
    };
    put(8, t.start);
    put(12, t.nextWritable);
    put(24, t.size);
    drive.On({0x52, 0x01, 0, 0, 0, static_cast<unsigned char>(i + 1)}, {Reply::Data(info)});
  }
}

TEST(SessionTrack, TheSessionsFirstDataTrackWithItsExtent) {
  struct Case {
    const char* what;
    std::vector<Track> tracks;
    unsigned session;
    std::optional<SessionData> expected;
  };
  const std::vector<Case> cases{
      {"one track per session", {{1, true, 0, 300}, {2, true, 11700, 500}}, 2, SessionData{2, 11700, 12200}},
      {"an audio session first", {{1, false, 0, 9000}, {2, true, 20400, 400}}, 2, SessionData{2, 20400, 20800}},
      {"audio session has no data", {{1, false, 0, 9000}, {2, true, 20400, 400}}, 1, std::nullopt},
      {"audio before data in a session, audio after",
       {{1, true, 0, 300}, {2, false, 11700, 600}, {2, true, 12450, 200}, {2, false, 12650, 50}, {3, true, 24000, 10}},
       2, SessionData{3, 12450, 12650}},
      {"data track still open", {{1, true, 0, 0, 123}}, 1, SessionData{1, 0, 123}},
      {"size unknown", {{1, true, 0, 0}}, 1, SessionData{1, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedDrive drive;
    Script(drive, c.tracks);
    const auto found = FindSessionData(drive.device, c.session);
    ASSERT_EQ(found.has_value(), c.expected.has_value());
    if (!found) continue;
    EXPECT_EQ(found->track, c.expected->track);
    EXPECT_EQ(found->start, c.expected->start);
    EXPECT_EQ(found->end, c.expected->end);
    // No track beyond the disc's last is asked for.
    for (const auto& sent : drive.Sent()) {
      if (sent.cdb.at(0) == 0x52) {
        EXPECT_LE(sent.cdb.at(5), c.tracks.size());
      }
    }
  }
}

}  // namespace
}  // namespace kivo::testing
