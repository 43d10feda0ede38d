#include "app/window/TMainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QScopedValueRollback>
#include <QTimer>

#include "app/console/ConsolePane.h"
#include "app/editor/EditorAssist.h"
#include "app/editor/EditorText.h"
#include "app/editor/RecoveryCopy.h"
#include "app/files/ProgramFolder.h"
#include "app/run/RunDesk.h"
#include "app/settings/EditorColours.h"
#include "app/settings/Settings.h"
#include "app/settings/TFormConfig.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/BoardProcess.h"
#include "ui_TMainForm.h"

namespace veltra {

namespace {

PortMap portMap(const Settings& settings) {
    return PortMap{settings.PORTS[0], settings.PORTS[1], settings.PORTS[2]};
}

// The port's steps begin at the latest this long after the window was made.
constexpr int kPortStepsAtTheLatestMs = 1000;
// How often a close that waits for the port looks again.
constexpr int kClosePollMs = 10;

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), ui(new Ui::TMainForm), Tm(new QTimer(this)), session_(turns_, this),
      board_(std::make_unique<BoardProcess>(turns_)) {
    ui->setupUi(this);
    Tm->setObjectName(QStringLiteral("Tm"));
    Tm->setInterval(100);
    buildMainLook(*this, *ui);
    panels_.build(*ui->stBar);
    console_ = std::make_unique<ConsolePane>(
        *ui->editConsol, session_, stateFolder() + QStringLiteral("console-history"),
        [this] { return busy(); }, this);
    connectHandlers();

    centreOnDesktop(*this);

    ReadSettings();
    state_.savePath = documentFolder() + QStringLiteral("0001.vel");
    state_.openPath = state_.savePath;
    program_.invalidate();
    ApplyEditorColours();
    state_.textLength = 2;
    state_.lastTextLength = 2;
    qApp->installEventFilter(this);
    SetStatusPanel(2, clockText(QDateTime::currentDateTime(), QLocale::system()));
    // The port's steps wait about 1.7 s in all; the window is painted first
    // (see paintEvent), so the user sees the program start at once. A window
    // that is never painted (started minimised) gets its port a little later.
    portStepsFallback_ = new QTimer(this);
    portStepsFallback_->setSingleShot(true);
    connect(portStepsFallback_, &QTimer::timeout, this, [this] { guarded([this] { runPortSteps(); }); });
    portStepsFallback_->start(kPortStepsAtTheLatestMs);
    show();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    session_.DestroyPort(); // its worker reaches this window's session until it stops
}

void TMainForm::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (painted_) return;
    painted_ = true;
    // Painted: the steps follow now (after what firstPainted starts, such as
    // a question about a recovered text), not from the fallback.
    portStepsFallback_->stop();
    // Queued, so that this frame is finished and on screen first.
    QTimer::singleShot(0, this, [this] {
        emit firstPainted();
        guarded([this] { runPortSteps(); });
    });
}

void TMainForm::runPortSteps() {
    if (session_.StartBegun() || closing_ || board_->changing()) return;
    keepVirtualBoard();
    if (closing_) return;
    // Always 57600 baud, whatever PORT_SPEED says.
    session_.Start(portMap(appSettings()), appSettings().PORT_NAME);
    if (closing_) return; // the close waits for the port to be free, and goes on now
    Tm->start();
}

bool TMainForm::event(QEvent* event) {
    // The frame is known once the window manager has framed the window: the
    // first move after showing centres the window again by its outer frame.
    if (event->type() == QEvent::Move && !frameCentred_ && isVisible() && frameGeometry().size() != size()) {
        frameCentred_ = true;
        centreOnDesktop(*this);
    }
    return QMainWindow::event(event);
}

