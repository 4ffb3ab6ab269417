// The two ways of saving an image: straight into the file on the calling thread, or streamed
// through the cache and writer threads like a recording.

#include "engine/iso/TZelvoBurner.h"
#include "engine/record/CompilationCache.h"
#include "engine/record/Recording.h"

namespace kivo {

std::int32_t TZelvoBurner::SaveISO(const std::string& FileName, bool Quick) {
  if (!Quick) return SaveISOStreamed(FileName);
  // The quick save rebuilds the header stream that a running cache thread reads from.
  return RefuseWhileBusy(*this) ? 0 : SaveISOQuick(FileName);
}

std::int32_t TZelvoBurner::SaveISOStreamed(const std::string& FileName) {
  if (RefuseWhileBusy(*this)) return 0;
  KeepRecordedContent(nullptr);
  WriteAborted = false;
  ISOFileName = FileName;
  TDEntry* importDir = RememberedImportDir();
  PrepareLayout(true, importDir);
  BuildHeader(importDir);
  ActiveBurner = this;
  StartCompilationCache(*this, kBlockSize);
  StartWriterWhenPrimed(true);
  return -1;
}

}  // namespace kivo
