#include "app/Unit2.h"

#include <optional>

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <fmt/printf.h>

#include "app/CaptionBar.h"
#include "app/FileDialogs.h"
#include "app/MessageBoxes.h"
#include "app/QtText.h"
#include "app/Strings.h"
#include "engine/drive/Capabilities.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::app {

namespace {

constexpr int kSettingsWidth = 506;
constexpr int kSettingsHeight = 398;
constexpr int kMegabyte = 1048576;
constexpr int kMinCacheMb = 2;
constexpr int kMaxCacheMb = 64;
constexpr int kCacheTick = 4;
constexpr int kVolumeLabelLength = 16;
constexpr int kLastSession = -1;
constexpr int kHighestSession = 99;

QCheckBox* CheckBox(QWidget* parent, const char* name, std::string_view caption, std::string_view hint = {}) {
  auto* box = new QCheckBox(Q(caption), parent);
  box->setObjectName(name);
  if (!hint.empty()) box->setToolTip(Q(hint));
  return box;
}

QLabel* Label(QWidget* parent, const char* name, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  return label;
}

QPushButton* DialogButton(QWidget* parent, const char* name, std::string_view caption) {
  auto* button = new QPushButton(Q(caption), parent);
  button->setObjectName(name);
  button->setToolTip(Q(text::kSettingsButtonHint));
  return button;
}

// The session to import as the user may give it: the last one or a session number. Anything
// else, a number the 8-bit field would wrap included, is refused rather than guessed at.
std::optional<int> SessionNumber(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  if (!ok || (value != kLastSession && (value < 0 || value > kHighestSession))) return std::nullopt;
  return value;
}

}  // namespace

TfrmSettings::TfrmSettings(SettingsTarget target, QWidget* owner) : QDialog(owner), target_(std::move(target)) {
  setObjectName("frmSettings");
  setWindowTitle(Q(text::kSettingsTitle));
  setWindowFlag(Qt::FramelessWindowHint);
  setModal(true);
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kSettingsWidth, kSettingsHeight);
  // Without a system frame the window needs an edge of its own to stand out from the one below.
  setStyleSheet("#frmSettings { border: 1px solid #1d3557; }");
  BuildControls();
  // The controls take the current state before any handler is connected: loading them must
  // neither open the boot image chooser nor count as the user's edit.
  FormShow();
  Connect();
  CentreOnOwner();
}

