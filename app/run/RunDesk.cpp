#include "app/run/RunDesk.h"

#include <QElapsedTimer>
#include <QShortcut>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>

#include "app/editor/EditorPalette.h"
#include "app/editor/LineGutter.h"
#include "app/editor/ProgramEdit.h"
#include "app/run/RunSession.h"
#include "app/run/RunWindow.h"
#include "app/shell/VeltraApplication.h"

namespace veltra {

RunDesk::RunDesk(ProgramEdit& edit, Check check, QWidget& mainWindow)
    : edit_(edit), check_(std::move(check)), mainWindow_(mainWindow),
      session_(std::make_unique<RunSession>()), showTimer_(new QTimer(this)),
      shown_(std::make_unique<QElapsedTimer>()) {
    showTimer_->setSingleShot(true);
    shown_->start();
    connect(showTimer_, &QTimer::timeout, this, &RunDesk::showNow);
    connect(session_.get(), &RunSession::changed, this, &RunDesk::scheduleShow);
    connect(&edit.gutter(), &LineGutter::lineClicked, this, &RunDesk::toggleBreakpoint);
    connect(edit.document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed != 0 || added != 0) textEdited();
    });
    connect(&edit, &ProgramEdit::coloursChanged, this, [this] {
        bandLine_ = -1; // the band's colour follows the background
        showNow();
    });
    addKeys(edit, Qt::WidgetWithChildrenShortcut);
}

RunDesk::~RunDesk() = default;

RunWindow& RunDesk::window() {
    if (window_) return *window_;
    window_ = std::make_unique<RunWindow>(*session_);
    connect(window_.get(), &RunWindow::actionClicked, this, [this](RunWindow::Action action) {
        guarded([&] {
            switch (action) {
            case RunWindow::Action::Run:
                return runOrContinue();
            case RunWindow::Action::Pause:
                return pause();
            case RunWindow::Action::Step:
                return step();
            case RunWindow::Action::RunToCaret:
                return runToCaret();
            case RunWindow::Action::Stop:
                return stop();
            }
        });
    });
    addKeys(*window_, Qt::WindowShortcut);
    return *window_;
}

void RunDesk::addKeys(QWidget& scope, Qt::ShortcutContext context) {
    const std::pair<QKeySequence, void (RunDesk::*)()> keys[] = {
        {QKeySequence(Qt::Key_F5), &RunDesk::runOrContinue},
        {QKeySequence(Qt::SHIFT | Qt::Key_F5), &RunDesk::stop},
        {QKeySequence(Qt::Key_F6), &RunDesk::pause},
        {QKeySequence(Qt::Key_F11), &RunDesk::step},
        {QKeySequence(Qt::Key_F7), &RunDesk::runToCaret},
    };
    // None acts while the console view hides the editor.
    for (const auto& [sequence, action] : keys) {
        auto* shortcut = new QShortcut(sequence, &scope);
        shortcut->setContext(context);
        connect(shortcut, &QShortcut::activated, this, [this, action] {
            if (!edit_.isHidden()) guarded([&] { (this->*action)(); });
        });
    }
    auto* toggle = new QShortcut(QKeySequence(Qt::Key_F9), &scope);
    toggle->setContext(context);
    connect(toggle, &QShortcut::activated, this, [this] {
        if (!edit_.isHidden()) toggleBreakpoint(caretLine());
    });
}

bool RunDesk::start(bool paused) {
    const ProgramImage* image = check_();
    if (!image) return false;
    QTextDocument& doc = *edit_.document();
    runLines_.clear();
    std::vector<QString> text;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        runLines_.emplace_back(block);
        text.push_back(block.text());
    }
    startRevision_ = doc.revision();
    programChanged_ = false;
    session_->setBreakpointLines(breakpointLines());
    if (!session_->start(*image, paused)) return false;
    RunWindow& shown = window();
    shown.setListing(text);
    shown.setProgramChanged(false);
    if (!shown.isVisible()) {
        shown.placeBeside(mainWindow_);
        shown.show();
    }
    showNow();
    return true;
}

