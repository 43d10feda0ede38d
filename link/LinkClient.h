#pragma once
// What the port's worker calls on the GUI thread: the owner of the link state
// (the link session) implements it, usually by forwarding to its LinkProtocol.

#include <cstdint>
#include <span>

#include "wire/FrameCodec.h"

namespace veltra {

class LinkClient {
  public:
    virtual ~LinkClient() = default;
    // A complete frame from the board, header included (the port's rxFrame).
    virtual void OnFrameReceived(std::span<const std::uint8_t> frame) = 0;
    // Once per active cycle; may build one frame into the port's `tx`.
    virtual void OnLinkCycle(TxFrameSlot& tx) = 0;
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
    virtual void OnDeviceLost() {}
    // Breaks in the received stream (stray bytes, broken headers, frames cut
    // short), counted for the link's health.
    virtual void OnFramingErrors(unsigned /*count*/) {}
};

} // namespace veltra
