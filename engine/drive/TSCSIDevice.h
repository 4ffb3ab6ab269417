// The drive component: the selected drive's address, the drive list, the last command's error,
// the engine's message channel and the recording lock. Everything a drive operation needs ends
// in ExecuteCommand; the transport underneath is process-wide (see Transport.h).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/drive/DiscInformation.h"
#include "engine/drive/DriveCommand.h"
#include "engine/drive/MediaKinds.h"
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
constexpr std::size_t kCapabilitiesPageSize = 516;
constexpr std::size_t kDiscInfoSize = 56;
constexpr std::size_t kTrackInfoSize = 40;
constexpr std::size_t kAtipSize = 26;
// The write parameters page (05h) as the component keeps it: page code, length and 52 bytes.
constexpr std::size_t kWriteParametersPageSize = 54;
// What TEST UNIT READY is given wherever readiness is asked.
constexpr unsigned kReadyTimeoutMs = 5000;

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

  // --- identity and capabilities ---
  // MODE SENSE(10) of a page (current or default values). The destination is zeroed for
  // ClearLength + 1 bytes and receives the reply's first Length bytes; both stop at its end.
  bool ModeSense(std::uint8_t Page, std::span<std::uint8_t> Destination, bool Defaults,
                 std::uint16_t Length, std::uint16_t ClearLength);
  // GET CONFIGURATION; false without sending when the buffer is shorter than Length.
  bool GetConfiguration(std::uint8_t RequestType, std::uint16_t StartingFeature, std::uint8_t Length,
                        std::span<std::uint8_t> Buffer);
  // Reads page 2Ah twice (default, then current values) and the feature descriptors; true when
  // the current page was read. Fills CapabilitiesPage, Capabilities and the maximum speeds.
  bool ReadCapabilities();
  // Speeds in KB/s from a fresh ReadCapabilities; 0 when it failed.
  std::uint16_t MaxWriteSpeed();
  std::uint16_t MaxReadSpeed();
  std::uint16_t CurrentWriteSpeed();
  // READ BUFFER CAPACITY in bytes; a free length of FFFFFFFFh reads as an empty buffer.
  bool ReadBufferCapacity(std::uint32_t& Length, std::uint32_t& Free);
  // The loaded medium's kind (0 to 15), asked of the drive every time.
  std::uint16_t MediaKind();

  // --- disc and track information ---
  bool ReadDiscInfo();
  // Track 0xFF names the invisible track. A number above 0xFF is refused without a command.
  bool ReadTrackInfo(unsigned Track);
  bool ReadToc(std::uint8_t Format, std::span<std::uint8_t> Buffer, bool Msf, std::uint8_t Number,
               std::uint8_t AllocationLength, std::uint8_t Control);
  bool ReadCapacity(std::uint32_t& LastAddress, std::uint32_t& BlockLength);
  bool ReadFormatCapacities(std::uint32_t& SectorCount, std::uint32_t& BlockLength);
  static std::uint32_t MsfToLba(std::uint32_t Hours, std::uint32_t Minutes, std::uint32_t Seconds,
                                std::uint32_t Frames);
  // Fills Disc when the drive is ready (Disc.Ready = 1); otherwise leaves it as it was.
  void GetDiscInfo(TDisc& Disc);
  // 0 empty, 1 open, 2 closed, 3 other; -1 when the disc information cannot be read.
  int DiscStatus();
  std::uint32_t SessionCount();
  std::uint32_t IsoVolumeSize();
  bool DiscErasable();
  // Waits for the drive to leave a long operation; false when the budget ran out.
  bool WaitReady(long Total, long Step);

  // --- drive control ---
  bool TestUnitReady(unsigned Timeout);
  void RezeroUnit();
  bool RequestSense(std::span<std::uint8_t> Buffer, std::uint8_t Length);
  bool FormatUnit(std::uint8_t CdbByte1, std::span<const std::uint8_t> ParameterList);
  bool LoadEject(bool Eject);
  bool PreventAllowRemoval(bool Allow);
  bool ReadSectors(std::uint32_t Address, std::uint16_t Blocks, std::span<std::uint8_t> Buffer);
  // Counts a request still pending (status 0) as done; a request that was never sent fails.
  bool WriteSectors(std::uint32_t Address, std::uint16_t Blocks, std::span<const std::uint8_t> Data,
                    std::uint8_t RequestFlags = kDataOut);
  bool SynchronizeCache(unsigned Timeout, bool Immediate);
  // Lists longer than the command's length field are refused without a command.
  bool ModeSelect(std::span<const std::uint8_t> ParameterList);
  bool CloseTrackSession(bool CloseTrack, bool Immediate, bool Finalize);
  bool CloseTrackSessionRaw(bool Immediate, std::uint8_t CloseFunction, std::uint8_t Byte3,
                            std::uint8_t Byte4, std::uint8_t Byte5);
  bool SendCueSheet(std::span<const std::uint8_t> CueSheet);
  // Speeds in KB/s; 0 is sent as FFFFh, the drive's maximum.
  bool SetSpeed(std::uint16_t ReadSpeed, std::uint16_t WriteSpeed);
  std::uint16_t ReadSpeed() const { return readSpeed_.load(); }
  // Takes effect with the next write-speed setting or SetSpeed.
  void SetReadSpeed(std::uint16_t Value) { readSpeed_.store(Value); }
  std::uint16_t WriteSpeed() const { return writeSpeed_.load(); }
  // Sends SET CD SPEED with the read speed, then keeps the value whatever the drive said.
  void SetWriteSpeed(std::uint16_t Value);
  // --- write set-up ---
  // Sends the write parameters page (05h) set for a recording on Kind; DVD-RAM needs none and
  // gets true without a command. The page's multi-session field follows FinalizeDisc.
  bool SetWriteParameters(bool TestWrite, bool Underrun, bool Finalize, std::uint16_t Kind);
  // SetWriteParameters as a new session is written (Underrun from UnderrunProtection, Finalize
  // set), with FinalizeDisc held true for the call and restored after it: drives report the
  // next writable address and the free blocks by the parameters in force.
  bool SetNewSessionWriteParameters(bool TestWrite, std::uint16_t Kind);
  // Sets the page's multi-session field to "next session allowed" (11b) or "none" (00b),
  // leaving the rest as the drive holds it: it decides whether a session close that follows
  // leaves the disc appendable or finalises it.
  bool SelectMultiSession(bool NextSessionAllowed);
  // The volume space size of the newest primary or supplementary descriptor in sectors 32 down
  // to 16; 0 when none reads.
  std::int32_t FindVolumeEnd();
  // Where the next session starts: the end of the newest volume on overwritable media, the
  // next writable address elsewhere. False when the drive could not tell (Start is then 0).
  bool NextSessionStart(std::uint32_t& Start);
  // The plain state a recording or an erase leaves the drive in: default write parameters,
  // full read speed, tray loaded and unlocked.
  void ReturnToNeutralState();

  // --- disc space, in 2048-byte sectors; 0 when the readings fail ---
  std::uint32_t UsedSectors();
  std::uint32_t FreeSectors();
  std::uint32_t DiscCapacity();

  // Progress of the running erase in percent; 0 when not erasing.
  std::int32_t ErasePercent() const { return Erasing.load() ? EraseProgress.load() : 0; }

  // --- command execution ---
  // Sends Request to the selected drive; returns kNoTransportOrDevice when nothing was sent,
  // else 1. The outcome is Request.SRB_Status, LastErrorText, TargetBusy and LastSense.
  std::uint32_t ExecuteCommand(SRB_ExecSCSICmd& Request, unsigned Timeout);
  // A command without a wrapper here (those only a recording or an erase sends); true when the
  // drive completed it.
  bool SendCommand(const DriveCommand& Command) { return Succeeds(Command); }
  // Takes the selected drive for a recording or an erase of this process, before the first
  // command that changes the disc: the transport's own claim, else RESERVE. False, with
  // LastErrorText saying so, only when another program holds the drive; a drive that knows no
  // reservations is used unclaimed. Taken once however often it is asked.
  bool ClaimDrive();
  // Lets go of the claim; nothing when none is held.
  void ReleaseDrive();
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

  // How sessions are written (published by the burner).
  bool UnderrunProtection = true;
  bool FinalizeDisc = false;
  bool TestWrite = false;
  bool PerformOPC = false;

  // Product quirks, set at selection.
  bool UnderrunQuirk = false;    // reports no underrun protection though it has it
  bool LinkSizeQuirk = false;    // needs a link size in the write parameters page
  bool LongFormatQuirk = false;  // formats slowly; waiting needs a longer budget

  std::atomic<bool> Erasing{false};
  std::atomic<std::int32_t> EraseProgress{0};  // published by the erase thread

  // --- what the drive and disc readings left ---
  // Page 2Ah from its page code byte; after a successful ReadCapabilities the speed and buffer
  // words (bytes 8, 12, 14, 18, 20) are in host order.
  alignas(4) std::array<std::uint8_t, kCapabilitiesPageSize> CapabilitiesPage{};
  std::atomic<std::uint32_t> Capabilities{0};  // Capability bits
  std::atomic<std::uint16_t> DeviceMaxWriteSpeed{0};
  std::atomic<std::uint16_t> DeviceMaxReadSpeed{0};
  // Read by the window's timer while the writer updates them.
  std::atomic<std::uint32_t> DeviceBufferSize{0};
  std::atomic<std::uint32_t> DeviceFreeBufferSize{0};
  alignas(4) std::array<std::uint8_t, kDiscInfoSize> DiscInfoBuffer{};
  alignas(4) std::array<std::uint8_t, kTrackInfoSize> TrackInfo{};
  alignas(4) std::array<std::uint8_t, kAtipSize> AtipBuffer{};
  // The write parameters page as SetWriteParameters last read and set it.
  std::array<std::uint8_t, kWriteParametersPageSize> WriteParametersPage{};
  TDisc DiscRecord;

  // --- outcome of the last command ---
  std::string LastErrorText;
  bool TargetBusy = false;
  std::uint8_t LastSense[kSenseAreaLength] = {};
  // While false, the next failed command is described in a failure line.
  std::atomic<bool> ErrorLogLatch{false};

 private:
  bool SendInquiry();
  // Sends a wrapper's command; the request's final status, or nullopt when nothing was sent.
  std::optional<std::uint8_t> Send(const DriveCommand& Command);
  bool Succeeds(const DriveCommand& Command) { return Send(Command) == SS_COMP; }
  // Whether the last command left "logical unit not ready" in LastSense.
  bool NotReady() const;
  bool ReadAtip();
  // The disc's capacity in sectors from its ATIP: where the last possible lead-out starts.
  // Nothing when the ATIP cannot be read (any medium but CD-R and CD-RW).
  std::optional<std::uint32_t> AtipCapacity();
  // Sets the write parameters page as for a new session and reads the disc information again:
  // the readings the space summaries start from. Returns the media kind it stored.
  std::uint16_t PrepareSpaceReading();
  // The last track in the last session, from the disc information the last reading left.
  unsigned LastTrackInLastSession() const;
  // The current profile from GET CONFIGURATION; nullopt when the drive refused it.
  std::optional<std::uint16_t> CurrentProfile();
  // Ends a wrapper that sends nothing because its arguments cannot be sent as given; the reason
  // becomes the last error.
  bool Refuse(std::string_view Reason);
  void ClearSelection();
  void SetQuirks();

  enum class Claim { None, Transport, Reservation };

  void* owner_ = nullptr;
  kivo::platform::RecursiveLock lock_;
  // Taken on the thread that starts an operation, let go on the one that ends it.
  std::atomic<Claim> claim_{Claim::None};
  std::atomic<std::uint16_t> readSpeed_{0};
  std::atomic<std::uint16_t> writeSpeed_{0};
};

}  // namespace kivo
