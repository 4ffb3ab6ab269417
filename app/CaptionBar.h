// The caption bar of the program's frameless windows: the title, the minimise, maximise and close
// buttons at the right edge, and a press on the bar that moves the window as the system's own
// caption would. The owner decides what the buttons do.
#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace kivo::app {

class CaptionBar : public QWidget {
  Q_OBJECT
 public:
  CaptionBar(const QString& title, QWidget* parent);

  QLabel* Label = nullptr;
  QToolButton* MinimiseButton = nullptr;
  QToolButton* MaximiseButton = nullptr;
  QToolButton* CloseButton = nullptr;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

// Moves the window that holds widget along with the pointer, as a drag of its caption would.
void StartWindowMove(QWidget& widget);

}  // namespace kivo::app
