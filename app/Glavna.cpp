#include "app/Glavna.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>
#include <QUrl>

#include "app/Browser.h"
#include "app/CaptionBar.h"
#include "app/CompilationList.h"
#include "app/LogBridge.h"
#include "app/MessageBoxes.h"
#include "app/QtText.h"
#include "app/Speeds.h"
#include "app/StatusPanels.h"
#include "app/Strings.h"
#include "app/Unit2.h"
#include "app/VirtualRecorderMenu.h"
#include "engine/drive/Capabilities.h"
#include "engine/drive/Transport.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/NumberFormat.h"
#include "engine/platform/Threads.h"

// The pictures are compiled into the application's library; a static library's resources must
// be registered by name before the first use.
static void RegisterPictures() { Q_INIT_RESOURCE(pictures); }

namespace kivo::app {

namespace {

constexpr int kClientWidth = 1026;
constexpr int kClientHeight = 709;
constexpr std::int32_t kWindowCacheSize = 8392704;
// Where the link panel and the start-up message send the user: the program's own guide.
QString DocumentationUrl() { return QUrl::fromLocalFile(QStringLiteral(KIVO_README_PATH)).toString(); }

QToolButton* HeaderButton(QWidget* parent, const char* name, const char* picture, std::string_view hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setIcon(QIcon(QStringLiteral(":/pictures/") + picture));
  button->setIconSize(QSize(128, 128));
  button->setFixedSize(136, 136);
  button->setAutoRaise(true);
  button->setToolTip(Q(hint));
  button->setAccessibleName(Q(hint));
  return button;
}

QPushButton* Button(QWidget* parent, const char* name, std::string_view caption, std::string_view hint = {}) {
  auto* button = new QPushButton(Q(caption), parent);
  button->setObjectName(name);
  button->setAccessibleName(Q(caption));
  if (!hint.empty()) button->setToolTip(Q(hint));
  return button;
}

}  // namespace

void SpeedBox::showPopup() {
  emit aboutToOpen();
  QComboBox::showPopup();
}

TkivoArdelGL::TkivoArdelGL(WindowSetup setup, QWidget* parent)
    : QWidget(parent),
      setup_(std::move(setup)),
      zelvob_(std::make_unique<TZelvoBurner>(this)),
      config_(setup_.configFile.empty() ? platform::ConfigFilePath() : setup_.configFile) {
  RegisterPictures();
  setObjectName("kivoArdelGL");
  setWindowTitle(Q(text::kAppTitle));
  setWindowFlag(Qt::FramelessWindowHint);
  resize(kClientWidth, kClientHeight);
  bridge_ = std::make_unique<LogBridge>([this](const std::string& line) { AppendLog(line); });

  // The burner's design values; the engine's own defaults differ.
  TZelvoBurner& b = *zelvob_;
  b.UnderrunProtection = true;
  b.DoDebug = true;
  b.FinalizeDisc = false;
  b.TestWrite = false;
  b.ReplaceFile = false;
  b.PerformOPC = true;
  b.SetCacheSize(kWindowCacheSize);
  b.ISOFileName = (QDir::homePath() + "/abc.iso").toStdString();
  b.WritePostGap = true;
  b.SetReadSpeed(0);
  ConnectBurner();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildCaption(this);
  layout->addWidget(CaptionPanel);
  BuildHeader(this);
  layout->addWidget(DugmadPanel);
  layout->addWidget(BuildDriveRows(this));

  auto* logSplitter = new QSplitter(Qt::Vertical, this);
  logSplitter->setObjectName("logSplitter");
  auto* sides = new QSplitter(Qt::Horizontal, logSplitter);
  sides->setObjectName("sidesSplitter");
  sides->setHandleWidth(7);
  sides->addWidget(BuildCompilationSide(sides));
  sides->addWidget(BuildBrowserSide(sides));
  sides->setSizes({400, kClientWidth - 407});
  Memo1 = new QPlainTextEdit(logSplitter);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setAccessibleName("Log");
  Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Memo1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.setObjectName("PopupMenu1");
    QAction* clear = menu.addAction(Q(text::kClearLogCaption));
    clear->setObjectName("ClearAll1");
    clear->setShortcut(Qt::Key_F8);
    connect(clear, &QAction::triggered, Memo1, &QPlainTextEdit::clear);
    menu.exec(Memo1->mapToGlobal(at));
  });
  logSplitter->addWidget(sides);
  logSplitter->addWidget(Memo1);
  logSplitter->setSizes({kClientHeight - 15 - 158 - 74 - 90 - 19, 90});
  layout->addWidget(logSplitter, 1);

  SB = new StatusPanels(this);
  SB->Link()->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(DocumentationUrl(), Q(text::kLinkText)));
  connect(SB->AbortPanel(), &QPushButton::clicked, this, &TkivoArdelGL::bAbortClick);
  layout->addWidget(SB);

  auto* copyLog = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(copyLog, &QShortcut::activated, this, [this] {
    Memo1->selectAll();
    QGuiApplication::clipboard()->setText(Memo1->toPlainText());
  });
  auto* clearLog = new QShortcut(QKeySequence(Qt::Key_F8), this);
  connect(clearLog, &QShortcut::activated, Memo1, &QPlainTextEdit::clear);

  Timer1.setInterval(500);
  connect(&Timer1, &QTimer::timeout, this, &TkivoArdelGL::Timer1Timer);
  ApplyState();
}

