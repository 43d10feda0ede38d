#pragma once
// The usual LinkClient: hands the worker's steps to a LinkProtocol. The link
// session is one; tests that drive a port without a session use it as it is.

#include "link/ComPort.h"
#include "link/LinkClient.h"
#include "link/LinkProtocol.h"

namespace veltra {

class ProtocolClient : public LinkClient {
  public:
    explicit ProtocolClient(LinkProtocol& protocol) : protocol_(protocol) {}

    void OnFrameReceived(ComPort& port) override {
        protocol_.OnFrameReceived({port.rxFrame.data(), port.rxLength});
    }
    void OnLinkCycle(ComPort& port) override { protocol_.OnLinkCycle(port); }
    void OnLinkStopped() override { protocol_.OnLinkStopped(); }
    void OnLinkStarted() override { protocol_.OnLinkStarted(); }

  private:
    LinkProtocol& protocol_;
};

} // namespace veltra
