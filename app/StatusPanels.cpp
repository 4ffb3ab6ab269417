#include "app/StatusPanels.h"

#include <QHBoxLayout>

#include "app/QtText.h"
#include "app/Strings.h"

namespace kivo::app {

namespace {

constexpr int kPanelHeight = 19;

void Recolour(QProgressBar* bar) {
  bar->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #8a8a8a; text-align: center; }"
                                    "QProgressBar::chunk { background: %1; }")
                         .arg(StatusPanels::FillColour(bar->value(), bar->maximum())));
}

}  // namespace

QString StatusPanels::FillColour(int value, int maximum) {
  if (maximum <= 0) return QStringLiteral("#3c8d3c");
  const double share = static_cast<double>(value) / maximum;
  if (share <= 0.7) return QStringLiteral("#3c8d3c");
  if (share <= 0.9) return QStringLiteral("#d9a400");
  return QStringLiteral("#c23b22");
}

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent) {
  setObjectName("SB");
  setFixedHeight(kPanelHeight);
  // The panels together are wider than the window's design width: the last one is cut off
  // rather than the window made wider.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(NewText("SBPanel0", 120, Q(text::kProgressLabel), Qt::AlignLeft | Qt::AlignVCenter));
  layout->addWidget(progress_ = NewBar("SBPanel1", 170));
  layout->addWidget(sizes_ = NewText("SBPanel2", 150, Q(text::kSizeLabel), Qt::AlignRight | Qt::AlignVCenter));
  abort_ = new QPushButton(Q(text::kAbortPanel), this);
  abort_->setObjectName("SBPanel3");
  abort_->setAccessibleName(Q(text::kAbortPanel));
  abort_->setFixedSize(80, kPanelHeight);
  abort_->setStyleSheet("QPushButton { background: #404040; color: white; border: 1px solid #202020; }"
                        "QPushButton:disabled { color: #9a9a9a; }");
  layout->addWidget(abort_);
  layout->addWidget(NewText("SBPanel4", 70, Q(text::kBufferLabel), Qt::AlignRight | Qt::AlignVCenter));
  layout->addWidget(cache_ = NewBar("SBPanel5", 155));
  layout->addWidget(buffer_ = NewBar("SBPanel6", 155));
  link_ = NewText("SBPanel7", 162, {}, Qt::AlignCenter);
  link_->setTextFormat(Qt::RichText);
  link_->setOpenExternalLinks(true);
  layout->addWidget(link_);
  layout->addStretch(1);
}

QProgressBar* StatusPanels::NewBar(const char* name, int width) {
  auto* bar = new QProgressBar(this);
  bar->setObjectName(name);
  bar->setFixedSize(width, kPanelHeight);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setFormat("%p%");
  connect(bar, &QProgressBar::valueChanged, bar, [bar] { Recolour(bar); });
  Recolour(bar);
  return bar;
}

QLabel* StatusPanels::NewText(const char* name, int width, const QString& text, Qt::Alignment alignment) {
  auto* label = new QLabel(text, this);
  label->setObjectName(name);
  label->setFixedSize(width, kPanelHeight);
  label->setAlignment(alignment);
  label->setFrameShape(QFrame::StyledPanel);
  label->setAccessibleName(text);
  return label;
}

}  // namespace kivo::app
