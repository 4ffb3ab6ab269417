// The main window's report windows: what the drive can do.
#include "app/DeviceCaps.h"
#include "app/Glavna.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::app {

void TkivoArdelGL::bCapsClick() {
  if (state_ != WindowState::Idle) return;
  TForm2 caps(this);
  caps.Fill(*zelvob_);
  caps.exec();
}

}  // namespace kivo::app
