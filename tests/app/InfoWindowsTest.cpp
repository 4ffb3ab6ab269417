// The device capabilities and disc information windows against the virtual recorder: the boxes
// and speeds the command line reports for the drive, the sessions and space the command line
// reports for the disc, and a drive without a disc that answers slowly while the window paints.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <fmt/format.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "app/DeviceCaps.h"
#include "app/DiscInfo.h"
#include "app/GlavnaShared.h"
#include "engine/platform/Threads.h"
#include "tests/app/WindowFixture.h"
#include "tests/integration/DiscFixture.h"
#include "tests/iso/Commands.h"

namespace kivo::app::testing {
namespace {

namespace fs = std::filesystem;
using kivo::testing::Content;
using kivo::testing::RunCli;
using kivo::testing::WriteTree;

QString LabelText(QWidget& dialog, const char* name) {
  auto* label = dialog.findChild<QLabel*>(name);
  return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(name);
}

QStringList Lines(QWidget& dialog) {
  QStringList lines;
  if (auto* list = dialog.findChild<QListWidget*>("lb")) {
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  }
  return lines;
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

std::uint32_t SectorsOf(const std::string& value) { return static_cast<std::uint32_t>(std::stoul(value)); }

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

TEST_F(InfoWindowsTest, DiscWindowShowsEachSessionAndTheSpaceAsTheCommandLineReportsThem) {
  Insert("cd-r");
  const fs::path src = fs::path(tmp.str()) / "src";
  WriteTree(src / "one", {{"a.txt", Content("a", 3000)}});
  WriteTree(src / "two", {{"b.bin", Content("b", 1500000)}, {"sub/c.txt", Content("c", 10)}});
  WriteTree(src / "three", {{"d.txt", Content("d", 20)}});
  // Each session its own moment; the third carries the second's files over.
  const std::vector<std::vector<std::string>> burns = {{"burn", (src / "one").string()},
                                                       {"burn", (src / "two").string()},
                                                       {"burn", "--import-session", "-1", (src / "three").string()}};
  const char* moments[] = {"SOURCE_DATE_EPOCH=1700000000", "SOURCE_DATE_EPOCH=1710000000",
                           "SOURCE_DATE_EPOCH=1720000000"};
  for (std::size_t i = 0; i < burns.size(); ++i) {
    const auto burn = RunCli(burns[i], moments[i]);
    ASSERT_EQ(burn.status, 0) << burn.output;
  }
  const auto info = RunCli({"info"});
  ASSERT_EQ(info.status, 0) << info.output;
  const auto reported = Fields(info.output);
  ASSERT_EQ(reported.at("sessions"), "3") << info.output;

  // What each session line must show, from the command line's figures.
  QStringList expected;
  const std::regex session(R"(start (\d+), size (\d+) sectors, created ([0-9: -]+), (\d+) files?)");
  const int files[] = {1, 2, 3};
  for (int n = 1; n <= 3; ++n) {
    std::smatch m;
    const std::string line = reported.at(fmt::format("session {}", n));
    ASSERT_TRUE(std::regex_match(line, m, session)) << line;
    EXPECT_EQ(std::stoi(m[4]), files[n - 1]) << line;
    SessionSummary summary{static_cast<unsigned>(n), true, SectorsOf(m[1]), SectorsOf(m[2]), m[3], std::stoi(m[4])};
    expected << SessionLine(summary);
    // The window shows the date to the minute.
    EXPECT_TRUE(expected.back().contains(QString::fromStdString(m[3].str().substr(0, 16)))) << expected.back().toStdString();
  }
  auto megabytes = [&](const char* field) { return QString::fromStdString(SectorsInMegabytes(SectorsOf(reported.at(field))) + " MB"); };
  OpenWindow();

  const bool opened = InspectModal<TfrmSessions>(
      [this] { Button("bDisc")->click(); },
      [&](TfrmSessions& disc) {
        EXPECT_EQ(disc.size(), QSize(444, 284));
        EXPECT_EQ(LabelText(disc, "CaptionLabel"), "Kivo Ardel - Disk informacija");
        EXPECT_EQ(Lines(disc), expected);
        EXPECT_EQ(LabelText(disc, "lMedium"), "CD-R");
        EXPECT_EQ(LabelText(disc, "lDiscSize"), megabytes("total"));
        EXPECT_EQ(LabelText(disc, "lUsedSpace"), megabytes("used") + ",  Sesije : 3");
        EXPECT_EQ(LabelText(disc, "lFreeSpace"), megabytes("free") + ", Disc is Open");
      },
      "bReady");
  EXPECT_TRUE(opened);
  EXPECT_EQ(window->State(), WindowState::Idle);
}

TEST_F(InfoWindowsTest, FinalizedDiscShowsItsStateAndTheMediumsCapacity) {
  Insert("cd-r");
  const fs::path src = fs::path(tmp.str()) / "src";
  WriteTree(src, {{"a.txt", Content("a", 3000)}});
  ASSERT_EQ(RunCli({"burn", "--finalize", src.string()}).status, 0);
  const auto reported = Fields(RunCli({"info"}).output);
  OpenWindow();
  const bool opened = InspectModal<TfrmSessions>(
      [this] { Button("bDisc")->click(); },
      [&](TfrmSessions& disc) {
        // An 80-minute CD-R: the lead-out may start at sector 359849, and not 150 sectors later.
        EXPECT_EQ(reported.at("total").substr(0, 14), "359849 sectors");
        EXPECT_EQ(LabelText(disc, "lDiscSize"), QString::fromStdString(SectorsInMegabytes(359849) + " MB"));
        EXPECT_EQ(LabelText(disc, "lFreeSpace"), QString::fromStdString(SectorsInMegabytes(0) + " MB") +
                                                     ", Disc Closed/Finalized");
        EXPECT_EQ(Lines(disc).size(), 1);
      },
      "bReady");
  EXPECT_TRUE(opened);
}

TEST_F(InfoWindowsTest, NoDiscShowsTheErrorLineWhileTheWindowKeepsPainting) {
  Insert("cd-r");
  OpenWindow();
  std::string error;
  ASSERT_TRUE(recorder->Eject(error)) << error;
  // The drive is given its seconds to become ready; here a quarter of a second of them.
  platform::SetWaitScale(0.05);

  int paints = 0, busyTicks = 0, ticks = 0;
  struct PaintCounter : QObject {
    int* count;
    explicit PaintCounter(int* c) : count(c) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++*count;
      return false;
    }
  } counter(&paints);
  window->installEventFilter(&counter);
  QTimer repaint;
  QObject::connect(&repaint, &QTimer::timeout, [&] {
    if (window->State() != WindowState::DriveCommand) return;
    ++ticks;
    const QCursor* cursor = QApplication::overrideCursor();
    if (cursor != nullptr && cursor->shape() == Qt::WaitCursor) ++busyTicks;
    window->update();
  });
  repaint.start(10);

  int paintsBeforeWindow = -1;
  const bool opened = InspectModal<TfrmSessions>(
      [this] { Button("bDisc")->click(); },
      [&](TfrmSessions& disc) {
        paintsBeforeWindow = paints;
        EXPECT_EQ(Lines(disc), QStringList{"     Greška prilikom učitavanja prethodnog upisa (sesije)"});
        for (const char* value : {"lMedium", "lDiscSize", "lUsedSpace", "lFreeSpace"}) {
          EXPECT_EQ(LabelText(disc, value), "") << value;
        }
      },
      "bReady");
  repaint.stop();
  window->removeEventFilter(&counter);
  EXPECT_TRUE(opened);
  EXPECT_GT(ticks, 3) << "the window's thread kept running while the drive was asked";
  EXPECT_EQ(busyTicks, ticks) << "a busy cursor the whole time";
  EXPECT_GT(paintsBeforeWindow, 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(window->State(), WindowState::Idle);
}

TEST_F(InfoWindowsTest, WindowsLookAsDocumented) {
  Insert("cd-r");
  const fs::path src = fs::path(tmp.str()) / "src";
  WriteTree(src / "one", {{"a.txt", Content("a", 3000)}});
  WriteTree(src / "two", {{"b.bin", Content("b", 1500000)}, {"sub/c.txt", Content("c", 10)}});
  // The dates the volumes carry are local: one zone and one moment for every run.
  for (const char* folder : {"one", "two"}) {
    ASSERT_EQ(RunCli({"burn", (src / folder).string()}, "TZ=UTC SOURCE_DATE_EPOCH=1700000000").status, 0);
  }
  OpenWindow();
  EXPECT_TRUE(InspectModal<TForm2>(
      [this] { Button("bCaps")->click(); },
      [](TForm2& caps) { EXPECT_TRUE(LooksAsDocumented(caps, "caps-window.png")); }, "Button1"));
  EXPECT_TRUE(InspectModal<TfrmSessions>(
      [this] { Button("bDisc")->click(); },
      [](TfrmSessions& disc) { EXPECT_TRUE(LooksAsDocumented(disc, "disc-window.png")); }, "bReady"));
}

TEST(SessionLine, FixedColumnsUnderTheHeader) {
  const struct {
    SessionSummary session;
    const char* line;
  } cases[] = {
      // A first session at sector 0; 512 sectors are one megabyte.
      {{1, true, 0, 512, "2023-11-14 22:13:20", 4}, "  001           0      1 MB   2023-11-14 22:13  4 datoteke"},
      // Halves round to even; a number wider than its field is written whole; no tree, no count.
      {{12, true, 123456789, 512 * 2 + 256, "", -1}, "  012    123456789      2 MB   nepoznat datum"},
      {{1000, true, 5, 512 * 10000 + 256, "2026-01-02 03:04:05", 1}, "  1000           5   10000 MB   2026-01-02 03:04  1 datoteka"},
      {{2, true, 11700, 511, "2026-01-02 03:04:05", 0}, "  002       11700      1 MB   2026-01-02 03:04  0 datoteka"},
  };
  for (const auto& c : cases) EXPECT_EQ(SessionLine(c.session).toStdString(), c.line);

  // Serbian counts: "datoteke" after 2, 3 and 4, but not after 12, 13 and 14.
  const std::pair<int, const char*> counts[] = {{1, "datoteka"}, {3, "datoteke"}, {5, "datoteka"}, {12, "datoteka"},
                                                {14, "datoteka"}, {22, "datoteke"}, {111, "datoteka"}, {1234, "datoteke"}};
  for (const auto& [files, word] : counts) {
    const SessionSummary session{1, true, 0, 0, "", files};
    EXPECT_TRUE(SessionLine(session).endsWith(QStringLiteral(" %1 %2").arg(files).arg(word))) << files;
  }
}

}  // namespace
}  // namespace kivo::app::testing
