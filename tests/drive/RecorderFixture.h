// The virtual recorder reached as the engine reaches a drive: its ASPI library loaded through
// the ordinary transport path, the process pointed at a fresh state folder. The test itself
// holds the recorder's hands (media, faults, time scale) on the same folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"
#include "engine/platform/Threads.h"
#include "tests/platform/TempDir.h"
#include "virtualdrive/VirtualRecorder.h"

namespace kivo::testing {

// One folder per process, made before the first test and removed after the last: the library
// reads the folder's name once, on its first request.
class RecorderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    folder = std::make_unique<platform::testing::TempDir>();
    ::setenv("KIVO_VIRTUAL_RECORDER", folder->str().c_str(), 1);
  }
  void TearDown() override { folder.reset(); }

  static inline std::unique_ptr<platform::testing::TempDir> folder;
};
inline ::testing::Environment* const kRecorderEnvironment =
    ::testing::AddGlobalTestEnvironment(new RecorderEnvironment);

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
