// The burn workflow of the main window: the list turned into the burner's compilation, the
// confirmation, the recording with its 500 ms progress, and its end.
#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <fmt/printf.h>

#include "app/CompilationList.h"
#include "app/DiscLayout.h"
#include "app/Glavna.h"
#include "app/GlavnaShared.h"
#include "app/MessageBoxes.h"
#include "app/QtText.h"
#include "app/Speeds.h"
#include "app/StatusPanels.h"
#include "app/Strings.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/NumberFormat.h"

namespace kivo::app {

namespace {

constexpr std::int32_t kAllAttributes = 63;
constexpr int kLongestName = 107;  // UTF-16 units

}  // namespace

void TkivoArdelGL::bBurnClick() {
  // A click that arrives while anything runs (also from nested event processing) is ignored.
  if (state_ != WindowState::Idle || !transport_) return;
  SetState(WindowState::DriveCommand);
  std::uint32_t length = 0;
  std::uint32_t free = 0;
  zelvob_->ReadBufferCapacity(length, free);
  SB->DriveBuffer()->setMaximum(static_cast<int>(std::min<std::uint32_t>(length, INT32_MAX)));
  if (cbSpeed->currentIndex() < 0) cbSpeed->setCurrentIndex(0);
  zelvob_->SetWriteSpeed(SelectedSpeed());
  ProcessPendingMessages();

  zelvob_->ResetCompilation(kMaxFiles, kMaxDirectories);
  leftOut_ = 0;
  if (!AddListToBurner()) {
    SetState(WindowState::Idle);
    return;
  }
  Log(std::string(text::kAddingDone));
  ProcessPendingMessages();
  if (zelvob_->DirectoryCount() == 0 && zelvob_->FileCount() == 0) {
    Log(std::string(text::kNothingToRecord));
    SetState(WindowState::Idle);
    return;
  }
  if (Options.ShowFilesBeforeWrite) {
    // However the editor is closed, the recording goes on with what is left.
    TfrmDiscLayout editor(this, *zelvob_);
    editor.exec();
  }

  zelvob_->PrepareLayout(false, nullptr);
  SB->Progress()->setMaximum(static_cast<int>(zelvob_->ImageSize()));
  if (!FitsOnDisc(zelvob_->ImageSize(), text::kDoesNotFitPrefix)) {
    SetState(WindowState::Idle);
    return;
  }
  const QString question = Q(fmt::sprintf(std::string(text::kConfirmBurnText), SectorsInMegabytes(zelvob_->ImageSize())));
  if (!AskYesNo(this, Q(text::kConfirmBurnTitle), question)) {
    Timer1.stop();
    SetState(WindowState::Idle);
    return;
  }

  zelvob_->BuildHeader(nullptr);
  bAbort->setVisible(true);
  Timer1.start();
  Log(std::string(text::kStartingOn) + zelvob_->DeviceId);
  SetState(WindowState::Recording);
  writeDoneArrived_ = false;
  recordingTestWrite_ = zelvob_->TestWrite;
  // A refused start (another recording or erase runs) raises no OnWriteDone: the window returns
  // to Idle itself.
  if (!zelvob_->RecordCompilation() && !writeDoneArrived_) {
    Timer1.stop();
    SetState(WindowState::Idle);
  }
}

bool TkivoArdelGL::FitsOnDisc(std::int64_t sectors, std::string_view prefix) {
  const std::uint32_t free = zelvob_->FreeSectors();
  // Without a reading the engine itself reports what stops the recording.
  if (free == 0 || sectors <= free) return true;
  Log(std::string(text::kDoesNotFitLog));
  Inform(this, Q(prefix) + Q(SectorsInMegabytes(sectors)) + Q(text::kDoesNotFitMiddle) +
                   Q(SectorsInMegabytes(free)) + Q(text::kDoesNotFitSuffix));
  return false;
}

void TkivoArdelGL::bAbortClick() {
  // Only a running recording or save can be aborted: a stray click must not leave an abort
  // request behind.
  if (state_ != WindowState::Recording && state_ != WindowState::SavingImage) return;
  zelvob_->AbortRecording();
  bAbort->setVisible(false);
}

void TkivoArdelGL::Timer1Timer() {
  TZelvoBurner& b = *zelvob_;
  if (b.Erasing.load()) {
    SB->Progress()->setMaximum(100);
    SB->Progress()->setValue(b.ErasePercent());
    return;
  }
  const std::int64_t written = b.BytesWritten.load();
  SB->Sizes()->setText(Q(Megabytes(static_cast<double>(written)) + "/" + SectorsInMegabytes(b.ImageSize()) + " MB"));
  SB->CacheFill()->setValue(b.CacheFillPercent());
  SB->Progress()->setValue(static_cast<int>(written / 2048));
  SB->Progress()->setMaximum(static_cast<int>(b.ImageSize()));
  const std::uint32_t size = b.DeviceBufferSize.load();
  const std::uint32_t freeBytes = b.DeviceFreeBufferSize.load();
  if (size >= freeBytes) SB->DriveBuffer()->setValue(static_cast<int>(std::min<std::uint32_t>(size - freeBytes, INT32_MAX)));
}

void TkivoArdelGL::zelvobWriteDone(const std::string& error) {
  writeDoneArrived_ = true;
  const bool recording = state_ == WindowState::Recording;
  Timer1.stop();
  Timer1Timer();
  if (!error.empty()) {
    Log(std::string(text::kFinishedWithErrors));
    Log(std::string(text::kErrorPrefix) + error);
  } else {
    Log(std::string(text::kSucceeded));
    if (leftOut_ > 0) Log(fmt::sprintf(std::string(text::kLeftOutCount), leftOut_));
    // A test write leaves the disc as it was: there is nothing to verify, and the files have
    // not been backed up. Neither have they on a disc that fails its verify.
    const bool verified = !Options.VerifyAfterRecording || !recording || recordingTestWrite_ || VerifyRecordedDisc();
    if (Options.ArchiveOnly && recording && !recordingTestWrite_ && verified) zelvob_->ClearArchiveAttributes();
    if (Options.EjectWhenDone) zelvob_->LoadEject(true);
  }
  zelvob_->ResetCompilation(kMaxFiles, kMaxDirectories);
  QApplication::beep();
  bAbort->setVisible(false);
  Log(std::string(text::kBlankLine));
  SetState(WindowState::Idle);
}

void TkivoArdelGL::bClearClick() {
  if (state_ != WindowState::Idle) return;
  clBox->clear();
  zelvob_->ResetCompilation(kMaxFiles, kMaxDirectories);
}

bool TkivoArdelGL::AddListToBurner() {
  TZelvoBurner& b = *zelvob_;
  if (Options.SessionToImport != 0) {
    b.ImportSessionNumber = 0;
    // A disc with sessions recorded over without the import would hide its earlier files for
    // good: a failed import stops the command. A blank disc has nothing to import.
    if (!b.ImportSession(Options.SessionToImport, nullptr) && b.SessionCount() > 0) {
      Log(std::string(text::kImportFailed));
      return false;
    }
  }
  const QList<CompilationRow> rows = clBox->Rows();
  if (rows.isEmpty()) {
    Inform(this, Q(text::kEmptyList));
    return true;
  }
  const KeepPath keepPath = KeepPathState();
  b.KeepLastFolderOnly = keepPath == KeepPath::Grayed;
  const bool keep = keepPath != KeepPath::Unchecked;
  for (const CompilationRow& row : rows) {
    const QFileInfo source(row.path);
    if (source.isDir()) {
      b.AddDirectory(b.RootDirectory(), U(row.path), Options.ArchiveOnly, keep, row.ticked, kAllAttributes, "*.*");
    } else if (source.exists()) {
      b.AddFile("\\", U(row.path), keep);
    } else {
      // The row's source is gone since it was added: say so rather than record less in silence.
      Log(std::string(text::kSkipMissingRow) + U(row.path));
      ++leftOut_;
    }
  }
  b.RemoveEmptyDirectories();
  return true;
}

void TkivoArdelGL::zelvobAddFile(const std::string& fullPath, const std::string& longName, bool& skip) {
  const bool skippedBefore = skip;
  const std::size_t dot = longName.rfind('.');
  if (dot != std::string::npos && longName.compare(dot, std::string::npos, ".doc") == 0) {
    Log(std::string(text::kSkipDoc) + fullPath);
    skip = true;
  }
  if (!fullPath.empty()) {
    QFile file(Q(fullPath));
    if (!file.open(QIODevice::ReadOnly)) {
      Log(std::string(text::kSkipInUse) + fullPath);
      skip = true;
    }
  }
  if (Q(longName).size() > kLongestName) {
    Log(std::string(text::kSkipLongName) + fullPath);
    skip = true;
  }
  if (skip && !skippedBefore) ++leftOut_;
  if (!skip) SB->Sizes()->setText(Q(Megabytes(static_cast<double>(zelvob_->CompilationBytes)) + " MB"));
}

}  // namespace kivo::app
