#include "engine/record/CompilationCache.h"

#include "engine/iso/TZelvoBurner.h"

namespace kivo {

namespace {

constexpr std::int64_t kSector = 2048;
// What the cache says about its sources: they changed since they were added.
constexpr std::uint8_t kSourceMessage = 4;

}  // namespace

void StartCompilationCache(TZelvoBurner& Burner, std::int32_t BlockSize) {
  TCacheSetup setup;
  setup.CacheSize = Burner.CacheSize();
  setup.HeaderStream = &Burner.HeaderStream;
  // The session's own sectors: the 300-sector minimum of a post-gap is the cache's to add.
  setup.ImageBytes = (Burner.VolumeSpaceSize - Burner.SessionStart) * kSector;
  setup.BootImageSectors = static_cast<std::int32_t>(Burner.BootImageSectors);
  if (Burner.Bootable) setup.BootImagePath = Burner.BootImage;
  setup.PaddingSectors = static_cast<std::int32_t>(Burner.PaddingSectors);
  setup.WritePostGap = Burner.WritePostGap;
  setup.BlockSize = BlockSize;
  setup.FileList = Burner.FileList();
  setup.OnMessage = [&Burner](const std::string& message) { Burner.DebugMessage(message, kSourceMessage); };
  ActiveCache = new TCacheThread(std::move(setup));
}

}  // namespace kivo
