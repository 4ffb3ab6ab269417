#include "app/FileDialogs.h"

namespace kivo::app {

QString ChooseFile(QWidget* parent, const FileChoice& choice) {
  QFileDialog dialog(parent, choice.title);
  dialog.setObjectName(choice.name);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(choice.mode);
  dialog.setFileMode(choice.mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (!choice.fileLabel.isEmpty()) dialog.setLabelText(QFileDialog::FileName, choice.fileLabel);
  dialog.setNameFilter(choice.filter);
  dialog.setDefaultSuffix(choice.defaultSuffix);
  if (!choice.start.isEmpty()) dialog.selectFile(choice.start);
  dialog.setSizeGripEnabled(true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace kivo::app
