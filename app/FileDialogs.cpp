#include "app/FileDialogs.h"

#include "app/QtText.h"
#include "app/Strings.h"

namespace kivo::app {

QString ChooseFile(QWidget* parent, const FileChoice& choice) {
  QFileDialog dialog(parent, choice.title);
  dialog.setObjectName(choice.name);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(choice.mode);
  if (choice.kind == FileChoice::Kind::Folder) {
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
  } else {
    dialog.setFileMode(choice.mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  }
  // Qt ships no Serbian texts for its dialog.
  dialog.setLabelText(QFileDialog::LookIn, Q(text::kDialogLookIn));
  dialog.setLabelText(QFileDialog::FileName, choice.fileLabel.isEmpty() ? Q(text::kDialogFileName) : choice.fileLabel);
  dialog.setLabelText(QFileDialog::FileType, Q(text::kDialogFileType));
  dialog.setLabelText(QFileDialog::Accept, Q(choice.mode == QFileDialog::AcceptSave ? text::kDialogSave : text::kDialogOpen));
  dialog.setLabelText(QFileDialog::Reject, Q(text::kDialogCancel));
  if (!choice.filter.isEmpty()) dialog.setNameFilter(choice.filter);
  dialog.setDefaultSuffix(choice.defaultSuffix);
  if (choice.kind == FileChoice::Kind::Folder) {
    dialog.setDirectory(choice.start);
  } else if (!choice.start.isEmpty()) {
    dialog.selectFile(choice.start);
  }
  dialog.setSizeGripEnabled(true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace kivo::app
