// The drive kept in a folder: every process sees the disc exactly as the last one left it, and
// a damaged state file is reported, kept, and never taken for a disc.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "MmcHost.h"
#include "TestFolder.h"
#include "virtualdrive/VirtualRecorder.h"

namespace kivo::vdrive::test {
namespace {

Host HostOf(VirtualRecorder& recorder) {
  return Host([&recorder](const ScsiRequest& r) { return recorder.Execute(r); });
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}


void WriteCdSession(Host& host, std::uint32_t start, std::uint16_t blocks, std::uint8_t fill) {
  ASSERT_TRUE(host.SelectWriteParameters(EngineWriteParameters(0x09)).ok());
  ASSERT_EQ(host.TrackInfo(0xFF).be32at(12), start);
  for (std::uint16_t i = 0; i < blocks; i += 27) ASSERT_TRUE(host.Write(start + i, std::min<std::uint16_t>(27, blocks - i), fill).ok());
  ASSERT_TRUE(host.Sync().ok());
  ASSERT_TRUE(host.Close(false, 2, 0).ok());
}

TEST(Persistence, TwoRecordersOnOneFolderShareTheDisc) {
  TestFolder folder;
  VirtualRecorder first(folder.str()), second(folder.str());
  std::string error;
  ASSERT_TRUE(first.SetTimeScale(0, error)) << error;
  ASSERT_TRUE(first.Insert(MediumKind::CdR, error)) << error;
  Host a = HostOf(first), b = HostOf(second);

  WriteCdSession(a, 0, 300, 0x11);
  EXPECT_EQ(b.DiscInfo().data[4], 2) << "the second recorder sees the closed session";
  const Reply back = b.Read(0, 300);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.data[299 * 2048], 0x11);

