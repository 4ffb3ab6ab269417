// The main window: the whole program apart from its small dialogs. It owns the one burner, shows
// the browser beside the compilation list, the drive and speed rows, the log and the status bar,
// and runs the burn workflow. One state value decides which controls are enabled.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include "app/Configuration.h"
#include "engine/platform/PrivateProfile.h"

namespace kivo {
class TZelvoBurner;
}

namespace kivo::app {

class CompilationList;
class DirectoryList;
class FileList;
class LogBridge;
class StatusPanels;
class VirtualRecorderMenu;

// The speed list asks for its entries each time it opens.
class SpeedBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  void showPopup() override;
 signals:
  void aboutToOpen();
};

enum class WindowState { Idle, Recording, SavingImage, Erasing, DriveCommand };

// Where the window finds its transport: the system's drives first, then the ASPI library beside
// the program (the virtual recorder) or the one given.
struct WindowSetup {
  std::string aspiLibrary;  // empty: beside the executable, as the engine looks by default
  std::string configFile;   // empty: the user's KivoArdel.ini
};

class TkivoArdelGL : public QWidget {
  Q_OBJECT
 public:
  explicit TkivoArdelGL(WindowSetup setup = {}, QWidget* parent = nullptr);
  ~TkivoArdelGL() override;

  TZelvoBurner& zelvob() { return *zelvob_; }
  WindowState State() const { return state_; }
  WindowOptions Options;
  // Lines of the log pane, for the window's own checks and for tests.
  QString LogText() const;
  // Lines the last burn or save left out of the compilation (skipped files, vanished rows).
  int LeftOut() const { return leftOut_; }

  // The commands (also the handlers of their controls).
  void bBurnClick();
  void bAbortClick();
  void bClearClick();
  // Opens the settings window, modal, over this one.
  void bCDHeaderClick();
  void cbDrivesChange();
  void cbSpeedDropDown();
  // False when the command must stop (the configured session could not be imported).
  bool AddListToBurner();
  // The image and drive commands.
  void bSaveISOClick();
  void bBurnISOClick();
  void bQEraseClick();
  void bCEraseClick();
  void bLoadClick();
  void bEjectClick();
  void bReadyClick();
  // The device capabilities and disc information windows.
  void bCapsClick();
  void bDiscClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildCaption(QWidget* parent);
  void BuildHeader(QWidget* parent);
  QWidget* BuildDriveRows(QWidget* parent);
  QWidget* BuildCompilationSide(QWidget* parent);
  QWidget* BuildBrowserSide(QWidget* parent);
  void ConnectBurner();
  void FormShow();
  void ApplyState();
  void SetState(WindowState state);

  void Log(const std::string& line);
  void AppendLog(const std::string& line);
  void Timer1Timer();
  void zelvobWriteDone(const std::string& error);
  // The disc read back against what the recording just sent, its progress in the status bar and
  // its verdict in the log; true when the disc holds every file as recorded.
  bool VerifyRecordedDisc();
  void zelvobAddFile(const std::string& fullPath, const std::string& longName, bool& skip);
  void cPathInfoClick();
  void bNetworkClick();
  // False, after saying so, when what is to be written (named by prefix) does not fit the disc.
  bool FitsOnDisc(std::int64_t sectors, std::string_view prefix);
  // The KB/s the drive accepted for the selected speed entry; 0 for "Max".
  std::uint16_t SelectedSpeed() const;
  QString ImageNameToSave();
  bool ImageStaysOutOfCompilation(const QString& image);
  void EraseCommand(bool quick);
  void StartEraseCommand(bool quick);
  void RunDriveCommand(const std::function<void()>& command);
  void zelvobEraseDone(bool withError);
  KeepPath KeepPathState() const;
  void SetKeepPathState(KeepPath state);

  WindowSetup setup_;
  std::unique_ptr<TZelvoBurner> zelvob_;
  std::unique_ptr<LogBridge> bridge_;
  platform::PrivateProfile config_;
  WindowState state_ = WindowState::Idle;
  bool transport_ = false;
  bool shown_ = false;
  int leftOut_ = 0;
  bool writeDoneArrived_ = false;
  bool eraseDoneArrived_ = false;
  bool recordingTestWrite_ = false;

  QWidget* CaptionPanel = nullptr;
  QLabel* CaptionLabel = nullptr;
  QToolButton* CloseFormBtn = nullptr;
  QToolButton* JvXPToolButton2 = nullptr;
  QToolButton* JvXPToolButton3 = nullptr;
  QWidget* DugmadPanel = nullptr;
  QToolButton* btnKivoTirel = nullptr;
  QToolButton* bCDHeader = nullptr;
  QToolButton* bBurn = nullptr;
  QToolButton* bAbort = nullptr;
  QToolButton* CloseBtn = nullptr;
  QWidget* pTop = nullptr;
  QLabel* lDrive = nullptr;
  QComboBox* cbDrives = nullptr;
  QPushButton* bCaps = nullptr;
  SpeedBox* cbSpeed = nullptr;
  QPushButton* bDisc = nullptr;
  QWidget* pTop2 = nullptr;
  QPushButton* bQErase = nullptr;
  QPushButton* bCErase = nullptr;
  QPushButton* bLoad = nullptr;
  QPushButton* bEject = nullptr;
  QPushButton* bReady = nullptr;
  QPushButton* bSaveISO = nullptr;
  QPushButton* bBurnISO = nullptr;
  QCheckBox* cPathInfo = nullptr;
  QPushButton* bClear = nullptr;
  CompilationList* clBox = nullptr;
  QComboBox* DriveCB = nullptr;
  QPushButton* bNetwork = nullptr;
  DirectoryList* lbDir = nullptr;
  FileList* lbFiles = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  StatusPanels* SB = nullptr;
  QTimer Timer1;
  VirtualRecorderMenu* virtualMenu_ = nullptr;
};

}  // namespace kivo::app
