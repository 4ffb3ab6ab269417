// The compilation list: the window's own record of what to record, a row a source path with a
// tick box (for a directory: include its subdirectories) and its size when it was added. Drops of
// text/uri-list, from the window's browser or from any desktop file manager, append rows.
#pragma once

#include <cstdint>
#include <functional>

#include <QStringList>
#include <QTreeWidget>

namespace kivo::app {

struct CompilationRow {
  QString path;  // a directory's path ends with "/"
  bool ticked = false;
};

class CompilationList : public QTreeWidget {
  Q_OBJECT
 public:
  // Bytes below a directory ("/" at the end) or of a file; asked once, when the row is added.
  using SizeOf = std::function<std::int64_t(const QString& path)>;

  CompilationList(SizeOf sizeOf, QWidget* parent = nullptr);

  void AddRow(const QString& path, bool ticked);
  // A directory becomes a ticked row with the size of its tree, anything else an unticked row.
  void AddDropped(const QStringList& paths);
  QList<CompilationRow> Rows() const;
  void RemoveSelected();
  void SetEditable(bool editable);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  SizeOf sizeOf_;
  bool editable_ = true;
};

}  // namespace kivo::app
