// The disc information window: the medium, its size, used and free space, the disc's state and
// one line per session with its start, size, date and number of files. It is also the session
// chooser: any session of the list opens in the disc browser.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/BorderlessDialog.h"
#include "app/DiscFacts.h"

namespace kivo {
class TZelvoBurner;
}

namespace kivo::app {

class TfrmSessions : public BorderlessDialog {
  Q_OBJECT
 public:
  TfrmSessions(QWidget* owner, TZelvoBurner& burner);
  // Shows what was read; a disc that could not be read leaves the one error line and empty
  // values.
  void Fill(const DiscFacts& facts);
  // Reads the selected session into a fresh compilation and shows it in the disc browser.
  void AdvGlowButton1Click();

 private:
  QWidget* BuildFigures();
  QWidget* BuildHeader();

  TZelvoBurner& burner_;
  int sessions_ = 0;  // the lines of lb that stand for sessions

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
