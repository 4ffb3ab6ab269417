#include "app/MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "app/QtText.h"
#include "app/Strings.h"

namespace kivo::app {

bool AskYesNo(QWidget* parent, const QString& title, const QString& text, BoxIcon icon) {
  QMessageBox box(icon == BoxIcon::Warning ? QMessageBox::Warning : QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
  box.setObjectName("question");
  QPushButton* yes = box.addButton(Q(text::kYes), QMessageBox::YesRole);
  QPushButton* no = box.addButton(Q(text::kNo), QMessageBox::NoRole);
  yes->setObjectName("yes");
  no->setObjectName("no");
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

void Inform(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Information, Q(text::kAppTitle), text, QMessageBox::NoButton, parent);
  box.setObjectName("message");
  box.addButton(Q(text::kOk), QMessageBox::AcceptRole)->setObjectName("ok");
  box.exec();
}

}  // namespace kivo::app
