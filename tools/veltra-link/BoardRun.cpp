#include "tools/veltra-link/BoardRun.h"

#include <chrono>

#include "console/Console.h"
#include "console/ConsoleText.h"
#include "console/ConsoleWords.h"
#include "link/LinkDisplay.h"
#include "link/LinkSession.h"
#include "link/WaitTurns.h"
#include "wire/LinkCycle.h"

namespace veltra::linktool {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

constexpr int kCycleMs = static_cast<int>(kLinkCycle.count());
// While a console run waits for its next line, the link keeps polling; a
// line typed is taken up within this.
constexpr int kFeedTurnMs = 20;
// status without --watch: a second of polls.
constexpr int kStatusCycles = cyclesIn(std::chrono::seconds(1));

const QString kUploadOk = QStringLiteral("загрузка программы...ОК");
const QString kUploadFailed = QStringLiteral("загрузка программы...ОШИБКА");
const QString kCheckAgain = QStringLiteral("Проверь связь с платой и повтори загрузку!");
const QString kNoAnswer = QStringLiteral(" ОШИБКА: плата не отвечает ! ");
// Ctrl+C ended the run before the board gave its outcome; the table and the
// JSON say so in the language of the other outcomes.
const QString kInterrupted = QStringLiteral("прервано");

// What the editor shows in its status bar and boxes, as lines for the caller.
class Reporter : public SessionReporter {
  public:
    explicit Reporter(const BoardEvents& events) : events_(events) {}
    void errorBeep() override {}
    void setPortPanel(const QString&) override {}
    void showPortError(const QString& message) override { portError = message.split(QLatin1Char('\n')); }
    // "ERROR EEPROM", which the editor writes in its message line.
    void showLinkMessage(const QString& text) override { events_.line(text); }

    QStringList portError;

  private:
    const BoardEvents& events_;
};

// The upload window's log, line by line as it grows.
class LogLines : public TextSink {
  public:
    LogLines(QStringList& lines, const BoardEvents& events) : lines_(lines), events_(events) {}
    int AppendLine(const QString& line) override {
        lines_ << line;
        events_.line(line);
        return static_cast<int>(lines_.size() - 1);
    }
    void ReplaceLine(int, const QString& line) override { AppendLine(line); }

  private:
    QStringList& lines_;
    const BoardEvents& events_;
};

// The console's text as a terminal shows it: the command typed, then its
// outcome line (a compile error, or ">>выполняю... " with the board's
// answer). The working line is printed once it has its outcome; prompts and
// the lines of the clear word stay unseen.
class TerminalConsole : public ConsoleText {
  public:
    TerminalConsole(QStringList& lines, const BoardEvents& events) : lines_(lines), events_(events) {}

    void SetCommand(const QString& line) { last_ = line; }
    const QString& Outcome() const { return outcome_; }
    // The board answered the last command sent (refused or not).
    bool Answered() const { return answered_; }

    QString LastLine() const override { return last_; }
    int AppendLine(const QString& line) override {
        last_ = line;
        if (line.startsWith(QStringLiteral(">>")) && line != kConsoleWorking) show(line);
        return 0;
    }
    void ReplaceLine(int, const QString& line) override { show(line); }
    void Clear() override {}
    void CaretToEnd() override {}
    void MarkPrompt() override {}
    QStringList TypedLines() const override { return {last_}; }
    void SetTypedLines(const QStringList& lines) override { last_ = lines.value(0); }

  private:
    void show(const QString& line) {
        const bool sent = line.startsWith(kConsoleWorking);
        outcome_ = sent ? line.mid(kConsoleWorking.size()) : line.mid(2);
        answered_ = sent && outcome_ != kNoAnswer;
        lines_ << line;
        events_.line(line);
    }

    QStringList& lines_;
    const BoardEvents& events_;
    QString last_;
    QString outcome_;
    bool answered_ = false;
};

} // namespace

void CommandFeed::Push(const QString& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
}

void CommandFeed::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
}

std::optional<QString> CommandFeed::Next(WaitTurns& turns) {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (!lines_.empty()) {
                QString line = lines_.front();
                lines_.pop_front();
                return line;
            }
            if (closed_) return std::nullopt;
        }
        turns.Turn(kFeedTurnMs);
        if (turns.Aborted()) return std::nullopt;
    }
}

// The session of one board and what waits through it.
class BoardRun::Session {
  public:
    Session(const BoardEvents& events, const std::atomic<bool>& stop)
        : turns(nullptr, [&stop] { return stop.load(); }), reporter(events), link(turns, &reporter) {}

    // No guard object: only the stop ends them.
    EventPumpTurns turns;
    Reporter reporter;
    LinkSession link;
};

BoardRun::BoardRun(BoardTarget target, BoardJob job, BoardEvents events, const std::atomic<bool>& stop)
    : target_(std::move(target)), job_(std::move(job)), events_(std::move(events)), stop_(stop) {}

