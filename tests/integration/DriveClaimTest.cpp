// One recording or erase per drive at a time, across processes: a second one is refused before
// it sends anything that changes the disc, the disc keeps the first one's files, and a process
// that is killed leaves no claim behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/DiscFixture.h"
#include "virtualdrive/VirtualRecorder.h"

namespace kivo::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kInUse = "THE DRIVE IS IN USE BY ANOTHER PROGRAM";

// A command of six bytes to the recorder, as another program's process would send it.
vdrive::ScsiResult Send(vdrive::VirtualRecorder& recorder, std::uint8_t opcode) {
  const std::uint8_t cdb[6] = {opcode, 0, 0, 0, 0, 0};
  vdrive::ScsiRequest request;
  request.cdb = cdb;
  request.cdbLength = sizeof cdb;
  return recorder.Execute(request);
}

// A burn in a process of its own, left running while the test goes on.
class BackgroundBurn {
 public:
  BackgroundBurn(const std::string& recorder, const fs::path& source) {
    // The shell's pid is the burn's once exec has run. The engine's waits keep their length,
    // so that it waits for the recorder's slowed-down operations as for a real drive's.
    const std::string command = "echo $$; KIVO_WAIT_SCALE=1 KIVO_VIRTUAL_RECORDER=" + Quoted(recorder) + " exec " +
                                Quoted(KIVO_CLI_PATH) + " burn " + Quoted(source.string()) + " 2>&1";
    pipe_ = ::popen(command.c_str(), "r");
    if (pipe_ != nullptr && std::fscanf(pipe_, "%d", &pid_) != 1) pid_ = -1;
  }
  ~BackgroundBurn() {
    if (pipe_ != nullptr) Finish();
  }
  BackgroundBurn(const BackgroundBurn&) = delete;
  BackgroundBurn& operator=(const BackgroundBurn&) = delete;

  pid_t pid() const { return pid_; }
  // Waits for the end; the exit status, -1 when killed.
  CommandResult Finish() {
    CommandResult result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe_)) > 0) result.output.append(buffer, n);
    const int status = ::pclose(pipe_);
    pipe_ = nullptr;
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
  }

 private:
  FILE* pipe_ = nullptr;
  pid_t pid_ = -1;
};

class DriveClaimTest : public DiscTest {
 protected:
  // True once another process holds the drive: a harmless command that a reservation keeps
  // out is refused.
  bool WaitUntilClaimed() {
    vdrive::VirtualRecorder probe(recorder);
    for (int i = 0; i < 1000; ++i) {
      if (Send(probe, 0x01).status == vdrive::ScsiStatus::ReservationConflict) return true;  // REZERO UNIT
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
};

TEST_F(DriveClaimTest, AnotherProgramsClaimRefusesEveryOperationThatChangesTheDisc) {
  Insert("dvd+rw");
  const fs::path first = Folder("first");
  const FileMap files = WriteTree(first, {{"kept.txt", Content("kept", 30000)}});
  ASSERT_TRUE(CliSucceeds({"burn", first.string()}));
  const fs::path image = Folder("image") / "small.iso";
  WriteTree(image.parent_path(), {{"small.iso", Content("image", 64 * 2048)}});
  const fs::path second = Folder("second");
  WriteTree(second, {{"lost.txt", Content("lost", 100)}});

  vdrive::VirtualRecorder other(recorder);
  ASSERT_TRUE(Send(other, 0x16).ok());  // RESERVE(6)
  const vdrive::DriveState before = other.State();
  const std::vector<std::vector<std::string>> operations = {
      {"burn", second.string()}, {"burn-image", image.string()}, {"erase", "--quick"}, {"erase", "--full"}};
  for (const auto& operation : operations) {
    SCOPED_TRACE(operation.front() + " " + operation.back());
    const CommandResult run = Cli(operation);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(kInUse), std::string::npos) << run.output;
    EXPECT_TRUE(other.State() == before) << "the disc changed";
  }
  ExpectSessionReads(ExportVolume(), 0, files, Folder("read"));

  ASSERT_TRUE(Send(other, 0x17).ok());  // RELEASE(6)
  EXPECT_TRUE(CliSucceeds({"burn", second.string()}));
}

TEST_F(DriveClaimTest, OfTwoBurnsAtOnceOneRecordsAndTheOtherIsRefused) {
  Insert("dvd+rw");
  // Slow enough for the first burn to be still running when the second starts.
  Vrctl({"timescale", "0.02"});
  const fs::path winner = Folder("winner"), loser = Folder("loser");
  const FileMap files = WriteTree(winner, {{"w/first.bin", Content("first", 300000)}, {"w.txt", Content("w", 10)}});
  WriteTree(loser, {{"second.txt", Content("second", 2000)}});

  BackgroundBurn first(recorder, winner);
  ASSERT_TRUE(WaitUntilClaimed());
  const CommandResult refused = Cli({"burn", loser.string()});
  EXPECT_EQ(refused.status, 1) << refused.output;
  EXPECT_NE(refused.output.find(kInUse), std::string::npos) << refused.output;
  const CommandResult won = first.Finish();
  EXPECT_EQ(won.status, 0) << won.output;

  Vrctl({"timescale", "0"});
  const std::string volume = ExportVolume();
  ASSERT_FALSE(volume.empty()) << "the winner's recording left no volume";
  ExpectSessionReads(volume, 0, files, Folder("read"));
  ExpectSevenZipReads(volume, files, Folder("read7z"));
}

TEST_F(DriveClaimTest, AKilledBurnLeavesNoClaimBehind) {
  Insert("dvd+rw");
  Vrctl({"timescale", "0.02"});
  const fs::path source = Folder("source");
  const FileMap files = WriteTree(source, {{"a.bin", Content("a", 300000)}});
  {
    BackgroundBurn killed(recorder, source);
    ASSERT_TRUE(WaitUntilClaimed());
    ASSERT_EQ(::kill(killed.pid(), SIGKILL), 0);
    EXPECT_EQ(killed.Finish().status, -1);
  }
  Vrctl({"timescale", "0"});
  const CommandResult next = Cli({"burn", source.string()});
  EXPECT_EQ(next.status, 0) << next.output;
  EXPECT_EQ(next.output.find(kInUse), std::string::npos) << next.output;
}

}  // namespace
}  // namespace kivo::testing
