// kivoardel-cli against the virtual recorder: choosing the drive with -d, the capabilities
// listing, the tray commands and the disc information.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/drive/RecorderFixture.h"
#include "tests/platform/ScopedEnv.h"

#define KIVO_CLI_PATH KIVO_CLI
#include "tests/iso/Commands.h"

namespace kivo {
namespace {

using testing::CommandResult;
using testing::RecorderTest;
using testing::RunCli;

constexpr char kDriveLine[] = "0:0:0,V: KIVO    VIRTUAL RECORDER1.00";

using Cli = RecorderTest;

TEST_F(Cli, ChoosesTheDrive) {
  Insert(vdrive::MediumKind::CdR);
  struct Choice {
    std::vector<std::string> arguments;
    bool found;
  };
  for (const auto& c : {Choice{{"ready"}, true}, Choice{{"ready", "-d", "V"}, true},
                        Choice{{"ready", "-d", "0:0:0"}, true}, Choice{{"ready", "-d", kDriveLine}, true},
                        Choice{{"ready", "-d", "sr0"}, false}, Choice{{"ready", "-d", "0:1:0"}, false}}) {
    SCOPED_TRACE(c.arguments.back());
    const CommandResult run = RunCli(c.arguments);
    EXPECT_EQ(run.status, c.found ? 0 : 1) << run.output;
    EXPECT_EQ(run.output.find("ready") == 0, c.found) << run.output;
  }
}

TEST_F(Cli, ListsCapabilities) {
  Insert(vdrive::MediumKind::DvdPlusRw);
  const CommandResult run = RunCli({"caps"});
  ASSERT_EQ(run.status, 0) << run.output;
  for (const char* line : {"drive: 0:0:0,V: KIVO    VIRTUAL RECORDER1.00\n", "reads CD-R: yes\n",
                           "writes DVD+R DL: yes\n", "buffer underrun protection: yes\n",
                           "maximum read speed: 22160 KB/s\n", "maximum write speed: 11080 KB/s\n",
                           "buffer size: 4194304 bytes\n"}) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  }
}

TEST_F(Cli, TrayCommands) {
  Insert(vdrive::MediumKind::CdR);
  EXPECT_EQ(RunCli({"eject"}).status, 0);
  EXPECT_TRUE(recorder->State().trayOpen);
  const CommandResult notReady = RunCli({"ready", "-d", "V"});
  EXPECT_EQ(notReady.status, 1);
  EXPECT_EQ(notReady.output, "not ready: NOT READY (MEDIUM NOT PRESENT - TRAY OPEN)\n");
  EXPECT_EQ(RunCli({"load", "-d", "V"}).status, 0);
  EXPECT_FALSE(recorder->State().trayOpen);
  EXPECT_EQ(RunCli({"ready"}).status, 0);
}

TEST_F(Cli, InfoShowsTheDisc) {
  Insert(vdrive::MediumKind::CdR);
  testing::WriteCdSession(device, std::vector<std::uint8_t>(320 * 2048, 0), true);
  const platform::testing::ScopedEnv plainNumbers("LC_ALL", "C");  // the sizes are written with the user's separators
  const CommandResult run = RunCli({"info", "-d", "V"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output,
            "medium: CD-R\n"
            "disc status: open\n"
            "erasable: no\n"
            "sessions: 1\n"
            "session 1: start 0, size 320 sectors\n"
            "used: 11720 sectors (22.9 MB)\n"
            "free: 348129 sectors (679.9 MB)\n"
            "total: 359849 sectors (702.8 MB)\n");

  ASSERT_EQ(RunCli({"eject"}).status, 0);
  const CommandResult noDisc = RunCli({"info"});
  EXPECT_EQ(noDisc.status, 1);
  EXPECT_EQ(noDisc.output, "kivoardel-cli info: no disc can be read in the drive: NOT READY (MEDIUM NOT PRESENT - TRAY OPEN)\n");
}

}  // namespace
}  // namespace kivo