void TfrmSettings::BuildControls() {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  CaptionPanel = new CaptionBar(Q(text::kSettingsTitle), this);
  column->addWidget(CaptionPanel);

  auto* body = new QWidget(this);
  auto* grid = new QGridLayout(body);
  grid->setContentsMargins(18, 16, 18, 14);
  grid->setHorizontalSpacing(16);
  grid->setVerticalSpacing(14);
  column->addWidget(body, 1);

  Label1 = Label(body, "Label1", Q(text::kVolLabelCaption));
  eVolLabel = new QLineEdit(body);
  eVolLabel->setObjectName("eVolLabel");
  eVolLabel->setMaxLength(kVolumeLabelLength);
  auto* volume = new QHBoxLayout;
  volume->addWidget(Label1);
  volume->addWidget(eVolLabel, 1);
  grid->addLayout(volume, 0, 0, 1, 2);

  cJoliet = CheckBox(body, "cJoliet", text::kJolietCaption, text::kJolietHint);
  cCloseDisc = CheckBox(body, "cCloseDisc", text::kCloseDiscCaption);
  cImportSession = CheckBox(body, "cImportSession", text::kImportSessionCaption);
  eSession = new QLineEdit(QStringLiteral("0"), body);
  eSession->setObjectName("eSession");
  eSession->setToolTip(Q(text::kSessionHint));
  eSession->setFixedWidth(48);
  eSession->setEnabled(false);
  cUnderrunProtection = CheckBox(body, "cUnderrunProtection", text::kUnderrunCaption);
  cTestWrite = CheckBox(body, "cTestWrite", text::kTestWriteCaption);
  cEject = CheckBox(body, "cEject", text::kEjectAfterCaption);
  cOPC = CheckBox(body, "cOPC", text::kOpcCaption);
  cQuickSaveISO = CheckBox(body, "cQuickSaveISO", text::kQuickSaveCaption);
  cBootable = CheckBox(body, "cBootable", text::kBootableCaption);
  Label2 = Label(body, "Label2", {});
  // A long path must not widen the fixed-size window.
  Label2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  cShowFiles = CheckBox(body, "cShowFiles", text::kShowFilesCaption);
  cArchiveOnly = CheckBox(body, "cArchiveOnly", text::kArchiveOnlyCaption);
  cVerify = CheckBox(body, "cVerify", text::kVerifyCaption, text::kVerifyHint);

  auto* import = new QHBoxLayout;
  import->addWidget(cImportSession);
  import->addWidget(eSession);
  import->addStretch(1);
  auto* boot = new QHBoxLayout;
  boot->addWidget(cBootable);
  boot->addWidget(Label2, 1);
  grid->addWidget(cJoliet, 1, 0);
  grid->addWidget(cOPC, 1, 1);
  grid->addWidget(cCloseDisc, 2, 0);
  grid->addWidget(cQuickSaveISO, 2, 1);
  grid->addLayout(import, 3, 0);
  grid->addLayout(boot, 3, 1);
  grid->addWidget(cUnderrunProtection, 4, 0);
  grid->addWidget(cShowFiles, 4, 1);
  grid->addWidget(cTestWrite, 5, 0);
  grid->addWidget(cEject, 5, 1);
  grid->addWidget(cArchiveOnly, 6, 0, 1, 2);
  // Under the options that act once the recording has ended; the archive box's caption takes
  // both columns.
  grid->addWidget(cVerify, 7, 0, 1, 2);

  Label4 = Label(body, "Label4", Q(text::kCacheSizeCaption));
  sCacheSize = new QSlider(Qt::Horizontal, body);
  sCacheSize->setObjectName("sCacheSize");
  sCacheSize->setRange(kMinCacheMb, kMaxCacheMb);
  sCacheSize->setTickInterval(kCacheTick);
  sCacheSize->setTickPosition(QSlider::TicksBelow);
  Label3 = Label(body, "Label3", QStringLiteral("0"));
  auto* cache = new QHBoxLayout;
  cache->addWidget(Label4);
  cache->addWidget(sCacheSize, 1);
  cache->addWidget(Label3);
  grid->addLayout(cache, 8, 0, 1, 2);
  grid->setRowStretch(9, 1);

  Button1 = DialogButton(body, "Button1", text::kApplyCaption);
  Button2 = DialogButton(body, "Button2", text::kCancelCaption);
  Button3 = DialogButton(body, "Button3", text::kCloseSessionCaption);
  Button1->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  buttons->addWidget(Button3);
  grid->addLayout(buttons, 10, 0, 1, 2);
}

void TfrmSettings::FormShow() {
  const TZelvoBurner& b = target_.burner;
  const WindowOptions& o = target_.options;
  cEject->setChecked(o.EjectWhenDone);
  cShowFiles->setChecked(o.ShowFilesBeforeWrite);
  cImportSession->setChecked(o.ImportPreviousSession);
  cJoliet->setChecked(b.JolietFileSystem);
  cQuickSaveISO->setChecked(o.QuickSaveISO);
  cCloseDisc->setChecked(b.FinalizeDisc);
  eVolLabel->setText(Q(b.IdVolume));
  cTestWrite->setChecked(b.TestWrite);
  cOPC->setChecked(b.PerformOPC);
  cBootable->setChecked(b.Bootable);
  Label2->setText(Q(b.BootImage));
  Label2->setToolTip(Label2->text());
  eSession->setText(QString::number(o.SessionToImport));
  cArchiveOnly->setChecked(o.ArchiveOnly);
  cVerify->setChecked(o.VerifyAfterRecording);
  cUnderrunProtection->setChecked(b.UnderrunProtection);
  cUnderrunProtection->setEnabled((b.Capabilities.load() & kUnderrunProtection) != 0);
  sCacheSize->setValue(b.CacheSize() / kMegabyte);
  sCacheSizeChange();
  cImportSessionClick();
}

