// The window's rules around a recording: what can be used in each state, aborting, closing,
// failures from the drive, refusals before anything is written, and its exact texts.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "app/CompilationList.h"
#include "app/Speeds.h"
#include "app/VirtualRecorderMenu.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/ArchiveMark.h"
#include "engine/platform/Threads.h"
#include "tests/app/WindowFixture.h"
#include "tests/integration/DiscFixture.h"

namespace kivo::app::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::uint8_t kWrite10 = 0x2A;

class WindowStateTest : public WindowTest {
 protected:
  // A small tree on the list.
  void ListSources() {
    kivo::testing::WriteTree(fs::path(tmp.str()) / "src", {{"a.txt", kivo::testing::Content("a", 5000)}});
    Drop({QString::fromStdString(tmp / "src")});
  }
  void Faults(const std::function<void(vdrive::Faults&)>& edit) {
    std::string error;
    ASSERT_TRUE(recorder->EditFaults(edit, error)) << error;
  }
  // Starts a burn that stays in its write loop: every write is refused as busy, and the pauses
  // between the retries keep their real length.
  void StartEndlessBurn(BoxAnswerer& answer) {
    Faults([](vdrive::Faults& f) { f.commands = {{kWrite10, vdrive::CommandFault::Kind::Busy, {}, -1}}; });
    platform::SetWaitScale(1);
    Control<QToolButton>("bBurn")->click();
    ASSERT_TRUE(WaitFor([&] { return window->State() == WindowState::Recording && window->zelvob().BytesWritten.load() > 0; }))
        << window->LogText().toStdString();
    EXPECT_EQ(answer.answered, 1);
  }
  bool DiscIsBlank() {
    const vdrive::DriveState state = recorder->State();
    return state.disc && state.disc->tracks.empty() && state.disc->recordedEnd == 0 && !state.trayOpen;
  }
};

TEST_F(WindowStateTest, ARecordingLocksEverythingThatCouldResetTheCompilation) {
  Insert("cd-r");
  OpenWindow();
  ListSources();
  const char* idleEnabled[] = {"pTop", "pTop2", "bSaveISO", "bBurnISO", "DriveCB", "bBurn", "bCDHeader", "bClear"};
  for (const char* name : idleEnabled) EXPECT_TRUE(Control<QWidget>(name)->isEnabled()) << name;
  EXPECT_FALSE(Control<QPushButton>("SBPanel3")->isEnabled()) << "nothing to abort";

  BoxAnswerer answer("yes");
  StartEndlessBurn(answer);
  for (const char* name : idleEnabled) EXPECT_FALSE(Control<QWidget>(name)->isEnabled()) << name;
  EXPECT_TRUE(Control<QPushButton>("SBPanel3")->isEnabled());
  EXPECT_TRUE(Control<QToolButton>("bAbort")->isVisible());

  // Nested calls into the commands while the workers read the compilation change nothing.
  window->bBurnClick();
  window->bClearClick();
  QApplication::processEvents();
  EXPECT_EQ(answer.answered, 1) << "a second burn asked again";
  EXPECT_EQ(Control<CompilationList>("clBox")->Rows().size(), 1);
  EXPECT_EQ(window->State(), WindowState::Recording);

  Control<QPushButton>("SBPanel3")->click();
  ASSERT_TRUE(WaitFor([this] { return window->State() == WindowState::Idle; })) << window->LogText().toStdString();
  EXPECT_TRUE(LogHas("Upis je završen sa greškama"));
  EXPECT_TRUE(LogHas(">>> OPERATION ABORTED BY USER")) << window->LogText().toStdString();
  for (const char* name : idleEnabled) EXPECT_TRUE(Control<QWidget>(name)->isEnabled()) << name;
  EXPECT_FALSE(Control<QToolButton>("bAbort")->isVisible());
  EXPECT_EQ(Control<CompilationList>("clBox")->Rows().size(), 1) << "the list survives a recording";
}

