#include "app/window/TMainForm.h"

#include "console/Console.h"
#include "console/ConsoleHistory.h"
#include "app/console/PlainTextConsole.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

#include "app/shell/AppError.h"
#include "app/window/ButtonPictures.h"
#include "app/settings/EditorColours.h"
#include "app/editor/EditorText.h"
#include "app/files/ProgramFolder.h"
#include "app/settings/Settings.h"
#include "app/settings/TFormConfig.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/VeltraApplication.h"
#include "app/editor/EditorAssist.h"
#include "app/editor/RecoveryCopy.h"
#include "help/Fonts.h"
#include "ui_TMainForm.h"

namespace veltra {

namespace {

void colourText(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

PortMap portMap(const Settings& settings) {
    return PortMap{settings.PORTS[0], settings.PORTS[1], settings.PORTS[2]};
}

// The port's steps begin at the latest this long after the window was made.
constexpr int kPortStepsAtTheLatestMs = 1000;
// How often a close that waits for the port looks again.
constexpr int kClosePollMs = 10;

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), ui(new Ui::TMainForm), Tm(new QTimer(this)), session_(turns_, this) {
    ui->setupUi(this);
    Tm->setObjectName(QStringLiteral("Tm"));
    Tm->setInterval(100);
    buildLook();
    connectHandlers();
    buildConsoleMenu();
    history_ = std::make_unique<ConsoleHistory>(stateFolder() + QStringLiteral("console-history"));
    console_ = std::make_unique<Console>(*consoleText_, session_, history_.get());

    centreFrame();

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
    if (session_.StartBegun() || closing_) return;
    // Always 57600 baud, whatever PORT_SPEED says.
    session_.Start(portMap(appSettings()), appSettings().PORT_NAME);
    if (closing_) return; // the close waits for the port to be free, and goes on now
    Tm->start();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    session_.DestroyPort(); // its worker reaches this window's session until it stops
    delete ui;
}

void TMainForm::centreFrame() {
    // Before the window manager has framed the window its frame is its inner
    // area; once the frame is known (the first move after showing) the window
    // is centred again by its outer frame.
    const QRect desktop = screen()->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(desktop.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::Move && !frameCentred_ && isVisible() && frameGeometry().size() != size()) {
        frameCentred_ = true;
        centreFrame();
    }
    return QMainWindow::event(event);
}

void TMainForm::buildLook() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(642, 607);
    setFont(designFont(QStringLiteral("MS Sans Serif"), 11));

    // The editor: an empty program is one empty line.
    ui->edit->setFont(designFont(QStringLiteral("Courier New"), 16));
    colourText(ui->edit, QPalette::Base, Qt::black);
    colourText(ui->edit, QPalette::Text, Qt::white);
    ui->edit->setPlainText(QStringLiteral("\n"));

    ui->editConsol->setFont(designFont(QStringLiteral("Courier New"), 15));
    colourText(ui->editConsol, QPalette::Base, QColor(0, 128, 0));
    colourText(ui->editConsol, QPalette::Text, QColor(255, 255, 0));
    consoleText_ = std::make_unique<PlainTextConsole>(*ui->editConsol);
    consoleText_->FillInitial();

    colourText(ui->Panel3, QPalette::Window, Qt::white);
    ui->stNumLine->setFont(designFont(QStringLiteral("Courier New"), 15, true));
    colourText(ui->stNumLine, QPalette::WindowText, QColor(0, 0, 255));
    ui->stError->setFont(designFont(QStringLiteral("Arial"), 15, true));
    colourText(ui->stError, QPalette::WindowText, Qt::black);
    // The indicator's widest text just fits its field without the label's
    // default indent.
    ui->stNumLine->setIndent(1);
    ui->stError->setIndent(2);

    QFont caption = font();
    caption.setBold(true);
    ui->btSend->setFont(caption);
    const std::pair<QPushButton*, ButtonPicture> pictures[] = {
        {ui->btSend, ButtonPicture::Upload},       {ui->btNew, ButtonPicture::New},
        {ui->btLoadFromFile, ButtonPicture::Open}, {ui->btSaveToFile, ButtonPicture::Save},
        {ui->btPrintFile, ButtonPicture::Print},   {ui->btHelp, ButtonPicture::Help},
        {ui->btParam, ButtonPicture::Settings},
    };
    for (const auto& [button, picture] : pictures)
        button->setIcon(buttonPicture(picture, button->iconSize().width()));

