// The session chooser and the disc browser against discs on the virtual recorder: every session
// of a three-session disc opens with exactly its files, files and folders come out equal to
// their sources, a local file is replaced only when the user says so, a cancelled extraction
// leaves only whole files, and a hostile disc writes nothing outside the chosen folder.
#include <QHeaderView>
#include <QListWidget>
#include <QProgressDialog>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <fmt/format.h>

#include <filesystem>
#include <set>

#include "app/DiscInfo.h"
#include "app/TreeView.h"
#include "engine/iso/TZelvoBurner.h"
#include "tests/app/WindowFixture.h"
#include "tests/integration/DiscFixture.h"
#include "tests/iso/Commands.h"
#include "tests/iso/HandDisc.h"
#include "virtualdrive/Sense.h"

namespace kivo::app::testing {
namespace {

namespace fs = std::filesystem;
using kivo::testing::Content;
using kivo::testing::FileMap;
using kivo::testing::FilesBelow;
using kivo::testing::RunCli;
using kivo::testing::WriteTree;

constexpr int kNumberColumns = 3;  // "NN " before a name in the browser's grid

QTreeWidget& Tree(TfrmTree& browser) { return *browser.findChild<QTreeWidget*>("tvDir"); }
QTableWidget& Grid(TfrmTree& browser) { return *browser.findChild<QTableWidget*>("fl"); }
QPushButton& Msg(TfrmTree& browser) { return *browser.findChild<QPushButton*>("Msg"); }

void SelectNode(TfrmTree& browser, const QString& name) {
  const auto found = Tree(browser).findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(found.size(), 1) << name.toStdString();
  Tree(browser).setCurrentItem(found.front());
}

QStringList Row(QTableWidget& grid, int row) {
  QStringList cells;
  for (int column = 0; column < grid.columnCount(); ++column) {
    cells << (grid.item(row, column) != nullptr ? grid.item(row, column)->text() : QString());
  }
  return cells;
}

// A double-click on the row that shows name, as a user gives it.
void DoubleClick(TfrmTree& browser, const QString& name) {
  QTableWidget& grid = Grid(browser);
  for (int row = 0; row < grid.rowCount(); ++row) {
    if (grid.item(row, 0) == nullptr || grid.item(row, 0)->text().mid(kNumberColumns) != name) continue;
    const QPoint at = grid.visualItemRect(grid.item(row, 0)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    return;
  }
  ADD_FAILURE() << "no row " << name.toStdString();
}

// What the browser shows, directory by directory: "path size" per file, "path/ DIR" per folder.
std::set<std::string> Shown(TfrmTree& browser) {
  std::set<std::string> shown;
  std::function<void(QTreeWidgetItem*, const std::string&)> visit = [&](QTreeWidgetItem* node, const std::string& prefix) {
    Tree(browser).setCurrentItem(node);
    QTableWidget& grid = Grid(browser);
    for (int row = 0; row < grid.rowCount(); ++row) {
      const QStringList cells = Row(grid, row);
      if (cells[0].isEmpty()) continue;
      const std::string name = prefix + cells[0].mid(kNumberColumns).toStdString();
      shown.insert(cells[1] == " < DIR > " ? name + "/ DIR" : name + " " + cells[1].trimmed().toStdString());
    }
    for (int i = 0; i < node->childCount(); ++i) visit(node->child(i), prefix + node->child(i)->text(0).toStdString() + "/");
  };
  visit(Tree(browser).topLevelItem(0), "");
  return shown;
}

std::set<std::string> Expected(const FileMap& files) {
  std::set<std::string> expected;
  for (const auto& [path, content] : files) {
    expected.insert(path + " " + std::to_string(content.size()));
    for (auto slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
      expected.insert(path.substr(0, slash) + "/ DIR");
    }
  }
  return expected;
}

class DiscBrowserTest : public WindowTest {
 protected:
  // Three sessions: the second adds a folder, the third carries the second's files over and
  // adds a file of a type the main window leaves out of its own recordings.
  void BurnThreeSessions() {
    Insert("cd-r");
    const fs::path src = fs::path(tmp.str()) / "src";
    sessions[0] = WriteTree(src / "one", {{"a.txt", Content("a", 3000)}});
    sessions[1] = WriteTree(src / "two", {{"b.bin", Content("b", 1500000)}, {"sub/c.txt", Content("c", 10)}});
    sessions[2] = WriteTree(src / "three", {{"d.doc", Content("d", 20)}});
    ASSERT_EQ(RunCli({"burn", (src / "one").string()}).status, 0);
    ASSERT_EQ(RunCli({"burn", (src / "two").string()}).status, 0);
    ASSERT_EQ(RunCli({"burn", "--import-session", "-1", (src / "three").string()}).status, 0);
    sessions[2].insert(sessions[1].begin(), sessions[1].end());
  }

  // Opens the disc window, chooses the line of session (0: none) and hands the browser to use.
  bool Browse(int session, const std::function<void(TfrmTree&)>& use) {
    bool browsed = false;
    const bool opened = InspectModal<TfrmSessions>(
        [this] { Control<QPushButton>("bDisc")->click(); },
        [&](TfrmSessions& disc) {
          if (session > 0) disc.findChild<QListWidget*>("lb")->setCurrentRow(session - 1);
          auto* show = disc.findChild<QPushButton*>("AdvGlowButton1");
          EXPECT_TRUE(show->isEnabled());
          browsed = InspectModal<TfrmTree>([show] { show->click(); }, use, "");
        },
        "bReady");
    EXPECT_TRUE(opened);
    return browsed;
  }

  fs::path Out(const char* name) { return fs::path(tmp.str()) / name; }

  FileMap sessions[3];
};

TEST_F(DiscBrowserTest, EachSessionOpensWithExactlyItsFiles) {
  BurnThreeSessions();
  OpenWindow();
  {
    BoxAnswerer answer("ok");
    EXPECT_FALSE(Browse(0, [](TfrmTree&) {}));
    EXPECT_EQ(answer.text, "Izaberite sesiju (prethodne upise) sa liste");
  }
  for (int session = 1; session <= 3; ++session) {
    SCOPED_TRACE(session);
    EXPECT_TRUE(Browse(session, [&](TfrmTree& browser) { EXPECT_EQ(Shown(browser), Expected(sessions[session - 1])); }));
  }

  EXPECT_TRUE(Browse(2, [](TfrmTree& browser) {
    EXPECT_EQ(browser.size(), QSize(626, 419));
    EXPECT_TRUE(browser.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(browser.findChild<QLabel*>("CaptionLabel")->text(),
              "Kivo Ardel - Preglednik datoteka i direktorijuma (dupli klik na naziv datoteke za otvaranje)");
    EXPECT_EQ(Tree(browser).topLevelItem(0)->text(0), "CDROOT");
    EXPECT_EQ(Tree(browser).width(), 158);
    QTableWidget& grid = Grid(browser);
    EXPECT_EQ(grid.horizontalHeaderItem(0)->text(), "Naziv datoteke");
    EXPECT_EQ(grid.horizontalHeaderItem(1)->text(), "Veličina");
    EXPECT_EQ(grid.columnWidth(0), 361);
    EXPECT_EQ(grid.columnWidth(1), 71);
    // The number right-aligned in two, a blank, the name; the size right-aligned in nine.
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(Row(grid, 0), (QStringList{" 1 b.bin", "  1500000"}));
    EXPECT_EQ(Row(grid, 1), (QStringList{" 2 sub", " < DIR > "}));
    EXPECT_EQ(Msg(browser).text(), "");
    EXPECT_TRUE(LooksAsDocumented(browser, "browser-window.png"));

    BoxAnswerer answer("ok");
    DoubleClick(browser, "sub");
    EXPECT_EQ(answer.text, "Direktorijum se ne otvara, sub je direktorijum");
  }));
  EXPECT_EQ(window->State(), WindowState::Idle);
}

// A file by a double-click; everything below the root, with its folders or without them.
TEST_F(DiscBrowserTest, ExtractedFilesAndFoldersEqualTheSources) {
  BurnThreeSessions();
  OpenWindow();
  EXPECT_TRUE(Browse(3, [&](TfrmTree& browser) {
    SelectNode(browser, "sub");
    const fs::path single = Out("single.txt");
    FileAnswerer file(QString::fromStdString(single.string()));
    DoubleClick(browser, "c.txt");
    EXPECT_EQ(file.title, "Otpakivanje datoteke");
    EXPECT_EQ(FilesBelow(Out("")).count("single.txt"), 1u);
    EXPECT_EQ(FilesBelow(Out("")).at("single.txt"), sessions[2].at("sub/c.txt"));
  }));

  const struct {
    const char* subfolders;  // the answer to the question
    FileMap expected;
    const char* count;
  } cases[] = {
      {"yes", sessions[2], "Otpakovano datoteka: 3, neuspešno: 0, zadržano postojećih: 0"},
      {"no", {{"b.bin", sessions[2].at("b.bin")}, {"d.doc", sessions[2].at("d.doc")}},
       "Otpakovano datoteka: 2, neuspešno: 0, zadržano postojećih: 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subfolders);
    const fs::path folder = Out(c.subfolders);
    fs::create_directories(folder);
    EXPECT_TRUE(Browse(3, [&](TfrmTree& browser) {
      FileAnswerer chooser(QString::fromStdString(folder.string()));
      BoxAnswerer answer(c.subfolders);
      Msg(browser).click();
      EXPECT_EQ(chooser.title, "Izbor direktorijuma za otpakivanje");
      EXPECT_EQ(answer.title, "Da li želite da otpakujete i poddirektorijume?");
      EXPECT_EQ(Msg(browser).text(), c.count);
    }));
    EXPECT_EQ(FilesBelow(folder), c.expected);
    EXPECT_TRUE(LogHas(c.count));
  }
}

TEST_F(DiscBrowserTest, ExistingLocalFileIsReplacedOnlyWhenTheUserSaysSo) {
  BurnThreeSessions();
  OpenWindow();
  const std::string disc = sessions[0].at("a.txt");
  const struct {
    bool all;  // by a click on the panel, else by a double-click
    const char* answer;
    std::string left;
  } cases[] = {{false, "no", "mine"}, {false, "yes", disc}, {true, "no", "mine"}, {true, "yes", disc}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.all ? "all, " : "one, ") + c.answer);
    const fs::path folder = Out(c.all ? "all" : "one");
    WriteTree(folder, {{"a.txt", "mine"}});
    EXPECT_TRUE(Browse(1, [&](TfrmTree& browser) {
      FileAnswerer chooser(QString::fromStdString((c.all ? folder : folder / "a.txt").string()));
      BoxAnswerer answer(c.answer);
      if (c.all) {
        Msg(browser).click();
      } else {
        DoubleClick(browser, "a.txt");
      }
      EXPECT_EQ(answer.title, "Da li želite da zamenite postojeću datoteku?");
    }));
    EXPECT_EQ(FilesBelow(folder), (FileMap{{"a.txt", c.left}}));
  }
}

// Cancelled between two files, or with reads that fail from the sixth file on: what is left in
// the folder are whole files, each equal to its source, and nothing else.
TEST_F(DiscBrowserTest, CancelledOrFailedExtractionLeavesOnlyWholeFiles) {
  Insert("cd-r");
  FileMap files;
  for (int i = 0; i < 40; ++i) files[fmt::format("f{:02}.bin", i)] = Content(std::to_string(i), 5000 + i);
  const fs::path src = Out("src");
  WriteTree(src, files);
  ASSERT_EQ(RunCli({"burn", src.string()}).status, 0);
  OpenWindow();
  const fs::path folder = Out("out");
  fs::create_directories(folder);
  EXPECT_TRUE(Browse(1, [&](TfrmTree& browser) {
    FileAnswerer chooser(QString::fromStdString(folder.string()));
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&browser] {
      auto* progress = browser.findChild<QProgressDialog*>("extractProgress");
      if (progress == nullptr || progress->value() < 3) return;
      if (auto* button = progress->findChild<QPushButton*>()) button->click();
    });
    cancel.start(5);
    Msg(browser).click();
    EXPECT_TRUE(Msg(browser).text().startsWith("Otpakivanje prekinuto. Otpakovano datoteka: ")) << Msg(browser).text().toStdString();
  }));
  const FileMap extracted = FilesBelow(folder);
  EXPECT_GE(extracted.size(), 3u);
  EXPECT_LT(extracted.size(), files.size());
  for (const auto& [name, content] : extracted) {
    ASSERT_EQ(files.count(name), 1u) << name << " is no file of the disc";
    EXPECT_EQ(content, files.at(name)) << name;
  }

