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

class ConsoleText;
class LinkSession;

class Console {
  public:
    Console(ConsoleText& text, LinkSession& session);

    // Enter was pressed (and consumed) in the console. Ignored while a
    // previous line is still being handled.
    void HandleEnter();

    // True while a line is being handled (a wait is under way).
    bool Busy() const { return busy_; }

  private:
    void clearConsole();
    void reset();
    void memory(std::uint16_t word);
    void command(const CmdRecord& rec);
    // Shows ">>выполняю... ", runs the request and puts the outcome on that
    // line: no answer, or what `judge` makes of the reply's status.
    void request(RequestCode code, const RequestPlan& plan, QString (*judge)(std::uint8_t status));
    void finish();

    ConsoleText& text_;
    LinkSession& session_;
    bool busy_ = false;
};

} // namespace veltra
