#include "engine/iso/VolumeDescriptors.h"

#include <algorithm>
#include <span>

#include "engine/iso/DirectoryRecords.h"
#include "engine/iso/IsoNames.h"
#include "engine/iso/Strings.h"

namespace kivo {

namespace {

constexpr std::uint8_t kPrimary = 1;
constexpr std::uint8_t kSupplementary = 2;
constexpr std::uint8_t kTerminator = 255;
// The escape sequence that announces the Joliet tree ("%/@": UCS-2, the level without combining
// characters).
constexpr std::uint8_t kJolietEscape[] = {0x25, 0x2F, 0x40};

struct FieldSpan {
  std::size_t at;
  std::size_t width;
};
// Where each identifier goes.
constexpr FieldSpan kSystem{8, 32}, kVolume{40, 32}, kVolumeSet{190, 128}, kPublisher{318, 128},
    kPreparer{446, 128}, kApplication{574, 128}, kCopyright{702, 37}, kAbstract{739, 37}, kBibliographic{776, 37};

// Everything the primary and the supplementary descriptor share.
SectorBytes CommonDescriptor(std::uint8_t type, const TreePlacement& tree, std::int64_t volumeSpaceSize,
                             TDateTime created, TDateTime modified) {
  SectorBytes s = DescriptorHeader(type);
  const std::span<std::uint8_t> bytes(s);
  PutBoth32(bytes, 80, static_cast<std::uint32_t>(volumeSpaceSize));
  PutBoth16(bytes, 120, 1);  // volume set size
  PutBoth16(bytes, 124, 1);  // volume sequence number
  PutBoth16(bytes, 128, static_cast<std::uint16_t>(kSectorSize));
  PutBoth32(bytes, 132, tree.pathTableSize);
  PutLe32(bytes, 140, tree.pathTableL);
  PutBe32(bytes, 148, tree.pathTableM);

  RecordFields root;
  root.extent = tree.rootExtent;
  root.dataLength = static_cast<std::uint32_t>(tree.rootSize);
  root.hasDate = false;
  root.flags = kFlagDirectory;
  constexpr std::uint8_t kRootIdentifier[] = {0x00};
  PutDirectoryRecord(bytes.subspan(156, kDotRecordLength), root, kRootIdentifier, 0);

  WriteDateText(bytes.subspan<813, 17>(), created);
  WriteDateText(bytes.subspan<830, 17>(), modified);
  // Expiration and effective dates: not specified.
  std::fill_n(s.begin() + 847, 16, std::uint8_t{'0'});
  std::fill_n(s.begin() + 864, 16, std::uint8_t{'0'});
  s[881] = 1;  // file structure version
  // An application text of eight characters that this system leaves empty.
  std::fill_n(s.begin() + 1024, 8, std::uint8_t{' '});
  return s;
}

// The identifiers, each padded to its field; the three file identifiers take fileIdWidth bytes.
template <typename Writer>
void PutTexts(SectorBytes& s, const VolumeTexts& t, std::size_t fileIdWidth, Writer write) {
  const std::span<std::uint8_t> bytes(s);
  const auto put = [&](FieldSpan f, const std::string& text) { write(bytes.subspan(f.at, f.width), text); };
  put(kSystem, t.System);
  put(kVolume, t.Volume);
  put(kVolumeSet, t.VolumeSet);
  put(kPublisher, t.Publisher);
  put(kPreparer, t.Preparer);
  put(kApplication, t.Application);
  put({kCopyright.at, fileIdWidth}, t.Copyright);
  put({kAbstract.at, fileIdWidth}, t.Abstract);
  put({kBibliographic.at, fileIdWidth}, t.Bibliographic);
}

}  // namespace

SectorBytes DescriptorHeader(std::uint8_t type) {
  SectorBytes s{};
  s[0] = type;
  std::copy(isotext::kStandardId.begin(), isotext::kStandardId.end(), s.begin() + 1);
  s[6] = 1;
  return s;
}

SectorBytes PrimaryDescriptor(const VolumeTexts& texts, const TreePlacement& tree, std::int64_t volumeSpaceSize,
                              TDateTime now) {
  SectorBytes s = CommonDescriptor(kPrimary, tree, volumeSpaceSize, now, now);
  PutTexts(s, texts, kCopyright.width, [](std::span<std::uint8_t> field, const std::string& text) {
    WritePaddedField(field, IsoDescriptorText(text));
  });
  return s;
}

SectorBytes JolietDescriptor(const VolumeTexts& texts, const TreePlacement& tree, std::int64_t volumeSpaceSize,
                             TDateTime created, TDateTime modified) {
  SectorBytes s = CommonDescriptor(kSupplementary, tree, volumeSpaceSize, created, modified);
  std::copy(std::begin(kJolietEscape), std::end(kJolietEscape), s.begin() + 88);
  // A UTF-16 field holds whole characters: the file identifiers' 37th byte stays zero.
  PutTexts(s, texts, kCopyright.width - 1, [](std::span<std::uint8_t> field, const std::string& text) {
    WriteUcs2BeField(field, text);
  });
  return s;
}

SectorBytes TerminatorDescriptor() { return DescriptorHeader(kTerminator); }

}  // namespace kivo
