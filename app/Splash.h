// The splash window: one picture, borderless and centred, shown while the main window is made.
#pragma once

#include <QImage>
#include <QWidget>

namespace kivo::app {

class TSplashForm : public QWidget {
  Q_OBJECT
 public:
  explicit TSplashForm(QWidget* parent = nullptr);
  // The picture as decoded (null when the JPEG could not be read: the window is then plain).
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

// Decodes a JPEG resource with libjpeg; a null image when it cannot.
QImage LoadJpegResource(const QString& path);

}  // namespace kivo::app
