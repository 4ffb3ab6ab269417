#include "app/VirtualRecorderMenu.h"

#include <QDir>
#include <QFileDialog>
#include <QMenu>

#include <fmt/printf.h>

#include "app/QtText.h"
#include "app/Strings.h"
#include "virtualdrive/Medium.h"
#include "virtualdrive/StateFolder.h"
#include "virtualdrive/Strings.h"
#include "virtualdrive/VirtualRecorder.h"

namespace kivo::app {

VirtualRecorderMenu::VirtualRecorderMenu(QWidget* parent) : QToolButton(parent) {
  setObjectName("VirtualRecorderMenu");
  setText(Q(text::kVirtualMenu));
  setAccessibleName(Q(text::kVirtualMenu));
  setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(this);
  QMenu* insert = menu->addMenu(Q(text::kVirtualInsert));
  insert->setObjectName("VirtualInsert");
  for (const vdrive::MediumInfo& medium : vdrive::AllMedia()) {
    if (medium.model == vdrive::WriteModel::ReadOnly) continue;
    const std::string kind(medium.name);
    QAction* action = insert->addAction(Q(medium.displayName));
    action->setObjectName(Q("VirtualInsert_" + kind));
    connect(action, &QAction::triggered, this, [this, kind] { Insert(kind); });
  }
  QAction* eject = menu->addAction(Q(text::kVirtualEject));
  eject->setObjectName("VirtualEject");
  connect(eject, &QAction::triggered, this, [this] { Eject(); });
  QAction* exportDisc = menu->addAction(Q(text::kVirtualExport));
  exportDisc->setObjectName("VirtualExport");
  connect(exportDisc, &QAction::triggered, this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, Q(text::kVirtualExportTitle), QDir::homePath() + "/disk.iso",
                                                      "ISO (*.iso)");
    if (!path.isEmpty()) Export(U(path));
  });
  setMenu(menu);
  setVisible(false);
}

void VirtualRecorderMenu::SetDrive(const std::string& deviceLine) {
  setVisible(deviceLine.find(vdrive::text::kInquiryProduct) != std::string::npos);
}

bool VirtualRecorderMenu::OnRecorder(const std::function<bool(vdrive::VirtualRecorder&, std::string&)>& action) {
  std::string error;
  const std::string folder = vdrive::DefaultStateFolder(error);
  if (!folder.empty()) {
    vdrive::VirtualRecorder recorder(folder);
    if (action(recorder, error)) return true;
  }
  emit message(Q(text::kVirtualFailed) + Q(error));
  return false;
}

bool VirtualRecorderMenu::Insert(const std::string& kind) {
  const auto medium = vdrive::KindFromName(kind);
  if (!medium) return false;  // the menu offers only the recorder's own kinds
  return OnRecorder([&](vdrive::VirtualRecorder& recorder, std::string& error) { return recorder.Insert(*medium, error); });
}

bool VirtualRecorderMenu::Eject() {
  return OnRecorder([](vdrive::VirtualRecorder& recorder, std::string& error) { return recorder.Eject(error); });
}

bool VirtualRecorderMenu::Export(const std::string& imagePath) {
  std::uint32_t blocks = 0;
  if (!OnRecorder([&](vdrive::VirtualRecorder& recorder, std::string& error) {
        return recorder.Export(imagePath, blocks, error);
      })) {
    return false;
  }
  emit message(Q(fmt::sprintf(std::string(text::kVirtualExported), imagePath, blocks)));
  return true;
}

}  // namespace kivo::app
