// The "Virtualni snimač" menu: with the virtual recorder selected, a user without a drive puts in
// a blank medium, takes it out, or exports the recorded disc to an image file. It works on the
// recorder's own state folder, as its control tool does, never through the engine.
#pragma once

#include <functional>
#include <string>

#include <QToolButton>

namespace kivo::vdrive {
class VirtualRecorder;
}

namespace kivo::app {

class VirtualRecorderMenu : public QToolButton {
  Q_OBJECT
 public:
  explicit VirtualRecorderMenu(QWidget* parent = nullptr);
  // Shows the menu only for the virtual recorder's device list line.
  void SetDrive(const std::string& deviceLine);
  // The actions, also for tests: false with a log line when the recorder refused.
  bool Insert(const std::string& kind);
  bool Eject();
  bool Export(const std::string& imagePath);

 signals:
  void message(const QString& line);

 private:
  // Runs action on the recorder of the state folder; a failure reaches the log.
  bool OnRecorder(const std::function<bool(vdrive::VirtualRecorder&, std::string&)>& action);
};

}  // namespace kivo::app
