// The device capabilities window: what the selected drive reads and writes and its top speeds,
// a snapshot of what the burner learnt at drive selection. Nothing is sent to the drive.
#pragma once

#include <string_view>

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/BorderlessDialog.h"

namespace kivo {
class TSCSIDevice;
}

namespace kivo::app {

class TForm2 : public BorderlessDialog {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* owner);
  // Ticks the boxes and writes the drive and speed lines from the drive's current state.
  void Fill(TSCSIDevice& drive);

 private:
  void AddBox(QGridLayout& grid, int row, int column, const char* name, std::string_view caption,
              std::uint32_t capability);

  QLabel* Label1 = nullptr;
  QWidget* Panel2 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QPushButton* Button1 = nullptr;
};

}  // namespace kivo::app
