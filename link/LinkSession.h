#pragma once
// The editor's side of its conversation with the board, without a widget: the
// one serial port (ComPort) and its worker, the link state (LinkProtocol), the
// compiled program, the quiet reconnect, and the procedures that talk to the
// board: opening a port by name, the upload, one request as the console makes
// it. Windows only show what it reports.
//
// Everything here runs on the GUI thread. The worker reaches the session only
// through its synchronised steps (the LinkClient calls), which run on the GUI
// thread while the worker waits; every wait of a procedure goes through the
// WaitTurns given at construction, in whose turns those steps run. Tests give
// it simulated turns and run the procedures with no thread and no sleep.

#include <QObject>
#include <QString>

#include <memory>

#include "compiler/ProgramImage.h"
#include "link/ComPort.h"
#include "link/LinkClient.h"
#include "link/LinkProtocol.h"
#include "link/LinkRequest.h"
#include "link/PortMap.h"
#include "link/ProtocolClient.h"
#include "link/SelectPort.h"
#include "link/TextSink.h"
#include "link/WaitTurns.h"

namespace veltra {

class ComPort;
class PortReconnect;

// What the user must hear of the link: the port's state and a refused open
// (PortReporter), and a text for the message line ("ERROR EEPROM", in red).
class SessionReporter : public PortReporter {
  public:
    virtual void showLinkMessage(const QString& text) = 0;
};

enum class UploadResult {
    Uploaded, // the board took the program
    Failed,   // no answer, or a memory failure; the log says which
    Aborted,  // the wait was ended (the window closes); the link state is left alone
};

class LinkSession : public QObject, private ProtocolClient {
  public:
    explicit LinkSession(WaitTurns& turns, SessionReporter* reporter = nullptr, QObject* parent = nullptr);
    ~LinkSession() override;

    // The port, from the window's construction to its closing.
    void CreatePort(const PortMap& ports);
    // "COM1".."COM3" and the devices they stand for, as [PORTS] says now.
    void SetPortMap(const PortMap& ports);
    // Stops the link and opens the named port (reported through the
    // reporter); the reconnect keeps that name open from now on.
    bool SelectPort(const QString& portName);
    void SetRun(bool on);
    // Stops the worker, restores the line settings and closes the port.
    void DestroyPort();
    // nullptr before CreatePort and after DestroyPort.
    ComPort* port() const { return port_.get(); }
    void StartReconnect();
    void StopReconnect();

    LinkProtocol& link() { return link_; }
    const LinkProtocol& link() const { return link_; }
    // What the last program check left (count 0: nothing ready to send).
    ProgramImage& program() { return program_; }
    const ProgramImage& program() const { return program_; }

    // The port is open and running, and the board answers.
    bool LinkWorking() const;
    // A procedure waits for the board, or the port is being switched; nothing
    // else may start on the link then.
    bool Busy() const { return requests_ > 0 || switching_; }
    // A procedure (upload or request) waits for the board.
    bool RequestWaiting() const { return requests_ > 0; }
    // The port is being opened, switched or reopened: its waits process
    // events, and the port must not be destroyed under them.
    bool PortInTransition() const;
    WaitTurns& turns() { return turns_; }

    // The upload: the board's status, then the words of `checked` (a copy taken
    // when the user asked, so later edits cannot change what is sent), with
    // the log lines, the result and the pauses that follow each outcome.
    UploadResult Upload(const ProgramImage& checked, TextSink& log);

    // One request up to its judgement, as the console makes it; polling
    // resumes only with FinishRequest.
    RequestResult Request(RequestCode code, const RequestPlan& plan);
    // pendingRequestCode = 0, so the link polls again (unless the wait was aborted).
    void FinishRequest();

  private:
    // The worker's steps go to the link state (ProtocolClient); a lost device
    // is told to the user.
    void OnDeviceLost() override;

    PortReporter& reporter();

    WaitTurns& turns_;
    SessionReporter* reporter_;
    LinkProtocol link_;
    ProgramImage program_;
    std::unique_ptr<ComPort> port_;
    std::unique_ptr<PortReconnect> reconnect_;
    int requests_ = 0;
    bool switching_ = false;
};

} // namespace veltra
