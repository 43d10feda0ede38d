#include "app/editor/FindBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

#include "app/editor/EditorText.h"
#include "app/editor/ProgramEdit.h"
#include "app/shell/FittedLabel.h"

namespace veltra {

namespace {

// The note inside the Find field: its font may shrink this far before it is cut.
constexpr int kLeastNotePixels = 8;
constexpr int kNoteIndent = 3;

QPushButton* button(QWidget* parent, const QString& text, const char* name) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setMaximumWidth(b->fontMetrics().horizontalAdvance(text) + 14); // room for the fields
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus); // the fields keep the focus, Enter stays theirs
    return b;
}

QToolButton* closeButton(QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(QStringLiteral("✕"));
    b->setToolTip(QStringLiteral("Закрыть (Esc)"));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// The text searched, read at once: asking a million lines one by one for
// their text (what QTextDocument::find does) takes half a second, this a few
// milliseconds. Its positions are the document's: a line ends in one
// character, U+2029, which a search string from a one-line field never holds.
// As QTextDocument::find does, a no-break space is found as a space.
QString searchedText(const QTextDocument& document) {
    return document.toRawText().replace(QChar::Nbsp, QLatin1Char(' '));
}

// Where `text` begins in `whole`, searched forwards from `from` or backwards
// from just before it; -1 when nowhere.
qsizetype occurrence(const QString& whole, const QString& text, qsizetype from, bool backwards,
                     Qt::CaseSensitivity cs) {
    if (!backwards) return whole.indexOf(text, from, cs);
    return from > 0 ? whole.lastIndexOf(text, from - 1, cs) : -1; // -1 would mean "from the end"
}

} // namespace