TkivoArdelGL::~TkivoArdelGL() {
  platform::SetSynchronizeWakeup({});
  zelvob_->OnDebugMessage = nullptr;
}

void TkivoArdelGL::BuildCaption(QWidget* parent) {
  auto* caption = new CaptionBar(Q(text::kAppTitle), parent);
  CaptionPanel = caption;
  CaptionLabel = caption->Label;
  JvXPToolButton3 = caption->MinimiseButton;
  JvXPToolButton2 = caption->MaximiseButton;
  CloseFormBtn = caption->CloseButton;
  connect(JvXPToolButton3, &QToolButton::clicked, this, &QWidget::showMinimized);
  connect(JvXPToolButton2, &QToolButton::clicked, this, [this] { isMaximized() ? showNormal() : showMaximized(); });
  connect(CloseFormBtn, &QToolButton::clicked, this, &QWidget::close);
}

void TkivoArdelGL::BuildHeader(QWidget* parent) {
  DugmadPanel = new QWidget(parent);
  DugmadPanel->setObjectName("DugmadPanel");
  DugmadPanel->setFixedHeight(158);
  DugmadPanel->setStyleSheet("#DugmadPanel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f6fa, stop:1 #c9d3e3); }");
  auto* row = new QHBoxLayout(DugmadPanel);
  row->setContentsMargins(10, 10, 20, 10);
  btnKivoTirel = HeaderButton(DugmadPanel, "btnKivoTirel", "header-kivotirel.png", text::kKivoTirelHint);
  bCDHeader = HeaderButton(DugmadPanel, "bCDHeader", "header-settings.png", text::kCDHeaderHint);
  bBurn = HeaderButton(DugmadPanel, "bBurn", "header-burn.png", text::kBurnHint);
  bAbort = HeaderButton(DugmadPanel, "bAbort", "header-abort.png", text::kAbortHint);
  CloseBtn = HeaderButton(DugmadPanel, "CloseBtn", "header-exit.png", text::kExitHint);
  for (QToolButton* button : {btnKivoTirel, bCDHeader, bBurn, bAbort}) row->addWidget(button);
  row->addStretch(1);
  row->addWidget(CloseBtn);
  connect(bCDHeader, &QToolButton::clicked, this, &TkivoArdelGL::bCDHeaderClick);
  connect(bBurn, &QToolButton::clicked, this, &TkivoArdelGL::bBurnClick);
  connect(bAbort, &QToolButton::clicked, this, &TkivoArdelGL::bAbortClick);
  connect(CloseBtn, &QToolButton::clicked, this, &QWidget::close);
}

