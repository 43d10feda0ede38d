#pragma once
// What keeps the program's file dialogs from hanging. Qt's file dialog asks
// for every listed file's icon and type; its own provider guesses the type
// from the file's contents when the name does not tell, and some "files"
// (/proc/kmsg, a FIFO's reader side) never end: the whole program froze the
// moment such a folder was listed.

#include <QFileDialog>
#include <QFileIconProvider>
#include <QString>

#include "app/shell/UserDialogs.h"

namespace veltra {

// Icons and type names from the name alone; no file is ever opened.
class NameOnlyIconProvider : public QFileIconProvider {
  public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

// The program's open or save dialog, set up as `setup` says, listing files by
// their names only.
class ProgramFileDialog : public QFileDialog {
  public:
    ProgramFileDialog(QWidget* parent, const FileDialogSetup& setup, AcceptMode mode);
};

// The folder of `path` as the next dialog's start folder, or `fallback` when
// that folder lies in a system tree (/proc, /sys, /dev) whose entries are not
// files: a failed save there must not bring the next dialog back to it.
QString dialogStartFolder(const QString& path, const QString& fallback);

} // namespace veltra
