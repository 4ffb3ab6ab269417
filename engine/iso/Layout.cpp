// PrepareLayout: the directory order, the sector of every structure and every file, and the
// sizes that follow from them.

#include <algorithm>

#include "engine/drive/MediaKinds.h"
#include "engine/iso/DirectoryOrder.h"
#include "engine/iso/DirectoryRecords.h"
#include "engine/iso/ElTorito.h"
#include "engine/iso/IsoFields.h"
#include "engine/iso/PathTables.h"
#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo {

namespace {

// A session start this high is a drive's way of saying it has none to give.
constexpr std::uint32_t kImplausibleSessionStart = 0xFF000000u;

std::uint32_t SectorsOf(std::int64_t bytes) { return static_cast<std::uint32_t>(Sectors(bytes)); }

}  // namespace

std::int32_t TZelvoBurner::PrepareLayout(bool ImageMode, TDEntry* ImportDir) {
  BootImageBytes = BootImageFileSize();
  if (BootImageBytes < 0) {
    Bootable = false;
    BootImageBytes = 0;
  }
  DoDebug = false;
  SessionStart = 0;
  if (!ImageMode) PrepareDiscSession(ImportDir);

  OrderDirectories(RootDirectory(), tree_.IsoDirOrder());
  tree_.JolietDirOrder() = tree_.IsoDirOrder();  // the Joliet tables keep the same order and Numbers
  AllocateSectors();
  AssignFileAddresses();
  VolumeSpaceSize = FirstFileLocation + TotalFileSectors;
  ImageSectors = VolumeSpaceSize - SessionStart;
  return 1;
}

// -1 when there is no boot image to be had.
std::int64_t TZelvoBurner::BootImageFileSize() const {
  if (!Bootable || BootImage.empty()) return -1;
  const auto rec = platform::StatPath(BootImage);
  if (!rec || (rec->attributes & platform::kAttrDirectory)) return -1;
  return static_cast<std::int64_t>(rec->size);
}

void TZelvoBurner::PrepareDiscSession(TDEntry* importDir) {
  CurrentMediaKind = MediaKind();
  if (SessionStartRequested) {
    if (!FindSessionStart()) {
      DebugMessage(std::string(isotext::kNoSessionStart), 0);
      SessionStart = 0;
    }
    if (SessionStart > kImplausibleSessionStart) SessionStart = 0;
  }
  if (ImportSessionNumber == 0) return;
  // A remembered directory may have been removed since; the session then goes to the root.
  const auto& dirs = DirList();
  if (std::find(dirs.begin(), dirs.end(), importDir) == dirs.end()) importDir = nullptr;
  ImportSession(static_cast<std::int8_t>(ImportSessionNumber), importDir);
}

void TZelvoBurner::AllocateSectors() {
  const auto& order = tree_.IsoDirOrder();
  std::uint32_t next = SessionStart + kSystemAreaSectors;
  const auto take = [&next](std::uint32_t sectors) {
    const std::uint32_t at = next;
    next += sectors;
    return at;
  };

  PrimaryDescriptorLocation = take(1);
  BootRecordLocation = Bootable ? take(1) : 0;
  JolietDescriptorLocation = JolietFileSystem ? take(1) : 0;
  TerminatorLocation = take(1);

  IsoPathTableSize = PathTableSize(order, DirectoryTree::Iso);
  IsoPathTableL = take(SectorsOf(IsoPathTableSize));
  IsoPathTableM = take(SectorsOf(IsoPathTableSize));
  JolietPathTableSize = JolietFileSystem ? PathTableSize(order, DirectoryTree::Joliet) : 0;
  JolietPathTableL = JolietFileSystem ? take(SectorsOf(JolietPathTableSize)) : 0;
  JolietPathTableM = JolietFileSystem ? take(SectorsOf(JolietPathTableSize)) : 0;

  if (Bootable) bootEntry_ = BootImageEntry(*RootDirectory());
  const auto isoAddition = RootAddition(DirectoryTree::Iso, 0);
  const auto jolietAddition = RootAddition(DirectoryTree::Joliet, 0);
  const auto added = [this](const TDEntry* d, const std::optional<AddedRecord>& addition) {
    return d == RootDirectory() && addition ? &*addition : nullptr;
  };

  std::int64_t isoBytes = 0;
  for (TDEntry* d : DirList()) {
    d->IsoDirOffset = SectorsOf(isoBytes);
    d->IsoDirSize = DirectorySize(*d, DirectoryTree::Iso, added(d, isoAddition));
    isoBytes += d->IsoDirSize;
  }
  IsoDirectoryBytes = isoBytes;
  IsoDirectoryArea = take(SectorsOf(isoBytes));

  std::int64_t jolietBytes = 0;
  for (TDEntry* d : DirList()) {
    d->JolietDirOffset = SectorsOf(jolietBytes);
    d->JolietDirSize = JolietFileSystem ? DirectorySize(*d, DirectoryTree::Joliet, added(d, jolietAddition)) : 0;
    jolietBytes += d->JolietDirSize;
  }
  JolietDirectoryBytes = jolietBytes;
  JolietDirectoryArea = JolietFileSystem ? take(SectorsOf(jolietBytes)) : 0;

  BootCatalogLocation = Bootable ? take(1) : 0;
  BootImageSectors = Bootable ? SectorsOf(BootImageBytes) : 0;
  BootImageLocation = Bootable ? take(BootImageSectors) : 0;

  PaddingSectors = next < kMinimumFirstFileLocation ? kMinimumFirstFileLocation - next : 0;
  FirstFileLocation = next + PaddingSectors;
}

// Files lie back to back in FileList order from FirstFileLocation, each from a sector boundary:
// the order in which the image writers stream them.
void TZelvoBurner::AssignFileAddresses() {
  std::int64_t total = 0;
  for (TFEntry* e : FileList()) {
    if (e->Imported) continue;  // its data stays where an earlier session wrote it
    if (const TDEntry* d = e->DirEntry) {
      e->IsoAddress = d->IsoDirOffset;
      e->JolietAddress = d->JolietDirOffset;
      e->Size = d->IsoDirSize;
      e->JolietSize = d->JolietDirSize;
    } else if (e->CarriesData()) {
      e->IsoAddress = e->JolietAddress = static_cast<std::int32_t>(total);
      e->JolietSize = e->Size;
      total += Sectors(e->Size);
    } else {
      e->IsoAddress = e->JolietAddress = 0;
      e->JolietSize = e->Size;
    }
  }
  TotalFileSectors = total;
}

std::optional<AddedRecord> TZelvoBurner::RootAddition(DirectoryTree tree, TDateTime now) const {
  if (!Bootable) return std::nullopt;
  return BootImageRecord(bootEntry_, tree, BootImageLocation, BootImageBytes, now);
}

std::int64_t TZelvoBurner::ImageSize() const {
  return WritePostGap ? std::max(ImageSectors, kMinimumPostGapSectors) : ImageSectors;
}

}  // namespace kivo
