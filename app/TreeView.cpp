#include "app/TreeView.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

#include "app/EntryTree.h"
#include "app/FileDialogs.h"
#include "app/MessageBoxes.h"
#include "app/OffThread.h"
#include "app/QtText.h"
#include "app/Strings.h"
#include "engine/iso/EntryWalk.h"
#include "engine/iso/LocalNames.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/iso/TreeExtraction.h"

namespace kivo::app {

namespace {

constexpr int kTreeWidth = 158;
constexpr int kMsgHeight = 25;
constexpr std::uint8_t kLogType = 1;

bool HasSubdirectories(const TDEntry& dir) {
  for (const TFEntry* entry = dir.FirstEntry; entry != nullptr; entry = entry->Next) {
    if (entry->IsDirectory()) return true;
  }
  return false;
}

int FilesBelow(const TDEntry& dir, bool recursive) {
  int files = 0;
  if (recursive) {
    ForEachEntry(&dir, [&files](const TFEntry& entry, const std::string&) { files += entry.IsDirectory() ? 0 : 1; });
    return files;
  }
  for (const TFEntry* entry = dir.FirstEntry; entry != nullptr; entry = entry->Next) files += entry->IsDirectory() ? 0 : 1;
  return files;
}

}  // namespace

TfrmTree::TfrmTree(QWidget* owner, TZelvoBurner& burner)
    : BorderlessDialog(owner, Q(text::kTreeTitle), QSize(626, 419), Centre::OnOwner), burner_(burner) {
  setObjectName("frmTree");
  const EntryViews views = BuildEntryViews(this, GridKind::Browser, kTreeWidth, Q(text::kTreeGridHint));
  tvDir = views.tree;
  fl = views.grid;
  Body()->addWidget(views.splitter, 1);
  Msg = new QPushButton(this);
  Msg->setObjectName("Msg");
  Msg->setFixedHeight(kMsgHeight);
  Msg->setFlat(true);
  Msg->setStyleSheet("QPushButton { text-align: left; padding-left: 4px; border: 1px solid palette(mid); }");
  Body()->addWidget(Msg);
  connect(tvDir, &QTreeWidget::currentItemChanged, this, &TfrmTree::tvdirClick);
  connect(fl, &QTableWidget::cellDoubleClicked, this, &TfrmTree::Extract1Click);
  connect(Msg, &QPushButton::clicked, this, &TfrmTree::MsgClick);
}

void TfrmTree::showEvent(QShowEvent* event) {
  BorderlessDialog::showEvent(event);
  FormShow();
}

void TfrmTree::FormShow() {
  FillDirectoryTree(*tvDir, burner_.FindDirectory("\\"));
  tvdirClick();
}

void TfrmTree::tvdirClick() {
  if (const TDEntry* dir = NodeDirectory(tvDir->currentItem())) FillEntryGrid(*fl, *dir, GridKind::Browser);
}

void TfrmTree::Extract1Click() {
  TFEntry* entry = RowEntry(*fl, fl->currentRow());
  if (entry == nullptr) return;
  if (entry->IsDirectory()) return Inform(this, Text(text::kDirectoryNotOpened, entry->LongName));
  const std::string name = LocalName(entry->LongName);
  if (!StaysInside(name)) return Say(Text(text::kUnsafeName, entry->LongName));
  const FileChoice choice{"extractFile", QFileDialog::AcceptSave, Q(text::kExtractTitle), Q(text::kExtractPrompt),
                          {}, {}, StartFolder() + "/" + Q(name)};
  const QString target = ChooseFile(this, choice);
  if (target.isEmpty() || !MayWrite(target)) return;
  folder_ = QFileInfo(target).absolutePath();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Copy(*entry, U(target));
  QApplication::restoreOverrideCursor();
}

void TfrmTree::MsgClick() {
  const QTreeWidgetItem* node = tvDir->currentItem();
  const TDEntry* dir = NodeDirectory(node);
  if (dir == nullptr) return;
  const FileChoice choice{"extractFolder", QFileDialog::AcceptOpen, Q(text::kExtractFolderTitle),
                          Q(text::kExtractFolderLabel), {}, {}, StartFolder(), FileChoice::Kind::Folder};
  const QString folder = ChooseFile(this, choice);
  if (folder.isEmpty()) return;
  folder_ = folder;
  const bool recursive = HasSubdirectories(*dir) &&
                         AskYesNo(this, Q(text::kSubfoldersTitle), Text(text::kSubfoldersText, U(node->text(0))));
  ExtractFolder(*dir, folder, recursive);
}

void TfrmTree::ExtractFolder(const TDEntry& dir, const QString& folder, bool recursive) {
  QProgressDialog progress(Q(text::kExtractingAll), Q(text::kDialogCancel), 0, FilesBelow(dir, recursive), this);
  progress.setObjectName("extractProgress");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setValue(0);
  int done = 0;
  TreeExtraction how;
  how.recursive = recursive;
  // The user's only chance to cancel comes between two files: the copy itself keeps input out.
  how.stopRequested = [&progress] {
    QApplication::processEvents();
    return progress.wasCanceled();
  };
  how.replaceExisting = [this](const std::string& target) { return MayWrite(Q(target)); };
  how.starting = [this, &progress](const TFEntry& entry, const std::string&) {
    Msg->setText(Q(text::kExtracting) + Q(entry.LongName));
    progress.setLabelText(Msg->text());
  };
  how.copy = [this, &progress, &done](TFEntry& entry, const std::string& target) {
    const bool copied = Copy(entry, target);
    progress.setValue(++done);
    return copied;
  };
  how.leftOut = [this](const TFEntry& entry, LeftOutReason reason, const std::string& detail) {
    if (reason == LeftOutReason::UnsafeName) Say(Text(text::kUnsafeName, entry.LongName));
    if (reason == LeftOutReason::FolderNotMade) Say(Text(text::kFolderNotMade, detail));
  };
  const ExtractionCount count = ExtractTree(burner_, dir, U(folder), how);
  progress.reset();
  const QString summary = (count.stopped ? Q(text::kExtractStopped) : QString()) +
                          Text(text::kExtractCount, count.files, count.failed, count.kept);
  Msg->setText(summary);
  Say(summary);
}

bool TfrmTree::MayWrite(const QString& target) {
  const QFileInfo info(target);
  if (!info.exists() && !info.isSymLink()) return true;
  return AskYesNo(this, Q(text::kReplaceFileTitle), Text(text::kReplaceExtractedText, U(target)), BoxIcon::Warning);
}

bool TfrmTree::Copy(TFEntry& entry, const std::string& target) {
  // A real drive may take its time over a large file: the window keeps painting meanwhile.
  return RunOffThread<bool>([this, &entry, &target] { return burner_.ExtractFile(&entry, target) == 1; });
}

QString TfrmTree::StartFolder() const { return folder_.isEmpty() ? QDir::homePath() : folder_; }

// The log of the window that owns the burner.
void TfrmTree::Say(const QString& line) { burner_.DebugMessage(U(line), kLogType); }

}  // namespace kivo::app
