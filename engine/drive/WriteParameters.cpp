// The write set-up every recording, erase and space reading shares: the write parameters page
// (05h) by media kind, where the next session starts, and the plain state a recording leaves
// the drive in.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/drive/Capabilities.h"
#include "engine/drive/DiscInformation.h"
#include "engine/drive/MediaKinds.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo {

namespace {

constexpr std::uint8_t kWriteParametersPageCode = 0x05;
constexpr std::uint16_t kModeSenseLength = 512;
// Where drives put the page: behind the header and a block descriptor, behind the header alone,
// or behind the 7-byte header some drives answer with; the plain header when none matches.
constexpr int kPageOffsets[] = {16, 8, 7};
constexpr int kOffsetWhenNoneMatches = 8;

// The list sent back: the mode parameter header (zero: its fields are reserved in MODE SELECT)
// and the page, of which (61 - offset) bytes are taken as far as they fit.
constexpr std::size_t kModeHeaderLength = 8;
constexpr std::size_t kParameterListLength = 60;
constexpr int kCopiedPageBytesBase = 61;

// Page fields.
constexpr int kPageLength = 1;
constexpr int kWriteTypeByte = 2;
constexpr int kTrackModeByte = 3;
constexpr int kDataBlockType = 4;
constexpr int kLinkSize = 5;
constexpr int kPacketSize = 10;
constexpr int kAudioPauseLength = 14;
constexpr int kFirstDriveByte = 16;  // from here on the page stays as the drive sent it

constexpr std::uint8_t kPageLengthValue = 50;
constexpr std::uint8_t kBufe = 0x40;
constexpr std::uint8_t kLinkSizeValid = 0x20;
constexpr std::uint8_t kTestWriteBit = 0x10;
constexpr std::uint8_t kWriteTypeTao = 0x01;
constexpr std::uint8_t kWriteTypeSao = 0x02;
constexpr std::uint8_t kMultiSession = 0xC0;  // 11b: the next session may be written
constexpr std::uint8_t kFixedPacket = 0x20;
constexpr std::uint8_t kTrackModeData = 0x04;
constexpr std::uint8_t kTrackModeDataIncremental = 0x05;
constexpr std::uint8_t kDataBlockMode1 = 8;
constexpr std::uint8_t kDvdLinkSize = 16;
constexpr std::uint32_t kDvdPacketSize = 16;  // one ECC block
constexpr std::uint16_t kAudioPause = 150;
constexpr std::uint8_t kUnderrunBitOfCapabilitiesPage = 0x80;

// Volume descriptors sit from sector 16 on; the newest of several volumes is the last written.
constexpr std::uint32_t kFirstVolumeDescriptor = 16;
constexpr std::uint32_t kLastVolumeDescriptor = 32;
constexpr int kVolumeSpaceSize = 80;

constexpr long kReadyBudgetMs = 10'000;
constexpr long kReadyStepMs = 500;
constexpr std::uint16_t kNeutralWriteSpeed = 2;

// The two ways the drive says it can keep a recording alive through an empty buffer, each only
// when the caller asked for underrun protection.
struct UnderrunBits {
  bool capability;  // the capability set (which also counts the vendor page and product quirks)
  bool page;        // the capabilities page itself
  std::uint8_t Either() const { return (capability || page) ? kBufe : 0; }
  std::uint8_t Capability() const { return capability ? kBufe : 0; }
  std::uint8_t Page() const { return page ? kBufe : 0; }
};

struct PageBytes {
  std::uint8_t writeType;
  std::uint8_t trackMode;
};

// Bytes 2 and 3 by kind. A CD is written track at once; its multi-session field asks for no
// further session while a test write runs or the disc is to be finalised.
PageBytes WriteTypeAndTrackMode(std::uint16_t kind, const UnderrunBits& bufe, std::uint8_t testWrite,
                                std::uint8_t linkSizeQuirk, bool multiSession, bool finalize) {
  switch (kind) {
    case media::kDvdR:
      return {static_cast<std::uint8_t>(kLinkSizeValid | bufe.Either() | testWrite),
              static_cast<std::uint8_t>(kMultiSession | kFixedPacket | kTrackModeDataIncremental)};
    case media::kDvdRwRestricted:
      return {static_cast<std::uint8_t>(kLinkSizeValid | bufe.Page()),
              static_cast<std::uint8_t>(kMultiSession | kTrackModeDataIncremental)};
    // Sequential DVD-RW drives simulate writing like DVD-R drives: without the bit, a test
    // write would record for real.
    case media::kDvdRwSequential:
      return {static_cast<std::uint8_t>(kLinkSizeValid | bufe.Page() | testWrite),
              static_cast<std::uint8_t>(kMultiSession | kTrackModeDataIncremental)};
    case media::kDvdPlusRw:
      return {static_cast<std::uint8_t>(kLinkSizeValid | kWriteTypeSao | bufe.Either() | testWrite), kTrackModeData};
    case media::kDvdPlusR:
      return {static_cast<std::uint8_t>(kLinkSizeValid | kWriteTypeSao | bufe.Either() | testWrite),
              static_cast<std::uint8_t>(kMultiSession | kTrackModeData)};
    case media::kDvdPlusRDl:
      return {static_cast<std::uint8_t>(kLinkSizeValid | kWriteTypeSao | bufe.Capability() | testWrite),
              static_cast<std::uint8_t>((finalize ? kMultiSession : 0) | kTrackModeData)};
    default:
      return {static_cast<std::uint8_t>(kWriteTypeTao | linkSizeQuirk | bufe.Either() | testWrite),
              static_cast<std::uint8_t>((multiSession ? kMultiSession : 0) | kTrackModeData)};
  }
}

bool UsesDvdLinkSize(std::uint16_t kind) {
  return kind == media::kDvdR || kind == media::kDvdRwRestricted || kind == media::kDvdRwSequential ||
         kind == media::kDvdPlusRw;
}

bool UsesFixedPackets(std::uint16_t kind) { return kind == media::kDvdR || kind == media::kDvdPlusR; }

int LocatePage(const std::vector<std::uint8_t>& reply) {
  for (int offset : kPageOffsets) {
    if (reply[static_cast<std::size_t>(offset)] == kWriteParametersPageCode) return offset;
  }
  return kOffsetWhenNoneMatches;
}

// The MODE SELECT list for a page found at offset in the drive's reply.
std::vector<std::uint8_t> ParameterList(const std::uint8_t* page, int offset) {
  std::vector<std::uint8_t> list(kParameterListLength, 0);
  const std::size_t copied = std::min<std::size_t>(static_cast<std::size_t>(kCopiedPageBytesBase - offset),
                                                   kParameterListLength - kModeHeaderLength);
  std::copy_n(page, copied, list.begin() + kModeHeaderLength);
  return list;
}

// Holds FinalizeDisc at a value for a scope and gives the old one back on every way out.
class FinalizeDiscOverride {
 public:
  FinalizeDiscOverride(bool& field, bool value) : field_(field), saved_(field) { field_ = value; }
  ~FinalizeDiscOverride() { field_ = saved_; }
  FinalizeDiscOverride(const FinalizeDiscOverride&) = delete;
  FinalizeDiscOverride& operator=(const FinalizeDiscOverride&) = delete;

