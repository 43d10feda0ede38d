#include "app/editor/LiveCheck.h"

#include "app/editor/EditorText.h"
#include "app/editor/LineGutter.h"
#include "app/editor/ProgramEdit.h"
#include "compiler/ProgramCheck.h"

namespace veltra {

LiveCheck::LiveCheck(ProgramEdit& edit) : QObject(&edit), edit_(edit) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &LiveCheck::runNow);
    // contentsChange, not contentsChanged: the colouring's own passes emit
    // the latter although no character changed.
    connect(edit.document(), &QTextDocument::contentsChange, &timer_, qOverload<>(&QTimer::start));
}

void LiveCheck::runNow() {
    timer_.stop();
    std::map<int, QString> marks;
    for (const CheckReport& error : findProgramErrors(sourceLines(*edit_.document())))
        marks.emplace(error.line, QString::fromStdString(error.message)); // the first error of a line stays
    edit_.gutter().setMarks(std::move(marks));
}

} // namespace veltra
