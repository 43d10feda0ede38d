#include "app/editor/ChangeDetection.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QScopedValueRollback>

#include "app/editor/EditorText.h"

namespace veltra {

ChangeDetection::ChangeDetection(QPlainTextEdit& edit, QAbstractButton& saveButton)
    : edit_(edit), save_(saveButton) {
    connect(edit.document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (replacing_ || (removed == 0 && added == 0)) return;
        if (countedTextLength(*edit_.document()) != lastTextLength_) save_.setEnabled(true);
    });
}

void ChangeDetection::replaceText(const QString& text) {
    const QScopedValueRollback replacing(replacing_, true);
    veltra::replaceText(edit_, text);
}

void ChangeDetection::takeAsUnchanged() {
    textLength_ = lastTextLength_ = countedTextLength(*edit_.document());
}

bool ChangeDetection::pass() {
    textLength_ = countedTextLength(*edit_.document());
    if (textLength_ == lastTextLength_) return false;
    lastTextLength_ = textLength_;
    if (!save_.isEnabled()) save_.setEnabled(true);
    return true;
}

} // namespace veltra
