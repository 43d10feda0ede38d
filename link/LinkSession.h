#pragma once
// The editor's side of its conversation with the board, without a widget: the
// one serial port and its worker, the link state (LinkProtocol), the quiet
// reconnect, the port's life from start-up to shutdown, and the procedures
// that talk to the board: opening a port by name, the upload, one request as
// the console makes it. Windows only show what it reports.
//
// Everything here runs on the GUI thread. The worker reaches the session only
// through its synchronised steps (the LinkClient calls), which run on the GUI
// thread while the worker waits. Every wait goes through the WaitTurns given
// at construction (they end at once when the owner closes), or, where the
// port itself must settle, through the port maker's turns, which are never
// cut short. Tests give it the scripted board for both and run it in
// simulated time, with no thread and no window.

#include <QString>

#include <memory>

#include "compiler/ProgramImage.h"
#include "files/PortMap.h"
#include "link/LinkClient.h"
#include "link/LinkProtocol.h"
#include "link/LinkRequest.h"
#include "link/ProtocolClient.h"
#include "link/SelectPort.h"
#include "link/SessionPort.h"
#include "link/TextSink.h"
#include "link/WaitTurns.h"

namespace veltra {

class PortReconnect;

// What the user must hear of the link: the port's state and a refused open
// (PortReporter), and a text for the message line ("ERROR EEPROM", in red).
class SessionReporter : public PortReporter {
  public:
    virtual void showLinkMessage(const QString& text) = 0;
};

// Where the session's port comes from, and the turns of the port's own
// settling. The program's maker makes a ComPort with real, uncut waits.
class PortMaker {
  public:
    virtual ~PortMaker() = default;
    virtual std::unique_ptr<SessionPort> MakePort(LinkClient& client, const PortMap& ports) = 0;
    virtual WaitTurns& PortTurns() = 0;
};

enum class UploadResult {
    Uploaded, // the board took the program
    Failed,   // no answer, or a memory failure; the log says which
    Aborted,  // the wait was ended (the window closes); the link state is left alone
};

class LinkSession : private ProtocolClient {
  public:
    // Without a maker the port is the program's ComPort, with turns of this
    // session's own.
    explicit LinkSession(WaitTurns& turns, SessionReporter* reporter = nullptr, PortMaker* ports = nullptr);
    ~LinkSession() override;
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // The port's steps at start-up, in their order and with their waits: the
    // port is made (its worker idle), the named one opened (SelectPort, at
    // 57600 baud), a pause of 50 ms, then the reconnect keeps that name open.
    // Once the turns are aborted (the owner closes) the steps left are not
    // taken. Runs once; a second call does nothing.
    void Start(const PortMap& ports, const QString& portName);
    // Start has begun / has returned.
    bool StartBegun() const { return stage_ != Stage::NotStarted; }
    bool Started() const { return stage_ == Stage::Started; }

    // After the settings dialog, with the port name and map the file holds
    // now: the port is opened again when its name changed, when another
    // device was picked for it (`newDevice`), or when the dialog was saved
    // (`saved`) while the link did not work, which is what users try first
    // when the board does not answer. Nothing before the start, nor once the
    // turns are aborted.
    void ApplyPortSettings(const PortMap& ports, const QString& portName, bool saved, bool newDevice);

    // The link's part of closing, in its order: the reconnect stops; twice a
    // turn of 50 ms; the link stops (SetRun off); twice a turn of 50 ms; one
    // pass of the event pump; the port is destroyed (its worker stops, the
    // line settings are restored, the port closed); one pass of the pump.
    // Its waits are the port's own, so they run however the owner closes.
    void Shutdown();
    // The port destroyed at once, without Shutdown's waits: for an owner that
    // goes without having closed.
    void DestroyPort();

    // Stops the link and opens the named port (reported through the
    // reporter); the reconnect keeps that name open from now on.
    bool SelectPort(const QString& portName);
    void SetRun(bool on);
    // nullptr before Start and after Shutdown.
    SessionPort* port() const { return port_.get(); }
    // The reconnect keeps the selected port open: from the end of Start to
    // the beginning of Shutdown.
    bool Reconnecting() const;

    LinkProtocol& link() { return link_; }
    const LinkProtocol& link() const { return link_; }

    // The port is open and running, and the board answers.
    bool LinkWorking() const;
    // A procedure waits for the board, or the port is being switched; nothing
    // else may start on the link then.
    bool Busy() const { return requests_ > 0 || switching_; }
    // A procedure (upload or request) waits for the board.
    bool RequestWaiting() const { return requests_ > 0; }
    // The port is being started, opened, switched or reopened: its waits
    // process events, and the port must not be destroyed under them.
    bool PortInTransition() const;
    WaitTurns& turns() { return turns_; }
    // The port's own turns (its settling, Shutdown's waits).
    WaitTurns& portTurns() { return maker().PortTurns(); }

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
    enum class Stage { NotStarted, Starting, Started };

    // The worker's steps go to the link state (ProtocolClient); a lost device
    // is told to the user.
    void OnDeviceLost() override;

    PortReporter& reporter();
    PortMaker& maker() { return *ports_; }
    void CreatePort(const PortMap& ports);

    WaitTurns& turns_;
    SessionReporter* reporter_;
    std::unique_ptr<PortMaker> ownPorts_; // when no maker was given
    PortMaker* ports_;
    LinkProtocol link_;
    std::unique_ptr<SessionPort> port_;
    std::unique_ptr<PortReconnect> reconnect_;
    QString portName_; // the name last selected
    Stage stage_ = Stage::NotStarted;
    int requests_ = 0;
    bool switching_ = false;
};

} // namespace veltra
