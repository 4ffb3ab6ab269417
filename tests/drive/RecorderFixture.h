// The virtual recorder reached as the engine reaches a drive: its ASPI library loaded through
// the ordinary transport path, the process pointed at a fresh state folder. The test itself
// holds the recorder's hands (media, faults, time scale) on the same folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/drive/DiscInformation.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"
#include "engine/platform/Threads.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/platform/TempDir.h"
#include "virtualdrive/VirtualRecorder.h"

namespace kivo::testing {

// One folder per process, made before the first test and removed after the last: the library
// reads the folder's name once, on its first request.
class RecorderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    folder = std::make_unique<platform::testing::TempDir>();
    platform::testing::SetEnvironment("KIVO_VIRTUAL_RECORDER", folder->str().c_str());
  }
  void TearDown() override { folder.reset(); }

  static inline std::unique_ptr<platform::testing::TempDir> folder;
};
inline ::testing::Environment* const kRecorderEnvironment =
    ::testing::AddGlobalTestEnvironment(new RecorderEnvironment);

// Sector 16 of an ISO 9660 volume: a primary volume descriptor giving the volume's size.
inline std::vector<std::uint8_t> WithVolumeDescriptor(std::vector<std::uint8_t> data, std::uint32_t volumeBlocks) {
  std::uint8_t* descriptor = &data.at(16 * 2048);
  descriptor[0] = 1;
  std::copy_n("CD001", 5, descriptor + 1);
  descriptor[80] = static_cast<std::uint8_t>(volumeBlocks);
  descriptor[81] = static_cast<std::uint8_t>(volumeBlocks >> 8);
  descriptor[82] = static_cast<std::uint8_t>(volumeBlocks >> 16);
  return data;
}

// One CD session of track-at-once data at the next writable address, closed; leaveOpen asks
// for a further session to be possible.
inline void WriteCdSession(TSCSIDevice& device, const std::vector<std::uint8_t>& data, bool leaveOpen) {
  ASSERT_TRUE(device.ReadTrackInfo(0xFF));
  const std::uint32_t start = host32(&device.TrackInfo[trackinfo::kNextWritable]);
  std::vector<std::uint8_t> list(8 + 52, 0);
  std::uint8_t* page = &list[8];
  page[0] = 0x05;
  page[1] = 50;
  page[2] = 0x01;                                             // track at once
  page[3] = static_cast<std::uint8_t>((leaveOpen ? 0xC0 : 0x00) | 0x04);  // multisession, data track
  page[4] = 0x08;                                             // Mode 1
  page[15] = 150;
  ASSERT_TRUE(device.ModeSelect(list)) << device.LastErrorText;
  ASSERT_TRUE(device.WriteSectors(start, static_cast<std::uint16_t>(data.size() / 2048), data)) << device.LastErrorText;
  ASSERT_TRUE(device.SynchronizeCache(120000, false)) << device.LastErrorText;
  ASSERT_TRUE(device.CloseTrackSession(false, false, false)) << device.LastErrorText;
}

inline platform::testing::TempDir& RecorderFolder() { return *RecorderEnvironment::folder; }

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder = std::make_unique<vdrive::VirtualRecorder>(RecorderFolder().str());
    std::string error;
    ASSERT_TRUE(recorder->SetTimeScale(0, error)) << error;
    ASSERT_TRUE(recorder->EditFaults([](vdrive::Faults& faults) { faults = {}; }, error)) << error;
    ASSERT_TRUE(device.InitializeTransport(false, KIVO_WNASPI32));
    ASSERT_EQ(device.DeviceList.size(), 1u);
    Select();
  }
  void TearDown() override {
    platform::SetTimeScale(1);
    CurrentMediaKind.store(0);
  }

  void Insert(vdrive::MediumKind kind) {
    std::string error;
    ASSERT_TRUE(recorder->Insert(kind, error)) << error;
  }
  void Faults(const std::function<void(vdrive::Faults&)>& edit) {
    std::string error;
    ASSERT_TRUE(recorder->EditFaults(edit, error)) << error;
  }
  void Select() {
    device.SelectDevice(device.DeviceList.at(0));
    ASSERT_EQ(device.HostAdapter, 0);
  }

  std::unique_ptr<vdrive::VirtualRecorder> recorder;
  TSCSIDevice device;
};

}  // namespace kivo::testing
