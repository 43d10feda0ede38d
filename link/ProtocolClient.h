#pragma once
// The usual LinkClient: hands the worker's steps to a LinkProtocol. The link
// session is one; tests that drive a port without a session use it as it is.

#include "link/LinkClient.h"
#include "link/LinkProtocol.h"

namespace veltra {

class ProtocolClient : public LinkClient {
  public:
    explicit ProtocolClient(LinkProtocol& protocol) : protocol_(protocol) {}

    void OnFrameReceived(std::span<const std::uint8_t> frame) override { protocol_.OnFrameReceived(frame); }
    void OnLinkCycle(TxFrameSlot& tx) override { protocol_.OnLinkCycle(tx); }
    void OnLinkStopped() override { protocol_.OnLinkStopped(); }
    void OnLinkStarted() override { protocol_.OnLinkStarted(); }
    void OnFramingErrors(unsigned count) override { protocol_.health().FramingErrors(count); }

  private:
    LinkProtocol& protocol_;
};

} // namespace veltra
