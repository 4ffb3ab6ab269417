#include "app/CaptionBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QWindow>

#include "app/QtText.h"
#include "app/Strings.h"

namespace kivo::app {

namespace {

QToolButton* CaptionButton(QWidget* parent, const char* name, const QString& glyph, std::string_view hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(glyph);
  button->setFixedSize(22, 15);
  button->setAutoRaise(true);
  button->setToolTip(Q(hint));
  button->setAccessibleName(Q(hint));
  return button;
}

}  // namespace

CaptionBar::CaptionBar(const QString& title, QWidget* parent) : QWidget(parent) {
  setObjectName("CaptionPanel");
  setFixedHeight(15);
  // A widget class of its own paints its style sheet's background only when asked to.
  setAttribute(Qt::WA_StyledBackground);
  setStyleSheet("#CaptionPanel { background: #1d3557; } QLabel, QToolButton { color: white; }");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 0, 2, 0);
  row->setSpacing(1);
  Label = new QLabel(title, this);
  Label->setObjectName("CaptionLabel");
  row->addWidget(Label);
  row->addStretch(1);
  MinimiseButton = CaptionButton(this, "JvXPToolButton3", QStringLiteral("–"), text::kMinimiseHint);
  MaximiseButton = CaptionButton(this, "JvXPToolButton2", QStringLiteral("□"), text::kMaximiseHint);
  CloseButton = CaptionButton(this, "CloseFormBtn", QStringLiteral("×"), text::kCloseHint);
  row->addWidget(MinimiseButton);
  row->addWidget(MaximiseButton);
  row->addWidget(CloseButton);
}

void CaptionBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  StartWindowMove(*this);
}

void StartWindowMove(QWidget& widget) {
  if (QWindow* window = widget.window()->windowHandle()) window->startSystemMove();
}

}  // namespace kivo::app
