#pragma once
// The port as the link session and its reconnect use it. ComPort is the
// program's one port; tests put the scripted board in its place, so that the
// session's start-up, switches and shutdown run in simulated time.

#include <QString>

#include "files/PortMap.h"
#include "link/SelectPort.h"

namespace veltra {

class SessionPort : public SelectablePort {
  public:
    // Opens the port again without the settle waits of Open, for a port that
    // was lost or never opened. Silent: false leaves everything as it was.
    virtual bool Reopen(const QString& portName) = 0;
    virtual bool IsOpen() const = 0;
    // The run state asked for the worker.
    virtual bool Enabled() const = 0;
    // Open, Reopen or the worker's run state change is under way: their waits
    // process events, so nothing may start another one inside them.
    virtual bool InTransition() const = 0;
    // "COM1".."COM3" and the devices they stand for.
    virtual void setPortMap(const PortMap& ports) = 0;
    virtual const PortMap& portMap() const = 0;
};

} // namespace veltra
