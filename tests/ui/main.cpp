// The UI test runner: one QApplication for all tests, the settings store in a
// folder of its own.
#include <QApplication>
#include <QFont>

#include <cstdlib>

#include "support.h"
#include "ui/dialog.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TempDir config;
  setenv("XDG_CONFIG_HOME", config.path.c_str(), 1);
  QApplication app(argc, argv);
  // The layout suite runs once per desktop font.
  if (const char* font = std::getenv("MIRTUN_TEST_FONT")) {
    QFont f(QString::fromUtf8(font));
    QApplication::setFont(f);
  }
  // ... and per screen resolution: 8 points at 120 dpi are 10 at 96.
  if (const char* dpi = std::getenv("MIRTUN_TEST_DPI")) SetDialogPointSize(8.0 * std::atoi(dpi) / 96);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