  const fs::path failing = Out("failing");
  fs::create_directories(failing);
  EXPECT_TRUE(Browse(1, [&](TfrmTree& browser) {
    std::string error;
    // Each file is one reading: five are answered, then every one fails.
    ASSERT_TRUE(recorder->EditFaults([](vdrive::Faults& f) {
      f.commands.push_back({.opcode = 0x28, .kind = vdrive::CommandFault::Kind::Sense,
                            .code = vdrive::sense::kUnrecoveredReadError, .count = -1, .skip = 5});
    }, error)) << error;
    FileAnswerer chooser(QString::fromStdString(failing.string()));
    Msg(browser).click();
    EXPECT_EQ(Msg(browser).text(), "Otpakovano datoteka: 5, neuspešno: 35, zadržano postojećih: 0");
  }));
  FileMap firstFive;
  for (auto it = files.begin(); firstFive.size() < 5; ++it) firstFive.insert(*it);
  EXPECT_EQ(FilesBelow(failing), firstFive);
}

// A read-only disc whose Joliet tree holds "..", names with a separator, an empty name, paths
// that climb and loops: whatever the window extracts stays below the chosen folder.
TEST_F(DiscBrowserTest, HostileDiscWritesNothingOutsideTheChosenFolder) {
  const auto hand = kivo::testing::HostileJolietDisc({""});
  const fs::path image = Out("hostile.iso");
  WriteTree(Out(""), {{"hostile.iso", std::string(hand.bytes.begin(), hand.bytes.end())}});
  std::string error;
  ASSERT_TRUE(recorder->InsertImage(image.string(), error)) << error;
  OpenWindow();

  const fs::path box = Out("box");
  fs::create_directories(box / "out");
  EXPECT_TRUE(Browse(1, [&](TfrmTree& browser) {
    FileAnswerer chooser(QString::fromStdString((box / "out").string()));
    BoxAnswerer answer("yes");
    Msg(browser).click();
    EXPECT_TRUE(Msg(browser).text().startsWith("Otpakovano datoteka: ")) << Msg(browser).text().toStdString();
  }));
  // The import itself leaves out "..", the empty name and what climbs; the escaped rest comes out.
  EXPECT_TRUE(LogHas("INVALID NAME, NOT ADDED: \\"));
  EXPECT_EQ(FilesBelow(box / "out"), (FileMap{{"a%2Fb", "owned"}, {"..%2Fup.txt", "owned"}, {"huge/inside.txt", "sound!"},
                                              {"ok.txt", "sound!"}}));

  // Names that reach the window all the same are refused there, each with its line.
  fs::create_directories(box / "again");
  EXPECT_TRUE(Browse(1, [&](TfrmTree& browser) {
    const char* hostile[] = {"..", "a/b", ""};
    int next = 0;
    for (TFEntry* entry = window->zelvob().RootDirectory()->FirstEntry; entry != nullptr; entry = entry->Next) {
      if (!entry->IsDirectory() && next < 3) entry->LongName = hostile[next++];
    }
    ASSERT_EQ(next, 3);
    {
      BoxAnswerer none("no");
      DoubleClick(browser, "ok.txt");
      EXPECT_EQ(none.answered, 0) << "no question for a name that is refused";
    }
    FileAnswerer chooser(QString::fromStdString((box / "again").string()));
    BoxAnswerer answer("yes");
    Msg(browser).click();
    EXPECT_EQ(Msg(browser).text(), "Otpakovano datoteka: 1, neuspešno: 3, zadržano postojećih: 0");
  }));
  for (const char* name : {"..", "a/b", ""}) {
    EXPECT_TRUE(LogHas(QStringLiteral("Odbijam otpakivanje; naziv sa diska bi izašao iz direktorijuma: \"%1\"").arg(name))) << name;
  }
  EXPECT_EQ(FilesBelow(box / "again"), (FileMap{{"huge/inside.txt", "sound!"}}));
  std::set<std::string> inBox;
  for (const auto& entry : fs::recursive_directory_iterator(box)) inBox.insert(entry.path().lexically_relative(box).string());
  for (const std::string& path : inBox) {
    EXPECT_TRUE(path.starts_with("out") || path.starts_with("again")) << path;
  }
  for (const char* name : {"escaped.txt", "up.txt", "owned", "b"}) EXPECT_FALSE(fs::exists(Out(name))) << name;
}

}  // namespace
}  // namespace kivo::app::testing