    // Port state, link state (centred, takes what is left), clock.
    ui->stBar->setFixedHeight(22);
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(ui->stBar);
        panels_[i]->setObjectName(QStringLiteral("stBarPanel%1").arg(i));
        panels_[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    }
    panels_[0]->setFixedWidth(120);
    panels_[1]->setAlignment(Qt::AlignCenter);
    panels_[1]->setMinimumWidth(120);
    panels_[2]->setFixedWidth(
        panels_[2]->fontMetrics().horizontalAdvance(QStringLiteral(" 00/00/0000    00:00:00 ")) + 8);
    ui->stBar->addWidget(panels_[0]);
    ui->stBar->addWidget(panels_[1], 1);
    ui->stBar->addWidget(panels_[2]);
}

void TMainForm::connectHandlers() {
    connect(ui->btSend, &QPushButton::clicked, this, [this] { guarded([this] { runSend(); }); });
    connect(ui->btNew, &QPushButton::clicked, this, [this] { guarded([this] { btNewClick(); }); });
    connect(ui->btLoadFromFile, &QPushButton::clicked, this,
            [this] { guarded([this] { btLoadFromFileClick(); }); });
    connect(ui->btSaveToFile, &QPushButton::clicked, this,
            [this] { guarded([this] { btSaveToFileClick(); }); });
    connect(ui->btPrintFile, &QPushButton::clicked, this,
            [this] { guarded([this] { btPrintFileClick(); }); });
    connect(ui->btHelp, &QPushButton::clicked, this, [this] { guarded([this] { btHelpClick(); }); });
    // An edit that the once-a-second change detection will report (the
    // counted length differs) makes the text savable at once: right after a
    // save, a click on the button (or Ctrl+S, which follows it) would
    // otherwise do nothing for up to a second, and the file name typed next
    // would land in the program.
    connect(ui->edit->document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (replacingText_ || (removed == 0 && added == 0)) return;
        if (countedTextLength(*ui->edit->document()) != state_.lastTextLength) ui->btSaveToFile->setEnabled(true);
    });
    connect(ui->btParam, &QPushButton::clicked, this, [this] { guarded([this] { btParamClick(); }); });
    connect(Tm, &QTimer::timeout, this, [this] { guarded([this] { TmTimer(); }); });
    assist_ = std::make_unique<EditorAssist>(
        *ui->edit, *ui->stError,
        EditorAssist::Buttons{ui->btNew, ui->btLoadFromFile, ui->btSaveToFile, ui->btPrintFile}, stateFolder());
}

bool TMainForm::SelectPort(const QString& portName) {
    return session_.SelectPort(portName);
}

void TMainForm::errorBeep() {
    userDialogs().beep();
}

void TMainForm::setPortPanel(const QString& text) {
    SetStatusPanel(0, text);
}

void TMainForm::showPortError(const QString& message) {
    userDialogs().message(this, message, QString(), BoxIcon::Stop);
}

void TMainForm::showLinkMessage(const QString& text) {
    setMessage(text, QColor(255, 0, 0));
}

void TMainForm::setHelpWindows(QWidget* helpForm, QWidget* helpConsolForm) {
    helpForm_ = helpForm;
    helpConsolForm_ = helpConsolForm;
}

void TMainForm::SetStatusPanel(int index, const QString& text) {
    if (index >= 0 && index < 3) panels_[index]->setText(text);
}

QString TMainForm::statusPanelText(int index) const {
    return (index >= 0 && index < 3) ? panels_[index]->text() : QString();
}

void TMainForm::setMessage(const QString& text, const QColor& colour) {
    colourText(ui->stError, QPalette::WindowText, colour);
    ui->stError->setText(text);
}

void TMainForm::setProgramText(const QString& text, const QString& filePath) {
    {
        QScopedValueRollback replacing(replacingText_, true);
        replaceText(*ui->edit, text);
    }
    QCoreApplication::processEvents();
    state_.textLength = state_.lastTextLength = countedTextLength(*ui->edit->document());
    assist_->textStored(filePath);
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

void TMainForm::btHelpClick() {
    QWidget* help = state_.consoleMode ? helpConsolForm_.data() : helpForm_.data();
    if (!help) return;
    if (help->isHidden()) {
        showHelp(help);
    } else {
        help->hide();
    }
}

void TMainForm::btParamClick() {
    // The port's own steps are under way: their waits let this click in.
    if (session_.PortInTransition()) return;
    int result = QDialog::Rejected;
    bool newDevice = false;
    {
        TFormConfig formConfig(this);
        result = userDialogs().runModal(formConfig);
        newDevice = formConfig.savedNewDeviceFor(appSettings().PORT_NAME);
    }
    ApplyEditorColours();
    session_.ApplyPortSettings(portMap(appSettings()), appSettings().PORT_NAME, result == QDialog::Accepted,
                               newDevice);
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
    if (helpConsolForm_) helpConsolForm_->hide();
    if (helpForm_) helpForm_->hide();
    hide();
    // The window closes whatever happens here; a settings file that cannot be
    // written is reported and the shutdown goes on.
    guarded([] { WriteSettings(); });
    guarded([this] { assist_->closing(); }); // unsaved text stays in the recovery copy
    Tm->stop(); // no tick runs against a port that goes
    session_.Shutdown();
}

} // namespace veltra