QWidget* TkivoArdelGL::BuildDriveRows(QWidget* parent) {
  auto* rows = new QWidget(parent);
  auto* column = new QVBoxLayout(rows);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  pTop = new QWidget(rows);
  pTop->setObjectName("pTop");
  pTop->setFixedHeight(40);
  auto* top = new QHBoxLayout(pTop);
  top->setContentsMargins(6, 4, 6, 4);
  lDrive = new QLabel(Q(text::kDriveLabel), pTop);
  lDrive->setObjectName("lDrive");
  cbDrives = new QComboBox(pTop);
  cbDrives->setObjectName("cbDrives");
  cbDrives->setToolTip(Q(text::kDrivesHint));
  cbDrives->setAccessibleName(Q(text::kDrivesHint));
  cbDrives->setMinimumWidth(300);
  bCaps = Button(pTop, "bCaps", text::kCapsCaption);
  bCaps->setFixedWidth(30);
  cbSpeed = new SpeedBox(pTop);
  cbSpeed->setObjectName("cbSpeed");
  cbSpeed->setToolTip(Q(text::kSpeedHint));
  cbSpeed->setAccessibleName(Q(text::kSpeedHint));
  cbSpeed->setMinimumWidth(170);
  cbSpeed->addItem(Q(text::kSpeedMax), 0);
  bDisc = Button(pTop, "bDisc", text::kDiscCaption, text::kDiscHint);
  top->addWidget(lDrive);
  top->addWidget(cbDrives, 1);
  top->addWidget(bCaps);
  top->addWidget(cbSpeed);
  top->addWidget(bDisc);
  connect(cbDrives, &QComboBox::activated, this, &TkivoArdelGL::cbDrivesChange);
  connect(cbSpeed, &SpeedBox::aboutToOpen, this, &TkivoArdelGL::cbSpeedDropDown);
  connect(bCaps, &QPushButton::clicked, this, &TkivoArdelGL::bCapsClick);
  connect(bDisc, &QPushButton::clicked, this, &TkivoArdelGL::bDiscClick);

  pTop2 = new QWidget(rows);
  pTop2->setObjectName("pTop2");
  pTop2->setFixedHeight(34);
  auto* top2 = new QHBoxLayout(pTop2);
  top2->setContentsMargins(6, 2, 6, 2);
  bQErase = Button(pTop2, "bQErase", text::kQEraseCaption, text::kQEraseHint);
  bCErase = Button(pTop2, "bCErase", text::kCEraseCaption, text::kCEraseHint);
  bLoad = Button(pTop2, "bLoad", text::kLoadCaption, text::kLoadHint);
  bEject = Button(pTop2, "bEject", text::kEjectCaption, text::kEjectHint);
  bReady = Button(pTop2, "bReady", text::kReadyCaption, text::kReadyHint);
  for (QPushButton* button : {bQErase, bCErase, bLoad, bEject, bReady}) top2->addWidget(button);
  connect(bQErase, &QPushButton::clicked, this, &TkivoArdelGL::bQEraseClick);
  connect(bCErase, &QPushButton::clicked, this, &TkivoArdelGL::bCEraseClick);
  connect(bLoad, &QPushButton::clicked, this, &TkivoArdelGL::bLoadClick);
  connect(bEject, &QPushButton::clicked, this, &TkivoArdelGL::bEjectClick);
  connect(bReady, &QPushButton::clicked, this, &TkivoArdelGL::bReadyClick);
  virtualMenu_ = new VirtualRecorderMenu(pTop2);
  top2->addWidget(virtualMenu_);
  top2->addStretch(1);
  connect(virtualMenu_, &VirtualRecorderMenu::message, this, [this](const QString& line) { Log(U(line)); });

  column->addWidget(pTop);
  column->addWidget(pTop2);
  return rows;
}

