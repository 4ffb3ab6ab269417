// A recording never reports success for a disc it did not finish: whatever can refuse it does
// so before the first command that changes the disc (the disc afterwards is exactly the disc
// before), and a drive that fails at the end fails the command with its reason.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/iso/TZelvoBurner.h"
#include "engine/record/Preflight.h"
#include "tests/drive/RecorderFixture.h"
#include "tests/platform/TempDir.h"

#define KIVO_CLI_PATH KIVO_CLI
#include "tests/iso/Commands.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempDir;
using testing::RecorderTest;
using testing::RunCli;
using vdrive::MediumKind;

// Something at path that is no file: a FIFO, or on Windows, which has none in folders, a folder.
void MakeNoFile(const std::string& path) {
#ifdef _WIN32
  ASSERT_TRUE(fs::create_directory(path));
#else
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
#endif
}

class PreflightTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    source.Write("a.txt", "alpha\n");
  }
  // A file of the given size that takes no room on the test machine's disk.
  std::string Sparse(const std::string& name, std::uintmax_t bytes) {
    const std::string path = work / name;
    std::ofstream(path).close();
    fs::resize_file(path, bytes);
    return path;
  }

  TempDir source, work;
};

TEST_F(PreflightTest, RefusesBeforeTheDiscChanges) {
  struct Case {
    const char* label;
    MediumKind kind;
    std::vector<std::string> arguments;
    const char* reason;
  };
  const std::string fifo = work / "fifo.iso";
  MakeNoFile(fifo);
  std::ofstream(work / "empty.iso").close();
  const std::vector<Case> cases = {
      {"test write, DVD+R", MediumKind::DvdPlusR, {"burn", "--test-write", source.str()},
       "TEST WRITE IS NOT POSSIBLE ON DVD+R:"},
      {"test write, DVD+R DL", MediumKind::DvdPlusRDl, {"burn", "--test-write", source.str()},
       "TEST WRITE IS NOT POSSIBLE ON DVD+R DL:"},
      {"test write, DVD+RW", MediumKind::DvdPlusRw, {"burn", "--test-write", source.str()},
       "TEST WRITE IS NOT POSSIBLE ON DVD+RW:"},
      {"test write, DVD-RAM", MediumKind::DvdRam, {"burn", "--test-write", source.str()},
       "TEST WRITE IS NOT POSSIBLE ON DVD-RAM:"},
      {"test write of an image, DVD+R", MediumKind::DvdPlusR, {"burn-image", "--test-write", Sparse("small.iso", 1 << 20)},
       "TEST WRITE IS NOT POSSIBLE ON DVD+R:"},
      {"800 MB on a CD-R", MediumKind::CdR, {"burn", Sparse("big.bin", 800ull << 20)},
       "THE SESSION DOES NOT FIT ON THE DISC: "},
      {"a 5 GB image on a DVD+R", MediumKind::DvdPlusR, {"burn-image", Sparse("huge.iso", 5ull << 30)},
       "THE SESSION DOES NOT FIT ON THE DISC: "},
      {"an empty image", MediumKind::DvdPlusR, {"burn-image", work / "empty.iso"}, "IS EMPTY"},
      {"a FIFO as the image", MediumKind::CdR, {"burn-image", fifo}, "IS NOT A FILE THAT CAN BE RECORDED"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Insert(c.kind);
    const vdrive::DriveState before = recorder->State();
    const auto run = RunCli(c.arguments);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
    const vdrive::DriveState after = recorder->State();
    ASSERT_TRUE(before.disc && after.disc);
    EXPECT_TRUE(*after.disc == *before.disc) << "the disc changed";
  }
  // Where a drive simulates writing, the test write goes ahead.
  Insert(MediumKind::CdR);
  const auto run = RunCli({"burn", "--test-write", source.str()});
  EXPECT_EQ(run.status, 0) << run.output;
}

// A new session without the earlier files would hide them for good on a write-once disc: an
// import that cannot be done stops the burn with the disc as it was.
TEST_F(PreflightTest, AnImportThatCannotBeDoneStopsTheBurn) {
  Insert(MediumKind::DvdPlusR);
  {
    const auto blank = RunCli({"burn", "--import-session", "1", source.str()});
    EXPECT_EQ(blank.status, 1);
    EXPECT_NE(blank.output.find("the disc in the drive holds no session"), std::string::npos) << blank.output;
  }
  ASSERT_EQ(RunCli({"burn", source.str()}).status, 0);
  struct Case {
    const char* session;
    const char* reason;
  };
  const std::vector<Case> cases = {{"256", "--import-session must be -1 (the last) or 1 to 1"},
                                   {"257", "--import-session must be -1 (the last) or 1 to 1"},
                                   {"2", "--import-session must be -1 (the last) or 1 to 1"},
                                   {"-2", "--import-session must be -1 (the last) or 1 to 1"},
                                   {"-1", "session -1 could not be imported; nothing was written"}};
  // The earlier session's volume descriptors cannot be read.
  Faults([](vdrive::Faults& f) { f.mediumErrors = {{16, -1}, {17, -1}}; });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.session);
    const vdrive::DriveState before = recorder->State();
    const auto run = RunCli({"burn", "--import-session", c.session, source.str()});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
    EXPECT_TRUE(*recorder->State().disc == *before.disc) << "the disc changed";
  }
}

