#include "app/editor/ChangeDetection.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QScopedValueRollback>

#include "app/editor/EditorText.h"
#include "app/editor/TextLoader.h"

namespace veltra {

ChangeDetection::ChangeDetection(QPlainTextEdit& edit, QAbstractButton& saveButton)
    : edit_(edit), save_(saveButton) {
    connect(edit.document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (replacing_ || (removed == 0 && added == 0)) return;
        if (countedTextLength(*edit_.document()) != lastTextLength_) save_.setEnabled(true);
    });
}

bool ChangeDetection::replaceText(const QString& text, const std::function<bool(const QString&)>& isStored) {
    const QScopedValueRollback replacing(replacing_, true);
    return TextLoader::of(edit_).replace(text, isStored);
}

void ChangeDetection::takeAsUnchanged() {
    textLength_ = lastTextLength_ = countedTextLength(*edit_.document());
}

bool ChangeDetection::pass() {
    if (replacing_) return false;
    textLength_ = countedTextLength(*edit_.document());
    if (textLength_ == lastTextLength_) return false;
    lastTextLength_ = textLength_;
    if (!save_.isEnabled()) save_.setEnabled(true);
    return true;
}

} // namespace veltra