FindBar::FindBar(ProgramEdit& edit) : QFrame(&edit), edit_(edit) {
    setObjectName(QStringLiteral("findBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    // The window's colours, not the editor's: every role counts as set, or
    // the fields would take the editor's background again.
    QPalette own = QApplication::palette();
    own.setResolveMask(~QPalette::ResolveMask(0));
    setPalette(own);
    hide();

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(3, 2, 3, 2);
    rows->setSpacing(2);

    findRow_ = row(this);
    findRow_->layout()->addWidget(new QLabel(QStringLiteral("Найти:"), findRow_));
    findText_ = new QLineEdit(findRow_);
    findText_->setObjectName(QStringLiteral("findText"));
    static_cast<QHBoxLayout*>(findRow_->layout())->addWidget(findText_, 1);
    auto* next = button(findRow_, QStringLiteral("Далее"), "findNext");
    auto* previous = button(findRow_, QStringLiteral("Назад"), "findPrevious");
    matchCase_ = new QCheckBox(QStringLiteral("Аа"), findRow_);
    matchCase_->setObjectName(QStringLiteral("matchCase"));
    matchCase_->setToolTip(QStringLiteral("Учитывать регистр"));
    matchCase_->setFocusPolicy(Qt::NoFocus);
    // The note ("не найдено", "заменено: N") sits inside the Find field, at
    // its right end: given a place of its own in the row, a long one squeezed
    // the field to one character.
    note_ = new FittedLabel(findText_);
    note_->setObjectName(QStringLiteral("findNote"));
    note_->setIndent(kNoteIndent);
    note_->setLeastPixelSize(kLeastNotePixels);
    note_->hide();
    findText_->installEventFilter(this); // its size places the note
    auto* closeFind = closeButton(findRow_);
    for (QWidget* w : std::initializer_list<QWidget*>{next, previous, matchCase_, closeFind})
        findRow_->layout()->addWidget(w);
    rows->addWidget(findRow_);

    replaceRow_ = row(this);
    replaceRow_->layout()->addWidget(new QLabel(QStringLiteral("Заменить на:"), replaceRow_));
    replaceText_ = new QLineEdit(replaceRow_);
    replaceText_->setObjectName(QStringLiteral("replaceText"));
    auto* one = button(replaceRow_, QStringLiteral("Заменить"), "replaceOne");
    auto* all = button(replaceRow_, QStringLiteral("Заменить все"), "replaceAll");
    static_cast<QHBoxLayout*>(replaceRow_->layout())->addWidget(replaceText_, 1);
    replaceRow_->layout()->addWidget(one);
    replaceRow_->layout()->addWidget(all);
    rows->addWidget(replaceRow_);

    lineRow_ = row(this);
    lineRow_->layout()->addWidget(new QLabel(QStringLiteral("Перейти к строке:"), lineRow_));
    lineNumber_ = new QSpinBox(lineRow_);
    lineNumber_->setObjectName(QStringLiteral("lineNumber"));
    lineNumber_->setMinimumWidth(70);
    auto* go = button(lineRow_, QStringLiteral("Перейти"), "goToLine");
    auto* closeLine = closeButton(lineRow_);
    lineRow_->layout()->addWidget(lineNumber_);
    lineRow_->layout()->addWidget(go);
    static_cast<QHBoxLayout*>(lineRow_->layout())->addStretch(1);
    lineRow_->layout()->addWidget(closeLine);
    rows->addWidget(lineRow_);

    connect(findText_, &QLineEdit::returnPressed, this, [this] { findNext(); });
    connect(findText_, &QLineEdit::textEdited, this, [this] { say(QString(), false); });
    connect(next, &QPushButton::clicked, this, [this] { findNext(); });
    connect(previous, &QPushButton::clicked, this, [this] { findNext(true); });
    connect(replaceText_, &QLineEdit::returnPressed, this, &FindBar::replaceOne);
    connect(one, &QPushButton::clicked, this, &FindBar::replaceOne);
    connect(all, &QPushButton::clicked, this, &FindBar::replaceAll);
    connect(lineNumber_, &QSpinBox::editingFinished, this, [this] {
        if (lineNumber_->hasFocus()) goToLine(); // Enter, not the focus leaving
    });
    connect(go, &QPushButton::clicked, this, &FindBar::goToLine);
    connect(closeFind, &QToolButton::clicked, this, &FindBar::close);
    connect(closeLine, &QToolButton::clicked, this, &FindBar::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &FindBar::close);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
}

QWidget* FindBar::row(QWidget* parent) {
    auto* widget = new QWidget(parent);
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    return widget;
}

void FindBar::open(Mode mode) {
    mode_ = mode;
    findRow_->setVisible(mode != Mode::GoToLine);
    replaceRow_->setVisible(mode == Mode::Replace);
    lineRow_->setVisible(mode == Mode::GoToLine);
    say(QString(), false);
    if (mode == Mode::GoToLine) {
        lineNumber_->setRange(1, std::max(1, countedLineCount(*edit_.document())));
        lineNumber_->setValue(caretLine(edit_));
    } else {
        const QString selected = edit_.textCursor().selectedText();
        if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) findText_->setText(selected);
    }
    edit_.setFootBar(this);
    QWidget* field = mode == Mode::GoToLine ? static_cast<QWidget*>(lineNumber_) : findText_;
    field->setFocus();
    if (mode == Mode::GoToLine)
        lineNumber_->selectAll();
    else
        findText_->selectAll();
}

void FindBar::close() {
    edit_.setFootBar(nullptr);
    edit_.setFocus();
}

bool FindBar::matchesSelection() const {
    const QString selected = edit_.textCursor().selectedText();
    const Qt::CaseSensitivity cs = matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return !selected.isEmpty() && selected.compare(findText_->text(), cs) == 0;
}

bool FindBar::findNext(bool backwards) {
    const QString text = findText_->text();
    if (text.isEmpty()) return false;
    QTextDocument* document = edit_.document();
    const QString whole = searchedText(*document);
    const Qt::CaseSensitivity cs = matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const QTextCursor caret = edit_.textCursor();
    qsizetype at =
        occurrence(whole, text, backwards ? caret.selectionStart() : caret.selectionEnd(), backwards, cs);
    // Round the end of the text.
    if (at < 0) at = occurrence(whole, text, backwards ? whole.size() : 0, backwards, cs);
    if (at < 0) {
        say(QStringLiteral("не найдено"), true);
        return false;
    }
    say(QString(), false);
    QTextCursor found(document);
    found.setPosition(int(at));
    found.setPosition(int(at + text.size()), QTextCursor::KeepAnchor);
    edit_.setTextCursor(found);
    return true;
}

void FindBar::replaceOne() {
    if (matchesSelection()) edit_.textCursor().insertText(replaceText_->text());
    findNext();
}

int FindBar::replaceAll() {
    const QString text = findText_->text();
    if (text.isEmpty()) return 0;
    const Qt::CaseSensitivity cs = matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QTextDocument* document = edit_.document();
    const QString whole = searchedText(*document);
    std::vector<qsizetype> found;
    for (qsizetype at = whole.indexOf(text, 0, cs); at >= 0; at = whole.indexOf(text, at + text.size(), cs))
        found.push_back(at);
    // From the last to the first, so that each replacement leaves the places
    // of those before it as they were found.
    QTextCursor edit(document);
    edit.beginEditBlock();
    for (auto at = found.rbegin(); at != found.rend(); ++at) {
        edit.setPosition(int(*at));
        edit.setPosition(int(*at + text.size()), QTextCursor::KeepAnchor);
        edit.insertText(replaceText_->text());
    }
    edit.endEditBlock();
    const int count = int(found.size());
    say(QStringLiteral("заменено: %1").arg(count), count == 0);
    return count;
}

void FindBar::goToLine() {
    lineNumber_->interpretText();
    QTextCursor cursor(edit_.document()->findBlockByNumber(lineNumber_->value() - 1));
    edit_.setTextCursor(cursor);
    edit_.centerCursor();
    close();
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    // The fields pass on what they do not take (Enter after acting on it, as
    // a dialog's default button expects); next in line is the editor, which
    // would take Enter for a line break and Tab for a tab over the found
    // word. Nothing typed in the bar goes there.
    event->accept();
}

bool FindBar::focusNextPrevChild(bool next) {
    // The editor keeps Tab for itself, so it would not hand the focus on:
    // Tab goes round the bar's own fields.
    QList<QWidget*> fields;
    for (QWidget* field : std::initializer_list<QWidget*>{findText_, replaceText_, lineNumber_})
        if (field->isVisibleTo(this)) fields << field;
    const int at = int(fields.indexOf(QApplication::focusWidget()));
    const int count = int(fields.size());
    if (count > 0) fields[((at < 0 ? 0 : at) + (next ? 1 : count - 1)) % count]->setFocus(Qt::TabFocusReason);
    return true;
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == findText_ && event->type() == QEvent::Resize) placeNote();
    return QFrame::eventFilter(watched, event);
}

void FindBar::placeNote() {
    const QString text = note_->text();
    note_->setVisible(!text.isEmpty());
    // At most half the field: the other half keeps the text looked for.
    const int frame = findText_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, findText_);
    const int width = text.isEmpty()
                          ? 0
                          : std::min(note_->fontMetrics().horizontalAdvance(text) + 2 * kNoteIndent,
                                     findText_->width() / 2);
    note_->setGeometry(findText_->width() - frame - width, frame, width, findText_->height() - 2 * frame);
    findText_->setTextMargins(0, 0, width, 0);
}

void FindBar::say(const QString& text, bool failure) {
    note_->setText(text);
    placeNote();
    QPalette palette = findText_->palette();
    palette.setColor(QPalette::Base, failure ? QColor(255, 200, 200) : QApplication::palette().color(QPalette::Base));
    findText_->setPalette(palette);
}

} // namespace veltra
