#include "tools/veltra-board/VirtualBoard.h"

#include "os/ShownName.h"

namespace veltra::board_sim {

VirtualBoard::VirtualBoard(const BoardOptions& options, std::ostream& log, std::ostream* stateOut)
    : log_(log), model_(nonVolatilePath(options)), publisher_(model_, log, stateOut),
      responder_(model_, options.echo, log, [this] { publisher_.publish(); }), runner_(model_) {
    QObject::connect(&runner_, &BoardRunner::changed, [this] { publisher_.publish(); });
}

void VirtualBoard::powerOn() {
    const NonVolatileRead copy = model_.powerOn();
    const std::string where = model_.nonVolatilePath().empty()
                                  ? std::string("(in memory only)")
                                  : escapedName(model_.nonVolatilePath().string());
    switch (copy.status) {
    case NonVolatileStatus::Loaded:
        log_ << "non-volatile copy " << where << ": " << copy.words.size() << " words, started\n";
        break;
    case NonVolatileStatus::Missing:
        log_ << "non-volatile copy " << where << ": none yet, waiting for an upload\n";
        break;
    case NonVolatileStatus::Corrupt:
        log_ << "non-volatile copy refused, starting without a program: " << escapedName(copy.message)
             << '\n';
        break;
    }
    log_ << std::flush;
    publisher_.publish();
}

} // namespace veltra::board_sim