 private:
  bool& field_;
  bool saved_;
};

}  // namespace

bool TSCSIDevice::SetWriteParameters(bool TestWrite, bool Underrun, bool Finalize, std::uint16_t Kind) {
  if (Kind == media::kDvdRam) return true;  // written like a hard disc: no page to set

  std::vector<std::uint8_t> reply(kModeSenseLength, 0);
  if (!ModeSense(kWriteParametersPageCode, reply, false, kModeSenseLength, kModeSenseLength - 1)) return false;
  const int offset = LocatePage(reply);
  std::copy_n(reply.begin() + offset, kWriteParametersPageSize, WriteParametersPage.begin());

  const std::uint32_t capabilities = Capabilities.load();
  const UnderrunBits bufe{Underrun && (capabilities & kUnderrunProtection) != 0,
                              Underrun && (CapabilitiesPage[capspage::kFeatures] & kUnderrunBitOfCapabilitiesPage) != 0};
  const std::uint8_t testWrite = (TestWrite && (capabilities & kTestWrite) != 0) ? kTestWriteBit : 0;
  const std::uint8_t linkSizeQuirk = LinkSizeQuirk ? kLinkSizeValid : 0;
  const bool multiSession = !TestWrite && !FinalizeDisc;

  std::uint8_t* page = WriteParametersPage.data();
  std::fill(page + kPageLength, page + kFirstDriveByte, 0);
  page[kPageLength] = kPageLengthValue;
  const PageBytes bytes = WriteTypeAndTrackMode(Kind, bufe, testWrite, linkSizeQuirk, multiSession, Finalize);
  page[kWriteTypeByte] = bytes.writeType;
  page[kTrackModeByte] = bytes.trackMode;
  page[kDataBlockType] = kDataBlockMode1;
  page[kLinkSize] = UsesDvdLinkSize(Kind) ? kDvdLinkSize : 0;
  put32(page + kPacketSize, UsesFixedPackets(Kind) ? kDvdPacketSize : 0);
  put16(page + kAudioPauseLength, kAudioPause);

  return ModeSelect(ParameterList(page, offset));
}

