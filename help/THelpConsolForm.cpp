#include "help/THelpConsolForm.h"

#include "help/Docking.h"
#include "help/Fonts.h"
#include "help/HelpTexts.h"
#include "ui_THelpConsolForm.h"

#include <QPalette>

namespace veltra {

THelpConsolForm::THelpConsolForm(QWidget* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::THelpConsolForm>()), mainWindow_(mainWindow) {
    ui->setupUi(this);
    setFixedSize(312, 607);
    setFont(designFont(QStringLiteral("MS Sans Serif"), 11));
    setAttribute(Qt::WA_QuitOnClose, false);
    // Shown beside the main window (F1, the view switch) without taking the
    // keys: the next typed line belongs to the editor or the console.
    setAttribute(Qt::WA_ShowWithoutActivating);

    QPalette memo = ui->Memo1->palette();
    memo.setColor(QPalette::Base, Qt::black);
    memo.setColor(QPalette::Text, Qt::white);
    ui->Memo1->setPalette(memo);
    ui->Memo1->setFont(designFont(QStringLiteral("Arial"), 12));
    ui->Memo1->setPlainText(toQStringList(consoleHelpLines()).join(QLatin1Char('\n')));

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setParent(this);
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &THelpConsolForm::Timer1Timer);
    Timer1.start();
}

THelpConsolForm::~THelpConsolForm() = default;

void THelpConsolForm::Timer1Timer() {
    dockBeside(*this, mainWindow_.data());
}

void THelpConsolForm::showEvent(QShowEvent* event) {
    Timer1Timer();
    QWidget::showEvent(event);
}

} // namespace veltra
