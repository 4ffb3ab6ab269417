#include "app/DiscLayout.h"

#include "app/EntryTree.h"
#include "app/MessageBoxes.h"
#include "app/QtText.h"
#include "app/Strings.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::app {

namespace {

constexpr int kFolderTreeWidth = 190;

void PopUpOnRequest(QWidget& widget, QMenu& menu) {
  widget.setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(&widget, &QWidget::customContextMenuRequested, &menu,
                   [&menu, &widget](const QPoint& at) { menu.popup(widget.mapToGlobal(at)); });
}

}  // namespace

TfrmDiscLayout::TfrmDiscLayout(QWidget* owner, TZelvoBurner& burner)
    : BorderlessDialog(owner, Q(text::kLayoutTitle), QSize(638, 377), Centre::OnOwner), burner_(burner) {
  setObjectName("frmDiscLayout");
  AddIdleCaptionButtons();
  const EntryViews views = BuildEntryViews(this, GridKind::Editor, kFolderTreeWidth, Q(text::kLayoutGridHint));
  tvDir = views.tree;
  fl = views.grid;
  PopupMenu1 = new QMenu(tvDir);
  PopupMenu1->setObjectName("PopupMenu1");
  Delete1 = MenuItem(*PopupMenu1, *tvDir, "Delete1", text::kDeleteCaption, QKeySequence::Delete);
  Refresh1 = MenuItem(*PopupMenu1, *tvDir, "Refresh1", text::kRefreshCaption, QKeySequence(Qt::Key_F5));
  PopupMenu2 = new QMenu(fl);
  PopupMenu2->setObjectName("PopupMenu2");
  MenuItem1 = MenuItem(*PopupMenu2, *fl, "MenuItem1", text::kDeleteCaption, QKeySequence::Delete);
  MenuItem2 = MenuItem(*PopupMenu2, *fl, "MenuItem2", text::kRefreshCaption, QKeySequence(Qt::Key_F5));
  PopUpOnRequest(*tvDir, *PopupMenu1);
  PopUpOnRequest(*fl, *PopupMenu2);
  Body()->addWidget(views.splitter, 1);
  bClose = AddCloseButton("bClose");

  connect(tvDir, &QTreeWidget::currentItemChanged, this, &TfrmDiscLayout::tvdirClick);
  connect(Delete1, &QAction::triggered, this, &TfrmDiscLayout::Delete1Click);
  connect(Refresh1, &QAction::triggered, this, &TfrmDiscLayout::Refresh1Click);
  connect(MenuItem1, &QAction::triggered, this, &TfrmDiscLayout::MenuItem1Click);
  connect(MenuItem2, &QAction::triggered, this, &TfrmDiscLayout::Refresh1Click);
}

QAction* TfrmDiscLayout::MenuItem(QMenu& menu, QWidget& widget, const char* name, std::string_view caption,
                                  QKeySequence key) {
  QAction* action = menu.addAction(Q(caption));
  action->setObjectName(name);
  action->setShortcut(key);
  action->setShortcutContext(Qt::WidgetShortcut);
  widget.addAction(action);
  return action;
}

void TfrmDiscLayout::showEvent(QShowEvent* event) {
  BorderlessDialog::showEvent(event);
  FormShow();
}

void TfrmDiscLayout::FormShow() {
  FillDirectoryTree(*tvDir, burner_.RootDirectory());
  tvdirClick();
}

void TfrmDiscLayout::tvdirClick() {
  if (const TDEntry* dir = NodeDirectory(tvDir->currentItem())) FillEntryGrid(*fl, *dir, GridKind::Editor);
}

void TfrmDiscLayout::MenuItem1Click() {
  TFEntry* entry = RowEntry(*fl, fl->currentRow());
  TDEntry* dir = NodeDirectory(tvDir->currentItem());
  if (entry == nullptr || dir == nullptr) return;
  if (entry->IsDirectory()) return Inform(this, Text(text::kDirectoryNotDeleted, entry->LongName));
  burner_.DeleteEntry(dir, entry);
  tvdirClick();
}

void TfrmDiscLayout::Delete1Click() {
  TDEntry* dir = NodeDirectory(tvDir->currentItem());
  if (dir == nullptr) return;
  // The root is refused by the burner and stays.
  burner_.DeleteDirectory(dir);
  Refresh1Click();
}

void TfrmDiscLayout::Refresh1Click() { FormShow(); }

}  // namespace kivo::app
