// The settings window driven as a user drives it: opened from the main window's header, its
// controls clicked and typed into, "&Da", "&Odustajem" and "&Zatvori" pressed, against a virtual
// recorder and a private configuration file.
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "app/Configuration.h"
#include "app/Unit2.h"
#include "engine/drive/Capabilities.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/PrivateProfile.h"
#include "tests/app/WindowFixture.h"
#include "virtualdrive/DriveState.h"

namespace kivo::app::testing {
namespace {

// Answers every file chooser that opens while the object lives: picks path, or cancels when
// path is empty. Counts the choosers it saw.
class ChooserAnswerer {
 public:
  explicit ChooserAnswerer(QString path) : path_(std::move(path)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      ++opened;
      shownName = dialog->selectedFiles().value(0);
      if (path_.isEmpty()) {
        dialog->reject();
      } else {
        // Typed into the name box, as a user may give a whole path.
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(path_);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its override
      }
    });
    timer_.start(20);
  }
  int opened = 0;
  QString shownName;

 private:
  QString path_;
  QTimer timer_;
};

class SettingsWindowTest : public WindowTest {
 public:  // for the cases' tables
  TfrmSettings* OpenSettings() {
    QTest::mouseClick(Control<QToolButton>("bCDHeader"), Qt::LeftButton);
    settings = window->findChild<TfrmSettings*>();
    EXPECT_NE(settings, nullptr);
    EXPECT_TRUE(settings && settings->isVisible());
    return settings;
  }
  template <typename Widget>
  Widget* In(const char* name) {
    auto* widget = settings->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // At the left edge, where a check box's indicator is, wherever its layout stretched it to.
  void Click(const char* name) {
    QWidget* widget = In<QWidget>(name);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
  }
  void SetTicked(const char* name, bool ticked) {
    if (In<QCheckBox>(name)->isChecked() != ticked) Click(name);
  }
  void Type(const char* name, const QString& text) {
    auto* edit = In<QLineEdit>(name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  // The window has gone (it frees itself on closing).
  bool Closed() {
    return WaitFor([this] { return settings.isNull(); }, 5000);
  }
  std::string ConfigPath() const { return tmp / "config/KivoArdel.ini"; }
  std::string Saved(const char* key) const {
    return platform::PrivateProfile(ConfigPath()).ReadString(kOptionsSection, key, "<missing>");
  }
  // A session on the recorder's blank CD-R with a track written into it and nothing closed.
  void LeaveSessionOpen() {
    TZelvoBurner& drive = window->zelvob();
    std::vector<std::uint8_t> list(8 + 52, 0);
    std::uint8_t* page = &list[8];
    page[0] = 0x05;
    page[1] = 50;
    page[2] = 0x01;         // track at once
    page[3] = 0xC0 | 0x04;  // multisession, data track
    page[4] = 0x08;         // Mode 1
    page[15] = 150;
    ASSERT_TRUE(drive.ModeSelect(list)) << drive.LastErrorText;
    const std::vector<std::uint8_t> data(300 * 2048, 0x5A);
    ASSERT_TRUE(drive.WriteSectors(0, 300, data)) << drive.LastErrorText;
    ASSERT_TRUE(drive.SynchronizeCache(120000, false)) << drive.LastErrorText;
    ASSERT_EQ(recorder->State().disc->closedSessions, 0u);
  }

  QPointer<TfrmSettings> settings;
};

struct ControlCase {
  const char* control;
  std::function<void(SettingsWindowTest&)> edit;
  std::function<bool(TkivoArdelGL&)> applied;
  std::vector<std::pair<const char*, std::string>> saved;
};

// Each control once: set it, press "&Da", find its value on the burner or the window and in the
// file. The window's state carries from one case to the next, so each case moves its own value
// away from the one it had.
TEST_F(SettingsWindowTest, EveryControlReachesTheBurnerOrTheWindowAndTheFile) {
  Insert("cd-r");
  OpenWindow();
  const std::string bootImage = tmp.Write("boot.img", std::string(1474560, '\0'));
  const ControlCase cases[] = {
      {"cJoliet", [](auto& t) { t.Click("cJoliet"); }, [](auto& w) { return !w.zelvob().JolietFileSystem; },
       {{"JolietFS", "0"}}},
      {"eVolLabel", [](auto& t) { t.Type("eVolLabel", "ARHIVA 2026 MAJ-JUN"); },
       [](auto& w) { return w.zelvob().IdVolume == "ARHIVA 2026 MAJ-"; }, {{"NazivDiska", "ARHIVA 2026 MAJ-"}}},
      {"cCloseDisc", [](auto& t) { t.Click("cCloseDisc"); }, [](auto& w) { return w.zelvob().FinalizeDisc; },
       {{"CloseDisc", "1"}}},
      {"cUnderrunProtection", [](auto& t) { t.Click("cUnderrunProtection"); },
       [](auto& w) { return !w.zelvob().UnderrunProtection; }, {}},
      {"cTestWrite", [](auto& t) { t.Click("cTestWrite"); }, [](auto& w) { return w.zelvob().TestWrite; },
       {{"TestUpis", "1"}}},
      {"cOPC", [](auto& t) { t.Click("cOPC"); }, [](auto& w) { return !w.zelvob().PerformOPC; }, {{"POPC", "0"}}},
      {"sCacheSize",
       [](auto& t) {
         t.template In<QSlider>("sCacheSize")->setValue(16);
         EXPECT_EQ(t.template In<QLabel>("Label3")->text(), "16 MB");
       },
       [](auto& w) { return w.zelvob().CacheSize() == 16777216; }, {{"VelicinaKesa", "16777216"}}},
      {"cBootable",
       [&](auto& t) {
         ChooserAnswerer chooser(QString::fromStdString(bootImage));
         t.Click("cBootable");
         EXPECT_EQ(chooser.opened, 1);
         EXPECT_EQ(t.template In<QLabel>("Label2")->text().toStdString(), bootImage);
       },
       [&](auto& w) { return w.zelvob().Bootable && w.zelvob().BootImage == bootImage; },
       {{"Bootable", "1"}, {"BootImage", bootImage}}},
      {"cArchiveOnly", [](auto& t) { t.Click("cArchiveOnly"); }, [](auto& w) { return w.Options.ArchiveOnly; },
       {{"ArhivskeDatoteke", "1"}}},
      {"cEject", [](auto& t) { t.Click("cEject"); }, [](auto& w) { return w.Options.EjectWhenDone; },
       {{"IzbaciDisk", "1"}}},
      {"cShowFiles", [](auto& t) { t.Click("cShowFiles"); }, [](auto& w) { return w.Options.ShowFilesBeforeWrite; },
       {{"PokaziDatoteke", "1"}}},
      {"cImportSession",
       [](auto& t) {
         t.Click("cImportSession");
         t.Type("eSession", "-1");
       },
       [](auto& w) { return w.Options.ImportPreviousSession && w.Options.SessionToImport == -1; },
       {{"UvozSesije", "1"}, {"BrojSesije", "-1"}}},
      {"cQuickSaveISO", [](auto& t) { t.Click("cQuickSaveISO"); }, [](auto& w) { return w.Options.QuickSaveISO; },
       {{"BrzoCuvanjeISO", "1"}}},
      {"cVerify", [](auto& t) { t.Click("cVerify"); }, [](auto& w) { return w.Options.VerifyAfterRecording; },
       {{"ProveriDisk", "1"}}},
  };
  for (const ControlCase& c : cases) {
    SCOPED_TRACE(c.control);
    ASSERT_NE(OpenSettings(), nullptr);
    c.edit(*this);
    Click("Button1");
    ASSERT_TRUE(Closed());
    EXPECT_TRUE(c.applied(*window));
    for (const auto& [key, value] : c.saved) EXPECT_EQ(Saved(key), value) << key;
  }
  // The keep-path box's state goes with every save; start-up found no file, so unchecked.
  EXPECT_EQ(Saved("SavePath"), "Unchecked");
  EXPECT_EQ(window->zelvob().UnderrunProtection, false) << "underrun protection is stored nowhere but set";
}

TEST_F(SettingsWindowTest, OpensOverTheMainWindowShowingTheCurrentState) {
  Insert("cd-r");
  OpenWindow();
  const QString bootImage = QString::fromStdString(tmp.Write("slike.img", std::string(2048, '\0')));
  TZelvoBurner& b = window->zelvob();
  b.Bootable = true;
  b.BootImage = bootImage.toStdString();
  b.IdVolume = "STARO";
  b.FinalizeDisc = true;
  window->Options.ImportPreviousSession = true;
  window->Options.SessionToImport = -1;
  window->Options.EjectWhenDone = true;
  window->Options.VerifyAfterRecording = true;
  ChooserAnswerer chooser("");
  ASSERT_NE(OpenSettings(), nullptr);
  QTest::qWait(100);

  EXPECT_EQ(chooser.opened, 0) << "loading the controls opened the boot image chooser";
  EXPECT_TRUE(In<QCheckBox>("cBootable")->isChecked());
  EXPECT_EQ(In<QLabel>("Label2")->text(), bootImage);
  EXPECT_EQ(In<QLineEdit>("eSession")->text(), "-1");
  EXPECT_TRUE(In<QLineEdit>("eSession")->isEnabled());
  EXPECT_EQ(In<QLineEdit>("eVolLabel")->text(), "STARO");
  EXPECT_EQ(In<QLineEdit>("eVolLabel")->maxLength(), 16);
  EXPECT_TRUE(In<QCheckBox>("cCloseDisc")->isChecked());
  EXPECT_TRUE(In<QCheckBox>("cEject")->isChecked());
  EXPECT_TRUE(In<QCheckBox>("cJoliet")->isChecked());
  EXPECT_TRUE(In<QCheckBox>("cVerify")->isChecked());
  EXPECT_EQ(In<QCheckBox>("cVerify")->text(), "Proveri disk posle upisa");
  // The verify box, added below the archive box, leaves the window its size and cuts no control.
  for (const char* name : {"cVerify", "cArchiveOnly", "sCacheSize", "Button1"}) {
    const auto* box = In<QWidget>(name);
    EXPECT_GE(box->width(), box->minimumSizeHint().width()) << name;
    EXPECT_GE(box->height(), box->sizeHint().height()) << name;
    EXPECT_TRUE(settings->rect().contains(QRect(box->mapTo(settings, QPoint()), box->size()))) << name;
  }
  EXPECT_EQ(In<QSlider>("sCacheSize")->value(), 8);
  EXPECT_EQ(In<QLabel>("Label3")->text(), " 8 MB");
  EXPECT_EQ(In<QCheckBox>("cUnderrunProtection")->isEnabled(), (b.Capabilities.load() & kUnderrunProtection) != 0);

  EXPECT_EQ(settings->windowTitle(), "Kivo Ardel - Napredna podešavanja");
  EXPECT_EQ(settings->size(), QSize(506, 398));
  EXPECT_TRUE(settings->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(settings->isModal());
  EXPECT_EQ(settings->geometry().center(), window->geometry().center());
  EXPECT_EQ(In<QPushButton>("Button1")->text(), "&Da");
  EXPECT_EQ(In<QPushButton>("Button2")->text(), "&Odustajem");
  EXPECT_EQ(In<QPushButton>("Button3")->text(), "&Zatvori");

  // Ticking the import enables the number, unticking disables it.
  Click("cImportSession");
  EXPECT_FALSE(In<QLineEdit>("eSession")->isEnabled());
  Click("cImportSession");
  EXPECT_TRUE(In<QLineEdit>("eSession")->isEnabled());
  // A cancelled chooser leaves the box unticked and the path as it was.
  Click("cBootable");
  Click("cBootable");
  EXPECT_EQ(chooser.opened, 1);
  EXPECT_EQ(chooser.shownName, bootImage);
  EXPECT_FALSE(In<QCheckBox>("cBootable")->isChecked());
  EXPECT_EQ(In<QLabel>("Label2")->text(), bootImage);
  Click("Button2");
  ASSERT_TRUE(Closed());

  // Without the import the number stays disabled; without the capability, so does the box.
  window->Options.ImportPreviousSession = false;
  b.Capabilities = 0;
  ASSERT_NE(OpenSettings(), nullptr);
  EXPECT_FALSE(In<QLineEdit>("eSession")->isEnabled());
  EXPECT_FALSE(In<QCheckBox>("cUnderrunProtection")->isEnabled());
}

TEST_F(SettingsWindowTest, CancelAndTheCloseButtonDiscardTheEdits) {
  Insert("cd-r");
  OpenWindow();
  for (const char* closer : {"Button2", "CloseFormBtn"}) {
    SCOPED_TRACE(closer);
    ASSERT_NE(OpenSettings(), nullptr);
    Click("cJoliet");
    Click("cEject");
    Type("eVolLabel", "NOVO");
    In<QSlider>("sCacheSize")->setValue(40);
    Click(closer);
    ASSERT_TRUE(Closed());
    EXPECT_TRUE(window->zelvob().JolietFileSystem);
    EXPECT_TRUE(window->zelvob().IdVolume.empty());
    EXPECT_EQ(window->zelvob().CacheSize(), 8392704);
    EXPECT_FALSE(window->Options.EjectWhenDone);
    EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
  }
}

struct SessionCase {
  const char* text;
  std::optional<int> accepted;  // none: refused
  const char* message;          // the message shown, or none
};

TEST_F(SettingsWindowTest, SessionNumberIsCheckedBeforeAnythingIsApplied) {
  const char* refused = "Broj sesije za uvoz mora biti -1 (poslednja sesija) ili ceo broj od 0 do 99. "
                        "Podešavanja nisu promenjena.";
  const SessionCase cases[] = {
      {"", std::nullopt, refused},        {"abc", std::nullopt, refused},  {"300", std::nullopt, refused},
      {"-2", std::nullopt, refused},      {"100", std::nullopt, refused},  {"1.5", std::nullopt, refused},
      {"7x", std::nullopt, refused},      {" 5 ", 5, nullptr},             {"-1", -1, nullptr},
      {"99", 99, nullptr},
      {"0", 0, "Sesije (prethodni zapisi) za uvoz; Nula označava da se ništa ne uvozi"},
  };
  Insert("cd-r");
  OpenWindow();
  for (const SessionCase& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    std::filesystem::remove(ConfigPath());
    window->Options = {};
    window->zelvob().TestWrite = false;
    ASSERT_NE(OpenSettings(), nullptr);
    SetTicked("cImportSession", true);
    Type("eSession", c.text);
    Click("cTestWrite");
    BoxAnswerer answer("ok");
    Click("Button1");
    EXPECT_EQ(answer.answered, c.message ? 1 : 0);
    EXPECT_EQ(answer.text.toStdString(), c.message ? c.message : "");
    if (!c.accepted) {
      EXPECT_TRUE(settings && settings->isVisible()) << "the window closed on a refused number";
      EXPECT_FALSE(window->zelvob().TestWrite) << "applied before the number was checked";
      EXPECT_FALSE(window->Options.ImportPreviousSession);
      EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
      Click("Button2");
    } else {
      EXPECT_TRUE(window->zelvob().TestWrite);
      EXPECT_TRUE(window->Options.ImportPreviousSession);
      EXPECT_EQ(window->Options.SessionToImport, *c.accepted);
      EXPECT_EQ(Saved("BrojSesije"), std::to_string(*c.accepted));
      EXPECT_EQ(Saved("UvozSesije"), "1");
    }
    ASSERT_TRUE(Closed());
  }
}

// A settings file that cannot be written: the settings still apply, and the user hears why
// they were not kept.
TEST_F(SettingsWindowTest, FailedSaveIsShownAndLogged) {
  Insert("cd-r");
  std::ofstream(tmp / "config").close();  // a file where the folder should be
  OpenWindow();
  ASSERT_NE(OpenSettings(), nullptr);
  Click("cTestWrite");
  BoxAnswerer answer("ok");
  Click("Button1");
  ASSERT_TRUE(Closed());
  const QString prefix = "Podešavanja važe do izlaska iz programa, ali nisu sačuvana: ";
  EXPECT_EQ(answer.answered, 1);
  EXPECT_TRUE(answer.text.startsWith(prefix + QString::fromStdString(ConfigPath()))) << answer.text.toStdString();
  EXPECT_TRUE(LogHas(answer.text)) << window->LogText().toStdString();
  EXPECT_TRUE(window->zelvob().TestWrite);
}

TEST_F(SettingsWindowTest, CloseSessionAsksFirstAndLogsTheOutcome) {
  Insert("cd-r");
  OpenWindow();
  LeaveSessionOpen();
  ASSERT_NE(OpenSettings(), nullptr);
  {
    BoxAnswerer answer("no");
    Click("Button3");
    EXPECT_EQ(answer.answered, 1);
    EXPECT_EQ(answer.title, "Da li želite da zatvorite sesiju diska?");
    EXPECT_EQ(recorder->State().disc->closedSessions, 0u) << "closed without the user's yes";
    EXPECT_FALSE(window->LogText().contains("esij"));
  }
  {
    BoxAnswerer answer("yes");
    Click("Button3");
    EXPECT_EQ(answer.answered, 1);
    EXPECT_EQ(recorder->State().disc->closedSessions, 1u);
    EXPECT_TRUE(LogHas("Sesija diska je zatvorena")) << window->LogText().toStdString();
    EXPECT_TRUE(settings && settings->isVisible()) << "the window stays open";
  }
  std::string error;
  ASSERT_TRUE(recorder->Eject(error)) << error;
  {
    BoxAnswerer answer("yes");
    Click("Button3");
    const QStringList lines = window->LogText().split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().startsWith("Zatvaranje sesije nije uspelo: ")) << window->LogText().toStdString();
    EXPECT_GT(lines.last().size(), QString("Zatvaranje sesije nije uspelo: ").size()) << "the reason is missing";
  }
}

}  // namespace
}  // namespace kivo::app::testing
