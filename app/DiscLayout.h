// The layout editor: the compilation about to be recorded as a tree and a grid, from which the
// user removes files and directories before the recording goes on.
#pragma once

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include "app/BorderlessDialog.h"

namespace kivo {
class TZelvoBurner;
}

namespace kivo::app {

class TfrmDiscLayout : public BorderlessDialog {
  Q_OBJECT
 public:
  TfrmDiscLayout(QWidget* owner, TZelvoBurner& burner);

  // Builds the tree from the compilation's root and shows the root's entries.
  void FormShow();
  // Shows the entries of the selected directory.
  void tvdirClick();
  // Removes the current row's file (the grid's "Delete").
  void MenuItem1Click();
  // Removes the selected directory with all it holds (the tree's "Delete").
  void Delete1Click();
  // Builds the tree anew (either "Refresh").
  void Refresh1Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // A menu item with its key, also reachable by the key while widget has the focus.
  QAction* MenuItem(QMenu& menu, QWidget& widget, const char* name, std::string_view caption, QKeySequence key);

  TZelvoBurner& burner_;
  QTreeWidget* tvDir = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* Delete1 = nullptr;
  QAction* Refresh1 = nullptr;
  QTableWidget* fl = nullptr;
  QMenu* PopupMenu2 = nullptr;
  QAction* MenuItem1 = nullptr;
  QAction* MenuItem2 = nullptr;
  QPushButton* bClose = nullptr;
};

}  // namespace kivo::app