void TMainForm::connectHandlers() {
    auto click = [this](QPushButton* button, void (TMainForm::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    click(ui->btSend, &TMainForm::runSend);
    click(ui->btNew, &TMainForm::btNewClick);
    click(ui->btLoadFromFile, &TMainForm::btLoadFromFileClick);
    click(ui->btSaveToFile, &TMainForm::btSaveToFileClick);
    click(ui->btPrintFile, &TMainForm::btPrintFileClick);
    click(ui->btHelp, &TMainForm::btHelpClick);
    // An edit that the once-a-second change detection will report (the
    // counted length differs) makes the text savable at once: right after a
    // save, a click on the button (or Ctrl+S, which follows it) would
    // otherwise do nothing for up to a second, and the file name typed next
    // would land in the program.
    connect(ui->edit->document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (replacingText_ || (removed == 0 && added == 0)) return;
        if (countedTextLength(*ui->edit->document()) != state_.lastTextLength)
            ui->btSaveToFile->setEnabled(true);
    });
    click(ui->btParam, &TMainForm::btParamClick);
    connect(Tm, &QTimer::timeout, this, [this] { guarded([this] { TmTimer(); }); });
    // The console's accepted commands: the once-a-second change detection
    // sees the longer text and reports a changed program, as for typing.
    connect(console_.get(), &ConsolePane::addToProgram, this,
            [this](const QStringList& lines) { appendProgramLines(*ui->edit->document(), lines); });
    assist_ = std::make_unique<EditorAssist>(
        *ui->edit, *ui->stError,
        EditorAssist::Buttons{ui->btNew, ui->btLoadFromFile, ui->btSaveToFile, ui->btPrintFile},
        stateFolder());
    // F5 checks as F8 does, and not while the send path runs.
    run_ = std::make_unique<RunDesk>(
        *ui->edit,
        [this]() -> const ProgramImage* {
            if (busy()) return nullptr;
            QScopedValueRollback checking(sending_, true);
            return checkProgram() == 0 ? &program_.image() : nullptr;
        },
        *this);
}

void TMainForm::errorBeep() {
    userDialogs().beep();
}

void TMainForm::showPortError(const QString& message) {
    userDialogs().message(this, message, QString(), BoxIcon::Stop);
}

void TMainForm::setHelpWindows(QWidget* helpForm, QWidget* helpConsolForm) {
    help_.set(helpForm, helpConsolForm);
}

void TMainForm::setMessage(const QString& text, const QColor& colour) {
    colourText(*ui->stError, QPalette::WindowText, colour);
    ui->stError->setText(text);
}

bool TMainForm::setProgramText(const QString& text, const QString& filePath) {
    bool replaced = false;
    {
        QScopedValueRollback replacing(replacingText_, true);
        replaced = assist_->replaceText(text);
    }
    run_->textReplaced(); // a cancelled text went out and came back: breakpoints are gone either way
    if (!replaced) return false;
    QCoreApplication::processEvents();
    state_.textLength = state_.lastTextLength = countedTextLength(*ui->edit->document());
    assist_->textStored(filePath);
    return true;
}

void TMainForm::offerRecovery() {
    assist_->offerRecovery(this);
    // No question said that unsaved text is not kept: the message line does.
    const QString warning = assist_->recovery().unsaidWarning();
    if (!warning.isEmpty()) setMessage(warning, QColor(255, 0, 0));
}

void TMainForm::ApplyEditorColours() {
    const Settings& settings = appSettings();
    QPalette palette = ui->edit->palette();
    if (auto colour = backgroundColour(settings.BG_COLOR)) palette.setColor(QPalette::Base, *colour);
    if (auto colour = textColour(settings.TXT_COLOR)) palette.setColor(QPalette::Text, *colour);
    ui->edit->setPalette(palette);
    QCoreApplication::processEvents();
}

void TMainForm::btParamClick() {
    // The port's own steps are under way: their waits let this click in.
    if (session_.PortInTransition() || board_->changing()) return;
    int result = QDialog::Rejected;
    bool newDevice = false;
    {
        TFormConfig formConfig(this);
        result = userDialogs().runModal(formConfig);
        newDevice = formConfig.savedNewDeviceFor(appSettings().PORT_NAME);
    }
    ApplyEditorColours();
    keepVirtualBoard();
    if (closing_) return;
    session_.ApplyPortSettings(portMap(appSettings()), appSettings().PORT_NAME, result == QDialog::Accepted,
                               newDevice);
    dropVirtualBoard();
}

bool TMainForm::virtualBoardWanted() const {
    const auto device = portDevicePath(portMap(appSettings()), appSettings().PORT_NAME);
    return device && *device == QFile::encodeName(virtualBoardLink());
}

void TMainForm::keepVirtualBoard() {
    if (!virtualBoardWanted() || board_->running()) return;
    const QString why = board_->start(virtualBoardLink(), width());
    // The port's own message follows when it cannot be opened; this line says why.
    if (!why.isEmpty()) setMessage(why, QColor(255, 0, 0));
}

void TMainForm::dropVirtualBoard() {
    if (!virtualBoardWanted()) board_->stop();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    closing_ = true; // every wait for the board ends now
    // The port's own steps (start-up, a switch, a reopen) hold the port object
    // on their stack while their waits process events: it is destroyed only
    // once they have returned, which they do quickly now. Until then the
    // window stays (an accepted close of the last window would end the event
    // loop before the settings are written).
    if (session_.PortInTransition()) {
        event->ignore();
        QTimer::singleShot(kClosePollMs, this, [this] { close(); });
        return;
    }
    event->accept();
    closed_ = true;
    FormClose();
    emit closed();
}

void TMainForm::FormClose() {
    help_.hideBoth();
    hide();
    // The window closes whatever happens here; a settings file that cannot be
    // written is reported and the shutdown goes on.
    guarded([] { WriteSettings(); });
    guarded([this] { assist_->closing(); }); // unsaved text stays in the recovery copy
    run_->closeWindow();
    // No tick runs against a port that goes.
    Tm->stop();
    session_.Shutdown();
    board_->stop(); // after the port, which would otherwise see its device vanish
}

} // namespace veltra
