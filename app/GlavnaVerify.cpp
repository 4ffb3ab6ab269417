// The verify step after a recording: the new session read back off the window's thread, checked
// against what the recording sent, with its progress in the status bar and every file that is
// not on the disc as recorded named in the log.
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <fmt/printf.h>

#include <atomic>

#include "app/Glavna.h"
#include "app/GlavnaShared.h"
#include "app/OffThread.h"
#include "app/QtText.h"
#include "app/StatusPanels.h"
#include "app/Strings.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/record/DiscCheck.h"
#include "engine/record/Recording.h"

namespace kivo::app {

namespace {

constexpr int kProgressMs = 500;
constexpr std::int64_t kSector = 2048;

// The log line that names a file the check found wanting; empty for a verified one.
std::string_view VerdictPrefix(FileVerdict verdict) {
  switch (verdict) {
    case FileVerdict::Differs: return text::kVerifyDiffers;
    case FileVerdict::Unreadable: return text::kVerifyUnreadable;
    case FileVerdict::Changed: return text::kVerifyChanged;
    case FileVerdict::Verified: break;
  }
  return {};
}

}  // namespace

bool TkivoArdelGL::VerifyRecordedDisc() {
  const auto content = zelvob_->LastRecordedContent();
  if (!content) {
    Log(std::string(text::kVerifyNothing));
    return false;
  }
  Log(std::string(text::kVerifyStarted));
  std::atomic<std::int64_t> read{0};
  const auto sectors = static_cast<int>(content->StreamBytes / kSector);
  SB->Progress()->setMaximum(sectors);
  QTimer progress;
  QObject::connect(&progress, &QTimer::timeout, this, [this, &read, sectors] {
    const std::int64_t bytes = read.load();
    SB->Progress()->setValue(static_cast<int>(bytes / kSector));
    SB->Sizes()->setText(Q(Megabytes(static_cast<double>(bytes)) + "/" + SectorsInMegabytes(sectors) + " MB"));
  });
  progress.start(kProgressMs);
  // The recording's abort flag stops the check as it stops a recording.
  WriteAborted = false;
  TZelvoBurner& burner = *zelvob_;
  const DiscCheck check = RunOffThread<DiscCheck>(
      [&burner, &content, &read] { return CheckRecordedContent(burner, *content, read, WriteAborted); });
  progress.stop();
  SB->Progress()->setValue(static_cast<int>(read.load() / kSector));
  if (check.Aborted) {
    Log(std::string(text::kVerifyStopped));
    return false;
  }
  int good = 0;
  for (std::size_t i = 0; i < check.Files.size(); ++i) {
    const std::string_view prefix = VerdictPrefix(check.Files[i]);
    if (prefix.empty()) {
      ++good;
    } else {
      Log(std::string(prefix) + content->Files[i].Entry->SourcePath);
    }
  }
  for (const SectorRange& range : check.UnreadableStructures) {
    Log(fmt::sprintf(std::string(text::kVerifyDirectoryUnreadable), range.First, range.First + range.Count - 1));
  }
  if (check.StructuresDiffer) Log(std::string(text::kVerifyDirectoryDiffers));
  const bool passed = check.Passed();
  const int bad = static_cast<int>(check.Files.size()) - good;
  Log(passed ? fmt::sprintf(std::string(text::kVerifyPassed), good)
             : fmt::sprintf(std::string(text::kVerifyFailed), good, bad));
  return passed;
}

}  // namespace kivo::app
