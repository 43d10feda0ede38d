#include "app/run/RunWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

#include "app/run/RunSession.h"
#include "board/WordText.h"
#include "board/view/BoardView.h"
#include "compiler/Listing.h"
#include "place/WindowPlace.h"

namespace veltra {

namespace {

QString seconds(BoardTime t) {
    return QStringLiteral("%1.%2 с").arg(t.count() / 1000).arg(t.count() % 1000, 3, 10, QLatin1Char('0'));
}

QString phaseText(const RunSession& session) {
    switch (session.phase()) {
    case RunSession::Phase::Running:
        return QStringLiteral("выполняется");
    case RunSession::Phase::Paused:
        return QStringLiteral("пауза");
    case RunSession::Phase::Stopped:
        break;
    }
    return QStringLiteral("остановлена");
}

// Readable on the window's light background; the text keeps its colour.
const QString kChangedStyle = QStringLiteral("background: #ffe98a; font-weight: bold");

} // namespace

RunWindow::RunWindow(RunSession& session, QWidget* parent) : QWidget(parent, Qt::Window), session_(session) {
    setWindowTitle(QStringLiteral("Виртуальная плата"));
    setObjectName(QStringLiteral("runWindow"));
    const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* top = new QVBoxLayout(this);

    auto* controls = new QHBoxLayout;
    const std::pair<Action, QString> actions[] = {{Action::Run, QStringLiteral("Пуск  F5")},
                                                  {Action::Pause, QStringLiteral("Пауза  F6")},
                                                  {Action::Step, QStringLiteral("Шаг  F11")},
                                                  {Action::RunToCaret, QStringLiteral("До курсора  F7")},
                                                  {Action::Stop, QStringLiteral("Стоп  Shift+F5")}};
    for (const auto& [action, text] : actions) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QStringLiteral("run%1").arg(int(action)));
        b->setFocusPolicy(Qt::NoFocus); // the keys 1..3 stay the board's buttons
        connect(b, &QPushButton::clicked, this, [this, action] { emit actionClicked(action); });
        buttons_[static_cast<int>(action)] = b;
        controls->addWidget(b);
    }
    top->addLayout(controls);

    auto* options = new QHBoxLayout;
    speed_ = new QComboBox(this);
    speed_->setObjectName(QStringLiteral("speed"));
    speed_->addItems(
        {QStringLiteral("реальное время"), QStringLiteral("×10"), QStringLiteral("как можно быстрее")});
    speed_->setFocusPolicy(Qt::NoFocus);
    connect(speed_, &QComboBox::currentIndexChanged, this,
            [this](int index) { session_.setSpeed(static_cast<RunSession::Speed>(index)); });
    finishPause_ = new QCheckBox(QStringLiteral("шаг завершает паузу сразу"), this);
    finishPause_->setObjectName(QStringLiteral("finishPause"));
    finishPause_->setFocusPolicy(Qt::NoFocus);
    finishPause_->setChecked(session_.finishPauseOnStep());
    connect(finishPause_, &QCheckBox::toggled, this, [this](bool on) { session_.setFinishPauseOnStep(on); });
    phase_ = new QLabel(this);
    phase_->setObjectName(QStringLiteral("phase"));
    phase_->setStyleSheet(QStringLiteral("font-weight: bold"));
    clock_ = new QLabel(this);
    clock_->setObjectName(QStringLiteral("clock"));
    clock_->setFont(mono);
    options->addWidget(new QLabel(QStringLiteral("скорость:"), this));
    options->addWidget(speed_);
    options->addWidget(finishPause_);
    options->addStretch(1);
    options->addWidget(phase_);
    options->addSpacing(16);
    options->addWidget(new QLabel(QStringLiteral("время платы:"), this));
    options->addWidget(clock_);
    top->addLayout(options);

    changed_ = new QLabel(
        QStringLiteral("Программа изменена: выполняются прежние слова до следующего запуска."), this);
    changed_->setObjectName(QStringLiteral("programChanged"));
    changed_->setStyleSheet(QStringLiteral("color: #a00000"));
    changed_->hide();
    top->addWidget(changed_);

    auto* middle = new QHBoxLayout;
    board_ = new BoardView(session_.board(), this);
    board_->setPolling(false);      // shown when the run moved, never on a timer of its own
    board_->setProgramShown(false); // the run's own phase, word and listing say it
    middle->addWidget(board_);

    auto* right = new QVBoxLayout;
    auto* state = new QGroupBox(QStringLiteral("состояние"), this);
    auto* grid = new QGridLayout(state);
    a_ = addState(grid, 0, QStringLiteral("А"), "stateA");
    b_ = addState(grid, 1, QStringLiteral("В"), "stateB");
    returnPoint_ = addState(grid, 2, QStringLiteral("возврат"), "stateReturn");
    stores_[0] = addState(grid, 3, QStringLiteral("сохр_1"), "stateStore1");
    stores_[1] = addState(grid, 4, QStringLiteral("сохр_2"), "stateStore2");
    word_ = addState(grid, 5, QStringLiteral("слово"), "stateWord");
    word_->setFont(mono);
    grid->setColumnStretch(1, 1);
    right->addWidget(state);
    listing_ = new QPlainTextEdit(this);
    listing_->setObjectName(QStringLiteral("listing"));
    listing_->setReadOnly(true);
    listing_->setFont(mono);
    listing_->setLineWrapMode(QPlainTextEdit::NoWrap);
    listing_->setMinimumWidth(360);
    right->addWidget(listing_, 1);
    middle->addLayout(right, 1);
    top->addLayout(middle, 1);
    before_.assign(6, QString());
    refresh();
}

