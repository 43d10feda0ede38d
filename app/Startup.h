#pragma once
// The program from the moment its application object exists: one instance
// only, the process priority, the process-wide windows, the message loop.

#include <QString>

#include "app/AppTitle.h"

namespace veltra {

// The lock file that marks a running instance, named after the window title,
// in the user's runtime folder.
QString instanceLockPath();

// Runs the program and returns its exit code, which is always 0.
int runVeltra();

} // namespace veltra