TEST_F(WindowStateTest, ClosingDuringARecordingAsksThenAbortsAndWaits) {
  Insert("dvd+r");
  OpenWindow();
  ListSources();
  {
    BoxAnswerer answer("yes");
    StartEndlessBurn(answer);
  }
  {
    BoxAnswerer answer("no");
    window->close();
    EXPECT_EQ(answer.answered, 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->State(), WindowState::Recording);
  }
  BoxAnswerer answer("yes");
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->State(), WindowState::Idle) << "closed before the writer had ended";
  EXPECT_TRUE(LogHas(">>> OPERATION ABORTED BY USER")) << window->LogText().toStdString();
}

TEST_F(WindowStateTest, AFailedRecordingNeitherEjectsNorCountsAsDone) {
  Insert("cd-r");
  OpenWindow();
  ListSources();
  window->Options.EjectWhenDone = true;
  Faults([](vdrive::Faults& f) { f.mediumErrors = {{0, -1}}; f.mediumErrors.push_back({40, -1}); });
  BoxAnswerer answer("yes");
  Control<QToolButton>("bBurn")->click();
  ASSERT_TRUE(WaitFor([this] { return LogHas("Upis je završen sa greškama"); })) << window->LogText().toStdString();
  EXPECT_TRUE(window->LogText().contains(">>> WRITER ERROR")) << window->LogText().toStdString();
  EXPECT_FALSE(LogHas("Upis uspešno izvršen"));
  EXPECT_FALSE(recorder->State().trayOpen) << "a failed recording ejected the disc";
  EXPECT_EQ(window->State(), WindowState::Idle);
  EXPECT_TRUE(Control<QToolButton>("bBurn")->isEnabled());
}

TEST_F(WindowStateTest, RefusalsComeBeforeAnythingIsWritten) {
  Insert("cd-r");
  OpenWindow();
  {
    // An empty list: its message, the two log lines, nothing else.
    BoxAnswerer answer("ok");
    window->bBurnClick();
    EXPECT_EQ(answer.text, "Barem jedna datoteka/jedan direktorijum mora da se selektuje (izabere)");
    EXPECT_TRUE(LogHas("Dodavanje datoteka/direktorijuma na CD/DVD je završeno."));
    EXPECT_TRUE(LogHas("Nema ni jedne datoteke ili direktorijuma za upis, PREKIDAM OPERACIJU ..."));
  }
  {
    // More than the disc holds: a message with both sizes, no question, the disc untouched.
    fs::create_directories(tmp / "big");
    std::ofstream(tmp / "big/huge.bin").close();
    fs::resize_file(tmp / "big/huge.bin", 800ull * 1024 * 1024);
    Drop({QString::fromStdString(tmp / "big")});
    BoxAnswerer answer("ok");
    window->bBurnClick();
    EXPECT_TRUE(answer.text.startsWith("Kompilacija ne staje na disk: potrebno je 800.")) << answer.text.toStdString();
    EXPECT_TRUE(answer.text.contains(" MB, a na disku je slobodno ")) << answer.text.toStdString();
    EXPECT_EQ(window->State(), WindowState::Idle);
    EXPECT_TRUE(DiscIsBlank());
  }
  {
    // A row whose source is gone, and a .doc file, are named in the log and counted.
    fs::remove_all(tmp / "big");
    kivo::testing::WriteTree(fs::path(tmp.str()) / "mixed", {{"keep.txt", "k"}, {"letter.doc", "d"}});
    Control<CompilationList>("clBox")->clear();
    Drop({QString::fromStdString(tmp / "mixed"), QString::fromStdString(tmp / "gone.txt")});
    BoxAnswerer answer("yes");
    window->bBurnClick();
    ASSERT_TRUE(WaitFor([this] { return LogHas("Upis uspešno izvršen"); })) << window->LogText().toStdString();
    EXPECT_TRUE(LogHas(QString::fromStdString("Preskačem; Ne postoji: " + tmp / "gone.txt")));
    EXPECT_TRUE(LogHas(QString::fromStdString("Preskačem datoteku tipa .doc: " + tmp / "mixed/letter.doc")));
    EXPECT_TRUE(LogHas("Izostavljeno iz upisa: 2")) << window->LogText().toStdString();
  }
}