void TfrmSettings::Connect() {
  connect(cImportSession, &QCheckBox::clicked, this, &TfrmSettings::cImportSessionClick);
  connect(cBootable, &QCheckBox::clicked, this, &TfrmSettings::cBootableClick);
  connect(sCacheSize, &QSlider::valueChanged, this, &TfrmSettings::sCacheSizeChange);
  connect(Button1, &QPushButton::clicked, this, &TfrmSettings::AdvGlowButton1Click);
  connect(Button2, &QPushButton::clicked, this, &QWidget::close);
  connect(Button3, &QPushButton::clicked, this, &TfrmSettings::bReadyClick);
  connect(CaptionPanel->CloseButton, &QToolButton::clicked, this, &QWidget::close);
}

void TfrmSettings::CentreOnOwner() {
  if (QWidget* owner = parentWidget()) move(owner->geometry().center() - rect().center());
}

void TfrmSettings::mousePressEvent(QMouseEvent* event) {
  // The bare background moves the window like its caption does.
  if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
  StartWindowMove(*this);
}

void TfrmSettings::cImportSessionClick() { eSession->setEnabled(cImportSession->isChecked()); }

void TfrmSettings::cBootableClick() {
  // Unticking keeps the path: ticking again offers it once more.
  if (!cBootable->isChecked()) return;
  const FileChoice choice{"dlg", QFileDialog::AcceptOpen, Q(text::kBootImageTitle), QString(),
                          Q(text::kBootImageFilter), Q(text::kBootImageSuffix), Label2->text()};
  const QString image = ChooseFile(this, choice);
  if (image.isEmpty()) {
    cBootable->setChecked(false);
    return;
  }
  Label2->setText(image);
  Label2->setToolTip(image);
}

void TfrmSettings::sCacheSizeChange() {
  Label3->setText(Q(fmt::sprintf(std::string(text::kCacheSizeFormat), sCacheSize->value())));
}

void TfrmSettings::AdvGlowButton1Click() {
  const bool import = cImportSession->isChecked();
  // A bad session number stops the whole apply before anything changes.
  const std::optional<int> session = import ? SessionNumber(eSession->text()) : std::optional<int>(0);
  if (!session) {
    Inform(this, Q(text::kSessionRefused));
    return;
  }

  TZelvoBurner& b = target_.burner;
  b.JolietFileSystem = cJoliet->isChecked();
  b.IdVolume = U(eVolLabel->text());
  b.FinalizeDisc = cCloseDisc->isChecked();
  b.UnderrunProtection = cUnderrunProtection->isChecked();
  b.TestWrite = cTestWrite->isChecked();
  b.PerformOPC = cOPC->isChecked();
  b.SetCacheSize(sCacheSize->value() * kMegabyte);
  b.Bootable = cBootable->isChecked();
  b.BootImage = U(Label2->text());

  WindowOptions& o = target_.options;
  o.ArchiveOnly = cArchiveOnly->isChecked();
  o.EjectWhenDone = cEject->isChecked();
  o.ShowFilesBeforeWrite = cShowFiles->isChecked();
  o.ImportPreviousSession = import;
  if (import && *session == 0) Inform(this, Q(text::kSessionZero));
  o.SessionToImport = static_cast<std::int8_t>(*session);
  o.QuickSaveISO = cQuickSaveISO->isChecked();
  o.VerifyAfterRecording = cVerify->isChecked();

  if (!WriteConfiguration(target_.config, o, target_.keepPath, b)) {
    const std::string line = std::string(text::kSettingsNotSaved) + target_.config.error();
    target_.log(line);
    Inform(this, Q(line));
  }
  close();
}

void TfrmSettings::bReadyClick() {
  if (!AskYesNo(this, Q(text::kCloseSessionTitle), Q(text::kCloseSessionText))) return;
  TZelvoBurner& b = target_.burner;
  if (b.CloseTrackSession(false, false, false)) {
    target_.log(std::string(text::kSessionClosed));
  } else {
    target_.log(std::string(text::kSessionNotClosed) + b.LastErrorText);
  }
}

}  // namespace kivo::app
