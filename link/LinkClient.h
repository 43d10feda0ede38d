#pragma once
// What the port's worker calls on the GUI thread: the owner of the link state
// (the main window) implements it, usually by forwarding to its LinkProtocol.

namespace veltra {

class ComPort;

class LinkClient {
  public:
    virtual ~LinkClient() = default;
    // A complete frame is in the port's rxFrame (rxLength bytes).
    virtual void OnFrameReceived(ComPort& port) = 0;
    // Once per active cycle; may build one frame into the port's txFrame.
    virtual void OnLinkCycle(ComPort& port) = 0;
    // The worker stopped servicing the port (switched off, the port closed or
    // failed to open, the device lost): nothing is sent or received until it
    // runs again, so the link is lost now, not forty cycles later.
    virtual void OnLinkStopped() {}
    // The worker services the port again (after SetRun(true), or an open
    // that let a requested run go on).
    virtual void OnLinkStarted() {}
    // The open device went away (hang-up, a read or write error that means the
    // device is gone, its path now naming another device); the port has closed
    // it. Called on the GUI thread from the worker's blocked step, after
    // OnLinkStopped: set fields and texts only, start no wait and no Open.
    virtual void OnDeviceLost(ComPort& /*port*/) {}
};

} // namespace veltra
