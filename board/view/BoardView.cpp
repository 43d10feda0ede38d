#include "board/view/BoardView.h"

#include <QFocusEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "board/BoardModel.h"
#include "board/WordText.h"
#include "board/view/LedStrip.h"

namespace veltra {

namespace {

const char* const kColourLetters[] = {"ч", "к", "з", "с", "ж", "г", "п", "ф", "б"};

// Bit 0 first, as the language writes a port.
QString bits(std::uint8_t byte) {
    QString s;
    for (int i = 0; i < 8; ++i)
        s += (byte >> i) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

QString ledText(LedState l) {
    return QString::fromUtf8(kColourLetters[l.colour <= kMaxColour ? l.colour : 0]) + QLatin1Char(',') +
           QString::number(l.brightness);
}

} // namespace

QString storeText(const StoreSlot& s) {
    switch (s.kind) {
    case StoreKind::Empty:
        return QStringLiteral("пусто");
    case StoreKind::Port:
        return QStringLiteral("порт_%1 = %2, ярк %3")
            .arg(s.index)
            .arg(bits(s.ports[0]))
            .arg(s.portBrightness[0]);
    case StoreKind::AllPorts: {
        QStringList ports;
        for (std::uint8_t p : s.ports)
            ports << bits(p);
        return QStringLiteral("порт = ") + ports.join(QLatin1Char(' '));
    }
    case StoreKind::Led:
        return QStringLiteral("свд_%1 = %2").arg(s.index).arg(ledText(s.leds[0]));
    case StoreKind::AllLeds: {
        QStringList leds;
        for (const LedState& l : s.leds)
            leds << ledText(l);
        return QStringLiteral("свд = ") + leds.join(QLatin1Char(' '));
    }
    case StoreKind::VarA:
        return QStringLiteral("А = %1").arg(s.value);
    case StoreKind::VarB:
        return QStringLiteral("В = %1").arg(s.value);
    }
    return {};
}

namespace {

QString hex(std::uint16_t w) {
    return QString::number(w, 16).rightJustified(4, QLatin1Char('0')).toUpper();
}

QString wordLine(const char* caption, int index, std::span<const std::uint16_t> program) {
    if (index < 0 || index >= int(program.size())) return QString::fromUtf8(caption) + QStringLiteral(" —");
    const std::uint16_t w = program[index];
    return QStringLiteral("%1 [%2]  %3  %4")
        .arg(QString::fromUtf8(caption))
        .arg(index)
        .arg(hex(w))
        .arg(QString::fromStdString(describeWord(w)));
}

} // namespace

BoardView::BoardView(BoardModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setWindowTitle(QStringLiteral("Veltra - виртуальная плата"));
    setFocusPolicy(Qt::StrongFocus);
    const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    auto* top = new QVBoxLayout(this);
    leds_ = new LedStrip(this);
    top->addWidget(leds_);

    auto* outputs = new QGroupBox(QStringLiteral("порты, яркость, реле"), this);
    auto* grid = new QGridLayout(outputs);
    for (int p = 1; p <= kPortCount; ++p) {
        portBits_[p - 1] = addValue(grid, p - 1, 0, QStringLiteral("порт_%1").arg(p), "portBits");
        portBits_[p - 1]->setObjectName(QStringLiteral("portBits%1").arg(p));
        portBits_[p - 1]->setFont(mono);
        if (p <= kLampPortCount) {
            portBrightness_[p - 1] = addValue(grid, p - 1, 2, QStringLiteral("ярк_%1").arg(p), "");
            portBrightness_[p - 1]->setObjectName(QStringLiteral("portBrightness%1").arg(p));
        }
    }
    for (int r = 1; r <= kRelayCount; ++r) {
        relays_[r - 1] = addValue(grid, r - 1, 4, QStringLiteral("реле_%1").arg(r), "");
        relays_[r - 1]->setObjectName(QStringLiteral("relay%1").arg(r));
    }
    varA_ = addValue(grid, 3, 4, QStringLiteral("А"), "varA");
    varB_ = addValue(grid, 4, 4, QStringLiteral("В"), "varB");
    top->addWidget(outputs);

    auto* memory = new QGroupBox(QStringLiteral("хранилища и программа"), this);
    auto* mgrid = new QGridLayout(memory);
    for (int s = 1; s <= kStoreCount; ++s) {
        stores_[s - 1] = addValue(mgrid, s - 1, 0, QStringLiteral("сохр_%1").arg(s), "");
        stores_[s - 1]->setObjectName(QStringLiteral("store%1").arg(s));
        stores_[s - 1]->setWordWrap(true);
    }
    program_ = addValue(mgrid, 2, 0, QStringLiteral("программа"), "program");
    programCaption_ = static_cast<QLabel*>(mgrid->itemAtPosition(2, 0)->widget());
    program_->setFont(mono);
    module_ = addValue(mgrid, 3, 0, QStringLiteral("вм"), "module");
    mgrid->setColumnStretch(1, 1);
    top->addWidget(memory);

    auto* pad = new QHBoxLayout;
    for (int n = 1; n <= kButtonCount; ++n) {
        auto* b = new QPushButton(QStringLiteral("кн_%1  [%1]").arg(n), this);
        b->setObjectName(QStringLiteral("button%1").arg(n));
        b->setFocusPolicy(Qt::NoFocus); // keys 1..3 must reach the window, not a button
        b->setMinimumHeight(40);
        b->setStyleSheet(QStringLiteral("QPushButton:pressed { background: #f0c040; font-weight: bold; }"));
        connect(b, &QPushButton::pressed, this, [this, n] { holdButton(n, false, true); });
        connect(b, &QPushButton::released, this, [this, n] { holdButton(n, false, false); });
        buttons_[n - 1] = b;
        pad->addWidget(b);
    }
    top->addLayout(pad);

    timer_ = new QTimer(this);
    timer_->setInterval(kRefreshIntervalMs);
    connect(timer_, &QTimer::timeout, this, &BoardView::refresh);
    timer_->start();
    refresh();
}

QLabel* BoardView::addValue(QGridLayout* grid, int row, int column, const QString& caption,
                            const char* name) {
    grid->addWidget(new QLabel(caption + QLatin1Char(':'), this), row, column);
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(name));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(value, row, column + 1);
    return value;
}

void BoardView::setPolling(bool on) {
    if (on)
        timer_->start();
    else
        timer_->stop();
}

void BoardView::setProgramShown(bool on) {
    program_->setVisible(on);
    programCaption_->setVisible(on);
}

void BoardView::refresh() {
    if (model_.revision() == shownRevision_) return;
    shownRevision_ = model_.revision();
    const BoardState& s = model_.state();
    leds_->setLeds(s.leds);
    for (int p = 0; p < kPortCount; ++p)
        portBits_[p]->setText(bits(s.ports[p]));
    for (int p = 0; p < kLampPortCount; ++p)
        portBrightness_[p]->setText(QString::number(s.portBrightness[p]));
    for (int r = 0; r < kRelayCount; ++r) {
        relays_[r]->setText(s.relays[r] ? QStringLiteral("вкл") : QStringLiteral("выкл"));
        relays_[r]->setStyleSheet(s.relays[r] ? QStringLiteral("color: #0a0; font-weight: bold")
                                              : QStringLiteral("color: #777"));
    }
    varA_->setText(QStringLiteral("%1  (%2)").arg(s.a).arg(bits(s.a)));
    varB_->setText(QStringLiteral("%1  (%2)").arg(s.b).arg(bits(s.b)));
    for (int i = 0; i < kStoreCount; ++i)
        stores_[i]->setText(storeText(s.stores[i]));
    for (int n = 0; n < kButtonCount; ++n)
        buttons_[n]->setDown(s.buttons[n]);
    module_->setText(s.forwardedCount == 0 ? QStringLiteral("—")
                                           : QStringLiteral("слов: %1, последнее %2  %3")
                                                 .arg(s.forwardedCount)
                                                 .arg(hex(s.lastForwarded))
                                                 .arg(QString::fromStdString(describeWord(s.lastForwarded))));
    showProgram();
}

void BoardView::showProgram() {
    const BoardState& s = model_.state();
    const auto program = model_.program();
    QString status;
    if (program.empty())
        status = QStringLiteral("нет программы");
    else if (!s.running)
        status = QStringLiteral("остановлена");
    else
        status = s.paused ? QStringLiteral("пауза") : QStringLiteral("выполняется");
    program_->setText(QStringLiteral("слов: %1, %2\n%3\n%4")
                          .arg(program.size())
                          .arg(status)
                          .arg(wordLine("слово", model_.lastExecuted(), program))
                          .arg(wordLine("далее", s.running ? s.pc : -1, program)));
}

void BoardView::holdButton(int n, bool byKey, bool held) {
    (byKey ? heldByKey_ : heldByMouse_)[n - 1] = held;
    model_.setButton(n, heldByKey_[n - 1] || heldByMouse_[n - 1]);
    refresh();
}

void BoardView::keyPressEvent(QKeyEvent* e) {
    const int n = e->key() - Qt::Key_0;
    if (n < 1 || n > kButtonCount) return QWidget::keyPressEvent(e);
    if (!e->isAutoRepeat()) holdButton(n, true, true);
}

void BoardView::keyReleaseEvent(QKeyEvent* e) {
    const int n = e->key() - Qt::Key_0;
    if (n < 1 || n > kButtonCount) return QWidget::keyReleaseEvent(e);
    if (!e->isAutoRepeat()) holdButton(n, true, false);
}

void BoardView::focusOutEvent(QFocusEvent* e) {
    // A key released while another window has the focus never reaches us: let go of it now.
    for (int n = 1; n <= kButtonCount; ++n)
        if (heldByKey_[n - 1]) holdButton(n, true, false);
    QWidget::focusOutEvent(e);
}

} // namespace veltra
