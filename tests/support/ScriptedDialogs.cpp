#include "tests/support/ScriptedDialogs.h"

namespace veltra::test {

namespace {
QString take(std::deque<QString>& answers) {
    if (answers.empty()) return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}
} // namespace

ScriptedDialogs::ScriptedDialogs() {
    setUserDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    setUserDialogs(nullptr);
}

void ScriptedDialogs::record(DialogCall call) {
    calls.push_back(std::move(call));
    if (onCall) onCall(calls.back());
}

int ScriptedDialogs::count(DialogCall::Kind kind) const {
    int n = 0;
    for (const DialogCall& call : calls)
        n += call.kind == kind;
    return n;
}

DialogCall ScriptedDialogs::last(DialogCall::Kind kind) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->kind == kind) return *it;
    }
    return DialogCall{kind, {}, {}, BoxIcon::Information, {}, nullptr};
}

void ScriptedDialogs::beep() {
    record({DialogCall::Beep, {}, {}, BoxIcon::Information, {}, nullptr});
}

void ScriptedDialogs::showError(const QString& text) {
    record({DialogCall::Error, text, {}, BoxIcon::Stop, {}, nullptr});
}

void ScriptedDialogs::message(QWidget* parent, const QString& text, const QString& caption, BoxIcon icon) {
    record({DialogCall::Message, text, caption, icon, {}, parent});
}

bool ScriptedDialogs::ask(QWidget* parent, const veltra::Question& question) {
    record({DialogCall::Question, question.text, question.caption, BoxIcon::Information, {}, parent});
    if (questionAnswers.empty()) return true;
    const bool answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::openFileName(QWidget* parent, const FileDialogSetup& setup) {
    record({DialogCall::Open, {}, {}, BoxIcon::Information, setup, parent});
    return take(openAnswers);
}

QString ScriptedDialogs::saveFileName(QWidget* parent, const FileDialogSetup& setup) {
    record({DialogCall::Save, {}, {}, BoxIcon::Information, setup, parent});
    return take(saveAnswers);
}

int ScriptedDialogs::runModal(QDialog& dialog) {
    record({DialogCall::Modal, dialog.windowTitle(), {}, BoxIcon::Information, {}, dialog.parentWidget()});
    if (!modal) return QDialog::Rejected;
    return modal(dialog);
}

} // namespace veltra::test
