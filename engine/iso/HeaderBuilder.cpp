// BuildHeader: the leading sectors of a session, from the system area to the boot catalog, in
// the places PrepareLayout gave them.

#include <algorithm>

#include "engine/iso/DirectoryRecords.h"
#include "engine/iso/ElTorito.h"
#include "engine/iso/PathTables.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/iso/VolumeDescriptors.h"

namespace kivo {

namespace {

constexpr std::size_t kLeadingHeaderCopySize = 65537;

void WriteSector(TStreamEx& out, const SectorBytes& sector) {
  out.Write(sector.data(), static_cast<std::int32_t>(sector.size()));
}

}  // namespace

std::int64_t TZelvoBurner::HeaderSectors() const {
  std::int64_t end = JolietFileSystem ? JolietDirectoryArea + Sectors(JolietDirectoryBytes)
                                      : IsoDirectoryArea + Sectors(IsoDirectoryBytes);
  if (Bootable) end = BootCatalogLocation + 1;
  return end - SessionStart;
}

void TZelvoBurner::CopyLeadingHeader(const std::vector<std::uint8_t>& written) {
  const std::size_t n = std::min(written.size(), kLeadingHeaderCopySize);
  LeadingHeaderCopy.assign(kLeadingHeaderCopySize, 0xFF);
  std::copy_n(written.begin(), n, LeadingHeaderCopy.begin());
  LeadingHeaderBytes = static_cast<std::int32_t>(n);
}

bool TZelvoBurner::BuildHeader(TDEntry* ImportDir) {
  HeaderStream.Clear();
  // Sized once: a header of a large compilation runs to tens of megabytes.
  HeaderStream.SetSize(HeaderSectors() * kSectorSize);
  return WriteHeader(ImportDir, HeaderStream);
}

bool TZelvoBurner::WriteHeader(TDEntry* ImportDir, TStreamEx& out) {
  importDir_ = ImportDir;
  const TDateTime now = NowDateTime();
  const TDEntry& root = *RootDirectory();

  // The system area and the descriptors are kept apart as well: a recording onto overwritable
  // media writes them again at its end.
  TMemoryStreamEx leading;
  for (std::uint32_t i = 0; i < kSystemAreaSectors; ++i) WriteSector(leading, kZeroSector);

  const VolumeTexts texts{IdSystem,  IdVolume,      IdVolumeSet,  IdPublisher,      IdPreparer,
                          IdApplication, FileCopyright, FileAbstract, FileBibliographic};
  const TreePlacement iso{IsoPathTableSize, IsoPathTableL, IsoPathTableM,
                          IsoDirectoryArea + static_cast<std::uint32_t>(root.IsoDirOffset), root.IsoDirSize};
  const TreePlacement joliet{JolietPathTableSize, JolietPathTableL, JolietPathTableM,
                             JolietDirectoryArea + static_cast<std::uint32_t>(root.JolietDirOffset),
                             root.JolietDirSize};
  WriteSector(leading, PrimaryDescriptor(texts, iso, VolumeSpaceSize, now));
  if (Bootable) WriteSector(leading, BootRecordDescriptor(BootCatalogLocation));
  if (JolietFileSystem) {
    WriteSector(leading, JolietDescriptor(texts, joliet, VolumeSpaceSize, DateCreation, DateModification));
  }
  WriteSector(leading, TerminatorDescriptor());
  CopyLeadingHeader(leading.Memory());
  out.Write(leading.Memory().data(), static_cast<std::int32_t>(leading.Memory().size()));

  const auto& order = tree_.IsoDirOrder();
  WritePathTable(out, order, DirectoryTree::Iso, IsoDirectoryArea, ByteOrder::Little);
  WritePathTable(out, order, DirectoryTree::Iso, IsoDirectoryArea, ByteOrder::Big);
  if (JolietFileSystem) {
    WritePathTable(out, order, DirectoryTree::Joliet, JolietDirectoryArea, ByteOrder::Little);
    WritePathTable(out, order, DirectoryTree::Joliet, JolietDirectoryArea, ByteOrder::Big);
  }

  // The standard offset stands in only for a date the C library cannot place.
  ZoneOffsets zones(static_cast<std::int8_t>(TimeZoneOffset));
  const auto writeTree = [&](DirectoryTree tree, std::uint32_t area) {
    const DirectoryWriteSettings settings{tree, area, FirstFileLocation, now, &zones};
    const auto addition = RootAddition(tree, now);
    for (const TDEntry* d : DirList()) {
      WriteDirectoryRecords(out, *d, settings, d == &root && addition ? &*addition : nullptr);
    }
  };
  writeTree(DirectoryTree::Iso, IsoDirectoryArea);
  if (JolietFileSystem) writeTree(DirectoryTree::Joliet, JolietDirectoryArea);
  if (Bootable) WriteSector(out, BootCatalog(BootImageLocation, BootImageSectors));
  // What the last structure left of the header's sectors reads as zeros.
  const std::int64_t end = HeaderSectors() * kSectorSize;
  for (std::int64_t at = out.Seek(0, soFromCurrent); at >= 0 && at < end; at += kSectorSize) {
    out.Write(kZeroSector.data(), static_cast<std::int32_t>(std::min<std::int64_t>(end - at, kSectorSize)));
  }

  ImageSectors = VolumeSpaceSize - SessionStart;
  LayoutValid = true;
  DoDebug = true;
  return true;
}

}  // namespace kivo
