#include "app/Browser.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeData>
#include <QStorageInfo>
#include <QUrl>

#include "app/QtText.h"
#include "app/Strings.h"

namespace kivo::app {

namespace {

constexpr int kPathRole = Qt::UserRole;

QMimeData* UriList(const QStringList& paths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data->setUrls(urls);
  return data;
}

}  // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  connect(this, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { SetDirectory(item->data(kPathRole).toString()); });
}

bool DirectoryList::SetDirectory(const QString& path) {
  const QFileInfo info(path);
  if (!info.isDir() || !info.isReadable()) return false;
  directory_ = QDir::cleanPath(info.absoluteFilePath());
  clear();
  const QDir dir(directory_);
  QFileIconProvider icons;
  if (!dir.isRoot()) {
    auto* up = new QListWidgetItem(icons.icon(QFileIconProvider::Folder), "..", this);
    up->setData(kPathRole, QDir::cleanPath(dir.absoluteFilePath("..")));
  }
  const QFileInfoList entries =
      dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& entry : entries) {
    auto* item = new QListWidgetItem(icons.icon(QFileIconProvider::Folder), entry.fileName(), this);
    item->setData(kPathRole, entry.absoluteFilePath());
  }
  emit directoryChanged(directory_);
  return true;
}

QString DirectoryList::SelectedPath() const {
  const QListWidgetItem* item = currentItem();
  return item != nullptr ? item->data(kPathRole).toString() : directory_;
}

QMimeData* DirectoryList::mimeData(const QList<QListWidgetItem*>& items) const {
  QStringList paths;
  for (const QListWidgetItem* item : items) paths << item->data(kPathRole).toString();
  return UriList(paths);
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
}

void FileList::ShowDirectory(const QString& path) {
  directory_ = path;
  clear();
  QFileIconProvider icons;
  const QFileInfoList entries = QDir(path).entryInfoList(QDir::Files | QDir::Hidden | QDir::System,
                                                         QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& entry : entries) {
    auto* item = new QListWidgetItem(icons.icon(entry), entry.fileName(), this);
    item->setData(kPathRole, entry.absoluteFilePath());
  }
}

QStringList FileList::SelectedPaths() const {
  QStringList paths;
  for (int row = 0; row < count(); ++row) {
    if (item(row)->isSelected()) paths << item(row)->data(kPathRole).toString();
  }
  return paths;
}

QMimeData* FileList::mimeData(const QList<QListWidgetItem*>&) const { return UriList(SelectedPaths()); }

void FillPlaces(QComboBox& chooser) {
  chooser.clear();
  chooser.addItem(Q(text::kDriveRoot), QStringLiteral("/"));
  chooser.addItem(Q(text::kDriveHome) + " (" + QDir::homePath() + ")", QDir::homePath());
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    if (!volume.isValid() || !volume.isReady() || root == "/" || root.startsWith("/proc") ||
        root.startsWith("/sys") || root.startsWith("/dev") || root.startsWith("/run/")) {
      continue;
    }
    const QString name = volume.displayName() == root ? root : volume.displayName() + " (" + root + ")";
    chooser.addItem(name, root);
  }
}

}  // namespace kivo::app
