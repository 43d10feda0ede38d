#include "link/VirtualBoardKeeper.h"

#include <QFile>

namespace veltra {

VirtualBoardKeeper::VirtualBoardKeeper(LinkSession& session, SessionReporter& reporter, QString link,
                                       std::function<int()> editorWidth)
    : session_(session), reporter_(reporter), link_(std::move(link)), editorWidth_(std::move(editorWidth)),
      board_(session.turns()) {}

bool VirtualBoardKeeper::wanted(const PortMap& ports, const QString& portName) const {
    const auto device = portDevicePath(ports, portName);
    // Without a runtime folder of the user's own there is no virtual board.
    return device && !link_.isEmpty() && *device == QFile::encodeName(link_);
}

void VirtualBoardKeeper::keep(const PortMap& ports, const QString& portName) {
    if (!wanted(ports, portName) || board_.running()) return;
    const QString why = board_.start(link_, editorWidth_());
    // The port's own message follows when it cannot be opened; this line says why.
    if (!why.isEmpty()) reporter_.showLinkMessage(why);
}

bool VirtualBoardKeeper::Start(const PortMap& ports, const QString& portName) {
    if (session_.StartBegun() || session_.turns().Aborted() || board_.changing()) return false;
    keep(ports, portName);
    if (session_.turns().Aborted()) return false;
    session_.Start(ports, portName);
    return !session_.turns().Aborted(); // a close waits for the port to be free, and goes on then
}

void VirtualBoardKeeper::ApplyPortSettings(const PortMap& ports, const QString& portName, bool saved,
                                           bool newDevice) {
    keep(ports, portName);
    if (session_.turns().Aborted()) return;
    session_.ApplyPortSettings(ports, portName, saved, newDevice);
    if (!wanted(ports, portName)) board_.stop();
}

void VirtualBoardKeeper::Shutdown() {
    session_.Shutdown();
    board_.stop(); // after the port, which would otherwise see its device vanish
}

} // namespace veltra