// A disc with a session whose import fails is not recorded over: the later session would hide
// the earlier files for good.
TEST_F(WindowStateTest, AFailedSessionImportStopsTheBurn) {
  Insert("dvd+r");
  OpenWindow();
  ListSources();
  {
    BoxAnswerer answer("yes");
    window->bBurnClick();
    ASSERT_TRUE(WaitFor([this] { return LogHas("Upis uspešno izvršen"); })) << window->LogText().toStdString();
  }
  Faults([](vdrive::Faults& f) { f.mediumErrors = {{16, -1}, {17, -1}}; });
  window->Options.SessionToImport = -1;
  const vdrive::DriveState before = recorder->State();
  BoxAnswerer answer("yes");
  window->bBurnClick();
  EXPECT_TRUE(LogHas("Uvoz prethodne sesije nije uspeo, PREKIDAM OPERACIJU ...")) << window->LogText().toStdString();
  EXPECT_EQ(answer.answered, 0) << "the burn was offered";
  EXPECT_EQ(window->State(), WindowState::Idle);
  EXPECT_TRUE(*recorder->State().disc == *before.disc);
}

// Archive marks are cleared, and the disc ejected, only after a recording that put the files
// on the disc: a test write leaves both alone.
TEST_F(WindowStateTest, OnlyARealRecordingClearsArchiveMarksAndEjects) {
  const std::string file = tmp / "src/a.txt";
  const auto archived = [&file] {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0);
    return platform::ReadArchiveMark(file, st);
  };
  for (const bool testWrite : {true, false}) {
    SCOPED_TRACE(testWrite ? "test write" : "recording");
    Insert("cd-r");
    OpenWindow();
    if (testWrite) ListSources();
    else Drop({QString::fromStdString(tmp / "src")});
    if (archived() == platform::ArchiveState::Unsupported) GTEST_SKIP() << "no extended attributes here";
    window->Options.ArchiveOnly = true;
    window->Options.EjectWhenDone = !testWrite;
    window->zelvob().TestWrite = testWrite;
    BoxAnswerer answer("yes");
    window->bBurnClick();
    ASSERT_TRUE(WaitFor([this] { return LogHas("Upis uspešno izvršen"); })) << window->LogText().toStdString();
    EXPECT_EQ(archived(), testWrite ? platform::ArchiveState::Set : platform::ArchiveState::Cleared);
    EXPECT_EQ(recorder->State().trayOpen, !testWrite);
    window.reset();
  }
}

// With the virtual recorder selected, a user without a drive loads and takes out media and
// exports the disc from the window.
TEST_F(WindowStateTest, TheVirtualRecorderMenuWorksOnTheRecordersFolder) {
  Insert("cd-r");
  OpenWindow();
  auto* menu = Control<VirtualRecorderMenu>("VirtualRecorderMenu");
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->isVisible());
  const auto trigger = [this](const char* name) {
    auto* action = window->findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
  };
  trigger("VirtualInsert_dvd-ram");
  ASSERT_TRUE(recorder->State().disc);
  EXPECT_EQ(recorder->State().disc->kind, vdrive::MediumKind::DvdRam);
  trigger("VirtualEject");
  EXPECT_TRUE(recorder->State().trayOpen);

  trigger("VirtualInsert_dvd+r");
  ListSources();
  BoxAnswerer answer("yes");
  window->bBurnClick();
  ASSERT_TRUE(WaitFor([this] { return LogHas("Upis uspešno izvršen"); })) << window->LogText().toStdString();
  const std::string image = tmp / "exported.iso";
  ASSERT_TRUE(menu->Export(image));
  EXPECT_TRUE(window->LogText().contains(QString::fromStdString("Disk je izvezen u " + image))) << window->LogText().toStdString();
  kivo::testing::ExpectSevenZipReads(image, {{"a.txt", kivo::testing::Content("a", 5000)}}, tmp.str());
}

