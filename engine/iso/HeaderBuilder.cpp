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

void TZelvoBurner::CopyLeadingHeader() {
  const auto& written = HeaderStream.Memory();
  const auto n = static_cast<std::size_t>(std::min<std::int64_t>(HeaderStream.Position(), kLeadingHeaderCopySize));
  LeadingHeaderCopy.assign(kLeadingHeaderCopySize, 0xFF);
  std::copy_n(written.begin(), n, LeadingHeaderCopy.begin());
  LeadingHeaderBytes = static_cast<std::int32_t>(n);
}

bool TZelvoBurner::BuildHeader(TDEntry* ImportDir) {
  importDir_ = ImportDir;
  HeaderStream.Clear();
  // Sized once: a header of a large compilation runs to tens of megabytes.
  HeaderStream.SetSize(HeaderSectors() * kSectorSize);
  const TDateTime now = NowDateTime();
  const TDEntry& root = *RootDirectory();

  for (std::uint32_t i = 0; i < kSystemAreaSectors; ++i) WriteSector(HeaderStream, kZeroSector);

  const VolumeTexts texts{IdSystem,  IdVolume,      IdVolumeSet,  IdPublisher,      IdPreparer,
                          IdApplication, FileCopyright, FileAbstract, FileBibliographic};
  const TreePlacement iso{IsoPathTableSize, IsoPathTableL, IsoPathTableM,
                          IsoDirectoryArea + static_cast<std::uint32_t>(root.IsoDirOffset), root.IsoDirSize};
  const TreePlacement joliet{JolietPathTableSize, JolietPathTableL, JolietPathTableM,
                             JolietDirectoryArea + static_cast<std::uint32_t>(root.JolietDirOffset),
                             root.JolietDirSize};
  WriteSector(HeaderStream, PrimaryDescriptor(texts, iso, VolumeSpaceSize, now));
  if (Bootable) WriteSector(HeaderStream, BootRecordDescriptor(BootCatalogLocation));
  if (JolietFileSystem) {
    WriteSector(HeaderStream, JolietDescriptor(texts, joliet, VolumeSpaceSize, DateCreation, DateModification));
  }
  WriteSector(HeaderStream, TerminatorDescriptor());
  CopyLeadingHeader();

  const auto& order = tree_.IsoDirOrder();
  WritePathTable(HeaderStream, order, DirectoryTree::Iso, IsoDirectoryArea, ByteOrder::Little);
  WritePathTable(HeaderStream, order, DirectoryTree::Iso, IsoDirectoryArea, ByteOrder::Big);
  if (JolietFileSystem) {
    WritePathTable(HeaderStream, order, DirectoryTree::Joliet, JolietDirectoryArea, ByteOrder::Little);
    WritePathTable(HeaderStream, order, DirectoryTree::Joliet, JolietDirectoryArea, ByteOrder::Big);
  }

  // The standard offset stands in only for a date the C library cannot place.
  ZoneOffsets zones(static_cast<std::int8_t>(TimeZoneOffset));
  const auto writeTree = [&](DirectoryTree tree, std::uint32_t area) {
    const DirectoryWriteSettings settings{tree, area, FirstFileLocation, now, &zones};
    const auto addition = RootAddition(tree, now);
    for (const TDEntry* d : DirList()) {
      WriteDirectoryRecords(HeaderStream, *d, settings, d == &root && addition ? &*addition : nullptr);
    }
  };
  writeTree(DirectoryTree::Iso, IsoDirectoryArea);
  if (JolietFileSystem) writeTree(DirectoryTree::Joliet, JolietDirectoryArea);
  if (Bootable) WriteSector(HeaderStream, BootCatalog(BootImageLocation, BootImageSectors));

  ImageSectors = VolumeSpaceSize - SessionStart;
  LayoutValid = true;
  DoDebug = true;
  return true;
}

}  // namespace kivo
