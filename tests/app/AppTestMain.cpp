// The application's tests run real widgets without a display (the offscreen platform, a fixed
// DPI), with the engine's thread hand-offs delivered on the test's own event loop.
#include <stdlib.h>

#include <QApplication>

#include <gtest/gtest.h>

#include "engine/platform/Threads.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("QT_FONT_DPI", "96", 0);
  QApplication application(argc, argv);
  kivo::platform::SetMainThread();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
