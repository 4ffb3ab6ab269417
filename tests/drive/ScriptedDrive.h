// A drive whose every answer the test writes: one node on the pass-through, selected by a drive
// component. Replies are scripted per CDB prefix (the longest registered prefix wins); each
// reply is used once and the last one stays. Unscripted commands succeed without data.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"
#include "engine/platform/Threads.h"
#include "tests/drive/FakeScsiDevices.h"

namespace kivo::testing {

struct Reply {
  std::vector<unsigned char> data;   // copied to the start of the host's buffer
  std::vector<unsigned char> sense;  // non-empty: CHECK CONDITION with this sense

  static Reply Data(std::vector<unsigned char> bytes) { return {std::move(bytes), {}}; }
  static Reply Check(unsigned char key, unsigned char asc, unsigned char ascq) {
    std::vector<unsigned char> sense(18, 0);
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;
    sense[12] = asc;
    sense[13] = ascq;
    return {{}, sense};
  }
  static Reply NotReady() { return Check(0x02, 0x04, 0x01); }
};

class ScriptedDrive {
 public:
  // identification: vendor (8), product (16) and revision (4) as INQUIRY reports them.
  explicit ScriptedDrive(std::string identification = "KIVO    SCRIPTED        1.00")
      : nodes_({{"sr0", 0, platform::ScsiAddress{0, 0, 0, 0}, false, std::move(identification)}}) {
    nodes_.responder = [this](const std::vector<unsigned char>& cdb, unsigned char* data, unsigned length) {
      return Answer(cdb, data, length);
    };
    platform::SetTimeScale(0);
    EXPECT_TRUE(device.InitializeTransport(true, ""));
    device.SelectDevice(device.DeviceList.at(0));
    EXPECT_EQ(device.HostAdapter, 0);
    nodes_.sent.clear();
  }
  ~ScriptedDrive() {
    ShutdownTransport();
    SetCloseAfterCommand(true);
    platform::SetTimeScale(1);
  }

  void On(std::vector<unsigned char> cdbPrefix, std::vector<Reply> replies) {
    script_.push_back({std::move(cdbPrefix), std::move(replies)});
  }
  void Forget() { script_.clear(); }

  const std::vector<SentCommand>& Sent() const { return nodes_.sent; }
  std::vector<unsigned char> Opcodes() const {
    std::vector<unsigned char> codes;
    for (const auto& command : nodes_.sent) codes.push_back(command.cdb.at(0));
    return codes;
  }
  void ClearSent() { nodes_.sent.clear(); }
  std::size_t OpenHandles() const { return nodes_.OpenHandles(); }

  TSCSIDevice device;

 private:
  struct Entry {
    std::vector<unsigned char> prefix;
    std::vector<Reply> replies;
  };

  SgIoReply Answer(const std::vector<unsigned char>& cdb, unsigned char* data, unsigned length) {
    Entry* best = nullptr;
    for (auto& entry : script_) {
      const bool matches = entry.prefix.size() <= cdb.size() &&
                           std::equal(entry.prefix.begin(), entry.prefix.end(), cdb.begin());
      if (matches && (best == nullptr || entry.prefix.size() > best->prefix.size())) best = &entry;
    }
    if (best == nullptr || best->replies.empty()) return {};
    const Reply reply = best->replies.front();
    if (best->replies.size() > 1) best->replies.erase(best->replies.begin());
    if (data != nullptr && !reply.data.empty()) {
      std::memcpy(data, reply.data.data(), std::min<std::size_t>(reply.data.size(), length));
    }
    SgIoReply outcome;
    if (!reply.sense.empty()) {
      outcome.status = 0x02;
      outcome.sense = reply.sense;
    }
    return outcome;
  }

  FakeScsiDevices nodes_;
  std::vector<Entry> script_;
};

}  // namespace kivo::testing
