#include "app/EntryTree.h"

#include <algorithm>
#include <span>

#include <QFontDatabase>
#include <QHeaderView>

#include "app/QtText.h"
#include "app/Strings.h"
#include "engine/iso/DateTime.h"
#include "engine/iso/Entries.h"

namespace kivo::app {

namespace {

constexpr int kEntryRole = Qt::UserRole;
constexpr int kNumberWidth = 2;
constexpr int kSizeWidth = 9;
constexpr int kBrowserWidths[] = {361, 71};
constexpr int kEditorWidths[] = {254, 71, 141};

QString SizeCell(const TFEntry& entry) {
  return entry.IsDirectory() ? Q(text::kDirectoryRow) : QStringLiteral("%1").arg(entry.Size, kSizeWidth);
}

// MM-DD-YYYY HH:MM:SS.
QString DateCell(const TFEntry& entry) {
  const auto date = DecodeDateTime(entry.DateTime);
  if (entry.IsDirectory() || !date) return {};
  const QChar zero('0');
  return QStringLiteral("%1-%2-%3 %4:%5:%6")
      .arg(date->month, 2, 10, zero)
      .arg(date->day, 2, 10, zero)
      .arg(date->year, 4, 10, zero)
      .arg(date->hour, 2, 10, zero)
      .arg(date->minute, 2, 10, zero)
      .arg(date->second, 2, 10, zero);
}

template <typename Pointer>
QVariant Reference(Pointer* pointer) {
  return QVariant::fromValue(reinterpret_cast<quintptr>(pointer));
}

void AddChildren(QTreeWidgetItem& node, const TDEntry& dir) {
  for (const TFEntry* entry = dir.FirstEntry; entry != nullptr; entry = entry->Next) {
    if (entry->DirEntry == nullptr) continue;
    auto* child = new QTreeWidgetItem(&node, {Q(entry->LongName)});
    child->setData(0, kEntryRole, Reference(entry->DirEntry));
    AddChildren(*child, *entry->DirEntry);
  }
}

// The grid of a kind: its columns, widths, header and the way rows are selected.
void SetUpEntryGrid(QTableWidget& grid, GridKind kind) {
  const bool browser = kind == GridKind::Browser;
  grid.setColumnCount(browser ? 2 : 3);
  QStringList header{Q(text::kGridName), Q(text::kColumnSize)};
  if (!browser) header << Q(text::kGridDate);
  grid.setHorizontalHeaderLabels(header);
  int column = 0;
  for (const int width : browser ? std::span<const int>(kBrowserWidths) : std::span<const int>(kEditorWidths)) {
    grid.setColumnWidth(column++, width);
  }
  grid.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grid.verticalHeader()->hide();
  grid.verticalHeader()->setDefaultSectionSize(grid.fontMetrics().height() + 2);
  grid.setSelectionBehavior(QAbstractItemView::SelectRows);
  grid.setSelectionMode(QAbstractItemView::SingleSelection);
  grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid.setShowGrid(false);
  // The numbers and sizes line up only in a fixed-width font; one point smaller, so that a
  // date fits its column.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSizeF(fixed.pointSizeF() - 1);
  grid.setFont(fixed);
}

}  // namespace

EntryViews BuildEntryViews(QWidget* parent, GridKind kind, int treeWidth, const QString& gridHint) {
  EntryViews views;
  views.splitter = new QSplitter(parent);
  views.tree = new QTreeWidget(views.splitter);
  views.tree->setObjectName("tvDir");
  views.tree->setHeaderHidden(true);
  views.grid = new QTableWidget(views.splitter);
  views.grid->setObjectName("fl");
  SetUpEntryGrid(*views.grid, kind);
  views.grid->setToolTip(gridHint);
  int gridWidth = 0;
  for (int column = 0; column < views.grid->columnCount(); ++column) gridWidth += views.grid->columnWidth(column);
  views.splitter->setSizes({treeWidth, gridWidth});
  views.splitter->setStretchFactor(1, 1);
  return views;
}

void FillDirectoryTree(QTreeWidget& tree, TDEntry* root) {
  tree.clear();
  if (root == nullptr) return;
  auto* top = new QTreeWidgetItem(&tree, {Q(text::kRootNode)});
  top->setData(0, kEntryRole, Reference(root));
  AddChildren(*top, *root);
  tree.expandItem(top);
  tree.setCurrentItem(top);
}

TDEntry* NodeDirectory(const QTreeWidgetItem* node) {
  return node == nullptr ? nullptr : reinterpret_cast<TDEntry*>(node->data(0, kEntryRole).value<quintptr>());
}

QStringList EntryCells(const TFEntry& entry, int number, GridKind kind) {
  if (kind == GridKind::Editor) return {Q(entry.LongName), SizeCell(entry), DateCell(entry)};
  return {QStringLiteral("%1 ").arg(number, kNumberWidth) + Q(entry.LongName), SizeCell(entry)};
}

void FillEntryGrid(QTableWidget& grid, const TDEntry& dir, GridKind kind) {
  // Rows are made anew: none may keep a reference to an entry that is gone.
  grid.clearContents();
  int count = 0;
  for (const TFEntry* entry = dir.FirstEntry; entry != nullptr; entry = entry->Next) ++count;
  grid.setRowCount(std::max(count, 1));
  int row = 0;
  for (const TFEntry* entry = dir.FirstEntry; entry != nullptr; entry = entry->Next, ++row) {
    const QStringList cells = EntryCells(*entry, row + 1, kind);
    for (int column = 0; column < cells.size(); ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setData(kEntryRole, Reference(entry));
      grid.setItem(row, column, item);
    }
  }
  if (count > 0) grid.selectRow(0);
}

TFEntry* RowEntry(const QTableWidget& grid, int row) {
  const QTableWidgetItem* item = grid.item(row, 0);
  return item == nullptr ? nullptr : reinterpret_cast<TFEntry*>(item->data(kEntryRole).value<quintptr>());
}

}  // namespace kivo::app
