#include "app/editor/LiveCheck.h"

#include <QtConcurrent/QtConcurrentRun>

#include <malloc.h>

#include "app/editor/EditorText.h"
#include "app/editor/LineGutter.h"
#include "app/editor/ProgramEdit.h"
#include "app/editor/TextLoader.h"
#include "compiler/ProgramCheck.h"

namespace veltra {

namespace {

std::map<int, QString> marksOf(const std::vector<std::u32string>& source) {
    std::map<int, QString> marks;
    for (const CheckReport& error : findProgramErrors(source))
        marks.emplace(error.line, QString::fromStdString(error.message)); // the first error of a line stays
    return marks;
}

} // namespace

LiveCheck::LiveCheck(ProgramEdit& edit) : QObject(&edit), edit_(edit) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &LiveCheck::check);
    // contentsChange, not contentsChanged: the latter also comes with no
    // character changed (a change of formats).
    connect(edit.document(), &QTextDocument::contentsChange, this, [this] {
        ++changes_;
        timer_.start();
    });
    connect(&beside_, &QFutureWatcher<Marks>::finished, this, &LiveCheck::besideDone);
}

void LiveCheck::runNow() {
    timer_.stop();
    edit_.gutter().setMarks(marksOf(sourceLines(*edit_.document())));
}

void LiveCheck::check() {
    // A text going in is neither the old one nor the new one; its last slice
    // starts the timer again.
    if (TextLoader::of(edit_).busy()) return;
    if (edit_.document()->blockCount() <= TextLoader::pace().largeLines) return runNow();
    if (beside_.isRunning()) return; // its end looks whether the text changed since
    besideChanges_ = changes_;
    // The worker has a copy of the text of its own, so a check still running
    // when the editor goes harms nothing.
    beside_.setFuture(
        QtConcurrent::run([raw = edit_.document()->toRawText()] { return marksOf(sourceLinesOf(raw)); }));
}

void LiveCheck::besideDone() {
    // Taken out, or the future would keep them until the next check.
    Marks marks = beside_.future().takeResult();
    // The worker cut the text into a million small pieces of its own heap,
    // which the C library would keep for it.
    malloc_trim(0);
    if (besideChanges_ != changes_) {
        // Edited meanwhile: these marks belong to a text that is gone.
        if (!timer_.isActive()) check();
        return;
    }
    edit_.gutter().setMarks(std::move(marks));
}

} // namespace veltra
