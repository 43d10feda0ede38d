#include "app/window/TMainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QTimer>

#include "app/console/ConsolePane.h"
#include "app/editor/ChangeDetection.h"
#include "app/editor/EditorAssist.h"
#include "app/editor/EditorText.h"
#include "app/editor/RecoveryCopy.h"
#include "app/run/RunDesk.h"
#include "app/settings/EditorColours.h"
#include "app/settings/TFormConfig.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/AfterFirstPaint.h"
#include "app/window/ProgramFiles.h"
#include "files/ProgramFolder.h"
#include "files/Settings.h"
#include "place/PlaceWhenFramed.h"
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
      portSteps_(session_, *this, virtualBoardLink(), [this] { return width(); }) {
    buildMainLook(*this, *ui);
    Tm->setObjectName(QStringLiteral("Tm"));
    Tm->setInterval(100);
    panels_.build(*ui->stBar);
    console_ = std::make_unique<ConsolePane>(
        *ui->editConsol, session_, stateFolder() + QStringLiteral("console-history"),
        [this] { return busy(); }, this);
    changes_ = std::make_unique<ChangeDetection>(*ui->edit, *ui->btSaveToFile);
    connectHandlers();

    new PlaceWhenFramed(*this, [this] { centreOnDesktop(*this); });

    ReadSettings();
    files_ = std::make_unique<ProgramFiles>(
        ProgramFiles::Parts{*this, *ui->edit, *ui->stError, *ui->btSaveToFile, *ui->btPrintFile},
        ProgramFiles::Helpers{*changes_, *assist_, *run_, program_, turns_},
        documentFolder() + QStringLiteral("0001.vel"));
    program_.invalidate();
    ApplyEditorColours();
    qApp->installEventFilter(this);
    SetStatusPanel(2, clockText(QDateTime::currentDateTime(), QLocale::system()));
    // The port's steps wait about 1.7 s in all; the window is painted first,
    // so the user sees the program start at once.
    new AfterFirstPaint(
        *this, kPortStepsAtTheLatestMs, [this] { emit firstPainted(); },
        [this] { guarded([this] { runPortSteps(); }); });
    show();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    session_.DestroyPort(); // its worker reaches this window's session until it stops
}

void TMainForm::runPortSteps() {
    // Always 57600 baud, whatever PORT_SPEED says.
    if (portSteps_.Start(portMap(appSettings()), appSettings().PORT_NAME)) Tm->start();
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
            const auto checking = program_.hold();
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
    showMessage(*ui->stError, text, colour);
}

bool TMainForm::setProgramText(const QString& text, const QString& filePath) {
    return files_->setText(text, filePath);
}

void TMainForm::btNewClick() {
    if (!state_.consoleMode) files_->newProgram();
}

void TMainForm::btLoadFromFileClick() {
    if (!state_.consoleMode) files_->open();
}

bool TMainForm::openProgramFile(const QString& path) {
    return !state_.consoleMode && files_->openFile(path);
}

QString TMainForm::openHandedFile(const QString& path, bool* shownHere) {
    if (shownHere) *shownHere = false;
    // Open does nothing in these moments; the other start says why instead.
    if (isClosing()) return QStringLiteral("редактор закрывается");
    if (state_.consoleMode) return QStringLiteral("редактор в режиме консоли (F10 вернёт программу)");
    if (files_->reading() || changes_->replacing() || busy() || QApplication::activeModalWidget())
        return QStringLiteral("редактор занят: открыто окно или идёт обмен с платой");
    return files_->openHanded(path, shownHere);
}

void TMainForm::btSaveToFileClick() {
    if (!state_.consoleMode) files_->save();
}

void TMainForm::btPrintFileClick() {
    if (!state_.consoleMode) files_->print();
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
    if (portSteps_.Changing()) return;
    int result = QDialog::Rejected;
    bool newDevice = false;
    {
        TFormConfig formConfig(this);
        result = userDialogs().runModal(formConfig);
        newDevice = formConfig.savedNewDeviceFor(appSettings().PORT_NAME);
    }
    ApplyEditorColours();
    portSteps_.ApplyPortSettings(portMap(appSettings()), appSettings().PORT_NAME, result == QDialog::Accepted,
                                 newDevice);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (isHidden()) { // FormClose hides the window first: it has run
        event->accept();
        return;
    }
    turns_.Abort(); // every wait for the board ends now
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
    portSteps_.Shutdown();
}

} // namespace veltra
