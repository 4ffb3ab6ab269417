// The drive component: the selected drive's address, the drive list, the last command's error,
// the engine's message channel and the recording lock. Everything a drive operation needs ends
// in ExecuteCommand; the transport underneath is process-wide (see Transport.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/platform/Aspi.h"
#include "engine/platform/Threads.h"

namespace kivo {

class TSCSIDevice;

using TOnDebugMsg =
    std::function<void(TSCSIDevice* Sender, const std::string& Message, std::uint8_t mType)>;
using TDeviceChangedEvent = std::function<void(TSCSIDevice* Sender)>;

// Drive behaviour that belongs to the process rather than to one component, because the threads
// that need it (erase, session close) outlive or do not know the component that set it.
extern std::atomic<bool> SlowReadyQuirk;     // drive needs long pauses before it reports ready
extern std::atomic<bool> ImmediateCloseFlag;  // close track/session with IMMED

// Returned by ExecuteCommand when nothing could be sent (no transport, or no drive selected).
constexpr std::uint32_t kNoTransportOrDevice = 226;
// The address bytes of "no drive selected".
constexpr std::uint8_t kNoDevice = 254;
constexpr int kInquiryBufferSize = 131;

class TSCSIDevice {
 public:
  // Owner is kept only so that a window toolkit can tie the component's life to a window.
  explicit TSCSIDevice(void* Owner = nullptr);
  virtual ~TSCSIDevice();
  TSCSIDevice(const TSCSIDevice&) = delete;
  TSCSIDevice& operator=(const TSCSIDevice&) = delete;

  void* Owner() const { return owner_; }

  // --- transport and drive discovery ---
  bool InitializeTransport(bool PreferPassThrough, const std::string& LibraryPath);
  void QueryHostAdapter(std::uint8_t Adapter);
  void ScanDevices();
  void SelectDevice(const std::string& Id);
  // Short label of the selected drive ("sr0", "V"); empty when unknown.
  std::string DriveLetter();
  // True when the process-wide transport is loaded (the burner publishes it as ASPIInitialized).
  static bool TransportLoaded();

  // INQUIRY (128 bytes) into InquiryBuffer; control characters in the identification are
  // blanked so that vendor and product comparisons see blanks.
  bool Inquiry();

  // --- command execution ---
  // Sends Request to the selected drive; returns kNoTransportOrDevice when nothing was sent,
  // else 1. The outcome is Request.SRB_Status, LastErrorText, TargetBusy and LastSense.
  std::uint32_t ExecuteCommand(SRB_ExecSCSICmd& Request, unsigned Timeout);
  // Reopens the failure-line latch, so the first failed command of a user-started operation is
  // logged in full.
  void BeginUserOperation() { ErrorLogLatch = false; }

  // Raises OnDebugMessage when a handler is assigned. May be called on any thread.
  void DebugMessage(const std::string& Message, std::uint8_t MessageType);

  kivo::platform::RecursiveLock& Lock() { return lock_; }

  // --- state of the selected drive ---
  std::uint8_t HostAdapter = kNoDevice;
  std::uint8_t Target = kNoDevice;
  std::uint8_t Lun = kNoDevice;
  std::int8_t AdapterCount = 0;  // not positive: no adapter is scanned
  std::string DeviceId;
  std::uint8_t InquiryBuffer[kInquiryBufferSize] = {};
  bool DoDebug = false;
  std::vector<std::string> DeviceList;
  TDeviceChangedEvent OnDeviceChange;
  SRB_HAInquiry AdapterInquiry = {};
  TOnDebugMsg OnDebugMessage;

  // Product quirks, set at selection.
  bool UnderrunQuirk = false;    // reports no underrun protection though it has it
  bool LinkSizeQuirk = false;    // needs a link size in the write parameters page
  bool LongFormatQuirk = false;  // formats slowly; waiting needs a longer budget

  std::atomic<bool> Erasing{false};

  // --- outcome of the last command ---
  std::string LastErrorText;
  bool TargetBusy = false;
  std::uint8_t LastSense[kSenseAreaLength] = {};
  // While false, the next failed command is described in a failure line.
  std::atomic<bool> ErrorLogLatch{false};

 private:
  // Capability reading happens at selection, before the drive is asked for its identity.
  void RefreshCapabilities();
  bool SendInquiry();
  void ClearSelection();
  void SetQuirks();

  void* owner_ = nullptr;
  kivo::platform::RecursiveLock lock_;
};

}  // namespace kivo
