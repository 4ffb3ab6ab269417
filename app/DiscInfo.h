// The disc information window: the medium, its size, used and free space, the disc's state and
// one line per session with its start, size, date and number of files.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/BorderlessDialog.h"
#include "app/DiscFacts.h"

namespace kivo::app {

class TfrmSessions : public BorderlessDialog {
  Q_OBJECT
 public:
  explicit TfrmSessions(QWidget* owner);
  // Shows what was read; a disc that could not be read leaves the one error line and empty
  // values.
  void Fill(const DiscFacts& facts);

 private:
  QWidget* BuildFigures();
  QWidget* BuildHeader();

  QWidget* Panel1 = nullptr;
  QLabel* lMedium = nullptr;
  QLabel* lDiscSize = nullptr;
  QLabel* lUsedSpace = nullptr;
  QLabel* lFreeSpace = nullptr;
  QWidget* Panel2 = nullptr;
  QPushButton* AdvGlowButton1 = nullptr;
  QListWidget* lb = nullptr;
  QPushButton* bReady = nullptr;
};

// The list line of one session: number, start and size in MB in fixed columns under the
// header, then the volume's date and its number of files.
QString SessionLine(const SessionSummary& session);

}  // namespace kivo::app
