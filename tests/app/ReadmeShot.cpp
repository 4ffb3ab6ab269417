// Makes the README's picture of the main window in the middle of a burn: a virtual recorder
// that writes at a real drive's speed, a few folders on the list, the burn confirmed, the window
// grabbed while the data goes to the disc, then the burn aborted. Run by scripts/readme-shot.sh.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "app/CompilationList.h"
#include "app/Glavna.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Threads.h"
#include "virtualdrive/VirtualRecorder.h"

namespace {

namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

void WriteSources(const fs::path& root) {
  for (const char* folder : {"Fotografije/2026", "Dokumenti", "Muzika"}) {
    fs::create_directories(root / folder);
    for (int i = 0; i < 6; ++i) {
      std::ofstream out(root / folder / ("datoteka-" + std::to_string(i) + ".bin"), std::ios::binary);
      const std::string block(1 << 20, static_cast<char>('a' + i));
      for (int mb = 0; mb < 4; ++mb) out << block;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: kivoardel-readme-shot WORK_DIR ASPI_LIBRARY OUT.png\n";
    return 2;
  }
  const fs::path work = argv[1];
  fs::create_directories(work);
  ::setenv("KIVO_VIRTUAL_RECORDER", (work / "recorder").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
  QApplication application(argc, argv);
  kivo::platform::SetMainThread();

  kivo::vdrive::VirtualRecorder recorder((work / "recorder").string());
  std::string error;
  if (!recorder.Insert(kivo::vdrive::MediumKind::CdR, error) || !recorder.SetTimeScale(1, error)) {
    std::cerr << error << '\n';
    return 1;
  }
  WriteSources(work / "izvori");

  kivo::app::TkivoArdelGL window({argv[2], (work / "config/KivoArdel.ini").string()});
  window.show();
  if (!WaitFor([&] { return window.LogText().endsWith("\n "); }, 20000)) return 1;
  auto* list = window.findChild<kivo::app::CompilationList*>("clBox");
  list->AddDropped({QString::fromStdString((work / "izvori/Fotografije").string()),
                    QString::fromStdString((work / "izvori/Dokumenti").string()),
                    QString::fromStdString((work / "izvori/Muzika/datoteka-0.bin").string())});
  QTimer yes;
  QObject::connect(&yes, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      if (auto* button = box->findChild<QPushButton*>("yes")) button->click();
    }
  });
  yes.start(50);
  window.findChild<QToolButton*>("bBurn")->click();
  kivo::TZelvoBurner& burner = window.zelvob();
  const std::int64_t total = burner.ImageSize() * 2048;
  if (!WaitFor([&] { return burner.BytesWritten.load() > total * 45 / 100; }, 120000)) return 1;
  // One more refresh of the status bar, then the picture.
  WaitFor([] { return false; }, 600);
  const bool saved = window.grab().save(QString::fromLocal8Bit(argv[3]));
  window.bAbortClick();
  WaitFor([&] { return window.State() == kivo::app::WindowState::Idle; }, 60000);
  return saved ? 0 : 1;
}
