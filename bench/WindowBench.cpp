// How the window holds up with a full compilation: the time to a started window with the virtual
// recorder, the time from Burn to the confirmation for about 600000 files, and the longest stall
// of the window's event loop while that compilation is built and while it is recorded.
// Usage: kivo_bench_window ASPI_LIBRARY [TREE_DIR]; the tree (empty files in 500 folders) is
// made once in TREE_DIR (default /tmp/kivo-bench-window) and kept for later runs.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <fmt/format.h>

#include "app/CompilationList.h"
#include "app/Glavna.h"
#include "engine/platform/Threads.h"
#include "virtualdrive/VirtualRecorder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 500;
constexpr int kFilesPerFolder = 1199;

void EnsureTree(const fs::path& root) {
  if (fs::exists(root / "done")) return;
  for (int d = 0; d < kFolders; ++d) {
    const fs::path folder = root / "tree" / fmt::format("folder{:03}", d);
    fs::create_directories(folder);
    for (int f = 0; f < kFilesPerFolder; ++f) std::ofstream(folder / fmt::format("file{:04}.txt", f));
  }
  std::ofstream(root / "done");
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// The longest gap between two ticks of a 5 ms timer, from Start() on.
class StallMeter {
 public:
  StallMeter() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longest_ = std::max(longest_, clock_.restart());
    });
  }
  void Start() {
    longest_ = 0;
    clock_.start();
    timer_.start(5);
  }
  qint64 TakeLongest() {
    const qint64 longest = std::max(longest_, clock_.restart());
    longest_ = 0;
    return longest;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: kivo_bench_window ASPI_LIBRARY [TREE_DIR]\n";
    return 2;
  }
  const fs::path root = argc > 2 ? argv[2] : "/tmp/kivo-bench-window";
  EnsureTree(root);
  const fs::path work = root / "run";
  fs::remove_all(work);
  fs::create_directories(work);
  ::setenv("KIVO_VIRTUAL_RECORDER", (work / "recorder").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
  QElapsedTimer sinceStart;
  sinceStart.start();
  QApplication application(argc, argv);
  kivo::platform::SetMainThread();
  kivo::vdrive::VirtualRecorder recorder((work / "recorder").string());
  std::string error;
  if (!recorder.Insert(kivo::vdrive::MediumKind::DvdPlusR, error) || !recorder.SetTimeScale(0, error)) {
    std::cerr << error << '\n';
    return 1;
  }

  kivo::app::TkivoArdelGL window({argv[1], (work / "config/KivoArdel.ini").string()});
  window.show();
  if (!WaitFor([&] { return window.LogText().endsWith("\n "); }, 60000)) return 1;
  const qint64 startup = sinceStart.elapsed();

  window.findChild<kivo::app::CompilationList*>("clBox")->AddDropped({QString::fromStdString((root / "tree").string())});
  StallMeter stalls;
  QElapsedTimer toQuestion;
  qint64 questionAfter = -1;
  QTimer yes;
  QObject::connect(&yes, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      if (questionAfter < 0) questionAfter = toQuestion.elapsed();
      if (auto* button = box->findChild<QPushButton*>("yes")) button->click();
    }
  });
  yes.start(1);
  stalls.Start();
  toQuestion.start();
  window.findChild<QToolButton*>("bBurn")->click();
  const qint64 buildingStall = stalls.TakeLongest();
  QElapsedTimer recording;
  recording.start();
  if (!WaitFor([&] { return window.State() == kivo::app::WindowState::Idle; }, 600000)) return 1;
  const qint64 recordingStall = stalls.TakeLongest();
  const bool ok = window.LogText().contains("Upis uspešno izvršen");
  std::cout << fmt::format(
      "files: {}\nstart-up to a started window: {} ms\nBurn to the confirmation: {} ms\n"
      "longest event-loop stall while building: {} ms\nrecording after the confirmation: {} ms\n"
      "longest event-loop stall while recording: {} ms\nresult: {}\n",
      kFolders * kFilesPerFolder, startup, questionAfter, buildingStall, recording.elapsed(), recordingStall,
      ok ? "recorded" : "FAILED");
  return ok ? 0 : 1;
}
