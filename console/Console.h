#pragma once
// The control console: one command line at a time, typed after a '>' prompt,
// executed by the board at once. Enter takes the console's last line, handles
// the console words itself, compiles everything else and sends it through the
// link session, then prints the outcome where ">>выполняю... " stood and
// offers a new prompt. No widget: the text is a ConsoleText, and every wait
// goes through the session's turns, in which the link's worker steps run.

#include <QString>

#include <cstdint>

#include "compiler/CmdRecord.h"
#include "link/LinkRequest.h"

namespace veltra {

class ConsoleHistory;
class ConsoleText;
class LinkSession;

// What became of one console line.
enum class LineResult {
    Ok,      // the board answered " OK"
    Failed,  // another outcome, or a compile error
    Silent,  // nothing was sent and no outcome printed (an empty command, the clear word)
    Stopped, // the wait was ended (the window closes), or another line was still running
};

class Console {
  public:
    // Lines that reach the board, or that the console handles for it (the
    // reset, the memory commands), go into `history` when one is given.
    Console(ConsoleText& text, LinkSession& session, ConsoleHistory* history = nullptr);

    // Enter was pressed (and consumed) in the console: the last line is
    // handled. Ignored while a previous line is still being handled.
    LineResult HandleEnter();

    // True while a line is being handled (a wait is under way).
    bool Busy() const { return busy_; }

  private:
    void clearConsole();
    LineResult reset();
    LineResult memory(std::uint16_t word);
    LineResult command(const CmdRecord& rec);
    // Shows ">>выполняю... ", runs the request and puts the outcome on that
    // line: no answer, or what `judge` makes of the reply's status.
    LineResult request(RequestCode code, const RequestPlan& plan, QString (*judge)(std::uint8_t status));
    void finish();

    ConsoleText& text_;
    LinkSession& session_;
    ConsoleHistory* history_;
    bool busy_ = false;
};

} // namespace veltra
