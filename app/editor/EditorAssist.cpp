#include "app/editor/EditorAssist.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QShortcut>
#include <QTextBlock>

#include "app/editor/EditorText.h"
#include "app/editor/FindBar.h"
#include "app/editor/LineGutter.h"
#include "app/editor/LiveCheck.h"
#include "app/editor/ProgramEdit.h"
#include "app/editor/ProgramHighlighter.h"
#include "app/editor/ProgramPrinter.h"
#include "app/editor/RecoveryCopy.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/VeltraApplication.h"

namespace veltra {

EditorAssist::EditorAssist(ProgramEdit& edit, QLabel& message, const Buttons& buttons,
                           const QString& stateFolder)
    : edit_(edit), message_(message), highlighter_(new ProgramHighlighter(edit)),
      liveCheck_(new LiveCheck(edit)), findBar_(new FindBar(edit)),
      recovery_(new RecoveryCopy(edit, stateFolder)) {
    const auto colour = [this] {
        highlighter_->setColours(edit_.palette().color(QPalette::Base), edit_.palette().color(QPalette::Text));
    };
    colour();
    connect(&edit, &ProgramEdit::coloursChanged, this, colour);
    connect(edit.document(), &QTextDocument::contentsChange, this, [this] { failedCheckLine_ = 0; });
    message.installEventFilter(this);

    // A click: a disabled button (saving right after a save) does nothing.
    const std::pair<int, QAbstractButton*> pressed[] = {{Qt::CTRL | Qt::Key_N, buttons.newProgram},
                                                        {Qt::CTRL | Qt::Key_O, buttons.open},
                                                        {Qt::CTRL | Qt::Key_S, buttons.save},
                                                        {Qt::CTRL | Qt::Key_P, buttons.print}};
    for (const auto& [keys, button] : pressed)
        connect(editorShortcut(keys), &QShortcut::activated, button, &QAbstractButton::click);
    const std::pair<int, FindBar::Mode> bars[] = {{Qt::CTRL | Qt::Key_F, FindBar::Mode::Find},
                                                  {Qt::CTRL | Qt::Key_H, FindBar::Mode::Replace},
                                                  {Qt::CTRL | Qt::Key_G, FindBar::Mode::GoToLine}};
    for (const auto& [keys, mode] : bars)
        connect(editorShortcut(keys), &QShortcut::activated, findBar_, [this, mode] { findBar_->open(mode); });
    connect(editorShortcut(Qt::Key_F4), &QShortcut::activated, this, &EditorAssist::jumpToError);
}

EditorAssist::~EditorAssist() {
    message_.removeEventFilter(this);
}

QShortcut* EditorAssist::editorShortcut(int keys) {
    // In the editor and its bar only: the console view hides both.
    auto* shortcut = new QShortcut(QKeySequence(keys), &edit_);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    return shortcut;
}

bool EditorAssist::isStored(const QString& text) const {
    return recovery_->isStored(text);
}

void EditorAssist::textStored(const QString& filePath) {
    filePath_ = filePath;
    recovery_->textStored();
}

void EditorAssist::checked(int failingLine) {
    failedCheckLine_ = failingLine;
}

int EditorAssist::errorLine() const {
    return failedCheckLine_ > 0 ? failedCheckLine_ : edit_.gutter().firstMarkedLine();
}

void EditorAssist::jumpToError() {
    if (edit_.isHidden()) return; // the console view
    const QTextBlock block = edit_.document()->findBlockByNumber(errorLine() - 1);
    if (errorLine() <= 0 || !block.isValid()) return;
    edit_.setTextCursor(QTextCursor(block)); // scrolls it into view
    edit_.setFocus();
}

void EditorAssist::print(QWidget* parent) {
    const PrintJob job{filePath_.isEmpty() ? QStringLiteral("(без имени)") : QFileInfo(filePath_).fileName(),
                       QDateTime::currentDateTime(), countedLines(*edit_.document())};
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(job.title);
    QPrintPreviewDialog preview(&printer, parent);
    // Qt's size shows a page as a stamp; most of the screen shows it readable.
    if (QScreen* screen = parent ? parent->screen() : nullptr)
        preview.resize(screen->availableGeometry().size() * 0.8);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* target) {
        guarded([&] {
            if (!printProgram(*target, job))
                userDialogs().message(parent, QStringLiteral("Печать не удалась: %1").arg(target->outputFileName()),
                                      QString(), BoxIcon::Stop);
        });
    });
    userDialogs().runModal(preview);
}

bool EditorAssist::offerRecovery(QWidget* parent) {
    return recovery_->offer(parent);
}

void EditorAssist::closing() {
    recovery_->flush();
}

bool EditorAssist::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &message_) {
        if (event->type() == QEvent::Enter)
            message_.setCursor(errorLine() > 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            jumpToError();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace veltra