QWidget* TkivoArdelGL::BuildCompilationSide(QWidget* parent) {
  auto* side = new QWidget(parent);
  side->setObjectName("pDiscFiles");
  auto* column = new QVBoxLayout(side);
  column->setContentsMargins(0, 0, 0, 0);
  auto* header = new QWidget(side);
  header->setObjectName("Panel4");
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(2, 2, 2, 2);
  bSaveISO = Button(header, "bSaveISO", text::kSaveIsoCaption, text::kSaveIsoHint);
  bBurnISO = Button(header, "bBurnISO", text::kBurnIsoCaption, text::kBurnIsoHint);
  cPathInfo = new QCheckBox(Q(text::kPathInfoCaption), header);
  cPathInfo->setObjectName("cPathInfo");
  cPathInfo->setTristate(true);
  cPathInfo->setCheckState(Qt::PartiallyChecked);
  cPathInfo->setToolTip(Q(text::kPathInfoHint));
  cPathInfo->setAccessibleName(Q(text::kPathInfoCaption));
  bClear = Button(header, "bClear", text::kClearCaption, text::kClearHint);
  row->addWidget(bSaveISO);
  row->addWidget(bBurnISO);
  row->addStretch(1);
  row->addWidget(cPathInfo);
  row->addWidget(bClear);
  connect(cPathInfo, &QCheckBox::clicked, this, &TkivoArdelGL::cPathInfoClick);
  connect(bSaveISO, &QPushButton::clicked, this, &TkivoArdelGL::bSaveISOClick);
  connect(bBurnISO, &QPushButton::clicked, this, &TkivoArdelGL::bBurnISOClick);
  connect(bClear, &QPushButton::clicked, this, &TkivoArdelGL::bClearClick);

  clBox = new CompilationList([this](const QString& path) { return zelvob_->SourceDirectorySize(U(path)); }, side);
  clBox->setObjectName("clBox");
  clBox->setToolTip(Q(text::kListHint));
  clBox->setAccessibleName(Q(text::kListHint));
  clBox->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(clBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.setObjectName("PopupMenu2");
    QAction* remove = menu.addAction(Q(text::kRemoveCaption));
    remove->setObjectName("Remove1");
    remove->setToolTip(Q(text::kRemoveHint));
    remove->setShortcut(Qt::Key_Delete);
    connect(remove, &QAction::triggered, clBox, &CompilationList::RemoveSelected);
    menu.exec(clBox->viewport()->mapToGlobal(at));
  });
  connect(clBox, &QTreeWidget::itemDoubleClicked, clBox, &CompilationList::RemoveSelected);
  column->addWidget(header);
  column->addWidget(clBox, 1);
  return side;
}

QWidget* TkivoArdelGL::BuildBrowserSide(QWidget* parent) {
  auto* side = new QWidget(parent);
  side->setObjectName("pDrivesDir");
  auto* column = new QVBoxLayout(side);
  column->setContentsMargins(0, 0, 0, 0);
  auto* header = new QWidget(side);
  header->setObjectName("Panel2");
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(2, 2, 2, 2);
  DriveCB = new QComboBox(header);
  DriveCB->setObjectName("DriveCB");
  DriveCB->setAccessibleName(Q(text::kDriveRoot));
  bNetwork = Button(header, "bNetwork", text::kNetworkCaption, text::kNetworkHint);
  row->addWidget(DriveCB, 1);
  row->addWidget(bNetwork);
  connect(bNetwork, &QPushButton::clicked, this, &TkivoArdelGL::bNetworkClick);

  auto* lists = new QSplitter(Qt::Horizontal, side);
  lbDir = new DirectoryList(lists);
  lbDir->setObjectName("lbDir");
  lbDir->setToolTip(Q(text::kDirHint));
  lbDir->setAccessibleName(Q(text::kDirHint));
  lbFiles = new FileList(lists);
  lbFiles->setObjectName("lbFiles");
  lbFiles->setToolTip(Q(text::kFilesHint));
  lbFiles->setAccessibleName(Q(text::kFilesHint));
  lists->addWidget(lbDir);
  lists->addWidget(lbFiles);
  lists->setSizes({352, 260});
  connect(lbDir, &DirectoryList::directoryChanged, lbFiles, &FileList::ShowDirectory);
  FillPlaces(*DriveCB);
  connect(DriveCB, &QComboBox::activated, this, [this](int index) { lbDir->SetDirectory(DriveCB->itemData(index).toString()); });
  lbDir->SetDirectory(QDir::homePath());
  DriveCB->setCurrentIndex(1);
  column->addWidget(header);
  column->addWidget(lists, 1);
  return side;
}

