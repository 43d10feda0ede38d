#pragma once
// The control console: one command line at a time, typed after a '>' prompt,
// executed by the board at once. Enter takes the console's last line, handles
// the console words itself, compiles everything else and sends it through the
// link, then prints the outcome where ">>выполняю... " stood and offers a new
// prompt. Everything runs on the GUI thread; the waits pump events so the
// link's worker steps run meanwhile.

#include <QString>

#include <cstdint>

#include "compiler/CmdRecord.h"
#include "link/LinkProtocol.h"
#include "link/LinkRequest.h"

class QPlainTextEdit;

namespace veltra {

class Console {
public:
    Console(QPlainTextEdit& text, LinkProtocol& link, WaitTurns& turns);

    // Enter was pressed (and consumed) in the console. Ignored while a
    // previous line is still being handled.
    void HandleEnter();

    // True while a line is being handled (a wait is under way).
    bool Busy() const { return busy_; }

    // The four lines the console starts with.
    static void FillInitial(QPlainTextEdit& text);

private:
    // The console's last line that counts: an empty last line is not one.
    QString lastLine() const;
    void clearConsole();
    void reset();
    void memory(std::uint16_t word);
    void command(const CmdRecord& rec);
    // Shows ">>выполняю... ", runs the request and puts the outcome on that
    // line: no answer, or what `judge` makes of the reply's status.
    void request(RequestCode code, const RequestPlan& plan, QString (*judge)(std::uint8_t status));
    // Appends ">>выполняю... ", lets it paint, and returns its line index.
    int beginWork();
    void endWork(int line, const QString& outcome);
    void finish();
    void appendLine(const QString& line);
    void caretToEnd();

    QPlainTextEdit& text_;
    LinkProtocol& link_;
    WaitTurns& turns_;
    bool busy_ = false;
};

}  // namespace veltra
