#include "engine/record/Preflight.h"

#include <fmt/printf.h>

#include "engine/drive/MediaKinds.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Files.h"
#include "engine/record/Strings.h"

namespace kivo::preflight {

std::string TestWriteRefusal(bool testWrite, std::uint16_t kind) {
  if (!testWrite) return {};
  switch (kind) {
    case media::kCdR:
    case media::kCdRw:
    case media::kDvdR:
    case media::kDvdRwSequential:
      return {};
    default:
      return fmt::sprintf(recordtext::kTestWriteNotPossible, std::string(MediaNames[kind & 0x0F]));
  }
}

std::string FitRefusal(TZelvoBurner& burner, std::int64_t sectors) {
  const std::uint32_t free = burner.FreeSectors();
  if (free == 0 || sectors <= static_cast<std::int64_t>(free)) return {};
  return fmt::sprintf(recordtext::kSessionDoesNotFit, sectors, free);
}

std::string UnreadableSources(TZelvoBurner& burner) {
  int unreadable = 0;
  std::string error;
  for (const TFEntry* entry : burner.FileList()) {
    if (!entry->CarriesData()) continue;
    switch (platform::CheckReadableFile(entry->SourcePath, nullptr, &error)) {
      case platform::ReadableFile::Yes: continue;
      case platform::ReadableFile::NotRegular: error = fmt::sprintf(recordtext::kNotAFile, entry->SourcePath); break;
      case platform::ReadableFile::Unreadable: break;
    }
    ++unreadable;
    burner.DebugMessage(fmt::sprintf(recordtext::kUnreadableSource, error), 0);
  }
  return unreadable == 0 ? std::string() : fmt::sprintf(recordtext::kUnreadableSources, unreadable);
}

std::string ImageFileRefusal(const std::string& path) {
  std::int64_t size = 0;
  switch (platform::CheckReadableFile(path, &size)) {
    case platform::ReadableFile::NotRegular: return fmt::sprintf(recordtext::kNotAnImageFile, path);
    // The recording's own open names a missing or unreadable file with the system's reason.
    case platform::ReadableFile::Unreadable: return {};
    case platform::ReadableFile::Yes: break;
  }
  return size == 0 ? fmt::sprintf(recordtext::kEmptyImageFile, path) : std::string();
}

}  // namespace kivo::preflight