void TkivoArdelGL::ConnectBurner() {
  TZelvoBurner& b = *zelvob_;
  b.OnDebugMessage = [this](TSCSIDevice*, const std::string& message, std::uint8_t) { Log(message); };
  b.OnWriteDone = [this](TZelvoBurner*, const std::string& error) { zelvobWriteDone(error); };
  b.OnEraseDone = [this](TZelvoBurner*, bool withError) { zelvobEraseDone(withError); };
  b.OnFinalizingTrack = [this](TZelvoBurner*) { Log(std::string(text::kFinalizing)); };
  b.OnAddFile = [this](TZelvoBurner*, const std::string& fullPath, std::string& longName, std::string&, TDateTime&,
                       std::int32_t, std::int64_t, bool& skip) { zelvobAddFile(fullPath, longName, skip); };
  // Calls the engine hands to the main thread run on the event loop.
  platform::SetSynchronizeWakeup([] {
    QMetaObject::invokeMethod(qApp, [] { platform::CheckSynchronize(); }, Qt::QueuedConnection);
  });
}

void TkivoArdelGL::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  // The drive scan runs once the window is on the screen.
  QTimer::singleShot(0, this, &TkivoArdelGL::FormShow);
}

void TkivoArdelGL::FormShow() {
  // The form's own caption is empty by design (the caption bar shows the title), so the first
  // line is the marker alone.
  Log(std::string(text::kStartLine));
  transport_ = zelvob_->InitializeTransport(true, setup_.aspiLibrary);
  if (!zelvob_->ASPIInitialized()) {
    ApplyState();
    // The options still count for the image commands, and a later save must not overwrite
    // the user's file with defaults.
    KeepPath keepPath = KeepPathState();
    ReadConfiguration(config_, Options, keepPath, *zelvob_);
    SetKeepPathState(keepPath);
    if (!config_.error().empty()) Log(config_.error());
    Inform(this, Q(text::kNoTransportPrefix) + DocumentationUrl() + Q(text::kNoTransportSuffix));
    return;
  }
  if (!zelvob_->DeviceList.empty()) {
    for (const std::string& line : zelvob_->DeviceList) cbDrives->addItem(Q(line));
    cbDrives->setCurrentIndex(0);
    cbDrivesChange();
  }
  KeepPath keepPath = KeepPathState();
  ReadConfiguration(config_, Options, keepPath, *zelvob_);
  SetKeepPathState(keepPath);
  // A settings file that exists but cannot be read leaves the defaults in force: say so.
  if (!config_.error().empty()) Log(config_.error());
  Log(std::string(text::kBlankLine));
  SetCloseAfterCommand(true);
  ApplyState();
}

void TkivoArdelGL::cbDrivesChange() {
  if (cbDrives->currentIndex() < 0) return;
  const std::string line = U(cbDrives->currentText());
  zelvob_->SelectDevice(line);
  cbDrives->setToolTip(Q(line));
  const std::string letter = zelvob_->DriveLetter();
  lDrive->setText(letter.empty() ? Q(text::kDriveLabelNoLetter) : Q(text::kDriveLabelPrefix) + Q(letter) + ":");
  virtualMenu_->SetDrive(line);
  ApplyState();
}

void TkivoArdelGL::cbSpeedDropDown() {
  const std::uint16_t kind = zelvob_->MediaKind();
  const bool cd = IsCdKind(kind);
  const int step = cd ? 176 : 700;
  const int position = cbSpeed->currentIndex();
  cbSpeed->clear();
  cbSpeed->addItem(Q(text::kSpeedMax), 0);
  // Each entry keeps the KB/s the drive accepted: its text was made for this medium and cannot
  // be read back right once another medium is in the drive.
  for (int v = zelvob_->MaxWriteSpeed(); v > 0; v -= step) {
    zelvob_->SetWriteSpeed(static_cast<std::uint16_t>(v));
    const std::uint16_t accepted = zelvob_->CurrentWriteSpeed();
    const QString entry = Q(SpeedEntry(accepted, kind));
    if (cbSpeed->findText(entry) < 0) cbSpeed->addItem(entry, accepted);
  }
  cbSpeed->setCurrentIndex(position >= 0 && position < cbSpeed->count() ? position : 0);
}