  WriteCdSession(b, 300 + 11400, 300, 0x22);
  EXPECT_EQ(a.DiscInfo().data[4], 3);
  EXPECT_EQ(a.Read(11700, 1).data[0], 0x22);
  EXPECT_EQ(first.State(), second.State());
}

TEST(Persistence, TheControlToolWorksOnTheSameDiscFromAnotherProcess) {
  TestFolder folder;
  ASSERT_EQ(RunTool(folder.str(), "timescale 0").status, 0);
  ASSERT_EQ(RunTool(folder.str(), "insert dvd+r").status, 0);
  VirtualRecorder recorder(folder.str());
  Host host = HostOf(recorder);
  EXPECT_EQ(host.Configuration(2, 0).be16at(6), 0x1B);
  std::vector<std::uint8_t> data(32 * 2048);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_TRUE(host.WriteData(0, data).ok());
  ASSERT_TRUE(host.Close(false, 1, 1).ok());
  ASSERT_TRUE(host.Close(false, 2, 0).ok());

  const ToolRun status = RunTool(folder.str(), "status");
  EXPECT_EQ(status.status, 0);
  EXPECT_NE(status.output.find("medium: DVD+R\n"), std::string::npos) << status.output;
  EXPECT_NE(status.output.find("track 1 (session 1): start 0, size 32, complete"), std::string::npos);
  EXPECT_NE(status.output.find("next writable address: 2080"), std::string::npos);

  const std::string image = folder / "out.iso";
  ASSERT_EQ(RunTool(folder.str(), "export " + image).status, 0);
  const std::string exported = ReadFile(image);
  EXPECT_EQ(exported, std::string(data.begin(), data.end()));

  ASSERT_EQ(RunTool(folder.str(), "eject").status, 0);
  EXPECT_EQ(host.TestUnitReady().sense(), (SenseCode{2, 0x3A, 2}));
}

TEST(Persistence, ALongOperationStartedByOneProcessKeepsOthersWaiting) {
  TestFolder folder;
  VirtualRecorder first(folder.str()), second(folder.str());
  std::string error;
  ASSERT_TRUE(first.Insert(MediumKind::CdRw, error));
  ASSERT_TRUE(first.SetTimeScale(0.002, error));  // a minimal blank then lasts 120 ms
  Host a = HostOf(first), b = HostOf(second);
  ASSERT_TRUE(a.Blank(1, true).ok());
  EXPECT_EQ(b.TestUnitReady().sense(), (SenseCode{2, 4, 8}));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!b.TestUnitReady().ok() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(b.TestUnitReady().ok());
}

TEST(Persistence, AnUnusableStateFileIsReportedAndKept) {
  const std::string kValidCd =
      R"({"version":1,"trayOpen":false,"preventRemoval":false,"readSpeed":65535,"writeSpeed":65535,)"
      R"("timeScale":0,"operation":{"kind":"none","startMs":0,"endMs":0},"bufferFill":0,"bufferAtMs":0,)"
      R"("simulatedBlocks":0,"writeParameters":")" + std::string(104, '0') + R"(","disc":{"kind":"cd-r",)"
      R"("romImage":"","romBlocks":0,"closedSessions":0,"finalized":false,"openSessionStart":0,)"
      R"("formatted":false,"formattedBlocks":0,"intermediate":false,"recordedEnd":0,"tracks":[TRACKS]}})";
  auto withTracks = [&](const std::string& tracks) {
    std::string text = kValidCd;
    return text.replace(text.find("TRACKS"), 6, tracks);
  };
  const std::string damaged[] = {
      "{\"version\":1, \"trayOpen\":",  // cut short by a crash of a hand editor
      "[]",
      withTracks(R"({"number":1,"session":1,"start":359800,"reserved":0,"written":100,"closed":true,"trackMode":4})"),
      withTracks(R"({"number":1,"session":5,"start":0,"reserved":0,"written":100,"closed":true,"trackMode":4})"),
  };
  {
    // The template itself is a usable state: the rejections below are about the damage.
    TestFolder folder;
    folder.Write("state.json", withTracks(""));
    VirtualRecorder recorder(folder.str());
    EXPECT_TRUE(HostOf(recorder).TestUnitReady().ok()) << recorder.Problem();
  }
  for (const auto& text : damaged) {
    TestFolder folder;
    folder.Write("state.json", text);
    VirtualRecorder recorder(folder.str());
    Host host = HostOf(recorder);
    EXPECT_EQ(host.TestUnitReady().sense(), (SenseCode{2, 0x3A, 1})) << text;
    EXPECT_NE(recorder.Problem().find("state.json"), std::string::npos);
    EXPECT_TRUE(host.Send({0xBB, 0, 0xFF, 0xFF, 0x10, 0x00, 0, 0, 0, 0, 0, 0}).ok());
    EXPECT_EQ(ReadFile(folder / "state.json"), text) << "answering commands never rewrites it";
    const ToolRun status = RunTool(folder.str(), "status");
    EXPECT_NE(status.status, 0);
    EXPECT_NE(status.output.find("problem: "), std::string::npos);

    std::string error;
    ASSERT_TRUE(recorder.Insert(MediumKind::CdR, error)) << error;
    EXPECT_TRUE(host.TestUnitReady().ok());
    EXPECT_EQ(recorder.Problem(), "");
  }
}

TEST(Persistence, PressedDiscsFromImageFiles) {
  struct Case {
    std::uint64_t bytes;
    std::uint16_t profile;
  };
  // A partial last block counts as a block; an image larger than a 90-minute CD is a DVD-ROM.
  for (const Case c : {Case{10 * 2048 + 100, 0x08}, Case{405001ull * 2048, 0x10}}) {
    TestFolder folder;
    const std::string image = folder / "pressed.iso";
    {
      std::ofstream out(image, std::ios::binary);
      out << "PRESSED";
    }
    std::filesystem::resize_file(image, c.bytes);
    ASSERT_EQ(RunTool(folder.str(), "insert rom:" + image).status, 0);
    VirtualRecorder recorder(folder.str());
    Host host = HostOf(recorder);
    const std::uint32_t blocks = static_cast<std::uint32_t>((c.bytes + 2047) / 2048);
    EXPECT_EQ(host.Configuration(2, 0).be16at(6), c.profile);
    EXPECT_EQ(host.DiscInfo().data[2], 0x0E) << "complete, last session complete, not erasable";
    EXPECT_EQ(host.Capacity().be32at(0), blocks - 1);
    const Reply toc = host.Toc(0);
    EXPECT_EQ(toc.be32at(toc.data.size() - 4), blocks);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(host.Read(0, 1).data.data()), 7), "PRESSED");
    EXPECT_TRUE(host.Read(blocks - 1, 1).ok());
    EXPECT_EQ(host.Read(blocks, 1).sense(), (SenseCode{5, 0x21, 0}));
    EXPECT_EQ(host.Write(blocks, 16, 1).sense(), (SenseCode{5, 0x30, 5}));
  }
  TestFolder folder;
  EXPECT_NE(RunTool(folder.str(), "insert rom:" + folder / "missing.iso").status, 0);
  EXPECT_NE(RunTool(folder.str(), "insert dvd-rom").status, 0) << "pressed discs come from images";
}

TEST(Persistence, ADamagedFaultScriptInjectsNothing) {
  TestFolder folder;
  folder.Write("faults.json", R"({"commands":[{"opcode":0,"kind":"sometimes"}]})");
  VirtualRecorder recorder(folder.str());
  std::string error;
  ASSERT_TRUE(recorder.Insert(MediumKind::CdR, error));
  EXPECT_TRUE(HostOf(recorder).TestUnitReady().ok());
  EXPECT_NE(recorder.Problem().find("faults.json"), std::string::npos);
}