QLabel* RunWindow::addState(QGridLayout* grid, int row, const QString& caption, const char* name) {
    grid->addWidget(new QLabel(caption + QLatin1Char(':'), this), row, 0);
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(name));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setWordWrap(true);
    grid->addWidget(value, row, 1);
    return value;
}

void RunWindow::setListing(const std::vector<QString>& sourceLines) {
    const ProgramImage& image = session_.image();
    QStringList rows;
    for (int i = 0; i < image.count; ++i) {
        const int line = image.wordLine[i];
        QString row = QString::fromStdString(listingHead(i, image.words[i], line));
        const bool first = i == 0 || image.wordLine[i - 1] != line;
        if (first && line >= 1 && line <= int(sourceLines.size()))
            row += QStringLiteral("  ") + sourceLines[line - 1];
        rows << row;
    }
    listing_->setPlainText(rows.join(QLatin1Char('\n')));
    markedWord_ = -2;
    fresh_ = true;
}

void RunWindow::setProgramChanged(bool changed) {
    changed_->setVisible(changed);
}

void RunWindow::refresh() {
    board_->refresh();
    const BoardState& s = session_.board().state();
    const int word = session_.shownWord();
    const auto program = session_.board().program();
    const QString values[] = {
        QStringLiteral("%1").arg(s.a),
        QStringLiteral("%1").arg(s.b),
        session_.board().returnPoint() < 0 ? QStringLiteral("—")
                                           : QString::number(session_.board().returnPoint()),
        storeText(s.stores[0]),
        storeText(s.stores[1]),
        word < 0 || word >= int(program.size())
            ? QStringLiteral("—")
            : QStringLiteral("%1  %2  %3")
                  .arg(word)
                  .arg(QString::number(program[word], 16).rightJustified(4, QLatin1Char('0')).toUpper())
                  .arg(QString::fromStdString(describeWord(program[word])))};
    QLabel* const labels[] = {a_, b_, returnPoint_, stores_[0], stores_[1], word_};
    // A value is marked when the words run since the last look changed it.
    const bool stepped = fresh_ || session_.wordsExecuted() != shownStep_;
    shownStep_ = session_.wordsExecuted();
    // A run starts with nothing marked: the values before it are no step of it.
    if (fresh_) std::copy(std::begin(values), std::end(values), before_.begin());
    fresh_ = false;
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        // A style sheet costs a polish of the label: set only when the mark changes.
        if (stepped && marked_[i] != (values[i] != before_[i] && i != 5)) {
            marked_[i] = !marked_[i];
            labels[i]->setStyleSheet(marked_[i] ? kChangedStyle : QString());
        }
        labels[i]->setText(values[i]);
        before_[i] = values[i];
    }
    phase_->setText(phaseText(session_));
    clock_->setText(seconds(session_.boardTime()));
    const bool running = session_.phase() == RunSession::Phase::Running;
    const bool paused = session_.phase() == RunSession::Phase::Paused;
    button(Action::Run)->setEnabled(!running);
    button(Action::Pause)->setEnabled(running);
    button(Action::Step)->setEnabled(!running);
    button(Action::Stop)->setEnabled(running || paused);

    if (word == markedWord_) return;
    markedWord_ = word;
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock block = listing_->document()->findBlockByNumber(word);
    if (word >= 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.format.setBackground(QColor(255, 233, 138));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks << mark;
        listing_->setTextCursor(mark.cursor); // scrolls it into view
    }
    listing_->setExtraSelections(marks);
}

void RunWindow::placeBeside(QWidget& editor) {
    adjustSize();
    const QScreen* screen = editor.screen();
    const QRect room = screen ? screen->availableGeometry() : editor.frameGeometry();
    // Not shown yet, this window has no frame: it gets one like the editor's.
    const QSize frameExtra = editor.frameGeometry().size() - editor.size();
    if (height() + frameExtra.height() > room.height()) resize(width(), room.height() - frameExtra.height());
    const BesidePlace place = besidePlace(editor.frameGeometry(), size() + frameExtra, room);
    if (place.editor) editor.move(*place.editor);
    move(place.window);
}

} // namespace veltra
