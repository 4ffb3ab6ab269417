// kivoardel-cli against the virtual recorder: choosing the drive with -d, the capabilities
// listing, the tray commands and the disc information.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/drive/RecorderFixture.h"

namespace kivo {
namespace {

using testing::RecorderTest;

struct CliRun {
  int exitCode = -1;
  std::string output;
};

CliRun RunCli(const std::string& arguments) {
  CliRun run;
  // The recorder finishes at once: the engine's waits between polls are skipped.
  FILE* pipe = ::popen(("KIVO_WAIT_SCALE=0 " + std::string(KIVO_CLI) + " " + arguments + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

constexpr char kDriveLine[] = "0:0:0,V: KIVO    VIRTUAL RECORDER1.00";

using Cli = RecorderTest;

TEST_F(Cli, ChoosesTheDrive) {
  Insert(vdrive::MediumKind::CdR);
  struct Choice {
    std::string option;
    bool found;
  };
  for (const auto& c : {Choice{"", true}, Choice{"-d V", true}, Choice{"-d 0:0:0", true},
                        Choice{std::string("-d '") + kDriveLine + "'", true}, Choice{"-d sr0", false},
                        Choice{"-d 0:1:0", false}}) {
    SCOPED_TRACE(c.option);
    const CliRun run = RunCli("ready " + c.option);
    EXPECT_EQ(run.exitCode, c.found ? 0 : 1) << run.output;
    EXPECT_EQ(run.output.find("ready") == 0, c.found) << run.output;
  }
}

TEST_F(Cli, ListsCapabilities) {
  Insert(vdrive::MediumKind::DvdPlusRw);
  const CliRun run = RunCli("caps");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  for (const char* line : {"drive: 0:0:0,V: KIVO    VIRTUAL RECORDER1.00\n", "reads CD-R: yes\n",
                           "writes DVD+R DL: yes\n", "buffer underrun protection: yes\n",
                           "maximum read speed: 22160 KB/s\n", "maximum write speed: 11080 KB/s\n",
                           "buffer size: 4194304 bytes\n"}) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  }
}

TEST_F(Cli, TrayCommands) {
  Insert(vdrive::MediumKind::CdR);
  EXPECT_EQ(RunCli("eject").exitCode, 0);
  EXPECT_TRUE(recorder->State().trayOpen);
  const CliRun notReady = RunCli("ready -d V");
  EXPECT_EQ(notReady.exitCode, 1);
  EXPECT_EQ(notReady.output, "not ready: NOT READY (MEDIUM NOT PRESENT - TRAY OPEN)\n");
  EXPECT_EQ(RunCli("load -d V").exitCode, 0);
  EXPECT_FALSE(recorder->State().trayOpen);
  EXPECT_EQ(RunCli("ready").exitCode, 0);
}

TEST_F(Cli, InfoShowsTheDisc) {
  Insert(vdrive::MediumKind::CdR);
  testing::WriteCdSession(device, std::vector<std::uint8_t>(320 * 2048, 0), true);
  ::setenv("LC_ALL", "C", 1);  // the sizes are written with the user's separators
  const CliRun run = RunCli("info -d V");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output,
            "medium: CD-R\n"
            "disc status: open\n"
            "erasable: no\n"
            "sessions: 1\n"
            "session 1: start 0, size 320 sectors\n"
            "used: 11720 sectors (22.9 MB)\n"
            "free: 348129 sectors (679.9 MB)\n"
            "total: 359849 sectors (702.8 MB)\n");

  ASSERT_EQ(RunCli("eject").exitCode, 0);
  const CliRun noDisc = RunCli("info");
  EXPECT_EQ(noDisc.exitCode, 1);
  EXPECT_EQ(noDisc.output, "kivoardel-cli info: no disc can be read in the drive: NOT READY (MEDIUM NOT PRESENT - TRAY OPEN)\n");
}

}  // namespace
}  // namespace kivo
