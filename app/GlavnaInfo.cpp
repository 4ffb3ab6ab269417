// The main window's two report windows: what the drive can do, and what the disc holds.
#include <QApplication>

#include "app/DeviceCaps.h"
#include "app/DiscInfo.h"
#include "app/Glavna.h"
#include "app/OffThread.h"
#include "engine/drive/Transport.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::app {

void TkivoArdelGL::bCapsClick() {
  if (state_ != WindowState::Idle) return;
  TForm2 caps(this);
  caps.Fill(*zelvob_);
  caps.exec();
}

void TkivoArdelGL::bDiscClick() {
  DiscFacts facts;
  bool read = false;
  // With no disc the drive takes seconds to say so: the window keeps painting meanwhile, and
  // as a drive command the reading keeps every other one out.
  RunDriveCommand([this, &facts, &read] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    facts = RunOffThread<DiscFacts>([this] { return ReadDiscFacts(*zelvob_); });
    QApplication::restoreOverrideCursor();
    SetCloseAfterCommand(true);
    read = true;
  });
  if (!read) return;
  TfrmSessions sessions(this, *zelvob_);
  sessions.Fill(facts);
  sessions.exec();
}

}  // namespace kivo::app
