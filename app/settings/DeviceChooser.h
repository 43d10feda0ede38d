#pragma once
// The settings dialog's device chooser. For the COM name selected in the name
// list it offers the serial devices present now (USB adapters under their
// stable names, on-board UARTs), the virtual board's link when one runs, and
// the device the name stands for now, marked when it is absent, and
// "виртуальная плата": the board the editor runs itself on its link in the
// user's runtime folder (virtualBoardLink) once the dialog is saved. The list
// follows devices as they come and go while the dialog is shown. Nothing is
// written here: the dialog stores what was chosen when it is saved.
//
// Virtual board links are looked for among the configured paths and in the
// given folders (the program's folder and the one above it, where ./run.sh
// keeps build/release/virtual-board); a directory listing each, no deeper.

#include <QObject>
#include <QStringList>

#include <array>
#include <vector>

#include "files/Settings.h"
#include "ports/DeviceWatcher.h"
#include "ports/SerialLister.h"

class QComboBox;

namespace veltra {

class DeviceChooser : public QObject {
  public:
    DeviceChooser(QComboBox& portNames, QComboBox& devices, const std::array<QByteArray, 3>& configured,
                  QStringList boardFolders, QObject* parent = nullptr);

    // Follows devices while the dialog is shown; costs nothing otherwise.
    void startWatching();
    void stopWatching();
    // Lists the devices present now.
    void refresh();

    // The device of COM1..COM3: the configured one unless another was picked.
    const std::array<QByteArray, 3>& chosen() const { return chosen_; }
    // The names that were given another device than the configured one.
    PortKeys changedPorts() const;

  private:
    // The entries for the selected name; its device is the current one.
    void fill();
    // Which device each name opens, as the hints of the name list.
    void showHints();
    QString describeUnlisted(const QByteArray& path) const;

    QComboBox& names_;
    QComboBox& devices_;
    std::array<QByteArray, 3> configured_;
    std::array<QByteArray, 3> chosen_;
    QStringList boardFolders_;
    std::vector<SerialPortInfo> present_;
    DeviceWatcher watcher_;
    bool filling_ = false;
};

} // namespace veltra
