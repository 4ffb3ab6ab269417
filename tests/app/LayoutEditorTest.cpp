// The layout editor at the burn's eighth step: what it removes is missing from the recorded
// disc and nothing else is, its grid never shows an entry that is gone, and however it is
// closed the recording goes on.
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <sstream>

#include "app/DiscLayout.h"
#include "tests/app/WindowFixture.h"
#include "tests/integration/DiscFixture.h"
#include "tests/iso/Commands.h"

namespace kivo::app::testing {
namespace {

namespace fs = std::filesystem;
using kivo::testing::Content;
using kivo::testing::FileMap;
using kivo::testing::RunCli;
using kivo::testing::WriteTree;

// 2024-03-05 07:08:09 UTC, the sources' last-write time.
constexpr std::int64_t kSourceTime = 1709622489;

QTreeWidget& Tree(TfrmDiscLayout& editor) { return *editor.findChild<QTreeWidget*>("tvDir"); }
QTableWidget& Grid(TfrmDiscLayout& editor) { return *editor.findChild<QTableWidget*>("fl"); }

QStringList Names(QTableWidget& grid) {
  QStringList names;
  for (int row = 0; row < grid.rowCount(); ++row) names << (grid.item(row, 0) != nullptr ? grid.item(row, 0)->text() : "");
  return names;
}

void SelectNode(TfrmDiscLayout& editor, const QString& name) {
  const auto found = Tree(editor).findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(found.size(), 1) << name.toStdString();
  Tree(editor).setCurrentItem(found.front());
}

// Del, as the menus' items bound to it give it (a key sent offscreen reaches a modal
// window's shortcuts only when the platform has made it the active window).
void Delete(TfrmDiscLayout& editor, const char* item) {
  auto* action = editor.findChild<QAction*>(item);
  ASSERT_NE(action, nullptr) << item;
  EXPECT_EQ(action->shortcut(), QKeySequence(QKeySequence::Delete));
  action->trigger();
}

// Del on the grid row that shows name.
void DeleteRow(TfrmDiscLayout& editor, const QString& name) {
  QTableWidget& grid = Grid(editor);
  const int row = static_cast<int>(Names(grid).indexOf(name));
  ASSERT_GE(row, 0) << name.toStdString();
  grid.setCurrentCell(row, 0);
  Delete(editor, "MenuItem1");
}

void DeleteNode(TfrmDiscLayout& editor, const QString& name) {
  SelectNode(editor, name);
  Delete(editor, "Delete1");
}

// Files with their sizes, and folders with "-", as `ls` lists the last session.
std::map<std::string, std::string> Listed() {
  const auto ls = RunCli({"ls"});
  EXPECT_EQ(ls.status, 0) << ls.output;
  std::map<std::string, std::string> listed;
  std::istringstream lines(ls.output);
  for (std::string line; std::getline(lines, line);) {
    const auto first = line.find('\t'), second = line.find('\t', first + 1);
    if (second != std::string::npos) listed[line.substr(second + 1)] = line.substr(0, first);
  }
  return listed;
}

class LayoutEditorTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // The editor shows local times: one zone for every run.
    const char* zone = ::getenv("TZ");
    savedZone_ = zone != nullptr ? std::optional<std::string>(zone) : std::nullopt;
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  void TearDown() override {
    if (savedZone_) {
      ::setenv("TZ", savedZone_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
    WindowTest::TearDown();
  }

  // The sources dropped on the list; the editor opens at the burn, is handed to edit, and the
  // burn is confirmed.
  void Burn(const std::function<void(TfrmDiscLayout&)>& edit) {
    Insert("cd-r");
    const fs::path src = fs::path(tmp.str()) / "src";
    WriteTree(src, sources);
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
      fs::last_write_time(entry.path(), fs::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(kSourceTime))));
    }
    OpenWindow();
    window->Options.ShowFilesBeforeWrite = true;
    Drop({QString::fromStdString(src.string())});
    EXPECT_TRUE(InspectModal<TfrmDiscLayout>([this] { Control<QToolButton>("bBurn")->click(); }, edit, "bClose"));
    ASSERT_TRUE(WaitFor([this] { return window->State() == WindowState::Idle; }));
    ASSERT_TRUE(LogHas("Upis uspešno izvršen")) << window->LogText().toStdString();
  }