void BoardRun::run() {
    const Clock::time_point start = Clock::now();
    {
        Session s(events_, stop_);
        s.link.Start(target_.ports, target_.name);
        result_.openMs = msSince(start);
        const Clock::time_point jobStart = Clock::now();
        if (s.turns.Aborted()) {
            result_.exitCode = kExitInterrupted;
            result_.outcome = kInterrupted;
        } else if (!s.link.port() || !s.link.port()->IsOpen()) {
            result_.exitCode = kExitPort;
            result_.portError = s.reporter.portError;
            // Named by a path, the port is opened as COM1: the status text
            // would name a port the user never chose, so the device's line
            // (path and reason) stands first.
            if (target_.byPath && result_.portError.size() > 1) result_.portError.removeFirst();
            result_.outcome = result_.portError.value(0);
        } else if (job_.command == Command::Upload) {
            upload(s);
        } else if (job_.command == Command::Console) {
            console(s);
        } else {
            status(s);
        }
        // The watch has no other end than Ctrl+C: it ends as the link stands.
        const bool watching = job_.command == Command::Status && job_.watch;
        if (s.turns.Aborted() && result_.exitCode != kExitPort && !watching) {
            result_.exitCode = kExitInterrupted;
            result_.outcome = kInterrupted;
        }
        result_.runMs = msSince(jobStart);
        result_.health = s.link.link().health().Figures();
        if (s.link.StartBegun()) s.link.Shutdown();
    }
    result_.totalMs = msSince(start);
}

void BoardRun::upload(Session& s) {
    // As the editor's F8: the link must be alive, which a first answer makes
    // it; a board that gives none in the time the link counts as lost is
    // refused as the editor refuses it.
    LinkProtocol& link = s.link.link();
    for (int turn = 0; turn < kLinkAliveCycles && !link.LinkAlive() && !s.turns.Aborted(); ++turn)
        s.turns.Turn(kCycleMs);
    if (s.turns.Aborted()) return;
    if (!link.LinkAlive()) {
        result_.exitCode = kExitBoard;
        result_.outcome = kCheckAgain;
        events_.line(kCheckAgain);
        return;
    }
    LogLines log(result_.lines, events_);
    const Clock::time_point steps = Clock::now();
    const UploadResult uploaded = s.link.Upload(job_.program, log);
    result_.uploadMs = msSince(steps);
    if (uploaded == UploadResult::Aborted) return;
    for (auto line = result_.lines.crbegin(); line != result_.lines.crend(); ++line) {
        if (!line->startsWith(QLatin1Char('-'))) {
            result_.outcome = *line;
            break;
        }
    }
    if (!result_.outcome.contains(QStringLiteral("не отвечает"))) result_.status = link.awaitedReplyStatus();
    result_.exitCode = uploaded == UploadResult::Uploaded ? kExitOk : kExitBoard;
    events_.line(uploaded == UploadResult::Uploaded ? kUploadOk : kUploadFailed);
}

void BoardRun::console(Session& s) {
    TerminalConsole text(result_.lines, events_);
    Console console(text, s.link, job_.history);
    while (const std::optional<QString> next = job_.feed->Next(s.turns)) {
        QString line = *next;
        if (!line.startsWith(QLatin1Char('>'))) line.prepend(QLatin1Char('>'));
        if (job_.echo) {
            result_.lines << line;
            events_.line(line);
        }
        text.SetCommand(line);
        const LineResult handled = console.HandleEnter();
        if (handled == LineResult::Stopped) return;
        if (handled != LineResult::Silent) {
            result_.outcome = text.Outcome();
            result_.status =
                text.Answered() ? std::optional<int>(s.link.link().awaitedReplyStatus()) : std::nullopt;
        }
        if (handled == LineResult::Failed) result_.exitCode = kExitBoard;
        if (events_.lineDone) events_.lineDone();
        if (handled == LineResult::Failed && !job_.keepGoing) return;
    }
}

void BoardRun::status(Session& s) {
    LinkProtocol& link = s.link.link();
    auto panelText = [&] {
        return LinkPanelText(link.linkCountdown(), 5, link.ioCount()).value_or(QString());
    };
    if (job_.watch) {
        while (!s.turns.Aborted()) {
            for (int turn = 0; turn < kStatusCycles && !s.turns.Aborted(); ++turn)
                s.turns.Turn(kCycleMs);
            if (s.turns.Aborted()) break;
            events_.watch(link.health().Figures(), panelText());
        }
    } else {
        for (int turn = 0; turn < kStatusCycles && !s.turns.Aborted(); ++turn)
            s.turns.Turn(kCycleMs);
        if (s.turns.Aborted()) return;
    }
    result_.outcome = panelText();
    result_.exitCode = link.LinkAlive() ? kExitOk : kExitBoard;
}

} // namespace veltra::linktool
