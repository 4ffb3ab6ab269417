// The virtual recorder reached as the engine reaches it: the ASPI library loaded at run time,
// request blocks, pending status and completion events. Each test runs in its own process with
// the library pointed at a fresh folder.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "TestFolder.h"
#include "engine/platform/Aspi.h"
#include "engine/platform/SharedLibrary.h"
#include "engine/platform/Threads.h"
#include "tests/platform/ScopedEnv.h"

namespace kivo::vdrive::test {
namespace {

TestFolder* gFolder = nullptr;

class FolderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    gFolder = new TestFolder;
    platform::testing::SetEnvironment("KIVO_VIRTUAL_RECORDER", gFolder->str().c_str());
  }
  void TearDown() override {
    delete gFolder;
    gFolder = nullptr;
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

class Aspi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_.Load(KIVO_WNASPI32)) << library_.LastError();
    send_ = reinterpret_cast<SendASPI32CommandFn>(library_.Symbol("SendASPI32Command"));
    support_ = reinterpret_cast<GetASPI32SupportInfoFn>(library_.Symbol("GetASPI32SupportInfo"));
    ASSERT_TRUE(send_ && support_);
    ASSERT_EQ(RunTool(gFolder->str(), "timescale 0").status, 0);
  }

  // Read after the completion event, which orders it after the manager's last write.
  static std::uint8_t Status(const SRB_ExecSCSICmd& srb) { return srb.SRB_Status; }

  // Sends a command the way the engine does: with a completion event, waiting on it when the
  // manager answers pending.
  SRB_ExecSCSICmd Execute(std::initializer_list<std::uint8_t> cdb, std::uint8_t direction, std::uint8_t* buffer,
                          std::uint32_t length) {
    SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Flags = static_cast<std::uint8_t>(direction | SRB_EVENT_NOTIFY);
    srb.SRB_BufLen = length;
    srb.SRB_BufPointer = buffer;
    srb.SRB_SenseLen = kSenseLength;
    srb.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
    std::copy(cdb.begin(), cdb.end(), srb.CDBByte);
    platform::ManualResetEvent done;
    srb.SRB_PostProc = &done;
    const std::uint32_t first = send_(&srb);
    if (first == SS_PENDING) {
      EXPECT_TRUE(done.Wait(30000));
    }
    return srb;
  }

  platform::SharedLibrary library_;
  SendASPI32CommandFn send_ = nullptr;
  GetASPI32SupportInfoFn support_ = nullptr;
};

TEST_F(Aspi, OneAdapterOneDriveWithALabel) {
  EXPECT_EQ(support_(), 0x0101u);

  SRB_HAInquiry inquiry{};
  inquiry.SRB_Cmd = SC_HA_INQUIRY;
  EXPECT_EQ(send_(&inquiry), SS_COMP);
  EXPECT_EQ(inquiry.HA_Count, 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry.HA_ManagerId), 14), "ASPI for WIN32");

  SRB_GetDiskInfo disk{};
  disk.SRB_Cmd = SC_GET_DISK_INFO;
  EXPECT_EQ(send_(&disk), SS_COMP);
  EXPECT_EQ(disk.SRB_Int13HDriveInfo, 'V' - 'A');

  SRB_ExecSCSICmd other{};
  other.SRB_Cmd = SC_EXEC_SCSI_CMD;
  other.SRB_Target = 1;
  other.SRB_CDBLen = 6;
  EXPECT_EQ(send_(&other), SS_NO_DEVICE);
  other.SRB_Target = 0;
  other.SRB_HaId = 1;
  EXPECT_EQ(send_(&other), SS_INVALID_HA);
}

TEST_F(Aspi, CompletesAsynchronouslyWithDataAndSense) {
  std::uint8_t data[128] = {};
  SRB_ExecSCSICmd inquiry = Execute({0x12, 0, 0, 0, 128, 0}, SRB_DIR_IN, data, sizeof data);
  EXPECT_EQ(Status(inquiry), SS_COMP);
  EXPECT_EQ(inquiry.SRB_TargStat, 0);
  EXPECT_EQ(data[0], 0x05);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data) + 8, 24), "KIVO    VIRTUAL RECORDER");

  ASSERT_EQ(RunTool(gFolder->str(), "eject").status, 0);
  SRB_ExecSCSICmd tur = Execute({0x00, 0, 0, 0, 0, 0}, 0, nullptr, 0);
  EXPECT_EQ(Status(tur), SS_ERR);
  EXPECT_EQ(tur.SRB_HaStat, HASTAT_OK);
  EXPECT_EQ(tur.SRB_TargStat, 0x02);
  EXPECT_EQ(tur.SenseArea[0], 0x70);
  EXPECT_EQ(tur.SenseArea[2], 0x02);
  EXPECT_EQ(tur.SenseArea[12], 0x3A);

  // A medium put in by another process is seen by the next request.
  ASSERT_EQ(RunTool(gFolder->str(), "insert cd-rw").status, 0);
  SRB_ExecSCSICmd ready = Execute({0x00, 0, 0, 0, 0, 0}, 0, nullptr, 0);
  EXPECT_EQ(Status(ready), SS_COMP);
  EXPECT_EQ(ready.SenseArea[0], 0) << "no sense after success";
}

