// ImportSession: which session, where its track starts, and which of its volume descriptors
// leads to the tree that is read.

#include "engine/iso/SessionImport.h"

#include <fmt/printf.h>

#include <array>
#include <cstring>
#include <optional>

#include "engine/drive/BigEndian.h"
#include "engine/iso/SessionImportWalk.h"
#include "engine/iso/SessionTrack.h"
#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo {

namespace {

constexpr std::uint32_t kFirstDescriptor = 16;
constexpr std::uint32_t kLastDescriptor = 36;
constexpr std::uint8_t kPrimaryDescriptor = 1;
constexpr std::uint8_t kSupplementaryDescriptor = 2;
constexpr std::uint8_t kTerminator = 255;
constexpr std::size_t kRootExtent = 158;
constexpr std::size_t kRootDataLength = 166;
constexpr std::size_t kEscapeSequences = 88;
constexpr std::uint8_t kBootRecord = 0;
constexpr std::size_t kBootSystemId = 7;
constexpr std::size_t kBootCatalogLocation = 71;
// The catalog's validation entry ends in its key bytes; the default entry after it gives the
// image's first sector.
constexpr std::size_t kCatalogKey = 30;
constexpr std::size_t kDefaultEntryImage = 40;

// A supplementary descriptor is a Joliet one only with a UCS-2 escape sequence ("%/@", "%/C"
// or "%/E"); any other (an enhanced descriptor, say) holds names that are not UCS-2.
bool AnnouncesJoliet(const std::uint8_t* descriptor) {
  const std::uint8_t* e = descriptor + kEscapeSequences;
  return e[0] == '%' && e[1] == '/' && (e[2] == '@' || e[2] == 'C' || e[2] == 'E');
}

// Where the session's boot image starts, when its descriptors name a boot catalog with a valid
// default entry. A bootable session lists its image as a hidden file in the root, which is the
// writer's own record and no file of the user's.
std::optional<std::uint32_t> BootImageStart(const SessionSource& source) {
  std::array<std::uint8_t, kImportSectorSize> sector{};
  for (std::uint32_t offset = kFirstDescriptor; offset <= kLastDescriptor; ++offset) {
    if (source.start > UINT32_MAX - offset) break;
    sector.fill(0);
    if (!source.read(source.start + offset, 1, sector) || std::memcmp(&sector[1], "CD001", 5) != 0) continue;
    if (sector[0] == kTerminator) break;
    if (sector[0] != kBootRecord ||
        std::memcmp(&sector[kBootSystemId], isotext::kBootSystemId.data(), isotext::kBootSystemId.size()) != 0) {
      continue;
    }
    const std::uint32_t catalog = le32(&sector[kBootCatalogLocation]);
    sector.fill(0);
    if (!source.read(catalog, 1, sector)) return std::nullopt;
    if (sector[0] != 1 || sector[kCatalogKey] != 0x55 || sector[kCatalogKey + 1] != 0xAA) return std::nullopt;
    return le32(&sector[kDefaultEntryImage]);
  }
  return std::nullopt;
}

// Walks the descriptors after the session start for one of the wanted type; true when its tree
// was read.
bool ImportFromDescriptor(TZelvoBurner& burner, const SessionSource& source, std::uint8_t wanted, TDEntry* dir) {
  std::array<std::uint8_t, kImportSectorSize> sector{};
  for (std::uint32_t offset = kFirstDescriptor; offset <= kLastDescriptor; ++offset) {
    if (source.start > UINT32_MAX - offset) break;
    sector.fill(0);
    if (!source.read(source.start + offset, 1, sector)) continue;
    if (std::memcmp(&sector[1], "CD001", 5) != 0) continue;
    if (sector[0] == kTerminator) break;
    if (sector[0] != wanted) continue;
    if (wanted == kSupplementaryDescriptor && !AnnouncesJoliet(sector.data())) continue;
    const DirectoryTree tree = wanted == kSupplementaryDescriptor ? DirectoryTree::Joliet : DirectoryTree::Iso;
    SessionTreeWalk(burner, source, tree, BootImageStart(source))
        .Run(le32(&sector[kRootExtent]), le32(&sector[kRootDataLength]), dir);
    return true;
  }
  return false;
}

}  // namespace

bool ImportSessionTree(TZelvoBurner& burner, const SessionSource& source, int session, TDEntry* dir) {
  if (ImportFromDescriptor(burner, source, kSupplementaryDescriptor, dir)) return true;
  if (ImportFromDescriptor(burner, source, kPrimaryDescriptor, dir)) return true;
  burner.DebugMessage(fmt::sprintf(isotext::kImportNoVolume, session), 4);
  return false;
}

bool TZelvoBurner::ImportSession(std::int8_t Session, TDEntry* Dir) {
  if (Dir == nullptr) Dir = RootDirectory();
  const std::uint32_t last = SessionCount();
  if (last == 0) return false;
  int session = Session;
  if (session == -1 || session > static_cast<int>(last)) session = static_cast<int>(last);
  if (session == 0) return false;
  DebugMessage(fmt::sprintf(isotext::kImportingSession, session), 1);

  const std::optional<SessionData> data = session > 0 ? FindSessionData(*this, static_cast<unsigned>(session))
                                                      : std::nullopt;
  if (!data) {
    DebugMessage(fmt::sprintf(isotext::kImportTrackUnreadable, session), 4);
    return false;
  }
  SessionSource source;
  source.start = data->start;
  // The session's directories lie within its own tracks or before them (earlier sessions).
  std::uint32_t lastAddress = 0, blockLength = 0;
  if (data->end != 0) {
    source.end = data->end;
  } else if (ReadCapacity(lastAddress, blockLength) && lastAddress < UINT32_MAX) {
    source.end = lastAddress + 1;
  }
  source.read = [this](std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> sectors) {
    return ReadSectors(lba, static_cast<std::uint16_t>(count), sectors);
  };
  return ImportSessionTree(*this, source, session, Dir);
}

}  // namespace kivo