std::uint16_t TkivoArdelGL::SelectedSpeed() const {
  return static_cast<std::uint16_t>(cbSpeed->currentData().toUInt());
}

void TkivoArdelGL::closeEvent(QCloseEvent* event) {
  if (state_ == WindowState::Erasing) {
    Inform(this, Q(text::kCloseWhileErasing));
    event->ignore();
    return;
  }
  if (state_ == WindowState::Recording || state_ == WindowState::SavingImage) {
    if (!AskYesNo(this, Q(text::kCloseWhileRecordingTitle), Q(text::kCloseWhileRecordingText))) {
      event->ignore();
      return;
    }
    // The writer ends through OnWriteDone; the loop keeps running until it has arrived.
    bAbortClick();
    while (state_ != WindowState::Idle) QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  Timer1.stop();
  platform::Sleep(500);
  event->accept();
}

KeepPath TkivoArdelGL::KeepPathState() const {
  switch (cPathInfo->checkState()) {
    case Qt::Checked: return KeepPath::Checked;
    case Qt::PartiallyChecked: return KeepPath::Grayed;
    case Qt::Unchecked: break;
  }
  return KeepPath::Unchecked;
}

void TkivoArdelGL::SetKeepPathState(KeepPath state) {
  cPathInfo->setCheckState(state == KeepPath::Checked  ? Qt::Checked
                           : state == KeepPath::Grayed ? Qt::PartiallyChecked
                                                       : Qt::Unchecked);
}

void TkivoArdelGL::cPathInfoClick() {
  if (!WriteKeepPath(config_, KeepPathState())) Log(config_.error());
}

void TkivoArdelGL::bCDHeaderClick() {
  if (state_ != WindowState::Idle) return;
  auto* settings = new TfrmSettings(
      SettingsTarget{*zelvob_, Options, KeepPathState(), config_, [this](const std::string& line) { Log(line); }}, this);
  settings->show();
}

void TkivoArdelGL::bNetworkClick() {
  bool ok = false;
  const QString path = QInputDialog::getText(this, Q(text::kNetworkTitle), Q(text::kNetworkPrompt), QLineEdit::Normal, {}, &ok);
  if (ok && !path.isEmpty()) lbDir->SetDirectory(path);
}

void TkivoArdelGL::SetState(WindowState state) {
  state_ = state;
  ApplyState();
}

// The one place that decides what may be used: nothing that resets the compilation or sends a
// drive command while a recording, an image save, an erase or a drive command runs.
void TkivoArdelGL::ApplyState() {
  const bool idle = state_ == WindowState::Idle;
  const bool drives = idle && transport_;
  const std::uint32_t caps = zelvob_->Capabilities.load();
  const bool writer = (caps & (kWritesCdR | kWritesDvdR | kWritesDvdRam)) != 0;
  pTop->setEnabled(drives);
  pTop2->setEnabled(drives);
  bSaveISO->setEnabled(idle);
  bBurnISO->setEnabled(drives);
  DriveCB->setEnabled(idle);
  bBurn->setEnabled(drives && writer && cbDrives->currentIndex() >= 0);
  bCDHeader->setEnabled(idle);
  bClear->setEnabled(idle);
  clBox->SetEditable(idle);
  SB->AbortPanel()->setEnabled(state_ == WindowState::Recording || state_ == WindowState::SavingImage);
  bAbort->setEnabled(state_ == WindowState::Recording);
}

void TkivoArdelGL::Log(const std::string& line) {
  // Lines from the window's thread keep their place behind lines the workers queued before.
  if (platform::IsMainThread()) {
    bridge_->Drain();
    AppendLog(line);
  } else {
    bridge_->Post(line);
  }
}

// Each line becomes a new paragraph after the log's first, empty one; the view follows the end.
void TkivoArdelGL::AppendLog(const std::string& line) {
  QTextCursor cursor(Memo1->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertBlock();
  cursor.insertText(Q(line));
  Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

QString TkivoArdelGL::LogText() const {
  bridge_->Drain();
  return Memo1->toPlainText();
}

}  // namespace kivo::app
