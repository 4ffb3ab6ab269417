#include "app/Splash.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "app/JpegPicture.h"

namespace kivo::app {

namespace {

constexpr int kSplashWidth = 522;
constexpr int kSplashHeight = 322;

}  // namespace

QImage LoadJpegResource(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  DecodedPicture picture;
  std::string error;
  if (!DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()),
                  picture, error)) {
    return {};
  }
  QImage image(picture.width, picture.height, QImage::Format_RGB888);
  for (int y = 0; y < picture.height; ++y) {
    std::copy_n(picture.rgb.data() + static_cast<std::size_t>(y) * picture.width * 3, picture.width * 3, image.scanLine(y));
  }
  return image;
}

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), picture_(LoadJpegResource(":/pictures/splash.jpg")) {
  setObjectName("SplashForm");
  setFixedSize(kSplashWidth, kSplashHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - QPoint(kSplashWidth / 2, kSplashHeight / 2));
  }
}

void TSplashForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (picture_.isNull()) {
    painter.fillRect(rect(), QColor(20, 40, 90));
  } else {
    painter.drawImage(rect(), picture_);
  }
}

}  // namespace kivo::app
