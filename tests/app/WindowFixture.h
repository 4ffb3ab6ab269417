// The main window as a user meets it: a virtual recorder in a private folder as the only drive,
// a private configuration file, the window shown and its start-up done. Message boxes are
// answered from a timer, as a user would click them.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/Glavna.h"
#include "tests/platform/TempDir.h"
#include "virtualdrive/VirtualRecorder.h"

namespace kivo::app::testing {

// Runs the event loop until done() holds or the time runs out; true when it held.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 60000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// Clicks the button named answer ("yes", "no", "ok") of every message box that opens while the
// object lives, and remembers the last box's text and title.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::string answer) : answer_(std::move(answer)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      text = box->text();
      title = box->windowTitle();
      ++answered;
      if (auto* button = box->findChild<QPushButton*>(QString::fromStdString(answer_))) {
        button->click();
      } else {
        box->reject();
      }
    });
    timer_.start(20);
  }
  QString text, title;
  int answered = 0;

 private:
  std::string answer_;
  QTimer timer_;
};

// Answers every file chooser that opens while the object lives: picks path, or cancels when
// path is empty.
class FileAnswerer {
 public:
  explicit FileAnswerer(QString path) : path_(std::move(path)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      ++answered;
      title = dialog->windowTitle();
      if (path_.isEmpty()) {
        dialog->reject();
        return;
      }
      // Typed, as a user would: a file the list still shows selected would win over selectFile
      // while the dialog's model loads.
      auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
      if (name == nullptr) return;
      for (auto* view : dialog->findChildren<QAbstractItemView*>()) view->clearSelection();
      name->setText(path_);
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the name, as a click would
    });
    timer_.start(20);
  }
  QString title;
  int answered = 0;

 private:
  QString path_;
  QTimer timer_;
};

// Opens a window with open() and, once the window of type Dialog is up and modal, hands it to
// inspect and closes it with its close button. False when no such window came up.
template <typename Dialog>
bool InspectModal(const std::function<void()>& open, const std::function<void(Dialog&)>& inspect,
                  const char* closeButton) {
  bool seen = false;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || seen) return;
    seen = true;
    inspect(*dialog);
    if (auto* button = dialog->template findChild<QPushButton*>(closeButton)) {
      button->click();
    } else {
      dialog->reject();
    }
  });
  timer.start(10);
  open();
  return seen;
}

// Whether a window's picture matches the documentation's picture file: the same size, and
// hardly a pixel off (font rendering may move an edge). KIVO_UPDATE_PICTURES=1 writes the
// pictures instead.
::testing::AssertionResult LooksAsDocumented(QWidget& window, const char* file);

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The window, started: its drive list filled from the recorder.
  void OpenWindow();
  void Insert(const std::string& kind);
  template <typename Widget>
  Widget* Control(const char* name) {
    auto* widget = window->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Drops paths on the compilation list as a file manager would (text/uri-list).
  void Drop(const QStringList& paths);
  bool LogHas(const QString& line) const;

  platform::testing::TempDir tmp;
  std::string recorderFolder;
  std::unique_ptr<vdrive::VirtualRecorder> recorder;
  std::unique_ptr<TkivoArdelGL> window;
};

}  // namespace kivo::app::testing
