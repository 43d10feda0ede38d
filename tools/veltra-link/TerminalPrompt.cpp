#include "tools/veltra-link/TerminalPrompt.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <editline/readline.h>

namespace veltra::linktool {

namespace {
// libedit calls back a plain function; there is one terminal, so one prompt.
TerminalPrompt* shownPrompt = nullptr;
} // namespace

TerminalPrompt::TerminalPrompt(const QStringList& history) : keys_(STDIN_FILENO, QSocketNotifier::Read) {
    // Ctrl+C reaches the program's own stop handler, which ends every board
    // cleanly; libedit's handlers would re-send the signal to the process
    // group instead.
    rl_catch_signals = 0;
    rl_initialize();
    using_history();
    // The history keeps lines as the console shows them, after its '>';
    // here the prompt is that '>'.
    for (const QString& line : history)
        add_history((line.startsWith(QLatin1Char('>')) ? line.mid(1) : line).toLocal8Bit().constData());
    keys_.setEnabled(false);
    connect(&keys_, &QSocketNotifier::activated, this, [] { rl_callback_read_char(); });
}

TerminalPrompt::~TerminalPrompt() {
    Hide();
}

void TerminalPrompt::Show() {
    if (shown_) return;
    shown_ = true;
    shownPrompt = this;
    rl_callback_handler_install(">", &TerminalPrompt::onLine);
    keys_.setEnabled(true);
}

void TerminalPrompt::Hide() {
    if (!shown_) return;
    shown_ = false;
    keys_.setEnabled(false);
    rl_callback_handler_remove();
    shownPrompt = nullptr;
}

void TerminalPrompt::Interrupt() {
    if (!shown_) return;
    Hide();
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void TerminalPrompt::onLine(char* line) {
    TerminalPrompt* prompt = shownPrompt;
    if (!prompt) {
        std::free(line);
        return;
    }
    // Hidden at once, before another key is read: the prompt comes back
    // when the boards have answered the line.
    prompt->Hide();
    if (!line) {
        std::fputc('\n', stdout);
        emit prompt->inputEnded();
        return;
    }
    if (*line) add_history(line);
    emit prompt->lineEntered(QString::fromLocal8Bit(line));
    std::free(line);
}

} // namespace veltra::linktool