TEST_F(Aspi, WithoutAnEventTheCallCompletesBeforeReturning) {
  ASSERT_EQ(RunTool(gFolder->str(), "insert dvd-ram").status, 0);
  std::uint8_t capacity[8] = {};
  SRB_ExecSCSICmd srb{};
  srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
  srb.SRB_Flags = SRB_DIR_IN;
  srb.SRB_BufLen = sizeof capacity;
  srb.SRB_BufPointer = capacity;
  srb.SRB_SenseLen = kSenseLength;
  srb.SRB_CDBLen = 10;
  srb.CDBByte[0] = 0x25;
  EXPECT_EQ(send_(&srb), SS_COMP);
  EXPECT_EQ((capacity[0] << 24 | capacity[1] << 16 | capacity[2] << 8 | capacity[3]), 2236703);
}

TEST_F(Aspi, RequestsFromSeveralThreadsAllComplete) {
  ASSERT_EQ(RunTool(gFolder->str(), "insert cd-r").status, 0);
  std::atomic<int> completed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20; ++i) {
        std::uint8_t info[56] = {};
        SRB_ExecSCSICmd srb = Execute({0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}, SRB_DIR_IN, info, sizeof info);
        if (Status(srb) == SS_COMP && info[1] == 32) ++completed;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(completed.load(), 80);
}

// Done when: a blank CD-R put in with the control tool, a session written through the library,
// exported with the control tool, and read by xorriso.
TEST_F(Aspi, ASessionWrittenThroughTheLibraryExportsAsAnIsoImage) {
#ifdef _WIN32
  GTEST_SKIP() << "the image is made and read back by xorriso, a Linux tool";
#endif
  const std::string folder = gFolder->str();
  ASSERT_EQ(RunTool(folder, "insert cd-r").status, 0);
  const std::string tree = (*gFolder) / "tree";
  const std::string source = (*gFolder) / "source.iso";
  ASSERT_EQ(std::system(("mkdir -p '" + tree + "/DOCS' && echo 'hello from kivo' > '" + tree +
                         "/DOCS/HELLO.TXT' && xorriso -as mkisofs -quiet -V KIVOTEST -o '" + source + "' '" +
                         tree + "' >/dev/null 2>&1")
                            .c_str()),
            0);
  std::ifstream in(source, std::ios::binary);
  std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(image.empty());
  ASSERT_EQ(image.size() % 2048, 0u);
  const auto blocks = static_cast<std::uint32_t>(image.size() / 2048);

  std::uint8_t track[40] = {};
  ASSERT_EQ(Status(Execute({0x52, 1, 0, 0, 0, 0xFF, 0, 0, 40, 0}, SRB_DIR_IN, track, sizeof track)), SS_COMP);
  ASSERT_EQ(track[12] | track[13] | track[14] | track[15], 0) << "a blank disc starts at 0";

  std::uint8_t page[60] = {};
  page[8] = 0x05;
  page[9] = 50;
  page[10] = 0x01;  // track at once
  page[11] = 0xC4;  // keep appendable, data track
  page[12] = 0x08;  // Mode 1
  page[23] = 150;
  ASSERT_EQ(Status(Execute({0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}, SRB_DIR_OUT, page, sizeof page)), SS_COMP);

  for (std::uint32_t lba = 0; lba < blocks; lba += 27) {
    const std::uint32_t n = std::min<std::uint32_t>(27, blocks - lba);
    SRB_ExecSCSICmd write =
        Execute({0x2A, 0, static_cast<std::uint8_t>(lba >> 24), static_cast<std::uint8_t>(lba >> 16),
                 static_cast<std::uint8_t>(lba >> 8), static_cast<std::uint8_t>(lba), 0, 0,
                 static_cast<std::uint8_t>(n), 0},
                SRB_DIR_OUT, image.data() + std::size_t{lba} * 2048, n * 2048);
    ASSERT_EQ(Status(write), SS_COMP) << "block " << lba;
  }
  ASSERT_EQ(Status(Execute({0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, nullptr, 0)), SS_COMP);
  ASSERT_EQ(Status(Execute({0x5B, 0, 2, 0, 0, 0, 0, 0, 0, 0}, 0, nullptr, 0)), SS_COMP);

  const std::string exported = (*gFolder) / "x.iso";
  const ToolRun run = RunTool(folder, "export " + testing::Quoted(exported));
  ASSERT_EQ(run.status, 0) << run.output;
  std::ifstream back(exported, std::ios::binary);
  std::vector<std::uint8_t> disc((std::istreambuf_iterator<char>(back)), std::istreambuf_iterator<char>());
  ASSERT_GE(disc.size(), image.size());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), disc.begin()));

  const std::string listing = (*gFolder) / "listing.txt";
  ASSERT_EQ(std::system(("xorriso -indev '" + exported + "' -toc -find / -name HELLO.TXT > '" + listing +
                         "' 2>&1")
                            .c_str()),
            0);
  std::ifstream text(listing);
  std::stringstream out;
  out << text.rdbuf();
  EXPECT_NE(out.str().find("KIVOTEST"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("/DOCS/HELLO.TXT"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace kivo::vdrive::test
