// The status bar: eight fixed panels (a label, the recording progress, sizes, the abort panel,
// a label, the cache and drive buffer fills, the link). Progress bars colour their fill by level.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

namespace kivo::app {

class StatusPanels : public QWidget {
  Q_OBJECT
 public:
  explicit StatusPanels(QWidget* parent = nullptr);

  QProgressBar* Progress() const { return progress_; }  // panel 1
  QLabel* Sizes() const { return sizes_; }              // panel 2
  QPushButton* AbortPanel() const { return abort_; }    // panel 3
  QProgressBar* CacheFill() const { return cache_; }    // panel 5
  QProgressBar* DriveBuffer() const { return buffer_; } // panel 6
  QLabel* Link() const { return link_; }                // panel 7

  // Up to 70 % one colour, up to 90 % a second, above that a third.
  static QString FillColour(int value, int maximum);

 private:
  QProgressBar* NewBar(const char* name, int width);
  QLabel* NewText(const char* name, int width, const QString& text, Qt::Alignment alignment);

  QProgressBar* progress_;
  QLabel* sizes_;
  QPushButton* abort_;
  QProgressBar* cache_;
  QProgressBar* buffer_;
  QLabel* link_;
};

}  // namespace kivo::app
