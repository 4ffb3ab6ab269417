// The window's image and drive commands against the virtual recorder: images saved and read back,
// images recorded and exported equal to the file, erases followed by a burn, the tray and
// readiness commands, each with its lines; and the refusals that must come before anything is
// written.
#include <cstring>
#include <filesystem>
#include <fstream>

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/CompilationList.h"
#include "engine/iso/TZelvoBurner.h"
#include "tests/app/WindowFixture.h"
#include "tests/integration/DiscFixture.h"

namespace kivo::app::testing {
namespace {

namespace fs = std::filesystem;
using kivo::testing::Content;
using kivo::testing::FileMap;
using kivo::testing::WriteTree;

constexpr std::uint8_t kBlank = 0xA1;
constexpr std::uint8_t kTestUnitReady = 0x00;
constexpr std::uint8_t kStartStopUnit = 0x1B;
constexpr std::uint8_t kSynchronizeCache = 0x35;
const vdrive::SenseCode kInvalidField{0x05, 0x24, 0x00};

QString Path(const fs::path& path) { return QString::fromStdString(path.string()); }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CommandsWindowTest : public WindowTest {
 protected:
  FileMap ListSources() {
    const FileMap files = WriteTree(src(), {{"a.txt", Content("a", 5000)}, {"deep/b.bin", Content("b", 90000)}});
    Drop({Path(src())});
    return files;
  }
  fs::path src() const { return fs::path(tmp.str()) / "src"; }
  void Faults(const std::function<void(vdrive::Faults&)>& edit) {
    std::string error;
    ASSERT_TRUE(recorder->EditFaults(edit, error)) << error;
  }
  std::string ExportDisc() {
    const std::string disc = tmp / "disc.iso";
    std::string error;
    std::uint32_t blocks = 0;
    EXPECT_TRUE(recorder->Export(disc, blocks, error)) << error;
    return ReadFile(disc);
  }
  // Whether sector 16 holds a volume descriptor (read through the recorder: an export of a
  // formatted DVD would copy gigabytes).
  bool DiscHoldsVolume() {
    std::uint8_t sector[2048] = {};
    const std::uint8_t read10[10] = {0x28, 0, 0, 0, 0, 16, 0, 0, 1, 0};
    const vdrive::ScsiResult read = recorder->Execute({read10, sizeof read10, vdrive::DataDirection::In, sector, sizeof sector});
    return read.status == vdrive::ScsiStatus::Good && std::memcmp(sector + 1, "CD001", 5) == 0;
  }
  bool Burn() {
    BoxAnswerer answer("yes");
    Control<QToolButton>("bBurn")->click();
    return WaitFor([this] { return window->State() == WindowState::Idle; }) && LogHas("Upis uspešno izvršen");
  }
  bool WaitForEraseEnd() {
    return WaitFor([this] { return LogHas("Operacija brisanja je završen uspešno") || LogHas("Operacija brisanja je završeno sa greškama"); });
  }
};

TEST_F(CommandsWindowTest, ImagesSavedQuicklyOrStreamedReadBackWhole) {
  Insert("dvd+r");
  OpenWindow();
  for (const bool quick : {false, true}) {
    SCOPED_TRACE(quick ? "quick" : "streamed");
    const FileMap files = ListSources();
    const fs::path image = fs::path(tmp.str()) / (quick ? "quick.iso" : "streamed.iso");
    // The quick save replaces a file that is there, after asking.
    if (quick) std::ofstream(image) << "old";
    window->Options.QuickSaveISO = quick;
    FileAnswerer file(Path(image));
    BoxAnswerer answer("yes");
    Control<QPushButton>("bSaveISO")->click();
    // The quick save is done when the click returns.
    if (!quick) {
      ASSERT_TRUE(WaitFor([this] { return window->State() == WindowState::Idle; }));
    }
    ASSERT_TRUE(LogHas("Upis uspešno izvršen")) << window->LogText().toStdString();
    EXPECT_EQ(file.title, "Napravi ISO");
    EXPECT_EQ(answer.answered, quick ? 1 : 0);
    if (quick) {
      EXPECT_EQ(answer.title, "Da li želite da zamenite postojeću datoteku?");
    }
    EXPECT_TRUE(LogHas("Dodavanje datoteka/direktorijuma u .ISO je završeno.") && LogHas("Počinjem da kreiram .ISO datoteku"));
    EXPECT_EQ(window->State(), WindowState::Idle);
    kivo::testing::ExpectSessionReads(image.string(), 0, files, tmp.str());
    kivo::testing::ExpectSevenZipReads(image.string(), files, tmp.str());
  }
  EXPECT_FALSE(DiscHoldsVolume()) << "an image save wrote to the disc";
}

TEST_F(CommandsWindowTest, AnImageIsNeverSavedOverItsOwnSourcesOrAnUnconfirmedFile) {
  Insert("dvd+r");
  OpenWindow();
  ListSources();
  const fs::path kept = fs::path(tmp.str()) / "kept.iso";
  std::ofstream(kept) << "keep me";
  struct Case {
    fs::path image;
    const char* answer;
    QString message;  // the box's text; empty for the replace question
  };
  const Case cases[] = {
      {kept, "no", ""},
      {src() / "inside.iso", "ok", "Slika ne može da se sačuva u " + Path(src()) + ": taj direktorijum je deo kompilacije i slika bi postala deo same sebe."},
      {src() / "deep/deeper.iso", "ok", "Slika ne može da se sačuva u " + Path(src() / "deep") + ": taj direktorijum je deo kompilacije i slika bi postala deo same sebe."},
      {src() / "a.txt", "ok", "Slika ne može da se sačuva u " + Path(src()) + ": taj direktorijum je deo kompilacije i slika bi postala deo same sebe."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.image.string());
    const std::string before = fs::exists(c.image) ? ReadFile(c.image) : "";
    FileAnswerer file(Path(c.image));
    BoxAnswerer answer(c.answer);
    Control<QPushButton>("bSaveISO")->click();
    EXPECT_EQ(answer.answered, 1);
    if (!c.message.isEmpty()) {
      EXPECT_EQ(answer.text, c.message);
    }
    EXPECT_EQ(fs::exists(c.image) ? ReadFile(c.image) : "", before);
    EXPECT_FALSE(LogHas("Počinjem da kreiram .ISO datoteku"));
    EXPECT_EQ(window->State(), WindowState::Idle);
  }
  // A file of the list replaced by the image would be read while it is overwritten.
  const fs::path listedFile = fs::path(tmp.str()) / "listed.iso";
  std::ofstream(listedFile) << "source";
  Drop({Path(listedFile)});
  FileAnswerer file(Path(listedFile));
  BoxAnswerer answer("yes");
  Control<QPushButton>("bSaveISO")->click();
  EXPECT_EQ(answer.text, "Slika ne može da zameni datoteku iz kompilacije: " + Path(listedFile));
  EXPECT_EQ(ReadFile(listedFile), "source");
}

TEST_F(CommandsWindowTest, AnImageFileIsRecordedFromTheFirstSectorAfterTheQuestion) {
  Insert("cd-r");
  OpenWindow();
  const fs::path image = fs::path(tmp.str()) / "raw.iso";
  const std::string bytes = Content("image", 300 * 2048 + 100);
  std::ofstream(image, std::ios::binary) << bytes;

  {  // "Ne" leaves the disc blank.
    FileAnswerer file(Path(image));
    BoxAnswerer answer("no");
    Control<QPushButton>("bBurnISO")->click();
    EXPECT_EQ(answer.title, "Da li želite da se slika snimi na disk?");
    EXPECT_EQ(answer.text, "Slika " + Path(image) + " (0.59 MB) biće upisana na CD-R od prvog sektora diska.");
    EXPECT_EQ(window->State(), WindowState::Idle);
    EXPECT_TRUE(ExportDisc().empty());
  }
  FileAnswerer file(Path(image));
  BoxAnswerer answer("yes");
  Control<QPushButton>("bBurnISO")->click();
  ASSERT_TRUE(WaitFor([this] { return window->State() == WindowState::Idle; }));
  ASSERT_TRUE(LogHas("Upis uspešno izvršen")) << window->LogText().toStdString();
  EXPECT_TRUE(window->LogText().contains("Počinjem sa kreiranje .ISO slike na "));
  const std::string disc = ExportDisc();
  ASSERT_GE(disc.size(), bytes.size());
  EXPECT_TRUE(disc.compare(0, bytes.size(), bytes) == 0) << "the disc does not start with the image";
  EXPECT_EQ(disc.find_first_not_of('\0', bytes.size()), std::string::npos) << "the last sector is not padded with zeros";
}

TEST_F(CommandsWindowTest, ImagesThatCannotBeRecordedAreRefusedBeforeTheQuestion) {
  Insert("cd-r");
  OpenWindow();
  const fs::path empty = fs::path(tmp.str()) / "empty.iso";
  std::ofstream{empty};
  const fs::path huge = fs::path(tmp.str()) / "huge.iso";
  std::ofstream{huge};
  fs::resize_file(huge, 1024ull * 1024 * 1024);  // sparse: no room taken
  const QString emptyText = "Datoteka slike je prazna: " + Path(empty);
  const QString hugeText = "Slika ne staje na disk: potrebno je 1,024.00 MB, a na disku je slobodno ";
  for (const auto& [image, text] : {std::pair{empty, emptyText}, std::pair{huge, hugeText}}) {
    FileAnswerer file(Path(image));
    BoxAnswerer answer("ok");
    Control<QPushButton>("bBurnISO")->click();
    EXPECT_EQ(answer.answered, 1) << "a refusal is one message, without the question";
    EXPECT_TRUE(answer.text.startsWith(text)) << answer.text.toStdString();
    EXPECT_EQ(window->State(), WindowState::Idle);
  }
  EXPECT_TRUE(ExportDisc().empty());
}

// Every rewritable medium, quickly and fully: recorded, erased, recorded again. While the erase
// runs nothing else can send the drive a command.
// (A full erase of a DVD+RW writes the whole disc: the command-line tests take that one.)
TEST_F(CommandsWindowTest, ErasedDiscsTakeANewBurn) {
  for (const char* medium : {"cd-rw", "dvd-rw", "dvd+rw"}) {
    for (const bool quick : {true, false}) {
      if (!quick && std::string(medium) == "dvd+rw") continue;
      SCOPED_TRACE(std::string(medium) + (quick ? " quick" : " full"));
      Insert(medium);
      OpenWindow();
      ListSources();
      ASSERT_TRUE(Burn()) << window->LogText().toStdString();
      ASSERT_TRUE(DiscHoldsVolume());

      BoxAnswerer answer("yes");
      Control<QPushButton>(quick ? "bQErase" : "bCErase")->click();
      EXPECT_EQ(answer.title, quick ? "Da li želite da se disk brzo obriše?" : "Da li želite da se brisanje završi? (may take 10-70 mins)");
      EXPECT_EQ(answer.text, quick ? "Svi postojeći podaci na CD/DVD će biti zauvek izgubljeni!" : "Sve datoteke sa diska će biti zauvek izgubljene");
      EXPECT_EQ(window->State(), WindowState::Erasing);
      for (const char* name : {"pTop", "pTop2", "bBurnISO", "bSaveISO"}) EXPECT_FALSE(Control<QWidget>(name)->isEnabled()) << name;
      for (const char* name : {"bBurn", "bCDHeader"}) EXPECT_FALSE(Control<QToolButton>(name)->isEnabled()) << name;
      ASSERT_TRUE(WaitForEraseEnd());
      EXPECT_TRUE(LogHas("Operacija brisanja je završen uspešno")) << window->LogText().toStdString();
      EXPECT_EQ(window->State(), WindowState::Idle);
      EXPECT_FALSE(DiscHoldsVolume());
      EXPECT_TRUE(Burn()) << window->LogText().toStdString();
      EXPECT_TRUE(DiscHoldsVolume());
      window.reset();
    }
  }
}

TEST_F(CommandsWindowTest, ErasesThatCannotRunOrDidNotHappenSayWhyAndNeverEject) {
  Insert("cd-r");
  OpenWindow();
  for (const auto& [button, text] : {std::pair{"bQErase", "Disk nije Piši/Briši, te je tako ova operacija nemoguća"},
                                     std::pair{"bCErase", "Disk nije predviđen za brisanje"}}) {
    BoxAnswerer answer("yes");
    Control<QPushButton>(button)->click();
    EXPECT_EQ(answer.answered, 1) << "the refusal comes without the question";
    EXPECT_EQ(answer.text, text);
    EXPECT_EQ(window->State(), WindowState::Idle);
  }
  window.reset();

  Insert("cd-rw");
  OpenWindow();
  ListSources();
  ASSERT_TRUE(Burn());
  window->Options.EjectWhenDone = true;
  {  // "Ne" sends nothing.
    BoxAnswerer answer("no");
    Control<QPushButton>("bQErase")->click();
    EXPECT_EQ(window->State(), WindowState::Idle);
    EXPECT_TRUE(DiscHoldsVolume());
  }
  {  // The drive takes BLANK and drops it: a failure, and the disc stays in.
    Faults([](vdrive::Faults& f) { f.commands = {{kBlank, vdrive::CommandFault::Kind::Ignore, {}, 1}}; });
    BoxAnswerer answer("yes");
    Control<QPushButton>("bQErase")->click();
    ASSERT_TRUE(WaitForEraseEnd());
    EXPECT_TRUE(LogHas("Operacija brisanja je završeno sa greškama")) << window->LogText().toStdString();
    EXPECT_FALSE(recorder->State().trayOpen);
    EXPECT_TRUE(DiscHoldsVolume());
  }
  {  // A drive that never becomes ready: the erase does not start, and the log says why.
    Faults([](vdrive::Faults& f) { f.commands = {{kTestUnitReady, vdrive::CommandFault::Kind::NotReady, {}, -1}}; });
    BoxAnswerer answer("yes");
    Control<QPushButton>("bQErase")->click();
    EXPECT_TRUE(window->LogText().contains("\nBrisanje nije započeto: ")) << window->LogText().toStdString();
    EXPECT_EQ(window->State(), WindowState::Idle);
    EXPECT_TRUE(DiscHoldsVolume());
  }
}

TEST_F(CommandsWindowTest, TrayAndReadinessCommandsLogTheirOutcome) {
  Insert("dvd+r");
  OpenWindow();
  struct Step {
    const char* button;
    std::function<void(vdrive::Faults&)> faults;
    const char* line;
    bool trayOpen;
  };
  const auto none = [](vdrive::Faults& f) { f = {}; };
  const Step steps[] = {
      {"bReady", none, "CD/DVD je spreman za upisivanje", false},
      // A refused synchronisation or removal permission does not change the eject's line.
      {"bEject", [](vdrive::Faults& f) { f.commands = {{kSynchronizeCache, vdrive::CommandFault::Kind::Sense, kInvalidField, 1}}; },
       "CD/DVD USPEŠNO IZBAČEN.", true},
      {"bReady", none, "CD/DVD nije spreman za upisivanje ", true},
      {"bLoad", none, "Učitavanje CD/DVD završeno.", false},
      {"bEject", [](vdrive::Faults& f) { f.commands = {{kStartStopUnit, vdrive::CommandFault::Kind::Sense, kInvalidField, -1}}; },
       "CD/DVD NIJE IZBAČEN - GREŠKA.", false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.button) + " " + step.line);
    Faults(step.faults);
    window->findChild<QPlainTextEdit*>("Memo1")->clear();
    Control<QPushButton>(step.button)->click();
    EXPECT_TRUE(LogHas(step.line)) << window->LogText().toStdString();
    EXPECT_EQ(recorder->State().trayOpen, step.trayOpen);
    EXPECT_EQ(window->State(), WindowState::Idle);
  }
}

// The speed list is filled for the medium in the drive; an entry chosen then keeps the rate the
// drive accepted, even once another medium is in the drive.
TEST_F(CommandsWindowTest, ASpeedEntryKeepsTheRateTheDriveAccepted) {
  Insert("cd-rw");
  OpenWindow();
  window->cbSpeedDropDown();
  auto* speeds = Control<QComboBox>("cbSpeed");
  ASSERT_GT(speeds->count(), 1);
  speeds->setCurrentIndex(1);
  const unsigned accepted = speeds->currentData().toUInt();
  ASSERT_GT(accepted, 0u);
  Insert("dvd+rw");
  BoxAnswerer answer("yes");
  Control<QPushButton>("bQErase")->click();
  ASSERT_TRUE(WaitForEraseEnd());
  EXPECT_EQ(window->zelvob().WriteSpeed(), accepted) << speeds->currentText().toStdString();
}

}  // namespace
}  // namespace kivo::app::testing
