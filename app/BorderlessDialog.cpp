#include "app/BorderlessDialog.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include "app/QtText.h"
#include "app/Strings.h"

namespace kivo::app {

namespace {

constexpr int kCaptionHeight = 18;

// Moves the widget's window with the pointer; false where the platform cannot.
bool StartMove(QWidget& widget) {
  QWindow* handle = widget.window()->windowHandle();
  return handle != nullptr && handle->startSystemMove();
}

}  // namespace

BorderlessDialog::BorderlessDialog(QWidget* owner, const QString& title, QSize size, Centre centre)
    : QDialog(owner), centre_(centre) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setWindowTitle(title);
  setFixedSize(size);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  BuildCaption(title);
  column->addWidget(caption_);
  body_ = new QVBoxLayout;
  body_->setContentsMargins(8, 6, 8, 8);
  body_->setSpacing(6);
  column->addLayout(body_, 1);
  connect(close_, &QToolButton::clicked, this, &QDialog::reject);
}

void BorderlessDialog::BuildCaption(const QString& title) {
  caption_ = new QWidget(this);
  caption_->setObjectName("CaptionPanel");
  caption_->setFixedHeight(kCaptionHeight);
  caption_->setAttribute(Qt::WA_StyledBackground);
  caption_->setStyleSheet("#CaptionPanel { background: #1d3557; } QLabel, QToolButton { color: white; }");
  auto* row = new QHBoxLayout(caption_);
  row->setContentsMargins(6, 0, 2, 0);
  title_ = new QLabel(title, caption_);
  title_->setObjectName("CaptionLabel");
  close_ = new QToolButton(caption_);
  close_->setObjectName("CloseFormBtn");
  close_->setText(QStringLiteral("×"));
  close_->setAutoRaise(true);
  close_->setFixedSize(22, kCaptionHeight - 2);
  close_->setToolTip(Q(text::kCloseHint));
  close_->setAccessibleName(Q(text::kCloseHint));
  row->addWidget(title_);
  row->addStretch(1);
  row->addWidget(close_);
  caption_->installEventFilter(this);
}

void BorderlessDialog::AddIdleCaptionButtons() {
  auto* row = static_cast<QHBoxLayout*>(caption_->layout());
  const std::pair<const char*, std::string_view> buttons[] = {{"JvXPToolButton3", text::kMinimiseHint},
                                                              {"JvXPToolButton2", text::kMaximiseHint}};
  const QString glyphs[] = {QStringLiteral("–"), QStringLiteral("□")};
  for (int i = 0; i < 2; ++i) {
    auto* button = new QToolButton(caption_);
    button->setObjectName(buttons[i].first);
    button->setText(glyphs[i]);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(close_->size());
    button->setToolTip(Q(buttons[i].second));
    button->setAccessibleName(Q(buttons[i].second));
    row->insertWidget(row->indexOf(close_), button);
  }
}

QPushButton* BorderlessDialog::AddCloseButton(const char* name) {
  auto* row = new QHBoxLayout;
  auto* button = new QPushButton(Q(text::kCloseCaption), this);
  button->setObjectName(name);
  button->setDefault(true);
  row->addStretch(1);
  row->addWidget(button);
  body_->addLayout(row);
  connect(button, &QPushButton::clicked, this, &QDialog::close);
  return button;
}

void BorderlessDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  if (centre_ == Centre::OnOwner && owner != nullptr) {
    move(owner->frameGeometry().center() - rect().center());
  } else if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void BorderlessDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && StartMove(*this)) return event->accept();
  QDialog::mousePressEvent(event);
}

bool BorderlessDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == caption_ && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && StartMove(*this)) {
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace kivo::app
