#pragma once
// The port's steps of an editor that runs its own virtual board: the board
// runs exactly while the port in use is set to the board's link. It is
// started before the session's Start and ApplyPortSettings, so that the port
// opens on a link that exists, and stopped once ApplyPortSettings has moved
// the port elsewhere and after Shutdown, so that the port never sees its
// device vanish under it. The board's own waits go through the session's
// turns; once they are aborted (the owner closes) no step is taken.

#include <QString>

#include <functional>

#include "link/BoardProcess.h"
#include "link/LinkSession.h"

namespace veltra {

class VirtualBoardKeeper {
  public:
    // `link` is where the board makes its link, the device a port is set to
    // for it; the board's window stands beside an editor `editorWidth()` wide.
    // A board that does not start says why through `reporter`.
    VirtualBoardKeeper(LinkSession& session, SessionReporter& reporter, QString link,
                       std::function<int()> editorWidth);

    // LinkSession::Start, the board first when the port is set to it. True
    // when the session has started now; false when it had begun before, the
    // board is changing, or the owner closes meanwhile.
    bool Start(const PortMap& ports, const QString& portName);
    // LinkSession::ApplyPortSettings between the board's start and stop.
    void ApplyPortSettings(const PortMap& ports, const QString& portName, bool saved, bool newDevice);
    // LinkSession::Shutdown, then the board stops.
    void Shutdown();
    // The port or the board is being started, switched or stopped: their waits
    // let clicks in, which must not start another change.
    bool Changing() const { return session_.PortInTransition() || board_.changing(); }

    const BoardProcess& board() const { return board_; }

  private:
    bool wanted(const PortMap& ports, const QString& portName) const;
    void keep(const PortMap& ports, const QString& portName);

    LinkSession& session_;
    SessionReporter& reporter_;
    const QString link_;
    std::function<int()> editorWidth_;
    BoardProcess board_;
};

} // namespace veltra
