// The file choosers of the main window: Qt's own dialog rather than the desktop's, so that it
// shows the same in every session and can be answered by the window's tests.
#pragma once

#include <QFileDialog>
#include <QString>

namespace kivo::app {

struct FileChoice {
  enum class Kind { File, Folder };
  const char* name;             // the dialog's object name
  QFileDialog::AcceptMode mode;
  QString title;
  QString fileLabel;            // empty: the usual "Naziv datoteke:"
  QString filter;               // Qt's form: "Name (*.a *.b);;Other (*)"
  QString defaultSuffix;
  QString start;                // the file name the dialog opens with
  Kind kind = Kind::File;       // Folder: an existing folder is chosen, files are not shown
};

// The chosen file's (or folder's) absolute path; empty when the user cancels. Replacing an existing file is
// asked by the caller, in the program's language.
QString ChooseFile(QWidget* parent, const FileChoice& choice);

}  // namespace kivo::app
