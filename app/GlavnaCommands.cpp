// The main window's image and drive commands: the compilation saved as an image file, an image
// file recorded, the rewritable disc erased, and the tray and readiness commands. Each of them
// is the window's one sender of drive commands while it runs.
#include <QDir>
#include <QFileInfo>

#include <fmt/printf.h>

#include "app/CompilationList.h"
#include "app/DiscFacts.h"
#include "app/FileDialogs.h"
#include "app/Glavna.h"
#include "app/GlavnaShared.h"
#include "app/MessageBoxes.h"
#include "app/QtText.h"
#include "app/StatusPanels.h"
#include "app/Strings.h"
#include "engine/drive/MediaKinds.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::app {

namespace {

constexpr unsigned kEjectSyncTimeoutMs = 300000;
constexpr std::int64_t kSectorBytes = 2048;

// The folder of a file that need not exist yet, with every link resolved.
QString RealFolderOf(const QString& file) {
  const QFileInfo info(file);
  const QString folder = info.absoluteDir().canonicalPath();
  return folder.isEmpty() ? info.absolutePath() : folder;
}

QString RealPath(const QString& path) {
  const QString real = QFileInfo(path).canonicalFilePath();
  return real.isEmpty() ? QFileInfo(path).absoluteFilePath() : real;
}

}  // namespace

QString TkivoArdelGL::ImageNameToSave() {
  FileChoice choice{"sd", QFileDialog::AcceptSave, Q(text::kSaveIsoTitle), Q(text::kSaveIsoPrompt),
                    Q(text::kImageFilter), QStringLiteral("iso"), Q(zelvob_->ISOFileName)};
  const QString image = ChooseFile(this, choice);
  if (image.isEmpty() || !ImageStaysOutOfCompilation(image)) return {};
  if (QFileInfo::exists(image) &&
      !AskYesNo(this, Q(text::kReplaceFileTitle), Text(text::kReplaceImageText, U(image)), BoxIcon::Warning)) {
    return {};
  }
  return image;
}

// An image saved where the compilation takes its files from would be read into itself while it
// is written, or would replace one of its own sources.
bool TkivoArdelGL::ImageStaysOutOfCompilation(const QString& image) {
  const QString imageFolder = RealFolderOf(image);
  const QString imagePath = imageFolder + "/" + QFileInfo(image).fileName();
  for (const CompilationRow& row : clBox->Rows()) {
    const QFileInfo source(row.path);
    if (!source.isDir()) {
      if (RealPath(row.path) != imagePath) continue;
      Inform(this, Text(text::kImageIsSource, U(row.path)));
      return false;
    }
    const QString folder = RealPath(row.path);
    const bool inside = imageFolder == folder || (row.ticked && imageFolder.startsWith(folder + "/"));
    if (!inside) continue;
    Inform(this, Text(text::kImageInCompilation, U(imageFolder)));
    return false;
  }
  return true;
}

void TkivoArdelGL::bSaveISOClick() {
  if (state_ != WindowState::Idle) return;
  const QString image = ImageNameToSave();
  if (image.isEmpty()) return;
  SetState(WindowState::SavingImage);
  Timer1.start();
  zelvob_->ResetCompilation(kMaxFiles, kMaxDirectories);
  leftOut_ = 0;
  // An empty list has said so already; the save ends without a file.
  if (!AddListToBurner() || (zelvob_->DirectoryCount() == 0 && zelvob_->FileCount() == 0)) {
    Timer1.stop();
    SetState(WindowState::Idle);
    return;
  }
  Log(std::string(text::kSaveAddingDone));
  ProcessPendingMessages();
  Log(std::string(text::kSaveStarting));
  zelvob_->PrepareLayout(true, nullptr);
  SB->Progress()->setMaximum(static_cast<int>(zelvob_->ImageSize()));
  SB->Sizes()->setText(Q(SectorsInMegabytes(zelvob_->ImageSize()) + " MB"));
  writeDoneArrived_ = false;
  recordingTestWrite_ = false;
  // A refused streamed start raises no OnWriteDone; the quick save always ends in it.
  if (zelvob_->SaveISO(U(image), Options.QuickSaveISO) == 0 && !writeDoneArrived_) {
    Timer1.stop();
    SetState(WindowState::Idle);
  }
}

