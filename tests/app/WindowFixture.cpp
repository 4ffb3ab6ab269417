#include "tests/app/WindowFixture.h"

#include <stdlib.h>

#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include "app/CompilationList.h"
#include "engine/platform/Threads.h"
#include "virtualdrive/Medium.h"

namespace kivo::app::testing {

namespace {

// The recorder's ASPI library takes its folder once, when the transport first loads it: every
// test of the process shares that folder and puts in its own medium.
const std::string& RecorderFolder() {
  static const platform::testing::TempDir folder;
  static const std::string path = folder.str();
  return path;
}

}  // namespace

::testing::AssertionResult LooksAsDocumented(QWidget& window, const char* file) {
  const QString path = QStringLiteral(KIVO_DOCS_DIR "/") + file;
  const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (qEnvironmentVariableIsSet("KIVO_UPDATE_PICTURES")) shot.save(path);
  const QImage golden = QImage(path).convertToFormat(QImage::Format_RGB32);
  if (golden.size() != shot.size()) return ::testing::AssertionFailure() << file << ": size differs or no picture";
  constexpr int kChannelSlack = 48;
  constexpr double kPixelsOffAllowed = 0.002;
  int off = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const QRgb a = shot.pixel(x, y), b = golden.pixel(x, y);
      if (std::abs(qRed(a) - qRed(b)) > kChannelSlack || std::abs(qGreen(a) - qGreen(b)) > kChannelSlack ||
          std::abs(qBlue(a) - qBlue(b)) > kChannelSlack) {
        ++off;
      }
    }
  }
  if (off > kPixelsOffAllowed * shot.width() * shot.height()) {
    shot.save(QStringLiteral("%1/%2").arg(QDir::tempPath(), file));
    return ::testing::AssertionFailure() << file << ": " << off << " pixels differ; the picture is in " << QDir::tempPath().toStdString();
  }
  return ::testing::AssertionSuccess();
}

void WindowTest::SetUp() {
  recorderFolder = RecorderFolder();
  ::setenv("KIVO_VIRTUAL_RECORDER", recorderFolder.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (tmp / "config").c_str(), 1);
  recorder = std::make_unique<vdrive::VirtualRecorder>(recorderFolder);
  std::string error;
  ASSERT_TRUE(recorder->SetTimeScale(0, error)) << error;
  ASSERT_TRUE(recorder->EditFaults([](vdrive::Faults& faults) { faults = {}; }, error)) << error;
  // The recorder finishes at once: the engine need not pause between its polls.
  platform::SetWaitScale(0);
}

void WindowTest::TearDown() {
  window.reset();
  platform::SetWaitScale(1);
}

void WindowTest::Insert(const std::string& kind) {
  std::string error;
  const auto medium = vdrive::KindFromName(kind);
  ASSERT_TRUE(medium) << kind;
  ASSERT_TRUE(recorder->Insert(*medium, error)) << error;
}

void WindowTest::OpenWindow() {
  window = std::make_unique<TkivoArdelGL>(WindowSetup{KIVO_WNASPI32, tmp / "config/KivoArdel.ini"});
  window->show();
  // Start-up ends with a line holding one blank.
  ASSERT_TRUE(WaitFor([this] { return window->LogText().endsWith("\n "); }, 20000)) << window->LogText().toStdString();
}

void WindowTest::Drop(const QStringList& paths) {
  auto* list = Control<CompilationList>("clBox");
  ASSERT_NE(list, nullptr);
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data.setUrls(urls);
  const QPoint at = list->viewport()->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &drop);
}

bool WindowTest::LogHas(const QString& line) const {
  return window->LogText().split('\n').contains(line);
}

}  // namespace kivo::app::testing
