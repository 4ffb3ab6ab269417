// The compilation as the disc browser and the layout editor show it: its directories as a tree
// whose top node is "CDROOT", and the entries of the selected directory as grid rows under a
// header. Every node and every row keeps a reference to what it shows, so both must be filled
// again whenever an entry goes away.
#pragma once

#include <QSplitter>
#include <QStringList>
#include <QTableWidget>
#include <QTreeWidget>

namespace kivo {
struct TDEntry;
struct TFEntry;
}  // namespace kivo

namespace kivo::app {

// The browser numbers its rows and shows no dates; the editor shows the dates.
enum class GridKind { Browser, Editor };

// The tree "tvDir" (treeWidth wide) and, right of a splitter, the grid "fl" of a kind with its
// hint; the splitter goes into the window's body.
struct EntryViews {
  QSplitter* splitter = nullptr;
  QTreeWidget* tree = nullptr;
  QTableWidget* grid = nullptr;
};
EntryViews BuildEntryViews(QWidget* parent, GridKind kind, int treeWidth, const QString& gridHint);

// Fills the tree from root (depth first, directories in list order) and selects the top node.
void FillDirectoryTree(QTreeWidget& tree, TDEntry* root);
// The directory a node stands for; null for none.
TDEntry* NodeDirectory(const QTreeWidgetItem* node);

// One row per entry of dir; a directory without entries shows one empty row.
void FillEntryGrid(QTableWidget& grid, const TDEntry& dir, GridKind kind);
// The entry a row shows; null for the empty row and for rows that do not exist.
TFEntry* RowEntry(const QTableWidget& grid, int row);

// The cells of the number-th entry of its directory (from 1).
QStringList EntryCells(const TFEntry& entry, int number, GridKind kind);

}  // namespace kivo::app