TEST_F(WindowStateTest, ControlsCarryTheirCaptionsAndHints) {
  Insert("cd-r");
  OpenWindow();
  struct Text {
    const char* name;
    const char* caption;
    const char* hint;
  };
  const Text buttons[] = {
      {"bCaps", "...", ""},
      {"bDisc", "Disk informacija",
       "Informacija o disku i eventualnim\nprethodnim upisima (sesijama)\n(Otpakivanje datoteka iz svake sesije)"},
      {"bSaveISO", "Sačuvaj ISO", "Izgradnja i čuvanje .ISO slike"},
      {"bBurnISO", "Učitaj disk", "Počni upis"},
      {"bClear", "Očisti", "Očisti - Ukloni izabrano za snimanje"},
      {"bNetwork", "Mreža", "Mrežne datoteke"},
      {"bQErase", "Brzo brisanje", "Brzo brisanje diska\n(samo za piši/briši diskove)"},
      {"bCErase", "Puno brisanje", "Puno brisanje (uobičajeno nije potrebno)\n(samo za piši/briši diskove)"},
      {"bLoad", "Učitaj disk", "Učitavanje CD/DVD"},
      {"bEject", "Izbaci disk", "Otvaranje CD/DVD uređaja"},
      {"bReady", "Disk spreman", "Da li je CD/DVD uređaj spreman ?"},
  };
  for (const Text& t : buttons) {
    auto* button = Control<QPushButton>(t.name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), t.caption) << t.name;
    EXPECT_EQ(button->toolTip(), t.hint) << t.name;
    EXPECT_FALSE(button->accessibleName().isEmpty()) << t.name;
  }
  const Text pictures[] = {{"btnKivoTirel", "", "Kivo Tirel (ukoliko je instaliran)"},
                           {"bCDHeader", "", "Disk informacija"},
                           {"bBurn", "", "Počni upis (prženje - na tihoj vatri)"},
                           {"bAbort", "", "Prekid upisa pre završetka"},
                           {"CloseBtn", "", "Izlaz iz programa"}};
  for (const Text& t : pictures) {
    EXPECT_EQ(Control<QToolButton>(t.name)->toolTip(), t.hint) << t.name;
    EXPECT_EQ(Control<QToolButton>(t.name)->accessibleName(), t.hint) << t.name;
  }
  EXPECT_EQ(Control<QCheckBox>("cPathInfo")->text(), "Sačuvaj putanju");
  EXPECT_EQ(Control<QCheckBox>("cPathInfo")->toolTip(), "Prenesi apsolutnu putanju na disk");
  EXPECT_EQ(Control<QComboBox>("cbSpeed")->itemText(0), "Max");
  EXPECT_EQ(Control<QComboBox>("cbSpeed")->toolTip(), "Izbor brzine usnimavanja");
  EXPECT_EQ(Control<QComboBox>("cbDrives")->toolTip(), "0:0:0,V: KIVO    VIRTUAL RECORDER1.00");
  EXPECT_EQ(Control<QLabel>("lDrive")->text(), "Pisač V:");
  EXPECT_EQ(Control<QLabel>("SBPanel0")->text(), "CD/DVD Progres");
  EXPECT_EQ(Control<QLabel>("SBPanel2")->text(), "Veličina");
  EXPECT_EQ(Control<QPushButton>("SBPanel3")->text(), "Prekini");
  EXPECT_EQ(Control<QLabel>("SBPanel4")->text(), "Buffer:");
  EXPECT_EQ(Control<QWidget>("CaptionPanel")->height(), 15);
  EXPECT_EQ(window->size(), QSize(1026, 709));
  // The log starts with "*** " and start-up ends with a line of one blank.
  EXPECT_TRUE(window->LogText().startsWith("\n*** \n")) << window->LogText().toStdString();
}

TEST(SpeedEntry, ShowsTheMultipleOfTheMediumInTheUsersSeparators) {
  const platform::NumberSeparators dot{".", ","};
  const platform::NumberSeparators comma{",", "."};
  EXPECT_EQ(SpeedEntry(7056, 2, dot), "40X (7,056 KB/s)");
  EXPECT_EQ(SpeedEntry(11080, 5, dot), "8.0X (11,080 KB/s)");
  EXPECT_EQ(SpeedEntry(11080, 5, comma), "8,0X (11.080 KB/s)");
}

}  // namespace
}  // namespace kivo::app::testing
