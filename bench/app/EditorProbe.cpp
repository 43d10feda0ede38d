// The editor's own start (the same entry the program uses: instance lock,
// main window with its port, help windows, settings dialog, message loop),
// closed as soon as its main window has been painted.

#include "app/Startup.h"
#include "app/TMainForm.h"
#include "app/VeltraApplication.h"
#include "bench/app/FirstPaint.h"
#include "bench/app/ProbeSettings.h"

int main(int argc, char** argv) {
    veltra::VeltraApplication app(argc, argv);
    veltra::bench::ProbeSettings settings;
    if (!settings.ok()) return 1;
    veltra::bench::FirstPaint probe([](QWidget* w) { return qobject_cast<veltra::TMainForm*>(w) != nullptr; },
                                    [](QWidget* w) { w->close(); });
    return veltra::runVeltra();
}
