// The settings window: the recording options, the volume label, the boot image, the session
// import and the cache size, applied to the burner and the main window's option fields and saved
// to the configuration file; and one drive command, closing the session of the disc in the drive.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "app/Configuration.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace kivo {
class TZelvoBurner;
}

namespace kivo::app {

class CaptionBar;

// What the window works on: the main window's burner, option fields and configuration file as
// they are while it is open, the keep-path box's state to save with them, and its log.
struct SettingsTarget {
  TZelvoBurner& burner;
  WindowOptions& options;
  KeepPath keepPath;
  platform::PrivateProfile& config;
  std::function<void(const std::string&)> log;
};

// Modal over its owner and freed when it closes. Nothing changes unless "&Da" is pressed.
class TfrmSettings : public QDialog {
  Q_OBJECT
 public:
  TfrmSettings(SettingsTarget target, QWidget* owner);

  // The handlers of the controls, also for tests.
  void cImportSessionClick();
  void cBootableClick();
  void sCacheSizeChange();
  void AdvGlowButton1Click();
  void bReadyClick();

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void BuildControls();
  void FormShow();
  void Connect();
  void CentreOnOwner();

  SettingsTarget target_;
  CaptionBar* CaptionPanel = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* eVolLabel = nullptr;
  QCheckBox* cJoliet = nullptr;
  QCheckBox* cCloseDisc = nullptr;
  QCheckBox* cImportSession = nullptr;
  QLineEdit* eSession = nullptr;
  QCheckBox* cUnderrunProtection = nullptr;
  QCheckBox* cTestWrite = nullptr;
  QCheckBox* cEject = nullptr;
  QCheckBox* cOPC = nullptr;
  QCheckBox* cQuickSaveISO = nullptr;
  QCheckBox* cBootable = nullptr;
  QLabel* Label2 = nullptr;
  QCheckBox* cShowFiles = nullptr;
  QCheckBox* cArchiveOnly = nullptr;
  QCheckBox* cVerify = nullptr;
  QLabel* Label4 = nullptr;
  QSlider* sCacheSize = nullptr;
  QLabel* Label3 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
};

}  // namespace kivo::app
