#include "tools/veltra-link/LinkTool.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <unistd.h>

#include "console/ConsoleHistory.h"
#include "files/FileCheck.h"
#include "files/ProgramFolder.h"
#include "os/ShownName.h"
#include "os/StopSignals.h"
#include "tools/veltra-link/BoardRun.h"
#include "tools/veltra-link/CommandLines.h"
#include "tools/veltra-link/TerminalPrompt.h"

namespace veltra::linktool {

namespace {

constexpr int kCannotRead = 66; // EX_NOINPUT, as veltra-check: FILE cannot be read

// Lines go out whole, from whichever board's thread, each escaped: a port
// name or a typed command is one line of visible text.
class Output {
  public:
    explicit Output(bool prefixed) : prefixed_(prefixed) {}

    void line(const BoardTarget* board, const QString& text) {
        std::string out;
        if (board && prefixed_) out = escapedName(board->given.toStdString()) + ": ";
        out += escapedName(text.toStdString());
        put(stdout, out);
    }
    void json(const QJsonObject& object) {
        put(stdout, QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString());
    }
    void error(const std::string& text) { put(stderr, "veltra-link: " + text); }

  private:
    void put(std::FILE* stream, const std::string& text) {
        std::lock_guard lock(mutex_);
        std::fprintf(stream, "%s\n", text.c_str());
        std::fflush(stream);
    }

    bool prefixed_;
    std::mutex mutex_;
};

QJsonObject healthJson(const HealthFigures& f) {
    auto n = [](std::uint64_t value) { return static_cast<qint64>(value); };
    QJsonValue roundTrip;
    if (f.roundTrip)
        roundTrip = QJsonObject{
            {"min", f.roundTrip->minMs}, {"median", f.roundTrip->medianMs}, {"max", f.roundTrip->maxMs}};
    return {{"polls", n(f.polls)},
            {"replies", n(f.replies)},
            {"round_trip_ms", roundTrip},
            {"crc_errors", n(f.crcErrors)},
            {"framing_errors", n(f.framingErrors)},
            {"timeouts", n(f.timeouts)},
            {"device_losses", n(f.deviceLosses)},
            {"reconnects", n(f.reconnects)}};
}

QJsonObject boardJson(const BoardTarget& target) {
    QJsonObject object;
    insertName(object, QStringLiteral("port"), target.given);
    insertName(object, QStringLiteral("device"), target.deviceNode());
    return object;
}

QJsonObject resultJson(const BoardTarget& target, const BoardResult& result, Command command) {
    QJsonObject object = boardJson(target);
    object.insert("ok", result.exitCode == kExitOk);
    object.insert("exit", result.exitCode);
    object.insert("outcome", result.outcome);
    object.insert("status", result.status ? QJsonValue(*result.status) : QJsonValue());
    QJsonObject timings{{"open_ms", qRound64(result.openMs)},
                        {"run_ms", qRound64(result.runMs)},
                        {"total_ms", qRound64(result.totalMs)}};
    if (command == Command::Upload) timings.insert("upload_ms", qRound64(result.uploadMs));
    object.insert("timings", timings);
    object.insert("health", healthJson(result.health));
    if (command != Command::Status)
        object.insert(command == Command::Upload ? "log" : "lines", QJsonArray::fromStringList(result.lines));
    if (!result.portError.isEmpty())
        object.insert("port_error", QJsonArray::fromStringList(result.portError));
    return object;
}

// The table after a run on several boards: port, device, outcome, time.
void printTable(Output& out, const std::vector<std::unique_ptr<BoardRun>>& runs) {
    QList<QStringList> rows{{"port", "device", "outcome", "time"}};
    for (const auto& run : runs) {
        const BoardResult& r = run->result();
        rows.append({shownName(run->target().given), shownName(run->target().deviceNode()),
                     r.outcome.trimmed(),
                     QString::number(r.totalMs / 1000.0, 'f', 2) + QStringLiteral(" s")});
    }
    std::array<qsizetype, 4> width{};
    for (const QStringList& row : rows)
        for (std::size_t c = 0; c < width.size(); ++c)
            width[c] = std::max(width[c], row[qsizetype(c)].size());
    out.line(nullptr, QString());
    for (const QStringList& row : rows) {
        QString text;
        for (std::size_t c = 0; c < width.size(); ++c)
            text += c + 1 < width.size() ? row[qsizetype(c)].leftJustified(width[c] + 2) : row[qsizetype(c)];
        out.line(nullptr, text);
    }
}

// Standard input that is no terminal, one command a line as it arrives.
class LineReader : public QObject {
  public:
    LineReader(std::function<void(const QString&)> line, std::function<void()> ended)
        : line_(std::move(line)), ended_(std::move(ended)) {
        if (::fcntl(STDIN_FILENO, F_GETFD) < 0) {
            QMetaObject::invokeMethod(
                this, [this] { end(); }, Qt::QueuedConnection);
            return;
        }
        notifier_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readSome(); });
    }

