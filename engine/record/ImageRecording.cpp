// Recording an existing image file sector for sector from LBA 0: no compilation, layout or
// header; the cache streams the file and the writer writes it as it writes a session.
#include <fmt/printf.h>

#include "engine/iso/TZelvoBurner.h"
#include "engine/record/Recording.h"
#include "engine/record/Preflight.h"
#include "engine/record/Strings.h"
#include "engine/record/TCacheThread.h"

namespace kivo {

namespace {

constexpr std::int64_t kSector = 2048;
// What the cache says about the image file: it changed since it was measured.
constexpr std::uint8_t kSourceMessage = 4;

}  // namespace

bool TZelvoBurner::RecordImageFile(const std::string& FileName) {
  if (RefuseWhileBusy(*this)) return false;
  KeepRecordedContent(nullptr);
  ActiveBurner = this;
  WriteAborted = false;
  if (!ClaimForRecording()) return false;
  const std::uint16_t kind = MediaKind();
  const std::int32_t blockSize = BlockSizeForMediaKind(kind);
  std::string refusal = preflight::ImageFileRefusal(FileName);
  if (refusal.empty()) refusal = preflight::TestWriteRefusal(TestWrite, kind);
  if (!refusal.empty()) {
    EndRecording(refusal);
    return false;
  }
  std::int64_t bytes = 0;
  {
    TFileStreamEx file(FileName, fmOpenRead | fmShareDenyNone);
    if (!file.HandleValid()) {
      // The system's reason goes to the log; the result keeps the system's own text.
      DebugMessage(file.LastError(), 0);
      EndRecording(fmt::sprintf(recordtext::kCannotOpenFile, FileName));
      return false;
    }
    bytes = file.Size();
  }
  // The progress and ImageSize refer to the image from now on.
  ImageSectors = (bytes + kSector - 1) / kSector;
  if (const std::string refusal = preflight::FitRefusal(*this, ImageSectors); !refusal.empty()) {
    EndRecording(refusal);
    return false;
  }

  TCacheSetup setup;
  setup.CacheSize = CacheSize();
  setup.HeaderStream = &HeaderStream;  // not read when an image file is streamed
  setup.ImageBytes = ImageSectors * kSector;
  setup.WritePostGap = WritePostGap;   // no post-gap is added to an image file
  setup.BlockSize = blockSize;
  setup.ImageFileName = FileName;
  setup.OnMessage = [this](const std::string& message) { DebugMessage(message, kSourceMessage); };
  ActiveCache = new TCacheThread(std::move(setup));
  return StartWriterWhenPrimed(false);
}

}  // namespace kivo
