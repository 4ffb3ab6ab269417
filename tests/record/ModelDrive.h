// The virtual recorder's drive model held in memory behind the pass-through, with every command
// the engine sends kept: a strict MMC drive whose whole conversation a test can read back. The
// clock moves by a fixed step with every command, so a long operation ends after the engine
// has polled for it a while, as on a real drive.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <vector>

#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"
#include "engine/platform/Threads.h"
#include "tests/drive/FakeScsiDevices.h"
#include "virtualdrive/DriveState.h"
#include "virtualdrive/Faults.h"
#include "virtualdrive/Model.h"
#include "virtualdrive/SectorStore.h"

namespace kivo::testing {

class ModelDrive {
 public:
  // timeScale 0: long operations end at once.
  explicit ModelDrive(vdrive::MediumKind kind, double timeScale = 0, std::int64_t msPerCommand = 0)
      : msPerCommand_(msPerCommand),
        nodes_({{"sr0", 0, platform::ScsiAddress{0, 0, 0, 0}, false, "KIVO    MODEL DRIVE     1.00"}}) {
    state.timeScale = timeScale;
    vdrive::LoadMedium(state, vdrive::BlankDisc(kind));
    nodes_.responder = [this](const std::vector<unsigned char>& cdb, unsigned char* data, unsigned length) {
      return Answer(cdb, data, length);
    };
  }
  ~ModelDrive() {
    ShutdownTransport();
    SetCloseAfterCommand(true);
  }

  // Starts the transport on the component and selects the model.
  void Attach(TSCSIDevice& device) {
    ASSERT_TRUE(device.InitializeTransport(true, ""));
    ASSERT_EQ(device.DeviceList.size(), 1u);
    device.SelectDevice(device.DeviceList.at(0));
    ASSERT_EQ(device.HostAdapter, 0);
    Forget();
  }

  void EditFaults(const std::function<void(vdrive::Faults&)>& edit) {
    std::lock_guard lock(mutex_);
    edit(faults_);
  }

  std::vector<SentCommand> Sent() {
    std::lock_guard lock(mutex_);
    return nodes_.sent;
  }
  void Forget() {
    std::lock_guard lock(mutex_);
    nodes_.sent.clear();
  }
  // Sectors of the disc as recorded (zeros where nothing was).
  std::vector<std::uint8_t> ReadDisc(std::uint32_t lba, std::uint32_t count) {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> bytes(std::size_t{count} * 2048, 0);
    for (std::uint32_t i = 0; i < count; ++i) sectors_.Read(lba + i, 1, bytes.data() + std::size_t{i} * 2048);
    return bytes;
  }
  vdrive::Disc Disc() {
    std::lock_guard lock(mutex_);
    return state.disc.value();
  }

  vdrive::DriveState state;

 private:
  SgIoReply Answer(const std::vector<unsigned char>& cdb, unsigned char* data, unsigned length) {
    std::lock_guard lock(mutex_);
    vdrive::ScsiRequest request;
    request.cdb = cdb.data();
    request.cdbLength = cdb.size();
    const platform::ScsiDirection direction = nodes_.sent.back().direction;
    request.direction = direction == platform::ScsiDirection::In    ? vdrive::DataDirection::In
                        : direction == platform::ScsiDirection::Out ? vdrive::DataDirection::Out
                                                                    : vdrive::DataDirection::None;
    request.data = data;
    request.dataLength = length;
    nowMs_ += msPerCommand_;
    vdrive::DriveContext context{state, faults_, sectors_, nowMs_};
    const vdrive::ScsiResult result = vdrive::ExecuteCommand(context, request);
    if (context.sectorsCleared) sectors_.Clear();
    SgIoReply reply;
    reply.status = static_cast<unsigned char>(result.status);
    if (result.status == vdrive::ScsiStatus::CheckCondition) reply.sense.assign(result.sense.begin(), result.sense.end());
    return reply;
  }

  const std::int64_t msPerCommand_;
  std::int64_t nowMs_ = 1'000'000;
  std::mutex mutex_;
  vdrive::Faults faults_;
  vdrive::MemorySectorStore sectors_;
  FakeScsiDevices nodes_;
};

}  // namespace kivo::testing
