// The editor's own start (the same entry the program uses: instance lock,
// main window, help windows, settings dialog, message loop), closed as soon
// as its main window has been painted. Its settings live in a temporary
// folder so that the probe never touches a real Veltra.ini.

#include <QTemporaryDir>

#include "app/ProgramFolder.h"
#include "app/Startup.h"
#include "app/TMainForm.h"
#include "app/VeltraApplication.h"
#include "bench/app/FirstPaint.h"

int main(int argc, char** argv) {
    veltra::VeltraApplication app(argc, argv);
    QTemporaryDir folder;
    veltra::setProgramFolder(folder.path());
    veltra::bench::FirstPaint probe([](QWidget* w) { return qobject_cast<veltra::TMainForm*>(w) != nullptr; },
                                    [](QWidget* w) { w->close(); });
    return veltra::runVeltra();
}
