#include "engine/drive/Transport.h"

#include <atomic>
#include <mutex>
#include <set>
#include <utility>

#include "engine/drive/AspiLibraryTransport.h"
#include "engine/drive/PassThroughTransport.h"
#include "engine/drive/Strings.h"
#include "engine/platform/Aspi.h"

namespace kivo {

namespace {

// Loading and unloading happen under the mutex; senders only read the active pointer, since
// the transport is never changed while a command is on its way.
struct TransportState {
  std::mutex mutex;
  std::atomic<AspiTransport*> active{nullptr};
  std::string name;
  bool preferPassThrough = true;
  PassThroughTransport passThrough;
  AspiLibraryTransport library;
  std::vector<std::string> notes;      // not yet handed out
  std::set<std::string> notesGiven;    // a reload probes again, but says nothing twice
  std::atomic<bool> closeAfterCommand{true};
};

// Never destroyed: a library's own threads may still run while the process exits, and
// unloading it under them would pull their code away.
TransportState& State() {
  static TransportState* state = new TransportState;
  return *state;
}

void InstallPassThroughIfDrives(TransportState& state) {
  std::vector<std::string> notes;
  state.passThrough.Scan(notes);
  for (auto& note : notes) {
    if (state.notesGiven.insert(note).second) state.notes.push_back(std::move(note));
  }
  if (state.passThrough.PresentCount() > 0) {
    state.active.store(&state.passThrough);
    state.name = text::kPassThroughName;
  }
}

}  // namespace

bool LoadTransport(bool preferPassThrough, const std::string& libraryPath) {
  auto& state = State();
  std::lock_guard guard(state.mutex);
  if (preferPassThrough) InstallPassThroughIfDrives(state);
  if (state.active.load() == nullptr && state.library.Load(libraryPath)) {
    state.active.store(&state.library);
    state.name = text::kAspiLibraryName;
  }
  if (state.active.load() == nullptr) InstallPassThroughIfDrives(state);
  if (AspiTransport* transport = state.active.load()) transport->GetASPI32SupportInfo();
  state.preferPassThrough = preferPassThrough;
  return state.active.load() != nullptr;
}

bool ReloadTransport() {
  auto& state = State();
  bool prefer = true;
  {
    std::lock_guard guard(state.mutex);
    if (state.name != text::kPassThroughName) {
      if (state.active.load() == &state.library) state.active.store(nullptr);
      state.library.Unload();
    } else {
      state.active.store(nullptr);
      state.passThrough.Shutdown();
    }
    state.name.clear();
    prefer = state.preferPassThrough;
  }
  LoadTransport(prefer, std::string());
  return true;
}

bool UnloadAspiLibrary() {
  auto& state = State();
  std::lock_guard guard(state.mutex);
  if (state.active.load() == &state.library) {
    state.active.store(nullptr);
    state.name.clear();
  }
  return state.library.Unload();
}

void ShutdownTransport() {
  auto& state = State();
  std::lock_guard guard(state.mutex);
  state.active.store(nullptr);
  state.name.clear();
  state.library.Unload();
  state.passThrough.Shutdown();
}

void SetCloseAfterCommand(bool value) { State().closeAfterCommand.store(value); }

bool CloseAfterCommand() { return State().closeAfterCommand.load(); }

bool IsTransportLoaded() { return State().active.load() != nullptr; }

std::string TransportName() {
  auto& state = State();
  std::lock_guard guard(state.mutex);
  return state.name;
}

std::uint32_t SendAspiRequest(void* srb) {
  AspiTransport* transport = State().active.load();
  return transport != nullptr ? transport->SendASPI32Command(srb) : std::uint32_t{SS_INVALID_CMD};
}

std::uint32_t SendAspiRequest(void* srb, unsigned timeoutMs, int& systemError) {
  systemError = 0;
  AspiTransport* transport = State().active.load();
  return transport != nullptr ? transport->SendRequest(srb, timeoutMs, systemError) : std::uint32_t{SS_INVALID_CMD};
}

std::uint32_t AspiSupportInfo() {
  AspiTransport* transport = State().active.load();
  return transport != nullptr ? transport->GetASPI32SupportInfo()
                              : static_cast<std::uint32_t>(SS_NO_ADAPTERS) << 8;
}

std::string TransportDriveLabel(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) {
  AspiTransport* transport = State().active.load();
  return transport != nullptr ? transport->DriveLabel(hostAdapter, target, lun) : std::string();
}

DriveClaim ClaimTransportDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) {
  AspiTransport* transport = State().active.load();
  return transport != nullptr ? transport->ClaimDrive(hostAdapter, target, lun) : DriveClaim::NotPossible;
}

void ReleaseTransportDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) {
  if (AspiTransport* transport = State().active.load()) transport->ReleaseDrive(hostAdapter, target, lun);
}

std::vector<std::string> TakeTransportNotes() {
  auto& state = State();
  std::lock_guard guard(state.mutex);
  return std::exchange(state.notes, {});
}

}  // namespace kivo
