// The editor: `veltra [FILE]`; exit code 0, or 1 for a file a running
// editor was handed and did not open.

#include <csignal>

#include "app/Startup.h"
#include "app/shell/Translations.h"
#include "app/shell/VeltraApplication.h"

int main(int argc, char** argv) {
    // A write beyond the file-size limit (ulimit -f) then fails with EFBIG and
    // is reported like a full disk, instead of killing the editor with the
    // user's unsaved text.
    std::signal(SIGXFSZ, SIG_IGN);
    veltra::VeltraApplication app(argc, argv);
    const auto russian = veltra::installRussianQtTexts();
    return veltra::runVeltra(QCoreApplication::arguments().mid(1));
}
