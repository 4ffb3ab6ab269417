// The program entry: the splash, the application's title, the main window (and with it the
// burner), the splash gone, the message loop. The drive scan runs when the window first shows.
#include <QApplication>

#include "app/Glavna.h"
#include "app/QtText.h"
#include "app/Splash.h"
#include "app/Strings.h"
#include "engine/platform/Threads.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  kivo::platform::SetMainThread();
  auto* splash = new kivo::app::TSplashForm;
  splash->show();
  splash->repaint();
  QApplication::processEvents();
  QApplication::setApplicationName(kivo::app::Q(kivo::app::text::kAppTitle));
  kivo::app::TkivoArdelGL window;
  splash->hide();
  delete splash;
  window.show();
  return QApplication::exec();
}
