#include "app/CompilationList.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QUrl>

#include "app/QtText.h"
#include "app/Strings.h"
#include "engine/platform/NumberFormat.h"

namespace kivo::app {

namespace {

enum Column { kTickColumn, kNameColumn, kSizeColumn };

bool CarriesPaths(const QMimeData* data) { return data != nullptr && data->hasUrls(); }

}  // namespace

CompilationList::CompilationList(SizeOf sizeOf, QWidget* parent) : QTreeWidget(parent), sizeOf_(std::move(sizeOf)) {
  setColumnCount(3);
  setHeaderLabels({Q(text::kColumnTick), Q(text::kColumnName), Q(text::kColumnSize)});
  setColumnWidth(kTickColumn, 25);
  setColumnWidth(kNameColumn, 300);
  setColumnWidth(kSizeColumn, 70);
  setRootIsDecorated(false);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setStyleSheet("QTreeWidget::item { border-bottom: 1px solid #d0d0d0; border-right: 1px solid #d0d0d0; }");
}

void CompilationList::AddRow(const QString& path, bool ticked) {
  auto* row = new QTreeWidgetItem(this);
  row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  row->setCheckState(kTickColumn, ticked ? Qt::Checked : Qt::Unchecked);
  row->setText(kNameColumn, path);
  const std::int64_t bytes = sizeOf_ ? sizeOf_(path) : 0;
  row->setText(kSizeColumn, Q(platform::FormatFloat("#,##", static_cast<double>(bytes))));
  row->setTextAlignment(kSizeColumn, Qt::AlignRight | Qt::AlignVCenter);
}

void CompilationList::AddDropped(const QStringList& paths) {
  for (QString path : paths) {
    if (QFileInfo(path).isDir()) {
      if (!path.endsWith('/')) path += '/';
      AddRow(path, true);
    } else {
      AddRow(path, false);
    }
  }
}

QList<CompilationRow> CompilationList::Rows() const {
  QList<CompilationRow> rows;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = topLevelItem(i);
    rows.push_back({item->text(kNameColumn), item->checkState(kTickColumn) == Qt::Checked});
  }
  return rows;
}

void CompilationList::RemoveSelected() {
  if (!editable_) return;
  if (QTreeWidgetItem* item = currentItem(); item != nullptr && item->isSelected()) delete item;
}

void CompilationList::SetEditable(bool editable) {
  editable_ = editable;
  setAcceptDrops(editable);
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = topLevelItem(i);
    item->setFlags(editable ? (item->flags() | Qt::ItemIsUserCheckable) : (item->flags() & ~Qt::ItemIsUserCheckable));
  }
}

void CompilationList::dragEnterEvent(QDragEnterEvent* event) {
  if (editable_ && CarriesPaths(event->mimeData())) event->acceptProposedAction();
}

void CompilationList::dragMoveEvent(QDragMoveEvent* event) {
  if (editable_ && CarriesPaths(event->mimeData())) event->acceptProposedAction();
}

void CompilationList::dropEvent(QDropEvent* event) {
  if (!editable_ || !CarriesPaths(event->mimeData())) return;
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  AddDropped(paths);
  event->acceptProposedAction();
}

void CompilationList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete) {
    RemoveSelected();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace kivo::app
