// The local file browser beside the compilation list: a chooser of places (the system's root, the
// home folder and the mounted volumes), the current directory's subdirectories and its files.
// Both lists drag full paths as text/uri-list, the same form a desktop file manager drops.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace kivo::app {

// Subdirectories of the current directory, ".." first. A single click selects, a double click opens.
class DirectoryList : public QListWidget {
  Q_OBJECT
 public:
  explicit DirectoryList(QWidget* parent = nullptr);
  QString Directory() const { return directory_; }
  // Opens path (also a typed network path); false when it is no readable directory.
  bool SetDirectory(const QString& path);
  // The full path of the highlighted item, or the current directory when none is.
  QString SelectedPath() const;

 signals:
  void directoryChanged(const QString& path);

 protected:
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;

 private:
  QString directory_;
};

// The current directory's files with their icons, hidden ones too; several can be selected.
class FileList : public QListWidget {
  Q_OBJECT
 public:
  explicit FileList(QWidget* parent = nullptr);
  void ShowDirectory(const QString& path);
  QString Directory() const { return directory_; }
  // Full paths of the selected files, in list order.
  QStringList SelectedPaths() const;

 protected:
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;

 private:
  QString directory_;
};

// The places the browser starts from, each an item whose data is its path.
void FillPlaces(QComboBox& chooser);

}  // namespace kivo::app
