#pragma once
// The program from the moment its application object exists: one instance
// only, the process priority, the process-wide windows, the message loop.

#include <QString>
#include <QStringList>

#include "app/shell/AppTitle.h"

class QLockFile;

namespace veltra {

// The lock file that marks a running instance, named after the window title,
// in the user's runtime folder.
QString instanceLockPath();

enum class InstanceLock {
    Taken,         // this instance holds the lock
    HeldByAnother, // a live instance holds it
    Unavailable,   // it could not be created (folder unwritable, full, missing, a folder with files in its
                   // place)
};

// Takes the instance lock. A lock that no running instance holds (one that
// died, an empty or garbled lock file, an empty folder or a link in its
// place) is taken over; a live instance's lock never goes stale however long
// it runs.
InstanceLock lockInstance(QLockFile& lock);

// Runs the program and returns its exit code: 0, but 1 for a second start
// whose file the running editor did not open. `arguments` (the command line
// after the program's name, Qt's own options taken out) may name one program
// file, opened at start as Open opens it; a second start with a file hands it
// to the running editor instead.
int runVeltra(const QStringList& arguments = {});

} // namespace veltra
