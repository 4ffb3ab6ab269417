#include "app/DeviceCaps.h"

#include <QHBoxLayout>

#include "app/QtText.h"
#include "app/Strings.h"
#include "engine/drive/Capabilities.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/platform/NumberFormat.h"

namespace kivo::app {

namespace {

// The capability each box stands for, kept on the box itself.
constexpr const char* kCapabilityProperty = "capability";

QString Speed(std::string_view prefix, unsigned kilobytesPerSecond) {
  return Q(prefix) + Q(platform::FormatFloat(text::kSpeedFormat, kilobytesPerSecond));
}

QLabel* SpeedLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() - 1);
  label->setFont(font);
  return label;
}

}  // namespace

TForm2::TForm2(QWidget* owner)
    : BorderlessDialog(owner, Q(text::kCapsTitle), QSize(420, 291), Centre::OnOwner) {
  setObjectName("Form2");
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Body()->addWidget(Label1);

  Panel2 = new QWidget(this);
  Panel2->setObjectName("Panel2");
  auto* grid = new QGridLayout(Panel2);
  grid->setContentsMargins(8, 2, 8, 2);
  grid->setVerticalSpacing(1);
  AddBox(*grid, 0, 0, "ReadCDR", text::kReadCdR, kReadsCdR);
  AddBox(*grid, 0, 1, "WriteCDR", text::kWriteCdR, kWritesCdR);
  AddBox(*grid, 1, 0, "ReadCDRW", text::kReadCdRw, kReadsCdRw);
  AddBox(*grid, 1, 1, "WriteCDRW", text::kWriteCdRw, kWritesCdRw);
  AddBox(*grid, 2, 0, "ReadDVDR", text::kReadDvdR, kReadsDvdR);
  AddBox(*grid, 2, 1, "WriteDVDR", text::kWriteDvdR, kWritesDvdR);
  AddBox(*grid, 3, 0, "ReadDVDRW", text::kReadDvdRw, kReadsDvdRw);
  AddBox(*grid, 3, 1, "WriteDVDRW", text::kWriteDvdRw, kWritesDvdRw);
  AddBox(*grid, 4, 0, "ReadDVDRAM", text::kReadDvdRam, kReadsDvdRam);
  AddBox(*grid, 4, 1, "WriteDVDRAM", text::kWriteDvdRam, kWritesDvdRam);
  AddBox(*grid, 5, 0, "ReadDVDPR", text::kReadDvdPlusR, kReadsDvdPlusR);
  AddBox(*grid, 5, 1, "WriteDVDPR", text::kWriteDvdPlusR, kWritesDvdPlusR);
  AddBox(*grid, 6, 0, "ReadDVDPRW", text::kReadDvdPlusRw, kReadsDvdPlusRw);
  AddBox(*grid, 6, 1, "WriteDVDPRW", text::kWriteDvdPlusRw, kWritesDvdPlusRw);
  AddBox(*grid, 7, 0, "ReadDVD", text::kReadDvd, kReadsDvdRom);
  AddBox(*grid, 7, 1, "WriteTest", text::kTestWriteCaption, kTestWrite);
  AddBox(*grid, 8, 0, "UnderrunProtection", text::kUnderrunCaption, kUnderrunProtection);
  Label2 = SpeedLabel("Label2", Panel2);
  Label3 = SpeedLabel("Label3", Panel2);
  // The speed lines are longer than a column of boxes: they share the row by their lengths.
  auto* speeds = new QHBoxLayout;
  speeds->addWidget(Label2);
  speeds->addStretch(1);
  speeds->addWidget(Label3);
  grid->addLayout(speeds, 9, 0, 1, 2);
  // A report, not a form: the boxes show what the drive can do and cannot be changed.
  Panel2->setEnabled(false);
  Body()->addWidget(Panel2, 1);

  Button1 = AddCloseButton("Button1");
}

void TForm2::AddBox(QGridLayout& grid, int row, int column, const char* name, std::string_view caption,
                    std::uint32_t capability) {
  auto* box = new QCheckBox(Q(caption), Panel2);
  box->setObjectName(name);
  box->setProperty(kCapabilityProperty, capability);
  // The protection box stands alone on its row, across both columns.
  grid.addWidget(box, row, column, 1, capability == kUnderrunProtection ? 2 : 1);
}

void TForm2::Fill(TSCSIDevice& drive) {
  const std::uint32_t capabilities = drive.Capabilities.load();
  for (QCheckBox* box : Panel2->findChildren<QCheckBox*>()) {
    box->setChecked((capabilities & box->property(kCapabilityProperty).toUInt()) != 0);
  }
  Label1->setText(QStringLiteral("  ") + Q(drive.DeviceId));
  Label2->setText(Speed(text::kMaxWriteSpeed, drive.DeviceMaxWriteSpeed.load()));
  Label3->setText(Speed(text::kMaxReadSpeed, drive.DeviceMaxReadSpeed.load()));
}

}  // namespace kivo::app
