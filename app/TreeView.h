// The disc browser: the directories of the session the session chooser imported as a tree, the
// selected directory's entries as a grid, a file copied out by a double-click and every file
// below the directory by a click on the bottom panel.
#pragma once

#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include "app/BorderlessDialog.h"

namespace kivo {
class TZelvoBurner;
struct TDEntry;
struct TFEntry;
}  // namespace kivo

namespace kivo::app {

class TfrmTree : public BorderlessDialog {
  Q_OBJECT
 public:
  TfrmTree(QWidget* owner, TZelvoBurner& burner);

  // Builds the tree from the compilation's root and shows the root's entries.
  void FormShow();
  // Shows the entries of the selected directory.
  void tvdirClick();
  // Copies the current row's file to a path the user gives.
  void Extract1Click();
  // Copies the selected directory's files, and on request its sub-folders, to a folder the
  // user picks.
  void MsgClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Copies the files of dir (with recursive, all below it) into folder, with progress and a
  // cancel between files, and says what came of it in Msg and the log.
  void ExtractFolder(const TDEntry& dir, const QString& folder, bool recursive);
  // Whether target may be written: nothing is there, or the user agrees to replace it.
  bool MayWrite(const QString& target);
  // Copies one file off the window's thread; true when it is complete.
  bool Copy(TFEntry& entry, const std::string& target);
  QString StartFolder() const;
  void Say(const QString& line);

  TZelvoBurner& burner_;
  QString folder_;  // where the last extraction went
  QTreeWidget* tvDir = nullptr;
  QTableWidget* fl = nullptr;
  QPushButton* Msg = nullptr;
};

}  // namespace kivo::app
