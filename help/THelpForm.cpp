#include "help/THelpForm.h"

#include "help/Docking.h"
#include "help/Fonts.h"
#include "help/HelpTexts.h"
#include "help/TFormAbout.h"
#include "ui_THelpForm.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>

namespace veltra {

namespace {

const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

bool isLeftClick(const QEvent* event, const QWidget* widget) {
    if (event->type() != QEvent::MouseButtonRelease) return false;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    return mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
}

} // namespace

THelpForm::THelpForm(QWidget* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::THelpForm>()), mainWindow_(mainWindow) {
    ui->setupUi(this);
    setFixedSize(298, 607);
    setFont(designFont(QStringLiteral("MS Sans Serif"), 11));
    // Closing this window only hides it; it must never keep the program
    // running once the main window has gone.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Shown beside the main window (F1, the view switch) without taking the
    // keys: the next typed line belongs to the editor or the console.
    setAttribute(Qt::WA_ShowWithoutActivating);

    QFont linkFont = font();
    linkFont.setBold(true);
    linkFont.setUnderline(true);
    ui->Label1->setFont(linkFont);
    setTextColour(ui->Label1, kNavy);
    ui->Label1->setCursor(Qt::PointingHandCursor);
    ui->Label1->installEventFilter(this);

    QPalette black = ui->Panel1->palette();
    black.setColor(QPalette::Window, Qt::black);
    ui->Panel1->setPalette(black);
    ui->Panel1->setAutoFillBackground(true);
    ui->Panel1->setMouseTracking(true);
    ui->Panel1->installEventFilter(this);

    for (QLabel* label : topicLabels()) {
        setTopicLook(label, false);
        // Moves without a pressed button reach a widget only when it tracks
        // the mouse.
        label->setMouseTracking(true);
        label->installEventFilter(this);
    }

    QPalette memo = ui->memMain->palette();
    memo.setColor(QPalette::Base, Qt::black);
    memo.setColor(QPalette::Text, Qt::white);
    ui->memMain->setPalette(memo);
    ui->memMain->setFont(designFont(QStringLiteral("Tahoma"), 12));
    ui->memMain->viewport()->setCursor(Qt::ArrowCursor);
    ui->memMain->setMouseTracking(true);
    ui->memMain->viewport()->setMouseTracking(true);
    ui->memMain->installEventFilter(this);
    ui->memMain->viewport()->installEventFilter(this);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setParent(this);
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &THelpForm::Timer1Timer);
    Timer1.start();
}

THelpForm::~THelpForm() = default;

QList<QLabel*> THelpForm::topicLabels() const {
    return {ui->Label2, ui->Label4, ui->Label3,  ui->Label5,  ui->Label8,  ui->Label7,
            ui->Label6, ui->Label9, ui->Label10, ui->Label11, ui->Label12, ui->Label13};
}

void THelpForm::Label2Click() {
    showTopic(ui->Label2);
}
void THelpForm::Label3Click() {
    showTopic(ui->Label3);
}
void THelpForm::Label4Click() {
    showTopic(ui->Label4);
}
void THelpForm::Label5Click() {
    showTopic(ui->Label5);
}
void THelpForm::Label6Click() {
    showTopic(ui->Label6);
}
void THelpForm::Label7Click() {
    showTopic(ui->Label7);
}
void THelpForm::Label8Click() {
    showTopic(ui->Label8);
}
void THelpForm::Label9Click() {
    showTopic(ui->Label9);
}
void THelpForm::Label10Click() {
    showTopic(ui->Label10);
}
void THelpForm::Label11Click() {
    showTopic(ui->Label11);
}
void THelpForm::Label12Click() {
    showTopic(ui->Label12);
}
void THelpForm::Label13Click() {
    showTopic(ui->Label13);
}

void THelpForm::showTopic(const QLabel* label) {
    const HelpTopic* topic = findLanguageHelpTopic(label->objectName().toStdString());
    if (topic == nullptr) return;
    // Replacing the whole text (never appending) keeps one copy of the topic
    // however often it is clicked.
    ui->memMain->setPlainText(toQStringList(topic->lines).join(QLatin1Char('\n')));
    ui->memMain->verticalScrollBar()->setValue(0);
    // No caret is to stand in the text area after a click.
    ui->Panel1->setFocus(Qt::OtherFocusReason);
}

void THelpForm::setTopicLook(QLabel* label, bool highlighted) {
    // The plain look carries no style at all: no underline, no bold.
    QFont look = designFont(QStringLiteral("Arial"), 12);
    look.setUnderline(highlighted);
    label->setFont(look);
    setTextColour(label, highlighted ? kRed : kYellow);
}

void THelpForm::Label2MouseMove(QLabel* sender) {
    if (sender == nullptr) return;
    // Only the label under the pointer changes; one highlighted before stays
    // so until the pointer passes the background or the text area.
    setTopicLook(sender, true);
    ui->Panel1->setCursor(Qt::PointingHandCursor);
}

void THelpForm::Panel1MouseMove() {
    for (QLabel* label : topicLabels())
        setTopicLook(label, false);
    ui->Panel1->unsetCursor();
}

void THelpForm::Label1Click() {
    // A fresh window each time; QPointer guards against the window being
    // destroyed with its parent while the modal loop runs.
    QPointer<TFormAbout> about = new TFormAbout(this);
    about->exec();
    delete about.data();
}

void THelpForm::Timer1Timer() {
    dockBeside(*this, mainWindow_.data());
}

void THelpForm::showEvent(QShowEvent* event) {
    // Stand beside the main window from the first moment, not only after the
    // next tick.
    Timer1Timer();
    QWidget::showEvent(event);
}

bool THelpForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == ui->Label1) {
        if (isLeftClick(event, ui->Label1)) {
            Label1Click();
            return true;
        }
        return false;
    }
    if (watched == ui->Panel1 || watched == ui->memMain || watched == ui->memMain->viewport()) {
        if (type == QEvent::MouseMove) Panel1MouseMove();
        return false;
    }
    auto* label = qobject_cast<QLabel*>(watched);
    if (label == nullptr || !topicLabels().contains(label)) return false;
    if (type == QEvent::MouseMove) {
        Label2MouseMove(label);
        // Consumed here so that the panel underneath does not see it and
        // clear the highlight at once.
        return true;
    }
    if (isLeftClick(event, label)) {
        showTopic(label);
        return true;
    }
    return false;
}

} // namespace veltra