  private:
    void readSome() {
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) return;
        if (n <= 0) {
            for (const QString& line : commands_.finish())
                line_(line);
            end();
            return;
        }
        for (const QString& line : commands_.take(QByteArrayView(chunk, n)))
            line_(line);
    }
    void end() {
        if (notifier_) notifier_->setEnabled(false);
        if (ended_) std::exchange(ended_, nullptr)();
    }

    std::function<void(const QString&)> line_;
    std::function<void()> ended_;
    std::unique_ptr<QSocketNotifier> notifier_;
    CommandLines commands_;
};

} // namespace

int runLinkTool(const LinkOptions& options) {
    const ResolvedTargets resolved = resolveTargets(options.ports, options.settingsPath);
    Output out(resolved.targets.size() > 1);
    if (!resolved.error.empty()) {
        out.error(resolved.error);
        return kExitUsage;
    }

    BoardJob job;
    job.command = options.command;
    job.watch = options.watch;
    if (options.command == Command::Upload) {
        const check::FileCheck checked =
            check::checkFile(options.file, options.utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1251);
        if (!checked.checked()) {
            out.error(checked.error);
            return kCannotRead;
        }
        if (checked.readAsUtf8)
            out.error((options.file == "-" ? std::string("standard input") : escapedName(options.file)) +
                      " is valid UTF-8, not Windows-1251: read as UTF-8");
        // As the editor's F8: a failed check, or a program without words,
        // sends nothing.
        QString refusal;
        if (checked.exitCode != 0) {
            refusal = QString::fromStdString(checked.report.message);
        } else if (checked.words.empty()) {
            refusal = QStringLiteral("Проверь программу и повтори загрузку!");
        }
        if (!refusal.isEmpty()) {
            for (const BoardTarget& target : resolved.targets) {
                if (!options.json) continue;
                QJsonObject object = boardJson(target);
                object.insert("ok", false);
                object.insert("exit", kExitCheck);
                object.insert("outcome", refusal);
                out.json(object);
            }
            if (!options.json) out.line(nullptr, refusal);
            return kExitCheck;
        }
        job.program.count = static_cast<int>(checked.words.size());
        std::copy(checked.words.begin(), checked.words.end(), job.program.words.begin());
    }

    std::atomic<bool> stop{false};
    QEventLoop loop;
    StopSignals stopSignals;
    std::string signalError;
    if (!stopSignals.install(signalError)) out.error(signalError);

    // The console: the lines of the command line, or standard input.
    const bool console = options.command == Command::Console;
    const bool prompting = console && options.commands.empty() && ::isatty(STDIN_FILENO) && !options.json;
    std::unique_ptr<ConsoleHistory> history;
    if (prompting)
        history = std::make_unique<ConsoleHistory>(stateFolder() + QStringLiteral("console-history"));
    std::vector<std::unique_ptr<CommandFeed>> feeds;

    std::vector<std::unique_ptr<BoardRun>> runs;
    int running = 0;
    int waitingForLine = 0;
    std::unique_ptr<TerminalPrompt> prompt;
    auto lineDoneOnMain = [&] {
        if (--waitingForLine == 0 && prompt) prompt->Show();
    };
    for (const BoardTarget& target : resolved.targets) {
        BoardJob boardJob = job;
        if (console) {
            feeds.push_back(std::make_unique<CommandFeed>());
            boardJob.feed = feeds.back().get();
            boardJob.echo = !prompting;
            boardJob.keepGoing = prompting;
            if (runs.empty()) boardJob.history = history.get();
        }
        BoardEvents events;
        events.line = [&out, &options, target](const QString& line) {
            if (!options.json) out.line(&target, line);
        };
        events.lineDone = [&loop, &lineDoneOnMain] {
            QMetaObject::invokeMethod(&loop, lineDoneOnMain, Qt::QueuedConnection);
        };
        events.watch = [&out, &options, target](const HealthFigures& figures, const QString& panel) {
            if (options.json) {
                QJsonObject object = boardJson(target);
                object.insert("link", panel.trimmed());
                object.insert("health", healthJson(figures));
                out.json(object);
                return;
            }
            out.line(&target, panel.trimmed() + QStringLiteral(" | ") +
                                  healthLines(figures).join(QStringLiteral(" | ")));
        };
        auto run = std::make_unique<BoardRun>(target, boardJob, events, stop);
        QObject::connect(run.get(), &QThread::finished, &loop, [&] {
            if (--running == 0) loop.quit();
        });
        runs.push_back(std::move(run));
    }

    auto closeFeeds = [&] {
        for (auto& feed : feeds)
            feed->Close();
    };
    auto pushLine = [&](const QString& line) {
        waitingForLine = 0;
        for (std::size_t i = 0; i < feeds.size(); ++i) {
            if (runs[i]->isFinished()) continue;
            feeds[i]->Push(line);
            ++waitingForLine;
        }
        if (waitingForLine == 0 && prompt) prompt->Show();
    };
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &loop, [&] {
        stop = true;
        if (prompt) prompt->Interrupt();
        closeFeeds();
    });

    std::unique_ptr<LineReader> reader;
    if (console) {
        if (!options.commands.empty()) {
            for (const std::string& command : options.commands)
                for (auto& feed : feeds)
                    feed->Push(QString::fromStdString(command));
            closeFeeds();
        } else if (prompting) {
            prompt = std::make_unique<TerminalPrompt>(history->Entries());
            QObject::connect(prompt.get(), &TerminalPrompt::lineEntered, &loop, [&](const QString& line) {
                if (line.trimmed().isEmpty()) {
                    prompt->Show();
                    return;
                }
                pushLine(line);
            });
            QObject::connect(prompt.get(), &TerminalPrompt::inputEnded, &loop, closeFeeds);
            prompt->Show();
        } else {
            reader = std::make_unique<LineReader>([&](const QString& line) { pushLine(line); }, closeFeeds);
        }
    }

    // The prompt has read the entries; from now on the lines are sent, and
    // kept, by the first board's thread.
    if (history && !runs.empty()) history->MoveToThread(runs.front().get());
    running = static_cast<int>(runs.size());
    for (auto& run : runs)
        run->start();
    loop.exec();
    for (auto& run : runs)
        run->wait();
    prompt.reset();

    int exitCode = kExitOk;
    for (const auto& run : runs) {
        const BoardResult& result = run->result();
        exitCode = std::max(exitCode, result.exitCode);
        // The doctor's lines name the device already; with several boards
        // the port as given says which board they are about.
        const std::string board =
            runs.size() > 1 ? escapedName(run->target().given.toStdString()) + ": " : "";
        for (const QString& line : result.portError)
            out.error(board + escapedName(line.toStdString()));
    }

    if (options.json) {
        for (const auto& run : runs)
            out.json(resultJson(run->target(), run->result(), options.command));
    } else if (runs.size() > 1) {
        printTable(out, runs);
    } else if (options.command == Command::Status && !options.watch &&
               runs.front()->result().exitCode != kExitPort) {
        const BoardResult& result = runs.front()->result();
        out.line(nullptr, result.outcome);
        for (const QString& line : healthLines(result.health))
            out.line(nullptr, line);
    }
    return exitCode;
}

} // namespace veltra::linktool
