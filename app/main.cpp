// The editor: no options, exit code 0.

#include "app/Startup.h"
#include "app/VeltraApplication.h"

int main(int argc, char** argv) {
    veltra::VeltraApplication app(argc, argv);
    return veltra::runVeltra();
}
