// The program's small borderless dialogs: a fixed size, the program's dark caption bar with the
// title and a close button, and moved by a press on the caption or on the bare background, as
// the system's own caption would move them. Shown modally, centred where the caller asks.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kivo::app {

class BorderlessDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Centre { OnOwner, OnScreen };
  BorderlessDialog(QWidget* owner, const QString& title, QSize size, Centre centre);

 protected:
  // Where the dialog's controls go, below the caption bar.
  QVBoxLayout* Body() const { return body_; }
  // The "&Zatvori" button at the bottom right, the default one; a click closes the dialog.
  QPushButton* AddCloseButton(const char* name);
  // Minimise and maximise buttons beside the close button, for a window that shows them
  // without giving them an action.
  void AddIdleCaptionButtons();

  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildCaption(const QString& title);

  Centre centre_;
  QWidget* caption_ = nullptr;
  QLabel* title_ = nullptr;
  QToolButton* close_ = nullptr;
  QVBoxLayout* body_ = nullptr;
};

}  // namespace kivo::app
