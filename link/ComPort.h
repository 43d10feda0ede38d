#pragma once
// The one serial port of the program and its worker thread. All operations are
// called on the GUI thread; the worker reaches this object and the LinkClient
// only inside its synchronised steps, which run on the GUI thread too.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

#include "files/PortMap.h"
#include "link/LinkClient.h"
#include "link/SerialDevice.h"
#include "link/SessionPort.h"
#include "link/TCOMport.h"
#include "link/WaitTurns.h"
#include "wire/FrameCodec.h"

namespace veltra {

class ComPort : public SessionPort, private PortForWorker, private TxFrameSlot {
  public:
    // Its own waits (the settling of ApplyRunState and SetRun, the turns of its
    // destruction) are turns of `turns`, which are never cut short.
    ComPort(LinkClient* client, PortMap ports, WaitTurns& turns);
    ~ComPort() override;
    ComPort(const ComPort&) = delete;
    ComPort& operator=(const ComPort&) = delete;

    // Opens and configures a port at 57600 baud. "COM1".."COM3" are looked up
    // in the port map; any other name is taken as a device path.
    bool Open(const QString& portName) override;
    // Opens the port again without the settle waits of Open, for a port that
    // was lost or never opened: the worker is idle then, so nothing needs to
    // settle, and a device that is still missing costs one failed open(2).
    // Silent: false leaves everything as it was. Never inside another Open.
    bool Reopen(const QString& portName) override;
    // Requests the worker's run state and passes it on at once.
    void SetRun(bool on) override;
    // Holds the worker still while its run flag becomes isOpen && enabled.
    void ApplyRunState();
    QString StatusText() const { return statusText; }

    // The message box text for the last failed Open: the status text, then the
    // device and the system's reason, then the port doctor's cause and remedy.
    QString OpenFailureMessage() const override;
    int lastOpenErrno() const { return failureErrno_; }

    bool IsOpen() const override { return isOpen; }
    bool Enabled() const override { return enabled; }
    // Open, Reopen or ApplyRunState is under way (their waits process events,
    // so a timer could otherwise start another one inside them).
    bool InTransition() const override { return transitions_ > 0; }
    void setPortMap(const PortMap& ports) override { ports_ = ports; }
    const PortMap& portMap() const override { return ports_; }
    const TCOMport& worker() const { return *thread; }

  private:
    // The worker's side (PortForWorker), run inside its synchronised steps.
    const SerialDevice* CycleDevice() const override { return &device; }
    void DeliverFrame(std::span<const std::uint8_t> frame) override;
    std::span<const std::uint8_t> FetchFrame() override;
    void FramingErrors(unsigned count) override {
        if (client_) client_->OnFramingErrors(count);
    }
    void AdoptRunState(bool deviceLost) override;

    // The device is gone; close it and stop the worker's service of it.
    void DeviceLost();
    // The worker's run flag; the client hears when the link stops or starts.
    void setWorkerRun(bool on);

    std::unique_ptr<TCOMport> thread;
    QString statusText;
    SerialDevice device; // the handle and the saved line settings
    bool isOpen = false;
    bool enabled = false;
    // The last complete received frame, header included.
    std::array<std::uint8_t, kFrameBufferSize> rxFrame{};
    std::uint16_t rxLength = 0;

    LinkClient* client_ = nullptr;
    PortMap ports_;
    WaitTurns& turns_;
    QByteArray failurePath_;
    int failureErrno_ = 0;
    int transitions_ = 0;
};

} // namespace veltra