// A drive that refuses to write out its buffer or to close what was written leaves a disc that
// is not what a finished recording leaves: the burn fails with the drive's reason.
TEST_F(PreflightTest, AFailedSyncOrCloseFailsTheBurn) {
  struct Case {
    MediumKind kind;
    std::uint8_t opcode;
    const char* reason;
  };
  const vdrive::SenseCode writeError{0x03, 0x0C, 0x00};  // MEDIUM ERROR, WRITE ERROR
  for (const Case& c : {Case{MediumKind::CdR, 0x35, "SYNCHRONIZE CACHE FAILED ["},
                        Case{MediumKind::DvdPlusR, 0x35, "SYNCHRONIZE CACHE FAILED ["},
                        Case{MediumKind::CdR, 0x5B, "CLOSING THE SESSION FAILED ["},
                        Case{MediumKind::CdRw, 0x5B, "CLOSING THE SESSION FAILED ["},
                        Case{MediumKind::DvdR, 0x5B, "CLOSING THE SESSION FAILED ["},
                        Case{MediumKind::DvdPlusR, 0x5B, "CLOSING THE SESSION FAILED ["},
                        Case{MediumKind::DvdPlusRw, 0x5B, "CLOSING THE SESSION FAILED ["}}) {
    SCOPED_TRACE(std::string(vdrive::Info(c.kind).name) + (c.opcode == 0x35 ? " sync" : " close"));
    Insert(c.kind);
    Faults([&](vdrive::Faults& f) { f.commands = {{c.opcode, vdrive::CommandFault::Kind::Sense, writeError, -1}}; });
    const auto run = RunCli({"burn", source.str()});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
    Faults([](vdrive::Faults& f) { f = {}; });
  }
}

// --finalize closes every write-once disc, whatever its kind's way of closing; without it the
// disc stays appendable.
TEST_F(PreflightTest, FinalizeClosesEveryWriteOnceDisc) {
  for (MediumKind kind : {MediumKind::CdR, MediumKind::CdRw, MediumKind::DvdR, MediumKind::DvdPlusR, MediumKind::DvdPlusRDl}) {
    for (bool finalize : {true, false}) {
      SCOPED_TRACE(std::string(vdrive::Info(kind).name) + (finalize ? " --finalize" : ""));
      Insert(kind);
      std::vector<std::string> arguments = {"burn", source.str()};
      if (finalize) arguments.insert(arguments.begin() + 1, "--finalize");
      const auto run = RunCli(arguments);
      ASSERT_EQ(run.status, 0) << run.output;
      EXPECT_EQ(recorder->State().disc->finalized, finalize);
    }
  }
}

// A source that went away, or turned into something that is no file, after it was added: named
// in the log, and the recording refused instead of failing with part of the data on the disc.
TEST(UnreadableSources, AreNamedAndRefuseTheRecording) {
  TempDir tree;
  for (const char* name : {"kept.txt", "gone.txt", "fifo.txt"}) tree.Write(name, "data");
  TZelvoBurner burner;
  std::vector<std::string> lines;
  burner.OnDebugMessage = [&lines](TSCSIDevice*, const std::string& line, std::uint8_t) { lines.push_back(line); };
  burner.ResetCompilation(100, 10);
  ASSERT_EQ(burner.AddDirectory(burner.RootDirectory(), tree.str() + "/", false, false, true, 63, "*.*"), 1);
  EXPECT_EQ(preflight::UnreadableSources(burner), "");

  fs::remove(tree / "gone.txt");
  fs::remove(tree / "fifo.txt");
  MakeNoFile(tree / "fifo.txt");
  EXPECT_EQ(preflight::UnreadableSources(burner), "2 SOURCE FILES CAN'T BE READ, NOTHING WAS WRITTEN");
  ASSERT_EQ(lines.size(), 2u);
  // The sources' paths as the folder given makes them.
  EXPECT_EQ(lines[0], "CAN'T OPEN FILE " + tree.str() + "/fifo.txt: NOT A REGULAR FILE");
  EXPECT_EQ(lines[1], "CAN'T OPEN FILE " + tree.str() + "/gone.txt: No such file or directory");
}

}  // namespace
}  // namespace kivo