TEST(Persistence, FaultsScriptedByTheControlTool) {
  TestFolder folder;
  ASSERT_EQ(RunTool(folder.str(), "insert cd-r").status, 0);
  ASSERT_EQ(RunTool(folder.str(), "fault busy 2A 2").status, 0);
  ASSERT_EQ(RunTool(folder.str(), "fault sense 00 6 28 00").status, 0);
  EXPECT_NE(RunTool(folder.str(), "fault sense 00 6 28").status, 0);
  EXPECT_NE(RunTool(folder.str(), "fault busy XYZ").status, 0);
  VirtualRecorder recorder(folder.str());
  Host host = HostOf(recorder);
  EXPECT_EQ(host.TestUnitReady().sense(), (SenseCode{6, 0x28, 0}));
  EXPECT_TRUE(host.TestUnitReady().ok());
  ASSERT_TRUE(host.SelectWriteParameters(EngineWriteParameters(0x09)).ok());
  EXPECT_EQ(host.Write(0, 27, 1).result.status, ScsiStatus::Busy);
  EXPECT_EQ(host.Write(0, 27, 1).result.status, ScsiStatus::Busy);
  const ToolRun status = RunTool(folder.str(), "status");
  EXPECT_EQ(status.output.find("fault:"), std::string::npos) << "used-up faults are gone: " << status.output;
  ASSERT_EQ(RunTool(folder.str(), "fault clear").status, 0);
}

// Each recorder is one initiator. The reservation keeps every other one from changing the disc
// or the drive's settings, lets their readings through, and ends with its holder, however the
// holder ends.
TEST(Persistence, AReservationKeepsOtherRecordersFromChangingTheDisc) {
  TestFolder folder;
  auto first = std::make_unique<VirtualRecorder>(folder.str());
  VirtualRecorder second(folder.str());
  std::string error;
  ASSERT_TRUE(second.SetTimeScale(0, error)) << error;
  ASSERT_TRUE(second.Insert(MediumKind::CdRw, error)) << error;
  Host a = HostOf(*first), b = HostOf(second);
  const std::vector<std::uint8_t> reserve = {0x16, 0, 0, 0, 0, 0}, release = {0x17, 0, 0, 0, 0, 0};

  ASSERT_TRUE(a.Send(reserve).ok());
  ASSERT_TRUE(a.Send(reserve).ok()) << "the holder may reserve again";
  const DriveState before = second.State();
  struct Case {
    const char* label;
    std::function<Reply()> send;
    bool refused;
  };
  const std::vector<Case> cases = {
      {"RESERVE", [&] { return b.Send(reserve); }, true},
      {"WRITE", [&] { return b.Write(0, 1, 0x33); }, true},
      {"MODE SELECT", [&] { return b.SelectWriteParameters(EngineWriteParameters(0x09)); }, true},
      {"SYNCHRONIZE CACHE", [&] { return b.Sync(); }, true},
      {"CLOSE", [&] { return b.Close(false, 2, 0); }, true},
      {"BLANK", [&] { return b.Blank(1, true); }, true},
      {"EJECT", [&] { return b.StartStop(false, true); }, true},
      {"INQUIRY", [&] { return b.Inquiry(); }, false},
      {"TEST UNIT READY", [&] { return b.TestUnitReady(); }, false},
      {"READ DISC INFORMATION", [&] { return b.DiscInfo(); }, false},
      {"READ TRACK INFORMATION", [&] { return b.TrackInfo(0xFF); }, false},
      {"RELEASE of another's reservation", [&] { return b.Send(release); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const Reply reply = c.send();
    EXPECT_EQ(reply.result.status == ScsiStatus::ReservationConflict, c.refused);
    if (!c.refused) {
      EXPECT_TRUE(reply.ok());
    }
  }
  EXPECT_EQ(second.State(), before) << "nothing the second recorder sent reached the disc";
  EXPECT_TRUE(a.Write(0, 1, 0x44).ok()) << "the holder's own commands pass";

  ASSERT_TRUE(a.Send(release).ok());
  ASSERT_TRUE(b.Send(reserve).ok());
  EXPECT_EQ(a.Write(1, 1, 0x44).result.status, ScsiStatus::ReservationConflict);
  ASSERT_TRUE(b.Send(release).ok());

  // The holder goes away without a RELEASE, as a killed process does.
  ASSERT_TRUE(a.Send(reserve).ok());
  first.reset();
  EXPECT_TRUE(b.Send(reserve).ok());
}

}  // namespace
}  // namespace kivo::vdrive::test
