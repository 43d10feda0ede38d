#pragma once
// The program from the moment its application object exists: one instance
// only, the process priority, the process-wide windows, the message loop.

#include <QString>

#include "app/AppTitle.h"

class QLockFile;

namespace veltra {

// The lock file that marks a running instance, named after the window title,
// in the user's runtime folder.
QString instanceLockPath();

enum class InstanceLock {
    Taken,         // this instance holds the lock
    HeldByAnother, // a live instance holds it
    Unavailable,   // it could not be created or read (folder unwritable, full, missing)
};

// Takes the instance lock. A lock left behind by an instance that died is
// taken over; a live instance's lock never goes stale however long it runs.
InstanceLock lockInstance(QLockFile& lock);

// Runs the program and returns its exit code, which is always 0.
int runVeltra();

} // namespace veltra
