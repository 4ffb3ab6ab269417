// A whole burn from the window: files and a folder dropped on the list, the burn button, the
// confirmation answered, the success line awaited; then the disc exported and read back by the
// external readers, with the paths the keep-path box asks for.
#include <filesystem>

#include <QCheckBox>
#include <QToolButton>

#include "app/CompilationList.h"
#include "app/Configuration.h"
#include "engine/platform/PrivateProfile.h"
#include "tests/app/WindowFixture.h"
#include "tests/integration/DiscFixture.h"

namespace kivo::app::testing {
namespace {

namespace fs = std::filesystem;
using kivo::testing::FileMap;

struct BurnCase {
  const char* medium;
  Qt::CheckState keepPath;
  const char* savedAs;  // the configuration file's text for the box
};

class BurnWindowTest : public WindowTest, public ::testing::WithParamInterface<BurnCase> {};

// The keep-path box is a three-state box: clicks go round until it shows the state wanted (at
// least one click, so that the file is written).
void SetKeepPath(QCheckBox& box, Qt::CheckState state) {
  for (int i = 0; i < 4 && (i == 0 || box.checkState() != state); ++i) box.click();
}

TEST_P(BurnWindowTest, DroppedSourcesReadBackWhereTheKeepPathBoxPutsThem) {
  const BurnCase& c = GetParam();
  const fs::path src = fs::path(tmp.str()) / "src";
  const FileMap docs = kivo::testing::WriteTree(src / "docs", {{"a.txt", kivo::testing::Content("a", 3000)},
                                                               {"sub/b.bin", kivo::testing::Content("b", 70000)}});
  const FileMap top = kivo::testing::WriteTree(src, {{"top.txt", kivo::testing::Content("t", 10)}});
  Insert(c.medium);
  OpenWindow();

  auto* keepPath = Control<QCheckBox>("cPathInfo");
  SetKeepPath(*keepPath, c.keepPath);
  // Every click of the box is written to the configuration file at once.
  EXPECT_EQ(platform::PrivateProfile(tmp / "config/KivoArdel.ini").ReadString(kOptionsSection, "SavePath", ""), c.savedAs);

  Drop({QString::fromStdString((src / "docs").string()), QString::fromStdString((src / "top.txt").string())});
  const QList<CompilationRow> rows = Control<CompilationList>("clBox")->Rows();
  ASSERT_EQ(rows.size(), 2);
  EXPECT_TRUE(rows[0].path.endsWith("/docs/") && rows[0].ticked);
  EXPECT_TRUE(rows[1].path.endsWith("/top.txt") && !rows[1].ticked);

  BoxAnswerer answer("yes");
  Control<QToolButton>("bBurn")->click();
  ASSERT_TRUE(WaitFor([this] { return LogHas("Upis uspešno izvršen") || LogHas("Upis je završen sa greškama"); }))
      << window->LogText().toStdString();
  ASSERT_TRUE(LogHas("Upis uspešno izvršen")) << window->LogText().toStdString();
  EXPECT_EQ(answer.title, "Da li želite da se CD/DVD snimi?");
  EXPECT_TRUE(answer.text.startsWith("Počinjem upis ") && answer.text.endsWith(" MB")) << answer.text.toStdString();
  EXPECT_EQ(window->State(), WindowState::Idle);

  // Where the sources land on the disc.
  const std::string kept = (src.relative_path()).string() + "/";
  FileMap expected;
  for (const auto& [path, content] : docs) {
    expected[c.keepPath == Qt::Unchecked ? path : c.keepPath == Qt::Checked ? kept + "docs/" + path : "docs/" + path] = content;
  }
  for (const auto& [path, content] : top) {
    expected[c.keepPath == Qt::Unchecked ? path : c.keepPath == Qt::Checked ? kept + path : "src/" + path] = content;
  }
  const std::string disc = tmp / "disc.iso";
  std::string error;
  std::uint32_t blocks = 0;
  ASSERT_TRUE(recorder->Export(disc, blocks, error)) << error;
  kivo::testing::ExpectSessionReads(disc, 0, expected, tmp.str());
  kivo::testing::ExpectSevenZipReads(disc, expected, tmp.str());
}

INSTANTIATE_TEST_SUITE_P(Media, BurnWindowTest,
                         ::testing::Values(BurnCase{"cd-r", Qt::Unchecked, "Unchecked"},
                                           BurnCase{"dvd+r", Qt::Checked, "Checked"},
                                           BurnCase{"dvd+rw", Qt::PartiallyChecked, "Grayed"},
                                           BurnCase{"dvd-ram", Qt::Checked, "Checked"},
                                           BurnCase{"dvd-r", Qt::PartiallyChecked, "Grayed"}),
                         [](const auto& info) { return kivo::testing::TestName(info.param.medium); });

// With the verify option on, a burn reads the disc back: a clean one logs how many files were
// verified; on a disc that stored a sector of the large file wrongly, answering the write as
// good, that file alone is named and the verify is logged as failed.
TEST_F(WindowTest, VerifyAfterTheBurnLogsItsVerdict) {
  const fs::path src = fs::path(tmp.str()) / "src";
  kivo::testing::WriteTree(src, {{"big.bin", kivo::testing::Content("b", 400000)},
                                 {"small.txt", kivo::testing::Content("s", 3000)}});
  const QString big = QString::fromStdString((src / "big.bin").string());
  const QString small = QString::fromStdString((src / "small.txt").string());
  const QString passed = "Provera diska: svih 2 datoteka je ispravno";
  const QString failed = "Provera diska NIJE uspela: ispravno 1, neispravno 1 datoteka";
  // The burn, until the verdict awaited (or the recording's failure) is in the log.
  const auto burn = [&](const QString& verdict) {
    Drop({big, small});
    BoxAnswerer answer("yes");
    Control<QToolButton>("bBurn")->click();
    return WaitFor([&] { return LogHas(verdict) || LogHas("Upis je završen sa greškama"); });
  };
  Insert("dvd+r");
  OpenWindow();
  window->Options.VerifyAfterRecording = true;
  ASSERT_TRUE(burn(passed)) << window->LogText().toStdString();
  EXPECT_TRUE(LogHas(passed)) << window->LogText().toStdString();
  EXPECT_EQ(window->State(), WindowState::Idle);

  // The files start past sector 100 and the large one takes 196 sectors, whichever comes first.
  Insert("dvd+r");
  std::string error;
  ASSERT_TRUE(recorder->EditFaults([](vdrive::Faults& faults) { faults.corruptions.push_back({300, 1}); }, error)) << error;
  Control<CompilationList>("clBox")->clear();
  ASSERT_TRUE(burn(failed)) << window->LogText().toStdString();
  EXPECT_TRUE(LogHas("Razlikuje se na disku: " + big)) << window->LogText().toStdString();
  EXPECT_FALSE(LogHas("Razlikuje se na disku: " + small)) << window->LogText().toStdString();
  EXPECT_TRUE(LogHas(failed)) << window->LogText().toStdString();
  EXPECT_EQ(window->State(), WindowState::Idle);
}

}  // namespace
}  // namespace kivo::app::testing
