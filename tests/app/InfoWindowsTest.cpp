// The device capabilities window against the virtual recorder: the boxes and speeds the command
// line reports for the drive.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <map>
#include <sstream>

#include "app/DeviceCaps.h"
#include "engine/platform/Threads.h"
#include "tests/app/WindowFixture.h"
#include "tests/iso/Commands.h"

namespace kivo::app::testing {
namespace {

using kivo::testing::RunCli;

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

QString LabelText(QWidget& dialog, const char* name) {
  auto* label = dialog.findChild<QLabel*>(name);
  return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(name);
}

// "name: value" lines of a command's output.
std::map<std::string, std::string> Fields(const std::string& output) {
  std::map<std::string, std::string> fields;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    const auto colon = line.find(": ");
    if (colon != std::string::npos) fields[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return fields;
}

class InfoWindowsTest : public WindowTest {
 protected:
  QPushButton* Button(const char* name) { return Control<QPushButton>(name); }
};

TEST_F(InfoWindowsTest, CapabilitiesWindowShowsWhatTheCommandLineReportsForTheDrive) {
  Insert("cd-r");
  const auto caps = RunCli({"caps"});
  ASSERT_EQ(caps.status, 0) << caps.output;
  const auto reported = Fields(caps.output);
  OpenWindow();

  // Each box, its caption and the capability the command line names for it.
  const struct {
    const char* box;
    const char* caption;
    const char* capability;
  } boxes[] = {
      {"ReadCDR", "Čita CDR", "reads CD-R"},           {"WriteCDR", "Piše CDR", "writes CD-R"},
      {"ReadCDRW", "Čita CDRW", "reads CD-RW"},        {"WriteCDRW", "Piše CDRW", "writes CD-RW"},
      {"ReadDVDR", "Čita DVD-R", "reads DVD-R"},       {"WriteDVDR", "Piše DVD-R", "writes DVD-R"},
      {"ReadDVDRW", "Čita DVD-RW", "reads DVD-RW"},    {"WriteDVDRW", "Piše DVD-RW", "writes DVD-RW"},
      {"ReadDVDRAM", "Read DVD-RAM", "reads DVD-RAM"}, {"WriteDVDRAM", "Piše DVD-RAM", "writes DVD-RAM"},
      {"ReadDVDPR", "Čita DVD+R", "reads DVD+R"},      {"WriteDVDPR", "Piše DVD+R", "writes DVD+R"},
      {"ReadDVDPRW", "Čita DVD+RW", "reads DVD+RW"},   {"WriteDVDPRW", "Piše DVD+RW", "writes DVD+RW"},
      {"ReadDVD", "Čita DVD", "reads DVD-ROM"},        {"WriteTest", "Test upis", "test write"},
      {"UnderrunProtection", "Zaštita", "buffer underrun protection"},
  };
  const bool opened = InspectModal<TForm2>(
      [this] { Button("bCaps")->click(); },
      [&](TForm2& caps) {
        EXPECT_EQ(caps.size(), QSize(420, 291));
        EXPECT_TRUE(caps.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(LabelText(caps, "CaptionLabel"), "Kivo Ardel - CD/DVD mogućnosti");
        EXPECT_EQ(LabelText(caps, "Label1").toStdString(), "  " + reported.at("drive"));
        EXPECT_EQ(LabelText(caps, "Label2").toStdString(),
                  "Maks. brzina snimanja : " + reported.at("maximum write speed"));
        EXPECT_EQ(LabelText(caps, "Label3").toStdString(),
                  "Maks. brzina čitanja  : " + reported.at("maximum read speed"));
        auto* panel = caps.findChild<QWidget*>("Panel2");
        ASSERT_NE(panel, nullptr);
        EXPECT_FALSE(panel->isEnabled()) << "a report, not a form";
        EXPECT_EQ(panel->findChildren<QCheckBox*>().size(), std::size(boxes));
        for (const auto& b : boxes) {
          auto* box = panel->findChild<QCheckBox*>(b.box);
          ASSERT_NE(box, nullptr) << b.box;
          EXPECT_EQ(box->text(), b.caption) << b.box;
          EXPECT_EQ(box->isChecked(), reported.at(b.capability) == "yes") << b.box;
        }
        auto* close = caps.findChild<QPushButton*>("Button1");
        ASSERT_NE(close, nullptr);
        EXPECT_EQ(close->text(), "&Zatvori");
      },
      "Button1");
  EXPECT_TRUE(opened);
  // The recorder reads and writes every kind it offers: a box left unticked would show above.
  EXPECT_EQ(reported.at("writes DVD+R"), "yes");
}

}  // namespace
}  // namespace kivo::app::testing