  const FileMap sources{{"keep.txt", Content("k", 100)},     {"gone.txt", Content("g", 200)},
                        {"docs/a.txt", Content("a", 3000)},  {"drop/x.txt", Content("x", 10)},
                        {"drop/deep/y.txt", Content("y", 20)}, {"last/only.txt", Content("o", 30)}};

 private:
  std::optional<std::string> savedZone_;
};

TEST_F(LayoutEditorTest, DeletionsAreMissingFromTheDiscAndNothingElseIs) {
  BoxAnswerer answer("yes");  // the confirmation; the editor's messages are closed
  Burn([&](TfrmDiscLayout& editor) {
    EXPECT_EQ(editor.size(), QSize(638, 377));
    EXPECT_EQ(editor.findChild<QLabel*>("CaptionLabel")->text(), "Kivo Ardel - Ukloni datoteke / direktorijume");
    EXPECT_NE(editor.findChild<QToolButton*>("JvXPToolButton2"), nullptr);
    EXPECT_NE(editor.findChild<QToolButton*>("JvXPToolButton3"), nullptr);
    EXPECT_EQ(Tree(editor).width(), 190);
    QTableWidget& grid = Grid(editor);
    EXPECT_EQ(grid.columnWidth(0), 254);
    EXPECT_EQ(grid.columnWidth(1), 71);
    EXPECT_EQ(grid.columnWidth(2), 141);
    EXPECT_EQ(grid.horizontalHeaderItem(2)->text(), "    Datum i vreme ");
    EXPECT_EQ(Tree(editor).topLevelItem(0)->text(0), "CDROOT");
    EXPECT_TRUE(LooksAsDocumented(editor, "layout-window.png"));
    const int docs = static_cast<int>(Names(grid).indexOf("docs"));
    const int gone = static_cast<int>(Names(grid).indexOf("gone.txt"));
    ASSERT_GE(docs, 0);
    ASSERT_GE(gone, 0);
    EXPECT_EQ(grid.item(docs, 1)->text(), " < DIR > ");
    EXPECT_EQ(grid.item(docs, 2)->text(), "");
    EXPECT_EQ(grid.item(gone, 1)->text(), "      200");
    EXPECT_EQ(grid.item(gone, 2)->text(), "03-05-2024 07:08:09");

    // A file from the grid: its row goes, every other row still shows its own entry.
    DeleteRow(editor, "gone.txt");
    EXPECT_FALSE(Names(grid).contains("gone.txt"));
    EXPECT_EQ(grid.rowCount(), 4);
    // A directory cannot go from the grid.
    DeleteRow(editor, "docs");
    EXPECT_EQ(answer.text, "Nije dozvoljeno da se briše direktorijum, docs je direktorijum, upotrebite drvo sa leve strane "
                           "za brisanje direktorijuma");
    EXPECT_TRUE(Names(grid).contains("docs"));
    // A directory from the tree, with all it holds.
    DeleteNode(editor, "drop");
    EXPECT_TRUE(Tree(editor).findItems("drop", Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    // The last file of a directory: the directory stays, with one empty row.
    SelectNode(editor, "last");
    DeleteRow(editor, "only.txt");
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(Names(grid), QStringList{""});
    // The top node removes nothing.
    DeleteNode(editor, "CDROOT");
    QStringList left = Names(grid);
    left.sort();
    EXPECT_EQ(left, (QStringList{"docs", "keep.txt", "last"}));
  });

  const std::map<std::string, std::string> expected{
      {"keep.txt", "100"}, {"docs/", "-"}, {"docs/a.txt", "3000"}, {"last/", "-"}};
  EXPECT_EQ(Listed(), expected);
}

// Closed by its caption's button, or by Esc, the editor lets the whole compilation be recorded.
TEST_F(LayoutEditorTest, ClosingTheEditorAnyWayGoesOnWithTheRecording) {
  BoxAnswerer answer("yes");
  Burn([](TfrmDiscLayout& editor) { QTest::keyClick(&editor, Qt::Key_Escape); });
  std::map<std::string, std::string> expected;
  for (const auto& [path, content] : sources) {
    expected[path] = std::to_string(content.size());
    for (auto slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) expected[path.substr(0, slash + 1)] = "-";
  }
  EXPECT_EQ(Listed(), expected);
}

}  // namespace
}  // namespace kivo::app::testing
