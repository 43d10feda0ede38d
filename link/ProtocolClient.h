#pragma once
// The usual LinkClient: hands the worker's steps to a LinkProtocol and the
// program image an upload sends. The main window can own one of these or
// forward its own LinkClient calls the same way.

#include "compiler/ProgramImage.h"
#include "link/ComPort.h"
#include "link/LinkClient.h"
#include "link/LinkProtocol.h"

namespace veltra {

class ProtocolClient : public LinkClient {
  public:
    ProtocolClient(LinkProtocol& protocol, const ProgramImage& image) : protocol_(protocol), image_(image) {}

    void OnFrameReceived(ComPort& port) override {
        protocol_.OnFrameReceived({port.rxFrame.data(), port.rxLength});
    }
    void OnLinkCycle(ComPort& port) override { protocol_.OnLinkCycle(port, image_); }
    void OnLinkStopped() override { protocol_.OnLinkStopped(); }

  private:
    LinkProtocol& protocol_;
    const ProgramImage& image_;
};

} // namespace veltra
