#include "engine/drive/TSCSIDevice.h"

#include "engine/drive/Transport.h"

namespace kivo {

std::atomic<bool> SlowReadyQuirk{false};
std::atomic<bool> ImmediateCloseFlag{true};

TSCSIDevice::TSCSIDevice(void* Owner) : owner_(Owner) {
  if (IsTransportLoaded()) {
    QueryHostAdapter(0);
    ScanDevices();
  }
}

TSCSIDevice::~TSCSIDevice() = default;

bool TSCSIDevice::TransportLoaded() { return IsTransportLoaded(); }

bool TSCSIDevice::InitializeTransport(bool PreferPassThrough, const std::string& LibraryPath) {
  bool loaded = false;
  try {
    loaded = LoadTransport(PreferPassThrough, LibraryPath);
  } catch (...) {
    // A library that throws while loading is as good as absent.
    loaded = false;
  }
  // Whatever kept a drive out of reach is worth a line even when nothing loaded: it is usually
  // the reason why.
  for (const auto& note : TakeTransportNotes()) DebugMessage(note, 0);
  if (loaded) {
    QueryHostAdapter(0);
    ScanDevices();
  }
  return loaded;
}

void TSCSIDevice::DebugMessage(const std::string& Message, std::uint8_t MessageType) {
  if (OnDebugMessage) OnDebugMessage(this, Message, MessageType);
}

}  // namespace kivo
