#include "app/DiscInfo.h"

#include <cmath>
#include <utility>

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>

#include "app/GlavnaShared.h"
#include "app/MessageBoxes.h"
#include "app/OffThread.h"
#include "app/QtText.h"
#include "app/Strings.h"
#include "app/TreeView.h"
#include "engine/drive/MediaKinds.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::app {

namespace {

constexpr int kClosedDisc = 2;
constexpr double kSectorsPerMegabyte = 512.0;
constexpr int kDateWidth = 16;  // YYYY-MM-DD HH:MM: the seconds would not fit the line
// What one session can hold in the browser.
constexpr std::int32_t kBrowsedFiles = 65535;
constexpr std::int32_t kBrowsedDirectories = 8191;

QLabel* Caption(std::string_view text, QWidget* parent) {
  auto* label = new QLabel(Q(text), parent);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

QLabel* Value(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  return label;
}

QString StatusText(int status) {
  if (status < 0) return Q(text::kStatusUnknown);
  return Q(status == kClosedDisc ? text::kStatusClosed : text::kStatusOpen);
}

// Serbian counts take "datoteke" after 2, 3 and 4 (but not 12, 13, 14), else "datoteka".
std::string_view FilesWord(std::int32_t count) {
  const std::int32_t last = count % 10, lastTwo = count % 100;
  return last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? text::kFilesFew : text::kFilesMany;
}

QString Megabytes(std::uint32_t sectors) { return Q(SectorsInMegabytes(sectors) + " MB"); }

}  // namespace

QString SessionLine(const SessionSummary& session) {
  // Megabytes of 512 sectors, halves to even.
  const auto megabytes = static_cast<long long>(std::nearbyint(session.size / kSectorsPerMegabyte));
  const QString created = session.created.empty() ? Q(text::kNoDate) : Q(session.created).left(kDateWidth);
  QString line = QStringLiteral("  %1    %2   %3 MB   %4")
                     .arg(session.number, 3, 10, QLatin1Char('0'))
                     .arg(session.start, 8)
                     .arg(megabytes, 4)
                     .arg(created, -kDateWidth);
  if (session.files < 0) return line.left(line.size() - kDateWidth + created.size());
  return line + QStringLiteral("  %1 ").arg(session.files) + Q(FilesWord(session.files));
}

TfrmSessions::TfrmSessions(QWidget* owner, TZelvoBurner& burner)
    : BorderlessDialog(owner, Q(text::kDiscTitle), QSize(444, 284), Centre::OnScreen), burner_(burner) {
  setObjectName("frmSessions");
  Body()->addWidget(BuildFigures());
  Body()->addWidget(BuildHeader());
  lb = new QListWidget(this);
  lb->setObjectName("lb");
  // The lines keep their columns only in a fixed-width font.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  // One point smaller, so that a line with its date and files fits the window's width.
  fixed.setPointSizeF(fixed.pointSizeF() - 1);
  lb->setFont(fixed);
  Body()->addWidget(lb, 1);
  bReady = AddCloseButton("bReady");
}

QWidget* TfrmSessions::BuildFigures() {
  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  auto* grid = new QGridLayout(Panel1);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(1);
  lMedium = Value("lMedium", Panel1);
  lDiscSize = Value("lDiscSize", Panel1);
  lUsedSpace = Value("lUsedSpace", Panel1);
  lFreeSpace = Value("lFreeSpace", Panel1);
  const std::pair<std::string_view, QLabel*> rows[] = {{text::kMediumLabel, lMedium},
                                                       {text::kDiscSizeLabel, lDiscSize},
                                                       {text::kUsedSpaceLabel, lUsedSpace},
                                                       {text::kFreeSpaceLabel, lFreeSpace}};
  int row = 0;
  for (const auto& [caption, value] : rows) {
    grid->addWidget(Caption(caption, Panel1), row, 0);
    grid->addWidget(value, row++, 1);
  }
  grid->setColumnStretch(1, 1);
  return Panel1;
}

QWidget* TfrmSessions::BuildHeader() {
  Panel2 = new QWidget(this);
  Panel2->setObjectName("Panel2");
  auto* row = new QHBoxLayout(Panel2);
  row->setContentsMargins(0, 0, 0, 0);
  auto* header = new QLabel(Q(text::kSessionHeader), Panel2);
  header->setObjectName("Panel2Caption");
  AdvGlowButton1 = new QPushButton(Q(text::kShowDiscFilesCaption), Panel2);
  AdvGlowButton1->setObjectName("AdvGlowButton1");
  AdvGlowButton1->setToolTip(Q(text::kSettingsButtonHint));
  connect(AdvGlowButton1, &QPushButton::clicked, this, &TfrmSessions::AdvGlowButton1Click);
  row->addWidget(header, 1);
  row->addWidget(AdvGlowButton1);
  return Panel2;
}

void TfrmSessions::Fill(const DiscFacts& facts) {
  lb->clear();
  sessions_ = facts.ready ? static_cast<int>(facts.sessions.size()) : 0;
  if (!facts.ready) {
    lb->addItem(Q(text::kDiscUnreadable));
    return;
  }
  for (const SessionSummary& session : facts.sessions) lb->addItem(SessionLine(session));
  lFreeSpace->setText(Megabytes(facts.freeSectors) + ", " + StatusText(facts.discStatus));
  if (facts.mediaKind < MediaNames.size()) lMedium->setText(Q(MediaNames[facts.mediaKind]));
  lDiscSize->setText(Megabytes(facts.capacity));
  lUsedSpace->setText(Megabytes(facts.usedSectors) + Q(text::kSessionsSuffix) +
                      QString::number(facts.sessions.size()));
}

void TfrmSessions::AdvGlowButton1Click() {
  if (lb->selectedItems().isEmpty()) return Inform(this, Q(text::kNoSessionChosen));
  // The line of an unreadable disc stands for no session; the import takes a signed byte.
  const int session = lb->currentRow() + 1;
  if (session > sessions_ || session > INT8_MAX) return;
  // The main window's rules for adding (file types it leaves out, its size panel) are for its
  // own list: a session is shown as the disc holds it, and no window is touched off its thread.
  const TAddFileEvent onAddFile = std::exchange(burner_.OnAddFile, nullptr);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  RunOffThread<bool>([this, session] {
    burner_.ResetCompilation(kBrowsedFiles, kBrowsedDirectories);
    // A session without a file system leaves the root alone: the browser shows it empty.
    return burner_.ImportSession(static_cast<std::int8_t>(session), nullptr);
  });
  QApplication::restoreOverrideCursor();
  burner_.OnAddFile = onAddFile;
  TfrmTree browser(this, burner_);
  browser.exec();
}

}  // namespace kivo::app
