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
};

} // namespace veltra