bool TSCSIDevice::SelectMultiSession(bool NextSessionAllowed) {
  std::vector<std::uint8_t> reply(kModeSenseLength, 0);
  if (!ModeSense(kWriteParametersPageCode, reply, false, kModeSenseLength, kModeSenseLength - 1)) return false;
  const int offset = LocatePage(reply);
  std::uint8_t* page = reply.data() + offset;
  const std::uint8_t others = page[kTrackModeByte] & static_cast<std::uint8_t>(~kMultiSession);
  page[kTrackModeByte] = static_cast<std::uint8_t>(others | (NextSessionAllowed ? kMultiSession : 0));
  return ModeSelect(ParameterList(page, offset));
}

bool TSCSIDevice::SetNewSessionWriteParameters(bool TestWrite, std::uint16_t Kind) {
  const FinalizeDiscOverride finalizing(FinalizeDisc, true);
  return SetWriteParameters(TestWrite, UnderrunProtection, true, Kind);
}

std::int32_t TSCSIDevice::FindVolumeEnd() {
  std::vector<std::uint8_t> sector(kLogicalBlockSize);
  for (std::uint32_t lba = kLastVolumeDescriptor; lba >= kFirstVolumeDescriptor; --lba) {
    std::fill(sector.begin(), sector.end(), 0);
    if (!ReadSectors(lba, 1, sector)) continue;
    const bool primaryOrSupplementary = sector[0] == 1 || sector[0] == 2;
    if (primaryOrSupplementary && std::memcmp(&sector[1], "CD001", 5) == 0) {
      return static_cast<std::int32_t>(le32(&sector[kVolumeSpaceSize]));
    }
  }
  return 0;
}

bool TSCSIDevice::NextSessionStart(std::uint32_t& Start) {
  Start = 0;
  WaitReady(kReadyBudgetMs, kReadyStepMs);
  const std::uint16_t kind = MediaKind();
  SetNewSessionWriteParameters(TestWrite, CurrentMediaKind.load());
  WaitReady(kReadyBudgetMs, kReadyStepMs);

  // Overwritable media have no next writable address of their own: a new session goes after
  // the newest volume.
  if (kind == media::kDvdRam || kind == media::kDvdPlusRw) {
    Start = static_cast<std::uint32_t>(FindVolumeEnd());
    return true;
  }
  ReadDiscInfo();
  if (kind == media::kDvdRwRestricted || kind == media::kDvdRwSequential) {
    const bool read = ReadTrackInfo(1);
    const std::uint32_t next = host32(&TrackInfo[trackinfo::kNextWritable]);
    if (read && next != 0) Start = next;
    // A fully formatted disc in restricted overwrite grows no further: its next writable
    // address is the disc's end. It is overwritable throughout, so the session goes after the
    // newest volume, at the ECC block where the drive can start a write.
    if (read && kind == media::kDvdRwRestricted && host32(&TrackInfo[trackinfo::kFreeBlocks]) == 0) {
      Start = media::AlignToEccBlock(static_cast<std::uint32_t>(FindVolumeEnd()));
    }
    return read;
  }
  const bool read = ReadTrackInfo(SessionCount() + 1);
  if (read) Start = host32(&TrackInfo[trackinfo::kNextWritable]);
  return read;
}

void TSCSIDevice::ReturnToNeutralState() {
  SetWriteParameters(false, false, false, media::kCdRom);
  SetSpeed(MaxReadSpeed(), kNeutralWriteSpeed);
  RezeroUnit();
  PreventAllowRemoval(true);
  LoadEject(false);
  RezeroUnit();
  TestUnitReady(kReadyTimeoutMs);
}

}  // namespace kivo