void RunDesk::runOrContinue() {
    if (session_->phase() == RunSession::Phase::Paused)
        session_->resume();
    else if (session_->phase() == RunSession::Phase::Stopped)
        start(false);
}

void RunDesk::stop() {
    session_->stop();
}

void RunDesk::pause() {
    session_->pause();
}

void RunDesk::step() {
    if (session_->phase() == RunSession::Phase::Stopped)
        start(true);
    else
        session_->step();
}

void RunDesk::runToCaret() {
    const int caret = caretLine();
    if (session_->phase() == RunSession::Phase::Stopped && !start(true)) return;
    // The caret's line in the text the run started from.
    int line = 0;
    for (std::size_t i = 0; i < runLines_.size() && line == 0; ++i)
        if (runLines_[i].blockNumber() + 1 >= caret) line = int(i) + 1;
    if (line > 0) session_->runToLine(line);
}

void RunDesk::toggleBreakpoint(int line) {
    const QTextBlock block = edit_.document()->findBlockByNumber(line - 1);
    if (!block.isValid()) return;
    const auto on = [&](const QTextCursor& c) { return c.blockNumber() == block.blockNumber(); };
    const auto before = breakpoints_.size();
    std::erase_if(breakpoints_, on);
    if (breakpoints_.size() == before) breakpoints_.emplace_back(block);
    breakpointsMoved();
}

void RunDesk::textReplaced() {
    // Every cursor would have gone to the first line.
    breakpoints_.clear();
    runLines_.clear();
    breakpointsMoved();
    showNow();
}

std::set<int> RunDesk::breakpointLines() const {
    std::set<int> lines;
    for (const QTextCursor& c : breakpoints_)
        lines.insert(c.blockNumber() + 1);
    return lines;
}

void RunDesk::breakpointsMoved() {
    const std::set<int> lines = breakpointLines();
    edit_.gutter().setBreakpoints(lines);
    // The session stops at lines of the text it started from.
    std::set<int> runLines;
    for (std::size_t i = 0; i < runLines_.size(); ++i)
        if (lines.count(runLines_[i].blockNumber() + 1)) runLines.insert(int(i) + 1);
    session_->setBreakpointLines(runLines_.empty() ? lines : runLines);
}

void RunDesk::textEdited() {
    if (!breakpoints_.empty()) breakpointsMoved();
    if (startRevision_ < 0) return;
    if (!programChanged_ && edit_.document()->revision() != startRevision_) {
        programChanged_ = true;
        window().setProgramChanged(true);
    }
    showNow(); // the band follows its line
}

int RunDesk::caretLine() const {
    return edit_.textCursor().blockNumber() + 1;
}

int RunDesk::editorLineOf(int runLine) const {
    if (runLine < 1 || runLine > int(runLines_.size())) return 0;
    return runLines_[runLine - 1].blockNumber() + 1;
}

void RunDesk::scheduleShow() {
    if (showTimer_->isActive()) return;
    const qint64 since = shown_->elapsed();
    if (since >= kShowIntervalMs)
        showNow();
    else
        showTimer_->start(int(kShowIntervalMs - since));
}

void RunDesk::showNow() {
    showTimer_->stop();
    shown_->restart();
    if (window_ && window_->isVisible()) window_->refresh();
    const bool on = session_->phase() != RunSession::Phase::Stopped;
    const int line = on ? editorLineOf(session_->shownLine()) : 0;
    edit_.gutter().setRunLine(line);
    if (line == bandLine_ && !edit_.extraSelections().isEmpty() == (line != 0)) return;
    bandLine_ = line;
    QList<QTextEdit::ExtraSelection> band;
    if (line > 0) {
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(edit_.document()->findBlockByNumber(line - 1));
        s.format.setBackground(gutterColours(edit_.palette().color(QPalette::Base)).runBand);
        s.format.setProperty(QTextFormat::FullWidthSelection, true);
        band << s;
    }
    edit_.setExtraSelections(band);
}

void RunDesk::closeWindow() {
    session_->stop();
    if (window_) window_->hide();
}

} // namespace veltra