void TkivoArdelGL::bBurnISOClick() {
  if (state_ != WindowState::Idle || !transport_) return;
  FileChoice choice{"od", QFileDialog::AcceptOpen, QString(), QString(), Q(text::kImageFilter), QStringLiteral("iso"), QString()};
  const QString image = ChooseFile(this, choice);
  if (image.isEmpty()) return;
  SetState(WindowState::DriveCommand);
  // The image is written from the disc's first sector: every refusal comes before the question,
  // and the question names what is written where.
  const std::int64_t bytes = QFileInfo(image).size();
  if (bytes <= 0) {
    Inform(this, Text(text::kEmptyImage, U(image)));
    SetState(WindowState::Idle);
    return;
  }
  const std::int64_t sectors = (bytes + kSectorBytes - 1) / kSectorBytes;
  if (!FitsOnDisc(sectors, text::kImageDoesNotFitPrefix)) {
    SetState(WindowState::Idle);
    return;
  }
  const std::string medium(MediaNames.at(zelvob_->MediaKind()));
  const QString question = Q(fmt::sprintf(std::string(text::kBurnImageText), U(image), SectorsInMegabytes(sectors), medium));
  if (!AskYesNo(this, Q(text::kBurnImageTitle), question, BoxIcon::Warning)) {
    SetState(WindowState::Idle);
    return;
  }

  std::uint32_t length = 0;
  std::uint32_t free = 0;
  zelvob_->ReadBufferCapacity(length, free);
  SB->DriveBuffer()->setMaximum(static_cast<int>(std::min<std::uint32_t>(length, INT32_MAX)));
  bAbort->setVisible(true);
  Timer1.start();
  Log(std::string(text::kBurnImageStarting) + zelvob_->DeviceId);
  SetState(WindowState::Recording);
  zelvob_->SetWriteSpeed(SelectedSpeed());
  writeDoneArrived_ = false;
  recordingTestWrite_ = zelvob_->TestWrite;
  if (!zelvob_->RecordImageFile(U(image)) && !writeDoneArrived_) {
    Timer1.stop();
    SetState(WindowState::Idle);
    return;
  }
  SB->Progress()->setMaximum(static_cast<int>(zelvob_->ImageSize()));
}

void TkivoArdelGL::bQEraseClick() { EraseCommand(true); }

void TkivoArdelGL::bCEraseClick() { EraseCommand(false); }

void TkivoArdelGL::EraseCommand(bool quick) {
  if (state_ != WindowState::Idle || !transport_) return;
  SetState(WindowState::DriveCommand);
  // A DVD-RAM is rewritable whatever its disc information says; only the quick erase knows it.
  if (!zelvob_->DiscErasable() && !(quick && zelvob_->MediaKind() == media::kDvdRam)) {
    Inform(this, Q(quick ? text::kNotRewritableQuick : text::kNotErasable));
    SetState(WindowState::Idle);
    return;
  }
  if (!AskYesNo(this, Q(quick ? text::kQEraseTitle : text::kCEraseTitle), Q(quick ? text::kQEraseText : text::kCEraseText),
                BoxIcon::Warning)) {
    SetState(WindowState::Idle);
    return;
  }
  StartEraseCommand(quick);
}

// The erase runs on its own thread; until it ends, nothing else may send the drive a command.
void TkivoArdelGL::StartEraseCommand(bool quick) {
  Timer1.start();
  zelvob_->SetWriteSpeed(SelectedSpeed());
  SetState(WindowState::Erasing);
  eraseDoneArrived_ = false;
  if (zelvob_->StartErase(quick) || eraseDoneArrived_) return;
  // Not started and no end to come: say why, and give the window back.
  Log(std::string(text::kEraseNotStarted) + zelvob_->LastErrorText);
  Timer1.stop();
  SetState(WindowState::Idle);
}

void TkivoArdelGL::zelvobEraseDone(bool withError) {
  eraseDoneArrived_ = true;
  Log(std::string(withError ? text::kEraseFailed : text::kEraseSucceeded));
  Timer1.stop();
  if (!withError && Options.EjectWhenDone) zelvob_->LoadEject(true);
  SB->Progress()->setValue(0);
  QApplication::beep();
  Log(std::string(text::kBlankLine));
  SetState(WindowState::Idle);
}

// The tray and readiness commands run on the window's thread, which does not repaint while the
// drive answers.
void TkivoArdelGL::RunDriveCommand(const std::function<void()>& command) {
  if (state_ != WindowState::Idle || !transport_) return;
  SetState(WindowState::DriveCommand);
  command();
  SetState(WindowState::Idle);
}

void TkivoArdelGL::bLoadClick() {
  RunDriveCommand([this] {
    if (zelvob_->LoadEject(false)) {
      Log(std::string(text::kLoaded));
    } else {
      Log(std::string(text::kNotLoaded) + zelvob_->LastErrorText);
    }
  });
}

void TkivoArdelGL::bEjectClick() {
  RunDriveCommand([this] {
    // Whatever the drive still holds is written out and the tray unlocked first; only the
    // eject itself decides the line.
    zelvob_->SynchronizeCache(kEjectSyncTimeoutMs, false);
    zelvob_->PreventAllowRemoval(true);
    Log(std::string(zelvob_->LoadEject(true) ? text::kEjected : text::kNotEjected));
  });
}

void TkivoArdelGL::bReadyClick() {
  RunDriveCommand([this] { Log(std::string(zelvob_->TestUnitReady(kReadyTimeoutMs) ? text::kReady : text::kNotReady)); });
}

}  // namespace kivo::app
